// Whole SNMP_AutoUpdate runs of the driver package's OEMUN.DLL, loaded and
// unloaded around each run as the plug-in does, with the plug-in itself
// loaded in the process as it is when it calls the library: against a live agent on this
// machine (goal: 50 ms), against a v1-only agent, and against a socket that
// never answers (goal: 1.5 s with the default settings). Live runs are also
// shown against one bare SNMP round trip to the same agent, measured here.
//
// Run it with the agents up: scripts/bench-netlib.sh
#include <winsock2.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "host/plugin_host.h"
#include "netlib/test_agents.h"
#include "optiontree/auto_config.h"
#include "settings.h"
#include "snmp_client.h"

namespace {

const std::wstring kPortKey =
    L"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports\\BENCH_NETLIB";

double Now() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) * 1000.0 / double(f.QuadPart);
}

struct Figures {
    double dMin, dMedian, dMax;
    int nResult;
};

// n whole runs: load, call with the plug-in's full request, unload.
Figures Runs(const std::wstring &dll, int n, bool bCall = true) {
    std::vector<double> times;
    int nResult = -1;
    for (int i = 0; i < n; ++i) {
        oemui::NetLibRecord record;
        std::memset(&record, 0, sizeof(record));
        record.sReserved0 = record.sReserved2 = record.sReserved10 = record.sReserved14 = record.sReserved18 = -1;
        SHORT sFlag = 1;
        const double t0 = Now();
        HMODULE h = LoadLibraryW(dll.c_str());
        auto pfn = reinterpret_cast<oemui::PFN_SNMP_AutoUpdate>(
            reinterpret_cast<void (*)()>(GetProcAddress(h, oemui::kNetLibEntryName)));
        nResult = !bCall ? 0 : pfn != nullptr ? pfn("BENCH_NETLIB", &record, &sFlag, 0) : -1;
        FreeLibrary(h);
        times.push_back(Now() - t0);
    }
    std::sort(times.begin(), times.end());
    return {times.front(), times[times.size() / 2], times.back(), nResult};
}

// One GET of sysUpTime.0 through the library's own client: the floor.
double BareRoundTrip(int port) {
    sockaddr_in target = {};
    target.sin_family = AF_INET;
    target.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    target.sin_port = htons(static_cast<u_short>(port));
    oemun::Oid name;
    oemun::ParseOid("1.3.6.1.2.1.1.3.0", &name);
    const oemun::Oid *names[] = {&name};
    double best = 1e300;
    for (int i = 0; i < 20; ++i) {
        oemun::SnmpClient client(target, "public", {1000, 0}, GetTickCount64() + 2000, nullptr, nullptr);
        if (!client.Open()) return -1;
        oemun::Message reply;
        const double t0 = Now();
        if (client.Exchange(oemun::kSnmpV2c, oemun::kPduGet, 0, 0, names, 1, &reply) != oemun::ExchangeResult::kAnswered)
            return -1;
        best = std::min(best, Now() - t0);
    }
    return best;
}

void WriteSettings(const std::wstring &ini, int port) {
    WritePrivateProfileStringW(L"SNMP", nullptr, nullptr, ini.c_str());
    WritePrivateProfileStringW(L"SNMP", L"Port", std::to_wstring(port).c_str(), ini.c_str());
}

}  // namespace

int main() {
    const std::map<std::string, int> agents = testagents::AgentPorts();
    if (agents.count("duplex_disk_stapler") == 0 || agents.count("v1_only") == 0) {
        std::fprintf(stderr, "start the agents first: scripts/bench-netlib.sh\n");
        return 1;
    }
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);

    // A private copy of the library, with its settings beside it.
    wchar_t szTemp[MAX_PATH];
    GetTempPathW(MAX_PATH, szTemp);
    const std::wstring dir = std::wstring(szTemp) + L"oemun_bench\\";
    CreateDirectoryW(dir.c_str(), nullptr);
    const std::wstring dll = dir + L"OEMUN.DLL", ini = dir + L"OEMUN.INI";
    CopyFileW((oemuihost::ExecutableDirectory() + L"..\\package\\OEMUN.DLL").c_str(), dll.c_str(), FALSE);
    HKEY hKey = nullptr;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, kPortKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey, nullptr);
    RegSetValueExW(hKey, L"IPAddress", 0, REG_SZ, reinterpret_cast<const BYTE *>(L"127.0.0.1"), 20);
    RegCloseKey(hKey);

    // The plug-in brings the spooler's DLL that the library imports too;
    // without it each run would also load and unload that.
    const std::wstring plugin = oemuihost::ExecutableDirectory() + L"..\\package\\OEMUI.DLL";
    if (LoadLibraryW(plugin.c_str()) == nullptr) {
        std::fprintf(stderr, "cannot load the driver package's OEMUI.DLL\n");
        return 1;
    }

    oemun::Settings defaults;
    oemun::DefaultSettings(&defaults);
    std::printf("SNMP_AutoUpdate, whole runs (load, call, unload), default settings: time-out %lu ms, %lu retry\n",
                static_cast<unsigned long>(defaults.dwTimeoutMs), static_cast<unsigned long>(defaults.dwRetries));

    const double floor = BareRoundTrip(agents.at("duplex_disk_stapler"));
    WriteSettings(ini, agents.at("duplex_disk_stapler"));
    Runs(dll, 2);  // first loads of the DLL from disk
    Figures f = Runs(dll, 30);
    std::printf("  live v2c agent, 30 runs:   median %7.1f ms, min %7.1f, max %7.1f  (goal 50 ms; result %d)\n",
                f.dMedian, f.dMin, f.dMax, f.nResult);
    std::printf("    bare round trip to the agent %.2f ms; a run costs %.1f round trips\n", floor, f.dMedian / floor);
    const Figures load = Runs(dll, 30, false);
    std::printf("    loading and unloading the library alone: median %.1f ms (%.0f%% of a run)\n", load.dMedian,
                100.0 * load.dMedian / f.dMedian);

    WriteSettings(ini, agents.at("v1_only"));
    f = Runs(dll, 5);
    std::printf("  v1-only agent, 5 runs:     median %7.1f ms, min %7.1f, max %7.1f  (the v2c question waits out its time-out first; result %d)\n",
                f.dMedian, f.dMin, f.dMax, f.nResult);

    testagents::SilentSocket silent;
    WriteSettings(ini, silent.Port());
    f = Runs(dll, 3);
    const double waits = 2.0 * defaults.dwTimeoutMs * (defaults.dwRetries + 1);
    std::printf("  silent socket, 3 runs:     median %7.1f ms, min %7.1f, max %7.1f  (goal 1500 ms; the settings' waits add up to %.0f ms; result %d)\n",
                f.dMedian, f.dMin, f.dMax, waits, f.nResult);

    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kPortKey.c_str());
    DeleteFileW(dll.c_str());
    DeleteFileW(ini.c_str());
    RemoveDirectoryW(dir.c_str());
    WSACleanup();
    return 0;
}
