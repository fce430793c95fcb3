#include "auto_update.h"

#include <cstring>
#include <new>

#include "common/bounded_format.h"
#include "settings/host_address.h"
#include "settings/port_address.h"

namespace oemun {
namespace {

const char *ResultText(QueryResult result) {
    switch (result) {
    case QueryResult::kAnswered:
        return "the agent answered";
    case QueryResult::kSilent:
        return "no answer in time";
    case QueryResult::kRefused:
        return "the agent refused the request";
    default:
        return "the request could not be sent";
    }
}

}  // namespace

bool ResolvePortTarget(const char *pszPortName, in_addr *pAddr, TraceFn pfnTrace, void *pTraceContext) {
    if (pszPortName == nullptr || pAddr == nullptr) return false;
    size_t cb = 0;
    while (cb <= kMaxPortName && pszPortName[cb] != '\0') ++cb;
    if (cb == 0 || cb > kMaxPortName) return false;

    wchar_t szPort[kMaxPortName + 1] = {};
    if (MultiByteToWideChar(CP_ACP, 0, pszPortName, -1, szPort, kMaxPortName + 1) <= 0) return false;
    wchar_t szAddress[oemui::kAddressCch] = {};
    if (!oemui::LookupPortAddress(szPort, szAddress) || szAddress[0] == L'\0') {
        Trace(pfnTrace, pTraceContext, "the port has no network address");
        return false;
    }
    char szText[oemui::kAddressCch] = {};
    if (WideCharToMultiByte(CP_ACP, 0, szAddress, -1, szText, sizeof(szText), nullptr, nullptr) <= 0) return false;
    char szLine[320];
    oemui::FormatCbA(szLine, sizeof(szLine), "the port's address: %s", szText);
    Trace(pfnTrace, pTraceContext, szLine);
    if (ParseTargetAddress(szText, pAddr)) return true;

    // A port set up with a name where the address belongs: resolve it as the
    // plug-in does, but only a name that can be one. The caller's user
    // interface waits for this run, so the resolver gets no longer than the
    // plug-in's own lookup gives it; past that the name counts as unknown.
    const oemui::HostAddressKind kind = oemui::ClassifyHostAddress(szText);
    if (kind == oemui::HostAddressKind::kIPv6) {
        Trace(pfnTrace, pTraceContext, "that is an IPv6 address: the library asks over IPv4 only");
        return false;
    }
    if (kind != oemui::HostAddressKind::kHostName) {
        Trace(pfnTrace, pTraceContext, "that is neither an IPv4 address nor a host name");
        return false;
    }
    wchar_t szResolved[oemui::kAddressCch] = {};
    oemui::ResolveHostNameWithin(szAddress, szResolved, oemui::kResolveWaitMs);
    char szDotted[oemui::kAddressCch] = {};
    if (WideCharToMultiByte(CP_ACP, 0, szResolved, -1, szDotted, sizeof(szDotted), nullptr, nullptr) <= 0 ||
        !ParseTargetAddress(szDotted, pAddr)) {
        Trace(pfnTrace, pTraceContext, "the host name does not resolve to a usable address");
        return false;
    }
    oemui::FormatCbA(szLine, sizeof(szLine), "resolved to %s", szDotted);
    Trace(pfnTrace, pTraceContext, szLine);
    return true;
}

SHORT RunAutoUpdate(const in_addr &addr, const Settings &settings, oemui::NetLibRecord *pRecord, TraceFn pfnTrace,
                    void *pTraceContext) {
    if (pRecord == nullptr) return 0;
    const Questions questions = {pRecord->sTrayConfig == 0, pRecord->sDuplexUnit == 0, pRecord->sHardDisk == 0,
                                 pRecord->sFinisher == 0};
    if (!questions.bTrays && !questions.bDuplex && !questions.bDisk && !questions.bFinisher) {
        Trace(pfnTrace, pTraceContext, "nothing was asked");
        return 0;
    }
    WSADATA wsaData;
    if (WSAStartup(MAKEWORD(2, 2), &wsaData) != 0) {
        Trace(pfnTrace, pTraceContext, "Winsock could not be started");
        return 0;
    }
    sockaddr_in target = {};
    target.sin_family = AF_INET;
    target.sin_addr = addr;
    target.sin_port = htons(settings.wPort);
    PrinterTables *pTables = new (std::nothrow) PrinterTables;
    const QueryResult result = pTables != nullptr
                                   ? ReadPrinterTables(target, settings, questions, pTables, pfnTrace, pTraceContext)
                                   : QueryResult::kFailed;
    WSACleanup();
    Trace(pfnTrace, pTraceContext, ResultText(result));

    SHORT sResult = 0;
    if (result == QueryResult::kAnswered) {
        const Answers answers = MapAnswers(questions, *pTables);
        // Only what was asked is written, and only when something is known:
        // a printer that says nothing leaves the record as it came.
        if (answers.sTrayConfig >= 0 || answers.sDuplexUnit >= 0 || answers.sHardDisk >= 0 || answers.sFinisher >= 0) {
            if (questions.bTrays) pRecord->sTrayConfig = answers.sTrayConfig;
            if (questions.bDuplex) pRecord->sDuplexUnit = answers.sDuplexUnit;
            if (questions.bDisk) pRecord->sHardDisk = answers.sHardDisk;
            if (questions.bFinisher) pRecord->sFinisher = answers.sFinisher;
            sResult = 1;
        }
    }
    delete pTables;
    return sResult;
}

}  // namespace oemun
