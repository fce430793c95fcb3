#include "optiontree/printer_values.h"

#include <winspool.h>

#include "common/bounded_format.h"

namespace oemui {

bool GetPrinterDword(HANDLE hPrinter, const wchar_t *pszValue, DWORD *pdwData) {
    if (hPrinter == nullptr || pdwData == nullptr) return false;
    DWORD dwType = 0;
    DWORD dwData = 0;
    DWORD cbNeeded = 0;
    if (GetPrinterDataW(hPrinter, const_cast<LPWSTR>(pszValue), &dwType, reinterpret_cast<BYTE *>(&dwData),
                        sizeof(dwData), &cbNeeded) != ERROR_SUCCESS) {
        return false;
    }
    *pdwData = dwData;
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
