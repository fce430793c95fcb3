// Real Wine printers for the settings tests: the sample models installed once
// per test program, a scratch model whose installed files a test rewrites, and
// a stand-in for the spooler's driver information.
#pragma once

#include <string>

#include <windows.h>

#include "host/printer_install.h"
#include "settings/model_config.h"

namespace settingsrig {

// Printer (and driver) names of the installed sample models.
constexpr wchar_t kTalix[] = L"Settings Talix C500";
constexpr wchar_t kKorvant[] = L"Settings Korvant K30";
constexpr wchar_t kSecure[] = L"Settings Korvant K45S";
constexpr wchar_t kMero[] = L"Settings Mero P45";
constexpr wchar_t kScratch[] = L"Settings Scratch";

// Installs the four samples and the scratch model; false with a message on failure.
bool InstallAll(std::wstring *pError);
void UninstallAll();

// The installed driver directory ("...\3\"), as the spooler reports it.
std::wstring DriverFilesDir();

// Rewrites a file of the installed scratch model (name relative to the driver
// directory) with raw bytes and drops the profile cache; null data deletes it.
void WriteScratchFile(const wchar_t *pszName, const void *pData, size_t cb);
void WriteScratchText(const wchar_t *pszName, const char *pszText);
// Puts the scratch model back to a plain brand-0 model with prefix SCR.
void ResetScratch();

// What a loaded context says, copied out before the context is freed.
struct Loaded {
    SHORT sBrand = -1;
    DWORD dwIsPpd = 99;
    std::wstring driverDir, prefix, languageCode;
    std::wstring datPath, iniPath, verPath, hinPath, hinSection;
    DWORD dwGraphicsCopiesSetting = 99, dwPrinterHDD = 99, dwPrinterInstalledHDD = 99;
    LONG lGrayscaleEnh = 99;
    SHORT sExtrasSecurePrint = 99;
    DWORD dwPrinterJobAccounting = 99;
};

// Opens the printer and runs LoadModelConfig on a fresh context from a
// private heap. pszNameOverride replaces the printer name the context sees.
Loaded LoadFor(const wchar_t *pszPrinter, const wchar_t *pszNameOverride = nullptr);

// Removes the per-user language key of a printer.
void ForgetLanguage(const wchar_t *pszPrinter);

// A GetPrinterDriverW stand-in that reports a DRIVER_INFO_2W whose data file
// is FakeDriver::dataFile (the printer handle is ignored).
struct FakeDriver {
    static std::wstring dataFile;
    static int calls;
    static BOOL WINAPI GetPrinterDriverW(HANDLE, LPWSTR, DWORD level, LPBYTE pBuf, DWORD cbBuf, LPDWORD pcbNeeded);
};

}  // namespace settingsrig
