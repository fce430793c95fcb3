// The settings of the separate job-status alert tool: whether it runs and how
// often it polls the printer, kept in the printer's data.
#pragma once

#include <windows.h>

namespace oemui {

struct ModelConfig;

constexpr DWORD kOutriderEnableDefault = 1;
constexpr DWORD kOutriderIntervalDefault = 5;
constexpr DWORD kOutriderIntervalMin = 1;
constexpr DWORD kOutriderIntervalMax = 60;

// The interval the alert tool may be given for a typed value: 0 (also empty
// or unreadable) gives the minimum, anything above the maximum the maximum.
DWORD ClampOutriderInterval(LONGLONG llTyped);

// Runs the alert settings dialog (3027, or 3502 on right-to-left systems)
// owned by hOwner. Returns 1 for OK, 2 for Cancel.
INT_PTR RunOutriderSettingsDialog(HWND hOwner, ModelConfig *pConfig);

}  // namespace oemui
