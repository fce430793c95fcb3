#include <winsock2.h>

#include "host/probe.h"

#include <string>

#include "auto_update.h"
#include "host/console.h"
#include "host/scenario_runner.h"
#include "settings.h"

namespace oemuihost {
namespace {

void PrintLine(void *, const char *pszLine) { Print(L"  " + FromUtf8(pszLine) + L"\n"); }

std::string Narrow(const std::wstring &text) {
    char sz[512] = {};
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, sz, sizeof(sz) - 1, nullptr, nullptr);
    return sz;
}

std::wstring Word(const wchar_t *pszName, SHORT sValue) {
    return L"  " + std::wstring(pszName) + L": " + std::to_wstring(sValue) +
           (sValue < 0 ? L" (not answered)\n" : L"\n");
}

}  // namespace

int RunProbe(const ProbeOptions &options) {
    oemun::Settings settings;
    if (options.settingsPath.empty())
        oemun::DefaultSettings(&settings);
    else
        oemun::LoadSettings(options.settingsPath.c_str(), &settings);
    for (const auto &setting : options.overrides)
        oemun::ApplySetting(&settings, setting.first.c_str(), setting.second.c_str());

    Print(L"Probe of " + options.target + L"\n  settings: community \"" + FromUtf8(settings.szCommunity) +
          L"\", UDP port " + std::to_wstring(settings.wPort) + L", time-out " + std::to_wstring(settings.dwTimeoutMs) +
          L" ms, " + std::to_wstring(settings.dwRetries) + L" retries" +
          (options.settingsPath.empty() ? std::wstring(L" (defaults)") : L" (from " + options.settingsPath + L")") +
          L"\n");

    const std::string target = Narrow(options.target);
    in_addr addr = {};
    if (!oemun::ParseTargetAddress(target.c_str(), &addr) &&
        !oemun::ResolvePortTarget(target.c_str(), &addr, &PrintLine, nullptr)) {
        Print(L"No printer to ask: the library would answer 0 without sending anything.\n");
        return kExitFailure;
    }
    // The request the plug-in sends for a driver that offers every option.
    oemui::NetLibRecord record = {};
    record.sReserved0 = record.sReserved2 = record.sReserved10 = record.sReserved14 = record.sReserved18 = -1;
    const SHORT sResult = oemun::RunAutoUpdate(addr, settings, &record, &PrintLine, nullptr);
    Print(L"Record the library would return (result " + std::to_wstring(sResult) + L"):\n");
    if (sResult == 0) {
        Print(L"  nothing: the plug-in changes no option\n");
        return kExitFailure;
    }
    Print(Word(L"offset 4, tray configuration", record.sTrayConfig) + Word(L"offset 6, duplex unit", record.sDuplexUnit) +
          Word(L"offset 8, hard disk", record.sHardDisk) + Word(L"offset 16, finisher", record.sFinisher));
    return kExitOk;
}

}  // namespace oemuihost
