#include "snmp_client.h"

#include <cstring>

#include "common/bounded_format.h"

namespace oemun {
namespace {

// Most names one request carries; the walker asks far fewer.
constexpr size_t kMaxRequestNames = 32;

const char *PduName(uint8_t bPduType) {
    switch (bPduType) {
    case kPduGet:
        return "GET";
    case kPduGetNext:
        return "GETNEXT";
    case kPduGetBulk:
        return "GETBULK";
    default:
        return "PDU";
    }
}

// A request id no earlier run in this process or a neighbour is likely to
// have used, so stray late answers of other runs do not match.
int32_t FirstRequestId() {
    LARGE_INTEGER counter = {};
    QueryPerformanceCounter(&counter);
    const uint32_t u = static_cast<uint32_t>(counter.QuadPart) ^ (GetCurrentProcessId() << 12) ^
                       static_cast<uint32_t>(GetTickCount64() << 20);
    const int32_t l = static_cast<int32_t>(u & 0x3FFFFFFF);
    return l == 0 ? 1 : l;
}

}  // namespace

SnmpClient::SnmpClient(const sockaddr_in &target, const char *pszCommunity, const ExchangeLimits &limits,
                       ULONGLONG ullDeadline, TraceFn pfnTrace, void *pTraceContext)
    : m_target(target),
      m_pszCommunity(pszCommunity),
      m_limits(limits),
      m_ullDeadline(ullDeadline),
      m_pfnTrace(pfnTrace),
      m_pTraceContext(pTraceContext),
      m_lNextRequestId(FirstRequestId()) {}

SnmpClient::~SnmpClient() {
    if (m_socket != INVALID_SOCKET) closesocket(m_socket);
    if (m_pBuffer != nullptr) HeapFree(GetProcessHeap(), 0, m_pBuffer);
}

bool SnmpClient::Open() {
    m_pBuffer = static_cast<uint8_t *>(HeapAlloc(GetProcessHeap(), 0, kReceiveBufferSize));
    if (m_pBuffer == nullptr) return false;
    m_socket = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    return m_socket != INVALID_SOCKET;
}

void SnmpClient::Trace(const char *pszLine) const { oemun::Trace(m_pfnTrace, m_pTraceContext, pszLine); }

ExchangeResult SnmpClient::Exchange(int32_t lVersion, uint8_t bPduType, int32_t lNonRepeaters,
                                    int32_t lMaxRepetitions, const Oid *const *ppNames, size_t cNames,
                                    Message *pReply) {
    if (m_socket == INVALID_SOCKET || cNames > kMaxRequestNames || pReply == nullptr) return ExchangeResult::kFailed;
    VarBindOut aNames[kMaxRequestNames];
    for (size_t i = 0; i < cNames; ++i) aNames[i] = {ppNames[i], kTagNull, nullptr, 0};
    const int32_t lRequestId = m_lNextRequestId;
    m_lNextRequestId = m_lNextRequestId >= 0x3FFFFFFF ? 1 : m_lNextRequestId + 1;
    const MessageOut request = {lVersion, m_pszCommunity, bPduType, lRequestId,
                                lNonRepeaters, lMaxRepetitions, aNames, cNames};
    uint8_t abRequest[4096];
    const size_t cbRequest = EncodeMessage(request, abRequest, sizeof(abRequest));
    if (cbRequest == 0) return ExchangeResult::kFailed;

    for (DWORD dwTry = 0; dwTry <= m_limits.dwRetries; ++dwTry) {
        const ULONGLONG ullNow = GetTickCount64();
        if (ullNow >= m_ullDeadline) break;
        if (m_pfnTrace != nullptr) {
            char szLine[160];
            oemui::FormatCbA(szLine, sizeof(szLine), "-> %s %s, %u name(s), request id %ld%s",
                             lVersion == kSnmpV1 ? "v1" : "v2c", PduName(bPduType), static_cast<unsigned>(cNames),
                             static_cast<long>(lRequestId), dwTry != 0 ? " (again)" : "");
            Trace(szLine);
            for (size_t i = 0; dwTry == 0 && i < cNames; ++i) {
                char szName[160];
                FormatOid(*ppNames[i], szName, sizeof(szName));
                oemui::FormatCbA(szLine, sizeof(szLine), "   asks %s", szName);
                Trace(szLine);
            }
        }
        // The same id on every try: a late answer to an earlier try counts.
        if (sendto(m_socket, reinterpret_cast<const char *>(abRequest), static_cast<int>(cbRequest), 0,
                   reinterpret_cast<const sockaddr *>(&m_target), sizeof(m_target)) == SOCKET_ERROR) {
            Trace("   the request could not be sent");
            return ExchangeResult::kFailed;
        }
        ULONGLONG ullUntil = ullNow + m_limits.dwTimeoutMs;
        if (ullUntil > m_ullDeadline) ullUntil = m_ullDeadline;
        if (Wait(ullUntil, pReply, lVersion, lRequestId)) return ExchangeResult::kAnswered;
    }
    Trace("   no answer");
    return ExchangeResult::kSilent;
}

bool SnmpClient::Wait(ULONGLONG ullUntil, Message *pReply, int32_t lVersion, int32_t lRequestId) {
    const size_t cbCommunity = std::strlen(m_pszCommunity);
    for (;;) {
        const ULONGLONG ullNow = GetTickCount64();
        if (ullNow >= ullUntil) return false;
        const ULONGLONG ullLeft = ullUntil - ullNow;
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(m_socket, &readable);
        timeval tv;
        tv.tv_sec = static_cast<long>(ullLeft / 1000);
        tv.tv_usec = static_cast<long>((ullLeft % 1000) * 1000);
        const int ready = select(0, &readable, nullptr, nullptr, &tv);
        if (ready == SOCKET_ERROR) return false;
        if (ready == 0) continue;

        sockaddr_in from = {};
        int cbFrom = sizeof(from);
        const int cb = recvfrom(m_socket, reinterpret_cast<char *>(m_pBuffer), static_cast<int>(kReceiveBufferSize), 0,
                                reinterpret_cast<sockaddr *>(&from), &cbFrom);
        if (cb == SOCKET_ERROR) {
            // An oversized datagram, or the system reporting that an earlier
            // datagram found no listener: neither is an answer.
            const int err = WSAGetLastError();
            if (err != WSAEMSGSIZE && err != WSAECONNRESET) return false;
            ++m_dwDropped;
            continue;
        }
        const char *pszWhy = nullptr;
        if (cbFrom < static_cast<int>(sizeof(from)) || from.sin_family != AF_INET ||
            from.sin_addr.s_addr != m_target.sin_addr.s_addr || from.sin_port != m_target.sin_port) {
            pszWhy = "from another sender";
        } else if (!DecodeMessage(m_pBuffer, static_cast<size_t>(cb), pReply)) {
            pszWhy = "malformed";
        } else if (pReply->bPduType != kPduResponse) {
            pszWhy = "not a response";
        } else if (pReply->lRequestId != lRequestId) {
            pszWhy = "another request id";
        } else if (pReply->lVersion != lVersion) {
            pszWhy = "another version";
        } else if (pReply->cbCommunity != cbCommunity ||
                   std::memcmp(pReply->pCommunity, m_pszCommunity, cbCommunity) != 0) {
            pszWhy = "another community";
        }
        if (pszWhy == nullptr) return true;
        ++m_dwDropped;
        if (m_pfnTrace != nullptr) {
            char szLine[96];
            oemui::FormatCbA(szLine, sizeof(szLine), "   dropped a datagram of %d bytes: %s", cb, pszWhy);
            Trace(szLine);
        }
    }
}

}  // namespace oemun
