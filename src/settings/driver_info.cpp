#include "settings/driver_info.h"

#include <winspool.h>

#include "common/bounded_format.h"

namespace oemui {

BYTE *QueryDriverInfo(HANDLE hHeap, HANDLE hPrinter, DWORD dwLevel) {
    constexpr int kMaxCalls = 5;
    BYTE *pBlock = nullptr;
    DWORD cbBlock = 0;
    for (int call = 0; call < kMaxCalls; ++call) {
        DWORD cbNeeded = 0;
        if (GetPrinterDriverW(hPrinter, nullptr, dwLevel, pBlock, cbBlock, &cbNeeded)) return pBlock;
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || cbNeeded == 0) continue;
        // Grow to what the spooler asked for. If growing fails, the old block
        // and its old size stay: the spooler is never told of more room than
        // the block has.
        BYTE *pGrown = pBlock == nullptr
                           ? static_cast<BYTE *>(HeapAlloc(hHeap, HEAP_ZERO_MEMORY, cbNeeded))
                           : static_cast<BYTE *>(
                                 HeapReAlloc(hHeap, HEAP_ZERO_MEMORY, pBlock, cbNeeded));
        if (pGrown != nullptr) {
            pBlock = pGrown;
            cbBlock = cbNeeded;
        }
    }
    if (pBlock != nullptr) HeapFree(hHeap, 0, pBlock);
    return nullptr;
}

bool DataFileStem(const wchar_t *pszDataFile, wchar_t *pszStem, size_t cchStem) {
    if (pszStem == nullptr || cchStem == 0) return false;
    pszStem[0] = L'\0';
    if (pszDataFile == nullptr) return false;
    size_t i = 0;
    for (; i + 1 < cchStem && pszDataFile[i] != L'\0' && pszDataFile[i] != L'.'; ++i)
        pszStem[i] = pszDataFile[i];
    pszStem[i] = L'\0';
    return true;
}

bool ModelIniPathForPrinter(HANDLE hPrinter, wchar_t *pszPath) {
    if (hPrinter == nullptr || pszPath == nullptr) return false;
    pszPath[0] = L'\0';
    HANDLE hHeap = GetProcessHeap();
    BYTE *pInfo = QueryDriverInfo(hHeap, hPrinter, 2);
    if (pInfo == nullptr) return false;
    wchar_t szStem[MAX_PATH];
    const auto *pDriver = reinterpret_cast<const DRIVER_INFO_2W *>(pInfo);
    const bool ok = DataFileStem(pDriver->pDataFile, szStem, MAX_PATH) &&
                    FormatCchW(pszPath, MAX_PATH, L"%su.INI", szStem) == S_OK;
    HeapFree(hHeap, 0, pInfo);
    if (!ok) pszPath[0] = L'\0';
    return ok;
}

}  // namespace oemui
