// What the looking and set-up steps (expect, dump dialog, screenshot, seed)
// may see of a running scenario.
#pragma once

#include <windows.h>

#include <string>

#include "host/driver_devmode.h"
#include "host/report.h"
#include "host/side_effects.h"

namespace oemuihost {

class Session;

struct StepContext {
    Report *pReport = nullptr;
    Session *pSession = nullptr;                // an open sheet's session, or null
    HWND hDialog = nullptr;                     // the modal dialog being driven, or null
    HWND hSheet = nullptr;                      // the open sheet's window, or null
    const DriverDevMode *pLastDevMode = nullptr;  // the last closed sheet's device mode
    std::wstring printer;                       // the scenario's printer, or empty
    const CallLog *pLog = nullptr;
};

// The window control steps act on: the driven dialog, else the sheet's
// current page. Null (and *pError) when there is neither.
HWND TargetWindow(const StepContext &ctx, std::wstring *pError);

// The device mode steps look at: the open sheet's, else the last sheet's.
const DriverDevMode *CurrentDevMode(const StepContext &ctx);

}  // namespace oemuihost
