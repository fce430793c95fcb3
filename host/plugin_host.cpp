#include "host/plugin_host.h"

#include "common/bounded_format.h"

namespace oemuihost {

using GetClassObjectFn = HRESULT(STDAPICALLTYPE *)(REFCLSID, REFIID, void **);
using CanUnloadNowFn = HRESULT(STDAPICALLTYPE *)();

std::wstring HexCode(unsigned long value) {
    wchar_t sz[16];
    oemui::FormatCchW(sz, 16, L"0x%08lX", value);
    return sz;
}

std::wstring ExecutableDirectory() {
    wchar_t sz[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(nullptr, sz, MAX_PATH);
    std::wstring path(sz, n < MAX_PATH ? n : 0);
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

PluginHost::~PluginHost() { Unload(); }

bool PluginHost::Load(const std::wstring &dllPath) {
    m_hModule = LoadLibraryW(dllPath.c_str());
    if (m_hModule == nullptr) {
        m_error = L"LoadLibraryW(" + dllPath + L") failed, last error " + HexCode(GetLastError());
        return false;
    }
    auto pfnGet = reinterpret_cast<GetClassObjectFn>(
        reinterpret_cast<void *>(GetProcAddress(m_hModule, "DllGetClassObject")));
    if (pfnGet == nullptr) {
        m_error = L"the module does not export DllGetClassObject";
        return false;
    }
    IClassFactory *pFactory = nullptr;
    HRESULT hr = pfnGet(CLSID_OEMUI, IID_IClassFactory, reinterpret_cast<void **>(&pFactory));
    if (FAILED(hr) || pFactory == nullptr) {
        m_error = L"DllGetClassObject failed: " + HexCode(static_cast<unsigned long>(hr));
        return false;
    }
    hr = pFactory->CreateInstance(nullptr, IID_IPrintOemUI, reinterpret_cast<void **>(&m_pPlugin));
    pFactory->Release();
    if (FAILED(hr) || m_pPlugin == nullptr) {
        m_pPlugin = nullptr;
        m_error = L"CreateInstance(IPrintOemUI) failed: " + HexCode(static_cast<unsigned long>(hr));
        return false;
    }
    return true;
}

HRESULT PluginHost::Publish(IUnknown *pDriverHelper) {
    if (m_pPlugin == nullptr) return E_UNEXPECTED;
    return m_pPlugin->PublishDriverInterface(pDriverHelper);
}

HRESULT PluginHost::Unload() {
    HRESULT hrCanUnload = S_FALSE;
    if (m_pPlugin != nullptr) {
        m_pPlugin->Release();
        m_pPlugin = nullptr;
    }
    if (m_hModule != nullptr) {
        auto pfnCan = reinterpret_cast<CanUnloadNowFn>(
            reinterpret_cast<void *>(GetProcAddress(m_hModule, "DllCanUnloadNow")));
        if (pfnCan != nullptr) hrCanUnload = pfnCan();
        FreeLibrary(m_hModule);
        m_hModule = nullptr;
    }
    return hrCanUnload;
}

}  // namespace oemuihost
