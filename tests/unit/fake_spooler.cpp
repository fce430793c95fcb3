#include "unit/fake_spooler.h"

#include <winspool.h>

#include <cstring>

namespace fakespooler {
namespace {

State g_state;

// Lays a fixed record and its strings out in the caller's buffer, reporting
// the size first as the spooler does.
template <typename Info, typename Fill>
BOOL Answer(LPBYTE pBuf, DWORD cbBuf, LPDWORD pcbNeeded, size_t cchStrings, Fill fill) {
    const DWORD cb = static_cast<DWORD>(sizeof(Info) + cchStrings * sizeof(wchar_t));
    if (pcbNeeded != nullptr) *pcbNeeded = cb;
    if (pBuf == nullptr || cbBuf < cb) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    auto *pInfo = reinterpret_cast<Info *>(pBuf);
    fill(pInfo, reinterpret_cast<wchar_t *>(pBuf + sizeof(Info)));
    return TRUE;
}

wchar_t *Place(wchar_t *&pNext, const std::wstring &text) {
    wchar_t *p = pNext;
    std::memcpy(p, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    pNext += text.size() + 1;
    return p;
}

BOOL WINAPI FakeGetPrinterW(HANDLE, DWORD dwLevel, LPBYTE pBuf, DWORD cbBuf, LPDWORD pcbNeeded) {
    if (g_state.bPrinterFails || dwLevel != 2) {
        if (pcbNeeded != nullptr) *pcbNeeded = 0;
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const std::wstring driver = L"AcTest Driver";
    return Answer<PRINTER_INFO_2W>(pBuf, cbBuf, pcbNeeded, g_state.portName.size() + driver.size() + 2,
                                   [&](PRINTER_INFO_2W *pInfo, wchar_t *pNext) {
                                       std::memset(pInfo, 0, sizeof(*pInfo));
                                       pInfo->pPortName = Place(pNext, g_state.portName);
                                       pInfo->pDriverName = Place(pNext, driver);
                                       if (g_state.bNullDriverName) pInfo->pDriverName = nullptr;
                                   });
}

BOOL WINAPI FakeGetPrinterDriverW(HANDLE, LPWSTR, DWORD dwLevel, LPBYTE pBuf, DWORD cbBuf, LPDWORD pcbNeeded) {
    if (g_state.bDriverFails || dwLevel != 2) {
        if (pcbNeeded != nullptr) *pcbNeeded = 0;
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return Answer<DRIVER_INFO_2W>(pBuf, cbBuf, pcbNeeded, g_state.dataFile.size() + 1,
                                  [&](DRIVER_INFO_2W *pInfo, wchar_t *pNext) {
                                      std::memset(pInfo, 0, sizeof(*pInfo));
                                      pInfo->pDataFile = Place(pNext, g_state.dataFile);
                                  });
}

DWORD WINAPI FakeSetPrinterDataW(HANDLE, LPWSTR pName, DWORD dwType, LPBYTE pData, DWORD cbData) {
    ++g_state.nSetPrinterDataCalls;
    if (dwType == REG_DWORD && cbData == sizeof(DWORD)) {
        DWORD dw;
        std::memcpy(&dw, pData, sizeof(dw));
        g_state.printerData[pName] = dw;
    }
    return ERROR_SUCCESS;
}

}  // namespace

Scope::Scope() {
    g_state = State();
    HMODULE hExe = GetModuleHandleW(nullptr);
    m_printer.reset(new testsupport::ImportPatch(hExe, nullptr, "GetPrinterW", reinterpret_cast<void *>(&FakeGetPrinterW)));
    m_driver.reset(new testsupport::ImportPatch(hExe, nullptr, "GetPrinterDriverW", reinterpret_cast<void *>(&FakeGetPrinterDriverW)));
    m_data.reset(new testsupport::ImportPatch(hExe, nullptr, "SetPrinterDataW", reinterpret_cast<void *>(&FakeSetPrinterDataW)));
}

Scope::~Scope() = default;

State &Scope::Get() { return g_state; }

}  // namespace fakespooler
