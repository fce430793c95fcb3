#include "plugin/oemui_plugin.h"

#include "common/bounded_format.h"
#include "module/module_state.h"
#include "optiontree/common_ui_prop.h"
#include "plugin/property_sheets.h"
#include "settings/private_devmode.h"
#include "settings/user_store.h"

namespace oemui {
namespace {

constexpr wchar_t kColorProfileName[] = L"OEMPROFILE.icm";
constexpr ULONG kProfileBufferSize = 32;
static_assert(sizeof(kColorProfileName) <= kProfileBufferSize, "profile name fits its buffer");

HRESULT FailWith(DWORD dwError) {
    SetLastError(dwError);
    return E_FAIL;
}

}  // namespace

OemUiPlugin::OemUiPlugin() { ObjectCreated(); }

OemUiPlugin::~OemUiPlugin() {
    if (m_pDriverUI != nullptr) {
        m_pDriverUI->Release();
        m_pDriverUI = nullptr;
    }
    ObjectDestroyed();
}

HRESULT STDMETHODCALLTYPE OemUiPlugin::QueryInterface(REFIID riid, void **ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IPrintOemUI)) {
        *ppv = static_cast<IPrintOemUI *>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE OemUiPlugin::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&m_cRef));
}

ULONG STDMETHODCALLTYPE OemUiPlugin::Release() {
    const LONG cRef = InterlockedDecrement(&m_cRef);
    if (cRef != 0) return static_cast<ULONG>(cRef);
    delete this;
    return 0;
}

HRESULT STDMETHODCALLTYPE OemUiPlugin::GetInfo(DWORD dwMode, PVOID pBuffer, DWORD cbSize,
                                               PDWORD pcbNeeded) {
    if (pcbNeeded == nullptr) return FailWith(ERROR_INVALID_PARAMETER);
    if (dwMode != OEMGI_GETSIGNATURE && dwMode != OEMGI_GETVERSION &&
        dwMode != OEMGI_GETPUBLISHERINFO)
        return FailWith(ERROR_INVALID_PARAMETER);
    *pcbNeeded = sizeof(DWORD);
    if (cbSize < sizeof(DWORD) || pBuffer == nullptr) return FailWith(ERROR_INSUFFICIENT_BUFFER);
    switch (dwMode) {
    case OEMGI_GETSIGNATURE:
        *static_cast<DWORD *>(pBuffer) = kPluginSignature;
        return S_OK;
    case OEMGI_GETVERSION:
        *static_cast<DWORD *>(pBuffer) = kPluginVersion;
        return S_OK;
    default:  // OEMGI_GETPUBLISHERINFO
        *pcbNeeded = 0;
        return FailWith(ERROR_NOT_SUPPORTED);
    }
}

HRESULT STDMETHODCALLTYPE OemUiPlugin::DevMode(DWORD dwMode, POEMDMPARAM pOemDMParam) {
    return HandleDevMode(dwMode, pOemDMParam);
}

HRESULT STDMETHODCALLTYPE OemUiPlugin::PublishDriverInterface(IUnknown *pIUnknown) {
    if (m_pDriverUI != nullptr) return S_OK;
    if (pIUnknown == nullptr) return E_FAIL;
    void *pv = nullptr;
    if (FAILED(pIUnknown->QueryInterface(IID_IPrintOemDriverUI, &pv))) {
        m_pDriverUI = nullptr;
        return E_FAIL;
    }
    m_pDriverUI = static_cast<IPrintOemDriverUI *>(pv);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OemUiPlugin::CommonUIProp(DWORD dwMode, POEMCUIPPARAM pOemCUIPParam) {
    return HandleCommonUIProp(dwMode, pOemCUIPParam, m_pDriverUI);
}

HRESULT STDMETHODCALLTYPE OemUiPlugin::DocumentPropertySheets(PPROPSHEETUI_INFO pPSUIInfo,
                                                              LPARAM lParam) {
    return HandlePropertySheets(SheetKind::Document, pPSUIInfo, lParam, m_pDriverUI);
}

HRESULT STDMETHODCALLTYPE OemUiPlugin::DevicePropertySheets(PPROPSHEETUI_INFO pPSUIInfo,
                                                            LPARAM lParam) {
    return HandlePropertySheets(SheetKind::Device, pPSUIInfo, lParam, m_pDriverUI);
}

HRESULT STDMETHODCALLTYPE OemUiPlugin::DevQueryPrintEx(POEMUIOBJ, PDEVQUERYPRINT_INFO, PDEVMODEW,
                                                       PVOID) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE OemUiPlugin::DeviceCapabilities(POEMUIOBJ, HANDLE, PWSTR, WORD, PVOID,
                                                          PDEVMODEW, PVOID, DWORD, DWORD *) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE OemUiPlugin::UpgradePrinter(DWORD, PBYTE) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE OemUiPlugin::PrinterEvent(PWSTR, INT, DWORD, LPARAM) { return S_OK; }

void DriverNameFromInfo(DWORD dwLevel, const BYTE *pDriverInfo, wchar_t *pszName, size_t cchName) {
    const wchar_t *pszSource = nullptr;
    if (pDriverInfo != nullptr) {
        if (dwLevel == 1)
            pszSource = reinterpret_cast<const DRIVER_INFO_1W *>(pDriverInfo)->pName;
        else if (dwLevel >= 2 && dwLevel <= 4)
            pszSource = reinterpret_cast<const DRIVER_INFO_2W *>(pDriverInfo)->pName;
    }
    CopyCchW(pszName, cchName, pszSource);
}

HRESULT STDMETHODCALLTYPE OemUiPlugin::DriverEvent(DWORD dwDriverEvent, DWORD dwLevel,
                                                   LPBYTE pDriverInfo, LPARAM) {
    wchar_t szDriverName[MAX_PATH];
    DriverNameFromInfo(dwLevel, pDriverInfo, szDriverName, MAX_PATH);
    if (dwDriverEvent == DRIVER_EVENT_DELETE) RemoveUserKey(szDriverName);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OemUiPlugin::QueryColorProfile(HANDLE, POEMUIOBJ, PDEVMODEW, PVOID,
                                                         ULONG ulQueryMode, VOID *pvProfileData,
                                                         ULONG *pcbProfileData,
                                                         FLONG *pflProfileData) {
    if (ulQueryMode != QCP_DEVICEPROFILE) return E_FAIL;
    if (pcbProfileData == nullptr) return FailWith(ERROR_INVALID_PARAMETER);
    if (pvProfileData == nullptr || *pcbProfileData < kProfileBufferSize) {
        *pcbProfileData = kProfileBufferSize;
        return FailWith(ERROR_INSUFFICIENT_BUFFER);
    }
    CopyCchW(static_cast<wchar_t *>(pvProfileData), kProfileBufferSize / sizeof(wchar_t),
             kColorProfileName);
    *pcbProfileData = kProfileBufferSize;
    if (pflProfileData != nullptr) *pflProfileData = QCP_PROFILEDISK;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OemUiPlugin::FontInstallerDlgProc(HWND, UINT, WPARAM, LPARAM) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE OemUiPlugin::UpdateExternalFonts(HANDLE, HANDLE, PWSTR) {
    return E_NOTIMPL;
}

}  // namespace oemui
