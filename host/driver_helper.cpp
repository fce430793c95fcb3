#include "host/driver_helper.h"

#include <cstring>

namespace oemuihost {
namespace {

constexpr size_t kMaxPluginString = 256;

std::wstring Widen(const std::string &s) { return std::wstring(s.begin(), s.end()); }

}  // namespace

bool ReadPluginString(PCSTR psz, std::string *pText, std::wstring *pShown) {
    const ULONG_PTR value = reinterpret_cast<ULONG_PTR>(psz);
    if (value < 0x10000) {
        *pShown = L"#" + std::to_wstring(value);
        return false;
    }
    size_t n = 0;
    while (n < kMaxPluginString && psz[n] != '\0') ++n;
    pText->assign(psz, n);
    *pShown = L"\"" + Widen(*pText) + (n == kMaxPluginString ? L"...\"" : L"\"");
    return n < kMaxPluginString;
}

HRESULT DriverHelper::QueryInterface(REFIID riid, void **ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IPrintOemDriverUI)) {
        *ppv = static_cast<IPrintOemDriverUI *>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG DriverHelper::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&m_cRef)); }

ULONG DriverHelper::Release() {
    const LONG n = InterlockedDecrement(&m_cRef);
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
}

HRESULT DriverHelper::Finish(const std::wstring &call, HRESULT hr, DWORD lastError, const std::wstring &detail) {
    ++m_calls;
    if (m_pReport != nullptr) {
        std::wstring text = call + L" -> " + Hex32(static_cast<unsigned long>(hr));
        if (FAILED(hr) && lastError != 0) text += L", last error " + std::to_wstring(lastError);
        if (!detail.empty()) text += L"; " + detail;
        m_pReport->Add(L"helper", text);
    }
    if (lastError != 0) SetLastError(lastError);
    return hr;
}

HRESULT DriverHelper::DrvGetDriverSetting(PVOID pci, PCSTR Feature, PVOID pOutput, DWORD cbSize, PDWORD pcbNeeded,
                                          PDWORD pdwOptionsReturned) {
    std::string feature;
    std::wstring shown;
    const bool isText = ReadPluginString(Feature, &feature, &shown);
    const std::wstring call = L"DrvGetDriverSetting(" + shown + L", cbSize " + std::to_wstring(cbSize) + L")";
    if (m_pTarget == nullptr) return Finish(call, E_FAIL, 0, L"no sheet is open");
    if (!m_pTarget->OwnsUiObject(pci)) return Finish(call, E_INVALIDARG, ERROR_INVALID_PARAMETER, L"pci is not the core's object");
    if (pcbNeeded == nullptr) return Finish(call, E_INVALIDARG, ERROR_INVALID_PARAMETER, L"pcbNeeded is null");
    if (!isText) {
        // OEMGDS_* queries (device-mode and printer flags) are not emulated.
        return Finish(call, E_NOTIMPL, 0, L"predefined settings are not emulated");
    }
    std::string option;
    if (!m_pTarget->CurrentOption(feature, &option))
        return Finish(call, E_INVALIDARG, ERROR_INVALID_PARAMETER, L"no such feature");
    const DWORD cbNeeded = static_cast<DWORD>(option.size() + 1);
    *pcbNeeded = cbNeeded;
    if (pdwOptionsReturned != nullptr) *pdwOptionsReturned = 1;
    if (pOutput == nullptr || cbSize < cbNeeded)
        return Finish(call, E_OUTOFMEMORY, ERROR_INSUFFICIENT_BUFFER,
                      L"needs " + std::to_wstring(cbNeeded) + L" bytes for \"" + Widen(option) + L"\"");
    std::memcpy(pOutput, option.c_str(), cbNeeded);
    return Finish(call, S_OK, 0, L"\"" + Widen(option) + L"\"");
}

HRESULT DriverHelper::DrvUpgradeRegistrySetting(HANDLE hPrinter, PCSTR pFeature, PCSTR pOption) {
    std::string feature, option;
    std::wstring shownFeature, shownOption;
    const bool ok = ReadPluginString(pFeature, &feature, &shownFeature) & ReadPluginString(pOption, &option, &shownOption);
    const std::wstring call = L"DrvUpgradeRegistrySetting(" + shownFeature + L", " + shownOption + L")";
    if (m_pTarget == nullptr) return Finish(call, E_FAIL, 0, L"no sheet is open");
    if (hPrinter == nullptr || hPrinter != m_pTarget->PrinterHandle())
        return Finish(call, E_INVALIDARG, ERROR_INVALID_HANDLE, L"not the session's printer handle");
    if (!ok) return Finish(call, E_INVALIDARG, ERROR_INVALID_PARAMETER, L"feature and option must be text");
    std::wstring detail;
    const HRESULT hr = m_pTarget->UpgradeInstallable(feature, option, &detail);
    return Finish(call, hr, FAILED(hr) ? ERROR_INVALID_PARAMETER : 0, detail);
}

HRESULT DriverHelper::DrvUpdateUISetting(PVOID pci, PVOID pOptItem, DWORD dwPreviousSelection, DWORD dwMode) {
    const std::wstring call = L"DrvUpdateUISetting(item, previous " + std::to_wstring(static_cast<LONG>(dwPreviousSelection)) +
                              L", mode " + std::to_wstring(dwMode) + L")";
    if (m_pTarget == nullptr) return Finish(call, E_FAIL, 0, L"no sheet is open");
    if (!m_pTarget->OwnsUiObject(pci)) return Finish(call, E_INVALIDARG, ERROR_INVALID_PARAMETER, L"pci is not the core's object");
    if (dwMode != OEMCUIP_DOCPROP && dwMode != OEMCUIP_PRNPROP)
        return Finish(call, E_INVALIDARG, ERROR_INVALID_PARAMETER, L"unknown mode");
    std::wstring detail;
    const HRESULT hr = m_pTarget->UpdateFromItem(pOptItem, dwMode, &detail);
    return Finish(call, hr, FAILED(hr) ? ERROR_INVALID_PARAMETER : 0, detail);
}

}  // namespace oemuihost
