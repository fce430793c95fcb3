// The module's exports, class factory and plug-in object, through COM only.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>

#include "support/plugin_fixture.h"

using namespace testsupport;

namespace {

constexpr GUID kOtherClsid = {0x12345678, 0x1, 0x2, {0, 1, 2, 3, 4, 5, 6, 7}};

IClassFactory *GetFactory() {
    IClassFactory *pFactory = nullptr;
    EXPECT_EQ(PluginGetClassObject()(CLSID_OEMUI, IID_IClassFactory, reinterpret_cast<void **>(&pFactory)), S_OK);
    return pFactory;
}

TEST(ClassFactory, ServesOnlyThePluginClass) {
    void *pv = reinterpret_cast<void *>(1);
    EXPECT_EQ(PluginGetClassObject()(kOtherClsid, IID_IClassFactory, &pv), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(PluginGetClassObject()(CLSID_OEMUI, IID_IPrintOemUI, &pv), E_NOINTERFACE);
    EXPECT_EQ(pv, nullptr);
    EXPECT_EQ(PluginCanUnloadNow()(), S_OK) << "a refused request left something alive";
    IUnknown *pUnk = nullptr;
    ASSERT_EQ(PluginGetClassObject()(CLSID_OEMUI, IID_IUnknown, reinterpret_cast<void **>(&pUnk)), S_OK);
    EXPECT_EQ(pUnk->Release(), 0u);
}

TEST(ClassFactory, EachRequestGetsItsOwnFactoryAndCountsHold) {
    IClassFactory *a = GetFactory();
    IClassFactory *b = GetFactory();
    ASSERT_TRUE(a && b);
    EXPECT_NE(a, b);
    for (int i = 0; i < 1000; ++i) a->AddRef();
    for (int i = 0; i < 1000; ++i) a->Release();
    EXPECT_EQ(a->AddRef(), 2u);
    EXPECT_EQ(a->Release(), 1u);
    EXPECT_EQ(a->Release(), 0u);
    EXPECT_EQ(b->Release(), 0u);
}

TEST(ClassFactory, CreateInstanceRefusesAggregationAndUnknownInterfaces) {
    IClassFactory *f = GetFactory();
    ASSERT_NE(f, nullptr);
    void *pv = nullptr;
    // Never called: the factory refuses before touching the outer object.
    auto *outer = reinterpret_cast<IUnknown *>(static_cast<uintptr_t>(0x1000));
    EXPECT_EQ(f->CreateInstance(outer, IID_IPrintOemUI, &pv), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(f->CreateInstance(nullptr, IID_IClassFactory, &pv), E_NOINTERFACE);
    EXPECT_EQ(pv, nullptr);
    EXPECT_EQ(PluginCanUnloadNow()(), S_OK) << "refused object still counted";
    EXPECT_EQ(f->Release(), 0u);
}

TEST(ClassFactory, LockServerCountsAndMayGoBelowZero) {
    IClassFactory *f = GetFactory();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->LockServer(TRUE), S_OK);
    EXPECT_EQ(f->LockServer(TRUE), S_OK);
    EXPECT_EQ(f->LockServer(FALSE), S_OK);
    EXPECT_EQ(PluginCanUnloadNow()(), S_FALSE);
    f->LockServer(FALSE);
    EXPECT_EQ(PluginCanUnloadNow()(), S_OK);
    f->LockServer(FALSE);  // unmatched: below zero holds the module
    EXPECT_EQ(PluginCanUnloadNow()(), S_FALSE);
    f->LockServer(TRUE);
    EXPECT_EQ(PluginCanUnloadNow()(), S_OK);
    f->Release();
}

TEST(ClassFactory, LiveObjectsHoldTheModule) {
    IPrintOemUI *p = CreatePlugin();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(PluginCanUnloadNow()(), S_FALSE);
    EXPECT_EQ(p->Release(), 0u);
    EXPECT_EQ(PluginCanUnloadNow()(), S_OK);
}

class PluginObject : public PluginTest {};

TEST_F(PluginObject, AnswersOnlyItsInterfaces) {
    void *pv = nullptr;
    EXPECT_EQ(plugin->QueryInterface(IID_IUnknown, &pv), S_OK);
    EXPECT_EQ(pv, static_cast<void *>(plugin));
    plugin->Release();
    EXPECT_EQ(plugin->QueryInterface(IID_IPrintOemDriverUI, &pv), E_NOINTERFACE);
    EXPECT_EQ(pv, nullptr);
    for (int i = 0; i < 500; ++i) plugin->AddRef();
    for (int i = 0; i < 499; ++i) plugin->Release();
    EXPECT_EQ(plugin->Release(), 1u);
}

TEST_F(PluginObject, GetInfo) {
    struct Case {
        DWORD mode;
        DWORD cbBuffer;
        bool buffer;
        HRESULT hr;
        DWORD lastError;
        DWORD needed;
        DWORD value;
    } cases[] = {
        {OEMGI_GETSIGNATURE, 4, true, S_OK, 0, 4, 0x4D534654},
        {OEMGI_GETVERSION, 8, true, S_OK, 0, 4, 1},
        {OEMGI_GETSIGNATURE, 3, true, E_FAIL, ERROR_INSUFFICIENT_BUFFER, 4, 0xCCCCCCCC},
        {OEMGI_GETVERSION, 4, false, E_FAIL, ERROR_INSUFFICIENT_BUFFER, 4, 0xCCCCCCCC},
        {OEMGI_GETPUBLISHERINFO, 2, true, E_FAIL, ERROR_INSUFFICIENT_BUFFER, 4, 0xCCCCCCCC},
        {OEMGI_GETPUBLISHERINFO, 4, true, E_FAIL, ERROR_NOT_SUPPORTED, 0, 0xCCCCCCCC},
        {OEMGI_GETINTERFACEVERSION, 4, true, E_FAIL, ERROR_INVALID_PARAMETER, 0xAAAA, 0xCCCCCCCC},
        {OEMGI_GETREQUESTEDHELPERINTERFACES, 4, true, E_FAIL, ERROR_INVALID_PARAMETER, 0xAAAA, 0xCCCCCCCC},
        {0, 4, true, E_FAIL, ERROR_INVALID_PARAMETER, 0xAAAA, 0xCCCCCCCC},
    };
    for (const Case &c : cases) {
        DWORD value = 0xCCCCCCCC, needed = 0xAAAA;
        SetLastError(0);
        EXPECT_EQ(plugin->GetInfo(c.mode, c.buffer ? &value : nullptr, c.cbBuffer, &needed), c.hr) << c.mode;
        if (FAILED(c.hr)) {
            EXPECT_EQ(GetLastError(), c.lastError) << c.mode;
        }
        EXPECT_EQ(needed, c.needed) << c.mode;
        EXPECT_EQ(value, c.value) << c.mode;
    }
    SetLastError(0);
    DWORD value = 0;
    EXPECT_EQ(plugin->GetInfo(OEMGI_GETSIGNATURE, &value, 4, nullptr), E_FAIL);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(PluginObject, QueryColorProfile) {
    BYTE buf[40];
    std::memset(buf, 0xCC, sizeof(buf));
    ULONG cb = 31;
    FLONG fl = 0;
    SetLastError(0);
    EXPECT_EQ(plugin->QueryColorProfile(nullptr, nullptr, nullptr, nullptr, QCP_DEVICEPROFILE, buf, &cb, &fl), E_FAIL);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(cb, 32u);
    EXPECT_EQ(buf[0], 0xCC);

    cb = 100;
    EXPECT_EQ(plugin->QueryColorProfile(nullptr, nullptr, nullptr, nullptr, QCP_DEVICEPROFILE, nullptr, &cb, &fl), E_FAIL);
    EXPECT_EQ(cb, 32u);

    cb = 32;
    EXPECT_EQ(plugin->QueryColorProfile(nullptr, nullptr, nullptr, nullptr, QCP_DEVICEPROFILE, buf, &cb, &fl), S_OK);
    EXPECT_STREQ(reinterpret_cast<const wchar_t *>(buf), L"OEMPROFILE.icm");
    EXPECT_EQ(cb, 32u);
    EXPECT_EQ(fl, QCP_PROFILEDISK);
    EXPECT_EQ(buf[32], 0xCC) << "wrote past the 32 bytes it reported";

    cb = 7;
    SetLastError(0);
    EXPECT_EQ(plugin->QueryColorProfile(nullptr, nullptr, nullptr, nullptr, QCP_SOURCEPROFILE, buf, &cb, &fl), E_FAIL);
    EXPECT_EQ(cb, 7u);
    EXPECT_EQ(GetLastError(), 0u);
    // Every null the call can be given is survived.
    EXPECT_EQ(plugin->QueryColorProfile(nullptr, nullptr, nullptr, nullptr, QCP_DEVICEPROFILE, buf, nullptr, nullptr), E_FAIL);
    cb = 32;
    EXPECT_EQ(plugin->QueryColorProfile(nullptr, nullptr, nullptr, nullptr, QCP_DEVICEPROFILE, buf, &cb, nullptr), S_OK);
}

TEST_F(PluginObject, FixedAnswers) {
    EXPECT_EQ(plugin->DevQueryPrintEx(nullptr, nullptr, nullptr, nullptr), E_NOTIMPL);
    DWORD result = 0;
    EXPECT_EQ(plugin->DeviceCapabilities(nullptr, nullptr, nullptr, 0, nullptr, nullptr, nullptr, 0, &result), E_NOTIMPL);
    EXPECT_EQ(plugin->UpgradePrinter(1, nullptr), E_NOTIMPL);
    EXPECT_EQ(plugin->FontInstallerDlgProc(nullptr, 0, 0, 0), E_NOTIMPL);
    EXPECT_EQ(plugin->UpdateExternalFonts(nullptr, nullptr, nullptr), E_NOTIMPL);
    EXPECT_EQ(plugin->PrinterEvent(nullptr, 1, 0, 0), S_OK);
    EXPECT_EQ(plugin->DriverEvent(DRIVER_EVENT_INITIALIZE, 3, nullptr, 0), S_OK);
    EXPECT_EQ(plugin->DriverEvent(DRIVER_EVENT_DELETE, 9, nullptr, 0), S_OK);
}

// A driver helper that counts what the plug-in does with it.
class FakeDriverUI : public IPrintOemDriverUI {
public:
    explicit FakeDriverUI(bool refuse) : refuse_(refuse) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppv) override {
        ++queries;
        if (!refuse_ && (IsEqualIID(riid, IID_IPrintOemDriverUI) || IsEqualIID(riid, IID_IUnknown))) {
            *ppv = this;
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--refs); }
    HRESULT STDMETHODCALLTYPE DrvGetDriverSetting(PVOID, PCSTR, PVOID, DWORD, PDWORD, PDWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DrvUpgradeRegistrySetting(HANDLE, PCSTR, PCSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DrvUpdateUISetting(PVOID, PVOID, DWORD, DWORD) override { return E_NOTIMPL; }
    int refs = 1;
    int queries = 0;

private:
    bool refuse_;
};

TEST(PublishDriverInterface, KeepsTheFirstHelperAndReleasesItOnce) {
    IPrintOemUI *p = CreatePlugin();
    ASSERT_NE(p, nullptr);
    FakeDriverUI first(false), second(false);
    EXPECT_EQ(p->PublishDriverInterface(&first), S_OK);
    EXPECT_EQ(first.refs, 2);
    EXPECT_EQ(p->PublishDriverInterface(&second), S_OK);
    EXPECT_EQ(second.queries, 0);
    EXPECT_EQ(second.refs, 1);
    p->AddRef();
    EXPECT_EQ(p->Release(), 1u);
    EXPECT_EQ(first.refs, 2);
    EXPECT_EQ(p->Release(), 0u);
    EXPECT_EQ(first.refs, 1);
}

TEST(PublishDriverInterface, RefusedInterfaceLeavesTheObjectUsable) {
    IPrintOemUI *p = CreatePlugin();
    ASSERT_NE(p, nullptr);
    FakeDriverUI refusing(true), good(false);
    SetLastError(1234);
    EXPECT_EQ(p->PublishDriverInterface(&refusing), E_FAIL);
    EXPECT_EQ(GetLastError(), 1234u);
    EXPECT_EQ(refusing.refs, 1);
    EXPECT_EQ(p->PublishDriverInterface(nullptr), E_FAIL);
    EXPECT_EQ(p->PublishDriverInterface(&good), S_OK);
    EXPECT_EQ(p->Release(), 0u);
    EXPECT_EQ(good.refs, 1);
}

}  // namespace
