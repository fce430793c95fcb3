#include "support/plugin_fixture.h"

#include <string>

namespace testsupport {

HMODULE PluginModule() {
    static HMODULE hModule = [] {
        wchar_t sz[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, sz, MAX_PATH);
        std::wstring path(sz);
        path = path.substr(0, path.find_last_of(L"\\/") + 1) + L"OEMUI.DLL";
        return LoadLibraryW(path.c_str());
    }();
    return hModule;
}

GetClassObjectFn PluginGetClassObject() {
    return reinterpret_cast<GetClassObjectFn>(
        reinterpret_cast<void *>(GetProcAddress(PluginModule(), "DllGetClassObject")));
}

CanUnloadNowFn PluginCanUnloadNow() {
    return reinterpret_cast<CanUnloadNowFn>(
        reinterpret_cast<void *>(GetProcAddress(PluginModule(), "DllCanUnloadNow")));
}

IPrintOemUI *CreatePlugin() {
    auto pfnGet = PluginGetClassObject();
    if (pfnGet == nullptr) {
        ADD_FAILURE() << "OEMUI.DLL not loaded or DllGetClassObject missing";
        return nullptr;
    }
    IClassFactory *pFactory = nullptr;
    if (FAILED(pfnGet(CLSID_OEMUI, IID_IClassFactory, reinterpret_cast<void **>(&pFactory)))) {
        ADD_FAILURE() << "no class factory";
        return nullptr;
    }
    IPrintOemUI *pPlugin = nullptr;
    const HRESULT hr = pFactory->CreateInstance(nullptr, IID_IPrintOemUI, reinterpret_cast<void **>(&pPlugin));
    pFactory->Release();
    if (FAILED(hr)) ADD_FAILURE() << "CreateInstance failed";
    return pPlugin;
}

void PluginTest::SetUp() {
    plugin = CreatePlugin();
    ASSERT_NE(plugin, nullptr);
}

void PluginTest::TearDown() {
    if (plugin != nullptr) EXPECT_EQ(plugin->Release(), 0u);
    plugin = nullptr;
}

}  // namespace testsupport
