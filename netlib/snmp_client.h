// SNMP requests over a Winsock UDP socket: one question, one matching answer,
// within a bounded time. The caller has started Winsock.
#pragma once

#include <winsock2.h>

#include <cstdint>

#include "ber.h"

namespace oemun {

// How long to wait and how often to ask (see settings.h for the bounds).
struct ExchangeLimits {
    DWORD dwTimeoutMs;  // per try
    DWORD dwRetries;    // further tries after the first
};

enum class ExchangeResult {
    kAnswered,  // *pReply holds the matching response
    kSilent,    // nothing acceptable arrived in time
    kFailed,    // the socket could not be used
};

// Receives every text line a session wants to show (requests sent, replies
// dropped); used by the support tool, null in the library.
using TraceFn = void (*)(void *pContext, const char *pszLine);

// One line to the trace, when there is one (the probe command prints them;
// the library's own runs pass none).
inline void Trace(TraceFn pfn, void *pContext, const char *pszLine) {
    if (pfn != nullptr) pfn(pContext, pszLine);
}

class SnmpClient {
public:
    SnmpClient(const sockaddr_in &target, const char *pszCommunity, const ExchangeLimits &limits,
               ULONGLONG ullDeadline, TraceFn pfnTrace, void *pTraceContext);
    ~SnmpClient();
    SnmpClient(const SnmpClient &) = delete;
    SnmpClient &operator=(const SnmpClient &) = delete;

    bool Open();

    // Sends a GET, GETNEXT or GETBULK for the names given (NULL values) and
    // waits for the response with the same request id from the target's
    // address and port, with the same version and community. The reply is
    // decoded into *pReply, which points into this client's buffer and stays
    // valid until the next exchange.
    ExchangeResult Exchange(int32_t lVersion, uint8_t bPduType, int32_t lNonRepeaters, int32_t lMaxRepetitions,
                            const Oid *const *ppNames, size_t cNames, Message *pReply);

    // Datagrams that arrived and were not the answer (wrong sender, id,
    // version, community or shape), over the client's life.
    DWORD Dropped() const { return m_dwDropped; }

private:
    bool Wait(ULONGLONG ullUntil, Message *pReply, int32_t lVersion, int32_t lRequestId);
    void Trace(const char *pszLine) const;

    sockaddr_in m_target;
    const char *m_pszCommunity;
    ExchangeLimits m_limits;
    ULONGLONG m_ullDeadline;  // GetTickCount64 value after which nothing more is sent or awaited
    TraceFn m_pfnTrace;
    void *m_pTraceContext;
    SOCKET m_socket = INVALID_SOCKET;
    int32_t m_lNextRequestId;
    uint8_t *m_pBuffer = nullptr;
    DWORD m_dwDropped = 0;
};

// Size of the receive buffer: larger datagrams are dropped.
constexpr size_t kReceiveBufferSize = 16384;

}  // namespace oemun
