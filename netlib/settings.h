// The library's own settings: how to reach a printer's SNMP agent and how
// long to wait for it. Read from the INI file beside the library (its name
// with ".INI" in place of ".DLL"), section [SNMP]; every value is optional and
// clamped to bounds that keep a printer-properties sheet responsive.
#pragma once

#include <windows.h>

namespace oemun {

constexpr size_t kMaxCommunity = 32;

struct Settings {
    char szCommunity[kMaxCommunity + 1];  // printable ASCII, 1 to 32 characters
    WORD wPort;                           // UDP port of the agent
    DWORD dwTimeoutMs;                    // wait for one answer
    DWORD dwRetries;                      // tries after the first one
};

// Defaults and bounds (documented in netlib/README.md).
constexpr WORD kDefaultPort = 161;
constexpr DWORD kDefaultTimeoutMs = 250;
constexpr DWORD kMinTimeoutMs = 10;
constexpr DWORD kMaxTimeoutMs = 5000;
constexpr DWORD kDefaultRetries = 1;
constexpr DWORD kMaxRetries = 5;

void DefaultSettings(Settings *pSettings);

// Reads section [SNMP] of pszIniPath over the defaults: Community, Port,
// Timeout (milliseconds), Retries. A value that is not a number (or not a
// usable community) keeps the default; a number out of bounds is clamped to
// the nearest bound (a port outside 1..65535 keeps the default).
void LoadSettings(const wchar_t *pszIniPath, Settings *pSettings);

// The module (DLL or program) this code is linked into.
HMODULE ModuleOfThisCode();

// One value by its key, with the same checks and bounds as LoadSettings.
void ApplySetting(Settings *pSettings, const wchar_t *pszKey, const wchar_t *pszValue);

// The INI beside a module: its path with the extension replaced by ".INI".
bool SettingsPathBeside(HMODULE hModule, wchar_t *pszPath, DWORD cchPath);

// Longest the questions of a run may take with these settings: four full
// exchanges. A printer that answers slowly but keeps answering cannot hold
// the caller longer than that; a port set up by host name adds its lookup
// before them, at most oemui::kResolveWaitMs.
ULONGLONG RunBudgetMs(const Settings &settings);

}  // namespace oemun
