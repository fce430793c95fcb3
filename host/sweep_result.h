// The sweep child's result file, read by the parent: what one replay left.
//
//   checkpoint open|opened|seeded|step|close|end   then its "state\tNAME\tVALUE"
//                                         and "unset\tNAME" lines
//   calls IMPORT N | injected 0|1 | gdi CREATED LIVE | windows N TITLES
//   unclassified IMPORT | crash CODE PLACE | report|error TEXT | exit N | done
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "host/stored_state.h"

namespace oemuihost {

// What one child run left in its result file.
struct ChildRun {
    bool started = false;
    bool done = false;
    bool hung = false;
    bool crashed = false;
    DWORD exitCode = 0;
    bool injected = false;
    long gdiCreated = 0, gdiLive = 0;
    int windowsOpen = 0;
    std::wstring windowTitles;
    std::map<std::string, long> calls;
    std::vector<std::wstring> unclassified;
    std::vector<std::wstring> errors;
    // Per session: the state as it opened and as it closed (or as the run ended).
    std::vector<std::pair<StoredState, StoredState>> sessions;
    // Per session: what each value held after some step (the uninjected run only).
    std::vector<HeldValues> held;
    DWORD ms = 0;
};

// Import names are ASCII.
inline std::string Narrow(const std::wstring &s) { return std::string(s.begin(), s.end()); }

// Reads the lines of a result file into pRun (started is left as it is).
void ParseChildResult(const std::vector<std::wstring> &lines, ChildRun *pRun);

}  // namespace oemuihost
