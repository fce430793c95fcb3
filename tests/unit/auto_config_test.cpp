// Auto-configuration against fake driver items and a recording driver helper,
// with the real stand-in network library (OEMUN.DLL beside this program)
// answering from the INI the tests write.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "module/activation_context.h"
#include "module/module_state.h"
#include "optiontree/auto_config.h"
#include "settings/model_config.h"
#include "support/import_patch.h"
#include "unit/fake_spooler.h"

using namespace oemui;

namespace {

std::wstring BinDir() {
    wchar_t sz[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, sz, MAX_PATH);
    std::wstring path(sz);
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}
const std::wstring kNetIni = BinDir() + L"OEMUN.INI";
const std::wstring kModelStem = BinDir() + L"ACMODEL";
const std::wstring kModelIni = kModelStem + L"u.INI";

// The library's path comes from the plug-in module's name, so this program's
// copy of the code is told it is OEMUI.DLL.
HMODULE PluginImage() {
    static HMODULE h = LoadLibraryW((BinDir() + L"OEMUI.DLL").c_str());
    return h;
}

struct ItemDef {
    const char *pszKeyword;
    LONG lSel;
    WORD wCount;
};

class DriverItems {
public:
    explicit DriverItems(const std::vector<ItemDef> &defs)
        : m_user(defs.size()), m_type(defs.size()), m_items(defs.size()) {
        for (size_t i = 0; i < defs.size(); ++i) {
            m_user[i].pKeyWordName = const_cast<char *>(defs[i].pszKeyword);
            m_type[i].cbSize = sizeof(OPTTYPE);
            m_type[i].Count = defs[i].wCount;
            m_items[i].cbSize = sizeof(OPTITEM);
            m_items[i].pOptType = &m_type[i];
            m_items[i].UserData = reinterpret_cast<ULONG_PTR>(&m_user[i]);
            m_items[i].Sel = defs[i].lSel;
        }
    }
    POPTITEM Items() { return m_items.empty() ? nullptr : m_items.data(); }
    DWORD Count() const { return static_cast<DWORD>(m_items.size()); }
    std::vector<LONG> Sels() const {
        std::vector<LONG> v;
        for (const OPTITEM &item : m_items) v.push_back(item.Sel);
        return v;
    }
    bool AnyFlags() const {
        for (const OPTITEM &item : m_items)
            if (item.Flags != 0) return true;
        return false;
    }

private:
    std::vector<USERDATA> m_user;
    std::vector<OPTTYPE> m_type;
    std::vector<OPTITEM> m_items;
};

class RecordingDriverUI : public IPrintOemDriverUI {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void **ppv) override {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE DrvGetDriverSetting(PVOID, PCSTR, PVOID, DWORD, PDWORD, PDWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DrvUpgradeRegistrySetting(HANDLE h, PCSTR pFeature, PCSTR pOption) override {
        EXPECT_EQ(h, fakespooler::Scope::kPrinter);
        calls.push_back(std::string(pFeature) + "=" + pOption);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DrvUpdateUISetting(PVOID, PVOID, DWORD, DWORD) override { return E_NOTIMPL; }
    std::vector<std::string> calls;
};

// Counts the library loads and notes whether each happened inside the
// plug-in's activation context.
int g_nLoads = 0;
bool g_fLoadInContext = false;
HMODULE(WINAPI *g_pfnLoadLibraryW)(LPCWSTR) = nullptr;
HMODULE WINAPI CountingLoadLibraryW(LPCWSTR pszPath) {
    ++g_nLoads;
    HANDLE hCurrent = nullptr;
    GetCurrentActCtx(&hCurrent);
    g_fLoadInContext = hCurrent != nullptr && hCurrent == PluginActivationContext();
    if (hCurrent != nullptr) ReleaseActCtx(hCurrent);
    return g_pfnLoadLibraryW(pszPath);
}

FARPROC(WINAPI *g_pfnGetProcAddress)(HMODULE, LPCSTR) = nullptr;
FARPROC WINAPI HidingGetProcAddress(HMODULE h, LPCSTR pszName) {
    if (HIWORD(reinterpret_cast<ULONG_PTR>(pszName)) != 0 && std::strcmp(pszName, kNetLibEntryName) == 0) return nullptr;
    return g_pfnGetProcAddress(h, pszName);
}

class AutoConfig : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(PluginImage(), nullptr);
        SetModuleInstance(PluginImage());
        DeleteFileW(kNetIni.c_str());
        DeleteFileW(kModelIni.c_str());
        fakespooler::Scope::Get().dataFile = kModelStem + L".GPD";
    }
    void TearDown() override {
        SetModuleInstance(nullptr);
        DeleteFileW(kNetIni.c_str());
        DeleteFileW(kModelIni.c_str());
    }
    void Answer(const wchar_t *pszKey, const wchar_t *pszValue, const wchar_t *pszPort = L"AcTest_Port") {
        WritePrivateProfileStringW(pszPort, pszKey, pszValue, kNetIni.c_str());
    }
    void Run(DriverItems &items, IPrintOemDriverUI *pDriverUI, ModelConfig *pConfig = nullptr) {
        OEMCUIPPARAM param = {};
        param.cbSize = sizeof(param);
        param.hPrinter = fakespooler::Scope::kPrinter;
        param.hOEMHeap = GetProcessHeap();
        param.pDrvOptItems = items.Items();
        param.cDrvOptItems = items.Count();
        g_nLoads = 0;
        testsupport::ImportPatch load(GetModuleHandleW(nullptr), nullptr, "LoadLibraryW",
                                      reinterpret_cast<void *>(&CountingLoadLibraryW));
        g_pfnLoadLibraryW = load.OriginalAs<decltype(g_pfnLoadLibraryW)>();
        AutoConfigureOptions(&param, pConfig, pDriverUI);
        // The library is loaded for the run only.
        EXPECT_EQ(GetModuleHandleW(L"OEMUN.DLL"), nullptr);
    }
    // The request the library last received for the port, or false.
    bool LastRequest(NetLibRecord *pRecord) {
        wchar_t szHex[80] = {};
        if (GetPrivateProfileStringW(L"AcTest_Port", L"LastRequest", L"", szHex, 80, kNetIni.c_str()) != 64) return false;
        auto *p = reinterpret_cast<BYTE *>(pRecord);
        for (size_t i = 0; i < sizeof(*pRecord); ++i) p[i] = static_cast<BYTE>(std::wcstoul(std::wstring(szHex + i * 2, 2).c_str(), nullptr, 16));
        return true;
    }
    fakespooler::Scope spooler;
};

TEST_F(AutoConfig, RequestAsksForTheOptionsTheDriverOffers) {
    WritePrivateProfileStringW(L"FUNCTION", L"SupportMpTray", L"258", kModelIni.c_str());
    WritePrivateProfileStringW(L"FUNCTION", L"AutoCfgNetworkMDL", L"7", kModelIni.c_str());
    struct Case {
        std::vector<ItemDef> items;
        SHORT sTray, sDuplex, sDisk, sThird, sFinisher;
    } const cases[] = {
        {{}, -1, -1, -1, -1, -1},
        {{{"Option1", 0, 3}, {"Option2", 0, 2}, {"Option4", 0, 2}, {"Option5", 0, 3}, {"Finisher", 0, 2}}, 0, 0, 0, 0, 0},
        {{{"OptTray2", 0, 3}, {"DuplexUnit", 0, 2}, {"PrinterHardDisk", 0, 2}, {"OptTray3", 0, 3}}, 0, 0, 0, 0, -1},
        {{{"Option6", 0, 3}, {"InstalledMemory", 0, 4}, {"OptTray4", 0, 3}, {"option1", 0, 3}}, -1, -1, -1, -1, -1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.items.size());
        Answer(L"Result", L"0");
        DriverItems items(c.items);
        RecordingDriverUI driverUI;
        Run(items, &driverUI);
        NetLibRecord r;
        ASSERT_TRUE(LastRequest(&r));
        EXPECT_EQ(r.sTrayConfig, c.sTray);
        EXPECT_EQ(r.sDuplexUnit, c.sDuplex);
        EXPECT_EQ(r.sHardDisk, c.sDisk);
        EXPECT_EQ(r.sThirdTray, c.sThird);
        EXPECT_EQ(r.sFinisher, c.sFinisher);
        for (SHORT s : {r.sReserved0, r.sReserved2, r.sReserved10, r.sReserved14, r.sReserved18}) EXPECT_EQ(s, -1);
        EXPECT_EQ(r.bSupportMpTray, 2);  // low 8 bits of 258
        EXPECT_EQ(r.bAutoCfgNetworkMDL, 7);
        for (BYTE b : r.abReserved22) EXPECT_EQ(b, 0);
        EXPECT_EQ(GetPrivateProfileIntW(L"AcTest_Port", L"LastFlag", 0, kNetIni.c_str()), 1u);
        EXPECT_EQ(GetPrivateProfileIntW(L"AcTest_Port", L"LastReserved", 9, kNetIni.c_str()), 0u);
        EXPECT_TRUE(driverUI.calls.empty());
        EXPECT_EQ(g_nLoads, 1);
        EXPECT_TRUE(g_fLoadInContext);
    }
}

TEST_F(AutoConfig, AnswersChangeOnlySelectionsThatDiffer) {
    using Answers = std::map<std::wstring, std::wstring>;
    struct Case {
        const char *pszName;
        std::vector<ItemDef> items;
        Answers answers;
        std::vector<LONG> sels;
        std::vector<std::string> calls;
        int nHddSetting;  // -1: not written
    } const cases[] = {
        {"code 11 on the second family", {{"OptTray2", 0, 3}, {"OptTray3", 0, 3}, {"OptTray4", 1, 3}},
         {{L"TrayConfig", L"11"}}, {1, 2, 0}, {"OptTray2=True", "OptTray3=LCT", "OptTray4=False"}, -1},
        {"code 2 means no trays", {{"Option1", 1, 3}, {"Option5", 1, 3}, {"Option6", 0, 3}},
         {{L"TrayConfig", L"2"}}, {0, 0, 0}, {"Option1=False", "Option5=False"}, -1},
        {"code 4, both families", {{"Option1", 0, 3}, {"OptTray2", 0, 3}, {"Option6", 1, 3}},
         {{L"TrayConfig", L"4"}}, {1, 1, 1}, {"Option1=True", "OptTray2=True"}, -1},
        {"negative code leaves trays", {{"Option1", 1, 3}, {"OptTray3", 2, 3}},
         {{L"TrayConfig", L"-1"}}, {1, 2}, {}, -1},
        {"beyond the items' options", {{"OptTray2", 0, 2}, {"Option2", 0, 2}}, {{L"TrayConfig", L"10"}, {L"DuplexUnit", L"5"}},
         {0, 0}, {}, -1},
        {"duplex -1 leaves it", {{"Option2", 1, 2}, {"DuplexUnit", 0, 2}}, {{L"DuplexUnit", L"-1"}}, {1, 0}, {}, -1},
        {"duplex second family", {{"DuplexUnit", 1, 2}}, {{L"DuplexUnit", L"0"}}, {0}, {"DuplexUnit=False"}, -1},
        {"disk: first family wins", {{"PrinterHardDisk", 0, 2}, {"Option4", 0, 2}}, {{L"HardDisk", L"1"}},
         {0, 1}, {"Option4=True"}, 1},
        {"disk second family", {{"PrinterHardDisk", 1, 2}}, {{L"HardDisk", L"0"}}, {0}, {"PrinterHardDisk=False"}, 0},
        {"finisher on", {{"Finisher", 0, 2}}, {{L"Finisher", L"1"}}, {1}, {"Finisher=MPFinisher"}, -1},
        {"finisher off", {{"Finisher", 1, 2}}, {{L"Finisher", L"0"}}, {0}, {"Finisher=None"}, -1},
        {"zero result", {{"Finisher", 1, 2}, {"Option1", 0, 3}}, {{L"Finisher", L"0"}, {L"TrayConfig", L"1"}, {L"Result", L"0"}},
         {1, 0}, {}, -1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.pszName);
        DeleteFileW(kNetIni.c_str());
        fakespooler::Scope::Get().printerData.clear();
        for (const auto &a : c.answers) Answer(a.first.c_str(), a.second.c_str());
        DriverItems items(c.items);
        RecordingDriverUI driverUI;
        Run(items, &driverUI);
        EXPECT_EQ(items.Sels(), c.sels);
        EXPECT_EQ(driverUI.calls, c.calls);
        EXPECT_FALSE(items.AnyFlags());  // the new selection only; no OPTIF_CHANGED
        auto &data = fakespooler::Scope::Get().printerData;
        if (c.nHddSetting < 0) {
            EXPECT_EQ(data.count(L"HDD_SETTING"), 0u);
        } else {
            EXPECT_EQ(data[L"HDD_SETTING"], static_cast<DWORD>(c.nHddSetting));
        }
        // The same answers again: nothing left to change.
        data.clear();
        RecordingDriverUI again;
        Run(items, &again);
        EXPECT_TRUE(again.calls.empty());
        EXPECT_TRUE(data.empty());
    }
}

TEST_F(AutoConfig, EndsQuietlyWhenARunCannotBeMade) {
    struct Case {
        const char *pszName;
        std::function<void()> arrange;
        bool bNullHelper;
        int nLoads;
    } const cases[] = {
        {"no driver helper", [] {}, true, 0},
        {"no port name", [] { fakespooler::Scope::Get().bPrinterFails = true; }, false, 0},
        {"port name too long", [] { fakespooler::Scope::Get().portName.assign(300, L'p'); }, false, 0},
        {"port not configured", [] { fakespooler::Scope::Get().portName = L"AcTest_Other"; }, false, 1},
        {"no library", [] { SetModuleInstance(nullptr); }, false, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.pszName);
        fakespooler::Scope::Get() = fakespooler::State();
        SetModuleInstance(PluginImage());
        Answer(L"TrayConfig", L"1");
        c.arrange();
        DriverItems items({{"Option1", 0, 3}});
        RecordingDriverUI driverUI;
        Run(items, c.bNullHelper ? nullptr : &driverUI);
        EXPECT_EQ(g_nLoads, c.nLoads);
        EXPECT_EQ(items.Sels(), std::vector<LONG>{0});
        EXPECT_TRUE(driverUI.calls.empty());
    }
    SetModuleInstance(PluginImage());
    AutoConfigureOptions(nullptr, nullptr, nullptr);

    // A library without the entry point is loaded, left alone and unloaded.
    testsupport::ImportPatch hide(GetModuleHandleW(nullptr), nullptr, "GetProcAddress",
                                  reinterpret_cast<void *>(&HidingGetProcAddress));
    g_pfnGetProcAddress = hide.OriginalAs<decltype(g_pfnGetProcAddress)>();
    DriverItems items({{"Option1", 0, 3}});
    RecordingDriverUI driverUI;
    Run(items, &driverUI);
    EXPECT_EQ(g_nLoads, 1);
    EXPECT_EQ(items.Sels(), std::vector<LONG>{0});
    NetLibRecord r;
    EXPECT_FALSE(LastRequest(&r));
}

TEST_F(AutoConfig, FunctionSwitchesComeFromTheModelIni) {
    OEMCUIPPARAM param = {};
    param.hPrinter = fakespooler::Scope::kPrinter;
    // No file: the defaults; unknown keys are never read.
    EXPECT_EQ(ReadFunctionSwitch(&param, nullptr, L"SupportMpTray"), 1);
    EXPECT_EQ(ReadFunctionSwitch(&param, nullptr, L"AutoCfgNetworkMDL"), 0);
    WritePrivateProfileStringW(L"FUNCTION", L"SupportMpTray", L"0", kModelIni.c_str());
    WritePrivateProfileStringW(L"FUNCTION", L"AutoConfiguration", L"5", kModelIni.c_str());
    EXPECT_EQ(ReadFunctionSwitch(&param, nullptr, L"SupportMpTray"), 0);
    EXPECT_EQ(ReadFunctionSwitch(&param, nullptr, L"AutoConfiguration"), 0);
    EXPECT_EQ(ReadFunctionSwitch(nullptr, nullptr, L"SupportMpTray"), 0);
    fakespooler::Scope::Get().bDriverFails = true;
    EXPECT_EQ(ReadFunctionSwitch(&param, nullptr, L"SupportMpTray"), 0);

    // With a context record its model INI reader is used, and its section kept.
    const std::wstring otherIni = BinDir() + L"ACOTHERu.INI";
    WritePrivateProfileStringW(L"FUNCTION", L"AutoCfgNetworkMDL", L"3", otherIni.c_str());
    ModelConfig *pConfig = CreateModelConfig(GetProcessHeap());
    ASSERT_NE(pConfig, nullptr);
    pConfig->pIni->SetPath(otherIni.c_str());
    pConfig->pIni->SetSection(L"Common");
    EXPECT_EQ(ReadFunctionSwitch(&param, pConfig, L"AutoCfgNetworkMDL"), 3);
    EXPECT_EQ(ReadFunctionSwitch(&param, pConfig, L"SupportMpTray"), 1);
    EXPECT_STREQ(pConfig->pIni->Section(), L"Common");
    FreeModelConfig(GetProcessHeap(), pConfig);
    DeleteFileW(otherIni.c_str());
}

}  // namespace
