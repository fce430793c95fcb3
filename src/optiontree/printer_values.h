// Printer-data values the option tree reads and writes, with the one form
// each is stored in. Failures are silent: a value that cannot be read is
// absent, one that cannot be written is left as it was.
#pragma once

#include <windows.h>

namespace oemui {

constexpr wchar_t kHddSettingValue[] = L"HDD_SETTING";
constexpr wchar_t kOemUiValue[] = L"OEMUI_VALUE";
constexpr wchar_t kJobAccountIdValue[] = L"JOBACCOUNT_ID";
constexpr wchar_t kJobAccountPwValue[] = L"JOBACCOUNT_PW";

// A 4-byte REG_DWORD; false when it cannot be read.
bool GetPrinterDword(HANDLE hPrinter, const wchar_t *pszValue, DWORD *pdwData);
void SetPrinterDword(HANDLE hPrinter, const wchar_t *pszValue, DWORD dwData);

// REG_SZ of at most cchMax characters, stored without its terminator (the
// alert tool and the dialogs read it into zero-filled buffers).
void SetPrinterText(HANDLE hPrinter, const wchar_t *pszValue, const wchar_t *pszText, size_t cchMax);

}  // namespace oemui
