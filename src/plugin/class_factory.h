// The class factory that creates the plug-in object.
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace oemui {

class OemUiClassFactory final : public IClassFactory {
public:
    OemUiClassFactory() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *pUnkOuter, REFIID riid, void **ppv) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL bLock) override;

private:
    ~OemUiClassFactory() = default;
    volatile LONG m_cRef = 1;
};

// DllGetClassObject's work: a new factory for the plug-in class only.
HRESULT GetPluginClassObject(REFCLSID rclsid, REFIID riid, void **ppv);

}  // namespace oemui
