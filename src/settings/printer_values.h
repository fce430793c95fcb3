// Printer-data values the plug-in reads and writes, each in the one form it is
// stored in. Failures are silent: a value that cannot be read is absent, one
// that cannot be written is left as it was.
#pragma once

#include <windows.h>

namespace oemui {

constexpr wchar_t kHddSettingValue[] = L"HDD_SETTING";
constexpr wchar_t kOemUiValue[] = L"OEMUI_VALUE";
constexpr wchar_t kJobAccountIdValue[] = L"JOBACCOUNT_ID";
constexpr wchar_t kJobAccountPwValue[] = L"JOBACCOUNT_PW";

// A REG_DWORD of exactly 4 bytes; false for a missing value and for one of
// any other type or size (a 4-byte string is not a number).
bool GetPrinterDword(HANDLE hPrinter, const wchar_t *pszValue, DWORD *pdwData);
void SetPrinterDword(HANDLE hPrinter, const wchar_t *pszValue, DWORD dwData);

// One value of a set written together.
struct PrinterValue {
    const wchar_t *pszName;
    DWORD dwType;
    const void *pData;
    DWORD cbData;
};
inline PrinterValue DwordValue(const wchar_t *pszName, const DWORD &dwData) {
    return {pszName, REG_DWORD, &dwData, sizeof(DWORD)};
}
// REG_SZ of at most cchMax characters, stored without its terminator (the
// alert tool and the dialogs read it into zero-filled buffers).
PrinterValue TextValue(const wchar_t *pszName, const wchar_t *pszText, size_t cchMax);

// Writes values that belong together (an account and its password, the
// alert switch and its interval): all of them or none. When one cannot be
// written, those written before it go back to what they held, removed when
// they had nothing, so no reader sees half of the set. Nothing is written
// when what they hold cannot be kept first. False when the set is not stored.
bool SetPrinterValues(HANDLE hPrinter, const PrinterValue *pValues, size_t count);

}  // namespace oemui
