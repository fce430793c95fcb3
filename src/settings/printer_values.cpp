#include "settings/printer_values.h"

#include <winspool.h>

#include "common/bounded_format.h"

namespace oemui {

bool GetPrinterDword(HANDLE hPrinter, const wchar_t *pszValue, DWORD *pdwData) {
    if (hPrinter == nullptr || pszValue == nullptr || pdwData == nullptr) return false;
    // Room for more than a DWORD, so that a longer value is seen as such
    // rather than failing as "more data".
    BYTE data[16] = {};
    DWORD dwType = 0;
    DWORD cbNeeded = 0;
    if (GetPrinterDataW(hPrinter, const_cast<LPWSTR>(pszValue), &dwType, data, sizeof(data), &cbNeeded) !=
        ERROR_SUCCESS) {
        return false;
    }
    if (dwType != REG_DWORD || cbNeeded != sizeof(DWORD)) return false;
    CopyMemory(pdwData, data, sizeof(DWORD));
    return true;
}

void SetPrinterDword(HANDLE hPrinter, const wchar_t *pszValue, DWORD dwData) {
    if (hPrinter == nullptr) return;
    SetPrinterDataW(hPrinter, const_cast<LPWSTR>(pszValue), REG_DWORD, reinterpret_cast<BYTE *>(&dwData),
                    sizeof(dwData));
}

void SetPrinterText(HANDLE hPrinter, const wchar_t *pszValue, const wchar_t *pszText, size_t cchMax) {
    if (hPrinter == nullptr || pszText == nullptr) return;
    const size_t cch = LengthCchW(pszText, cchMax);
    SetPrinterDataW(hPrinter, const_cast<LPWSTR>(pszValue), REG_SZ,
                    reinterpret_cast<BYTE *>(const_cast<wchar_t *>(pszText)),
                    static_cast<DWORD>(cch * sizeof(wchar_t)));
}

}  // namespace oemui
