// Plays scenario text against the built plug-in, for the emulator's tests.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "host/plugin_host.h"
#include "host/scenario.h"
#include "host/scenario_runner.h"

namespace oemuihost {

// Runs scenario text; returns the exit code (-1 when it does not parse).
inline int RunText(const std::wstring &text, Report *pReport) {
    Scenario scenario;
    std::wstring error;
    if (!ParseScenario(text, &scenario, &error)) {
        ADD_FAILURE() << "scenario does not parse: " << std::string(error.begin(), error.end());
        return -1;
    }
    RunOptions options;
    options.dllPath = ExecutableDirectory() + L"OEMUI.DLL";
    return RunScenario(scenario, options, *pReport);
}

inline bool HasText(const Report &report, const std::wstring &kind, const std::wstring &part) {
    for (const ReportEntry &e : report.Entries())
        if (e.kind == kind && e.text.find(part) != std::wstring::npos) return true;
    return false;
}

inline std::string Narrow(const std::wstring &s) { return std::string(s.begin(), s.end()); }

}  // namespace oemuihost
