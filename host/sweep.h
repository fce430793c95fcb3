// The fault-injection sweep: each scenario is played once to count the calls
// of every fallible import, then replayed once per (import, call) with that
// call failing, each replay in a child process of its own under a watchdog.
// A replay must survive (no crash, no hang), close every dialog, delete every
// GDI object it created, and leave each session's stored settings either as
// they were or as the uninjected run left them.
#pragma once

#include <string>
#include <vector>

namespace oemuihost {

struct SweepOptions {
    std::vector<std::wstring> scenarios;
    std::wstring dllPath;
    std::vector<std::string> imports;  // empty: every import of the table
    bool allCalls = false;             // --calls all
    bool firstCall = true;             // --calls first,last (the default), first or last
    bool lastCall = true;
    bool json = false;
    unsigned long timeoutMs = 60000;   // a replay running longer is a hang
};

// Exit code 0 when no replay crashed, hung, tore a write or leaked.
int RunSweep(const SweepOptions &options);

// The hidden child: plays one scenario with one injection (or none) and
// writes what it saw to resultPath.
int RunSweepChild(const std::wstring &scenarioPath, const std::wstring &dllPath, const std::wstring &target,
                  const std::wstring &resultPath);

}  // namespace oemuihost
