// Runs a scenario against the plug-in: loads it, publishes the helper,
// executes the steps in order and reports everything; a step that cannot be
// carried out stops the run with an error naming its line.
#pragma once

#include <string>

#include "host/report.h"
#include "host/scenario.h"

namespace oemuihost {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;        // the plug-in or a printer could not be set up
constexpr int kExitScenarioError = 2;  // a step that is wrong or makes no sense

struct RunOptions {
    std::wstring dllPath;          // empty: the plug-in the printer's driver names ([OEMFiles])
    std::wstring printerOverride;  // use this printer; "model" steps install nothing
    bool keepPrinters = false;     // leave the temporary printers installed
};

int RunScenario(const Scenario &scenario, const RunOptions &options, Report &report);

// "model" argument → folder: as given when it exists, else under the sample models.
std::wstring ResolveModelDirectory(const std::wstring &dir);
// The printer name a model folder is installed under.
std::wstring TemporaryPrinterName(const std::wstring &modelDir);

}  // namespace oemuihost
