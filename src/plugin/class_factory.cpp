#include "plugin/class_factory.h"

#include <new>

#include "kit/oemkit.h"
#include "module/module_state.h"
#include "plugin/oemui_plugin.h"

namespace oemui {

HRESULT STDMETHODCALLTYPE OemUiClassFactory::QueryInterface(REFIID riid, void **ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
        *ppv = static_cast<IClassFactory *>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE OemUiClassFactory::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&m_cRef));
}

ULONG STDMETHODCALLTYPE OemUiClassFactory::Release() {
    const LONG cRef = InterlockedDecrement(&m_cRef);
    if (cRef != 0) return static_cast<ULONG>(cRef);
    delete this;
    return 0;
}

HRESULT STDMETHODCALLTYPE OemUiClassFactory::CreateInstance(IUnknown *pUnkOuter, REFIID riid,
                                                            void **ppv) {
    if (pUnkOuter != nullptr) return CLASS_E_NOAGGREGATION;
    auto *pPlugin = new (std::nothrow) OemUiPlugin();
    if (pPlugin == nullptr) return E_OUTOFMEMORY;
    const HRESULT hr = pPlugin->QueryInterface(riid, ppv);
    pPlugin->Release();
    return hr;
}

HRESULT STDMETHODCALLTYPE OemUiClassFactory::LockServer(BOOL bLock) {
    LockModule(bLock != FALSE);
    return S_OK;
}

HRESULT GetPluginClassObject(REFCLSID rclsid, REFIID riid, void **ppv) {
    if (!IsEqualCLSID(rclsid, CLSID_OEMUI)) return CLASS_E_CLASSNOTAVAILABLE;
    auto *pFactory = new (std::nothrow) OemUiClassFactory();
    if (pFactory == nullptr) return E_OUTOFMEMORY;
    const HRESULT hr = pFactory->QueryInterface(riid, ppv);
    pFactory->Release();
    return hr;
}

}  // namespace oemui
