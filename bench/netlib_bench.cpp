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
#include <map>
#include <string>
#include <vector>

#include "bench_support.h"
#include "netlib/test_agents.h"
#include "netlib_runs.h"
#include "settings.h"
#include "snmp_client.h"

namespace {

struct Figures {
    double dMin, dMedian, dMax;
    int nResult;
};

// n whole runs: load, call with the plug-in's full request, unload.
Figures Runs(const bench::LibraryCopy &library, int n, bool bCall = true) {
    std::vector<double> times;
    int nResult = -1;
    for (int i = 0; i < n; ++i) times.push_back(library.RunMs(bCall, &nResult));
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
        const double t0 = bench::NowMs();
        if (client.Exchange(oemun::kSnmpV2c, oemun::kPduGet, 0, 0, names, 1, &reply) != oemun::ExchangeResult::kAnswered)
            return -1;
        best = std::min(best, bench::NowMs() - t0);
    }
    return best;
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

    bench::LibraryCopy library;
    std::wstring error;
    if (!library.Prepare(L"oemun_bench", &error)) {
        std::fprintf(stderr, "%ls\n", error.c_str());
        return 1;
    }

    oemun::Settings defaults;
    oemun::DefaultSettings(&defaults);
    std::printf("SNMP_AutoUpdate, whole runs (load, call, unload), default settings: time-out %lu ms, %lu retry\n",
                static_cast<unsigned long>(defaults.dwTimeoutMs), static_cast<unsigned long>(defaults.dwRetries));

    const double floor = BareRoundTrip(agents.at("duplex_disk_stapler"));
    library.SetAgentPort(agents.at("duplex_disk_stapler"));
    Runs(library, 2);  // first loads of the DLL from disk
    Figures f = Runs(library, 30);
    std::printf("  live v2c agent, 30 runs:   median %7.1f ms, min %7.1f, max %7.1f  (goal 50 ms; result %d)\n",
                f.dMedian, f.dMin, f.dMax, f.nResult);
    std::printf("    bare round trip to the agent %.2f ms; a run costs %.1f round trips\n", floor, f.dMedian / floor);
    const Figures load = Runs(library, 30, false);
    std::printf("    loading and unloading the library alone: median %.1f ms (%.0f%% of a run)\n", load.dMedian,
                100.0 * load.dMedian / f.dMedian);

    library.SetAgentPort(agents.at("v1_only"));
    f = Runs(library, 5);
    std::printf("  v1-only agent, 5 runs:     median %7.1f ms, min %7.1f, max %7.1f  (the v2c question waits out its time-out first; result %d)\n",
                f.dMedian, f.dMin, f.dMax, f.nResult);

    testagents::SilentSocket silent;
    library.SetAgentPort(silent.Port());
    f = Runs(library, 3);
    const double waits = 2.0 * defaults.dwTimeoutMs * (defaults.dwRetries + 1);
    std::printf("  silent socket, 3 runs:     median %7.1f ms, min %7.1f, max %7.1f  (goal 1500 ms; the settings' waits add up to %.0f ms; result %d)\n",
                f.dMedian, f.dMin, f.dMax, waits, f.nResult);

    WSACleanup();
    return 0;
}
