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

PrinterValue TextValue(const wchar_t *pszName, const wchar_t *pszText, size_t cchMax) {
    const size_t cch = pszText != nullptr ? LengthCchW(pszText, cchMax) : 0;
    return {pszName, REG_SZ, pszText, static_cast<DWORD>(cch * sizeof(wchar_t))};
}

namespace {

// What a value held before a set was written, to put it back.
class KeptValue {
public:
    KeptValue() = default;
    ~KeptValue() {
        if (m_pHeap != nullptr) HeapFree(GetProcessHeap(), 0, m_pHeap);
    }
    KeptValue(const KeptValue &) = delete;
    KeptValue &operator=(const KeptValue &) = delete;

    // False when the value is there but cannot be read whole.
    bool Keep(HANDLE hPrinter, const wchar_t *pszName) {
        m_pszName = pszName;
        DWORD cbNeeded = 0;
        DWORD err = GetPrinterDataW(hPrinter, const_cast<LPWSTR>(pszName), &m_dwType, m_abSmall, sizeof(m_abSmall),
                                    &cbNeeded);
        if (err == ERROR_FILE_NOT_FOUND) {
            m_bAbsent = true;
            return true;
        }
        if (err == ERROR_SUCCESS) {
            m_cb = cbNeeded;
            return cbNeeded <= sizeof(m_abSmall);
        }
        if (err != ERROR_MORE_DATA || cbNeeded <= sizeof(m_abSmall)) return false;
        m_pHeap = static_cast<BYTE *>(HeapAlloc(GetProcessHeap(), 0, cbNeeded));
        if (m_pHeap == nullptr) return false;
        const DWORD cbBuffer = cbNeeded;
        err = GetPrinterDataW(hPrinter, const_cast<LPWSTR>(pszName), &m_dwType, m_pHeap, cbBuffer, &cbNeeded);
        m_cb = cbNeeded;
        return err == ERROR_SUCCESS && cbNeeded <= cbBuffer;
    }
    bool PutBack(HANDLE hPrinter) const {
        if (m_bAbsent) {
            const DWORD err = DeletePrinterDataW(hPrinter, const_cast<LPWSTR>(m_pszName));
            return err == ERROR_SUCCESS || err == ERROR_FILE_NOT_FOUND;
        }
        return SetPrinterDataW(hPrinter, const_cast<LPWSTR>(m_pszName), m_dwType,
                               const_cast<BYTE *>(m_pHeap != nullptr ? m_pHeap : m_abSmall), m_cb) == ERROR_SUCCESS;
    }

private:
    const wchar_t *m_pszName = nullptr;
    bool m_bAbsent = false;
    DWORD m_dwType = 0;
    DWORD m_cb = 0;
    BYTE m_abSmall[160] = {};
    BYTE *m_pHeap = nullptr;
};

constexpr size_t kMaxValuesTogether = 4;

}  // namespace

bool SetPrinterValues(HANDLE hPrinter, const PrinterValue *pValues, size_t count) {
    if (hPrinter == nullptr || pValues == nullptr || count == 0 || count > kMaxValuesTogether) return false;
    KeptValue kept[kMaxValuesTogether];
    // The last value is never put back: its failed write left it as it was.
    for (size_t i = 0; i + 1 < count; ++i)
        if (!kept[i].Keep(hPrinter, pValues[i].pszName)) return false;
    for (size_t i = 0; i < count; ++i) {
        const PrinterValue &v = pValues[i];
        if (SetPrinterDataW(hPrinter, const_cast<LPWSTR>(v.pszName), v.dwType,
                            static_cast<BYTE *>(const_cast<void *>(v.pData)), v.cbData) == ERROR_SUCCESS) {
            continue;
        }
        for (size_t j = i; j-- > 0;) kept[j].PutBack(hPrinter);
        return false;
    }
    return true;
}

}  // namespace oemui
