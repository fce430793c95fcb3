// The emulator against the real plug-in and real Wine printers: the order of
// a session's calls, the per-sheet heap, the stored device mode carried
// through the plug-in, the helper's size protocol, scripted message boxes,
// and scenario errors.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/driver_helper.h"
#include "host/plugin_host.h"
#include "host/printer_install.h"
#include "host/scenario.h"
#include "host/scenario_runner.h"
#include "host/scripted_answers.h"
#include "host/session.h"
#include "tests/host/scenario_text.h"
#include "settings/private_devmode.h"

namespace oemuihost {
namespace {

// The "call" entries in order, cut at the first " ->".
std::vector<std::wstring> Calls(const Report &report) {
    std::vector<std::wstring> calls;
    for (const ReportEntry &e : report.Entries())
        if (e.kind == L"call") calls.push_back(e.text.substr(0, e.text.find(L" ->")));
    return calls;
}

// Every expected call appears, in this order (others may come between).
void ExpectInOrder(const std::vector<std::wstring> &calls, const std::vector<std::wstring> &expected) {
    size_t at = 0;
    for (const std::wstring &want : expected) {
        auto it = std::find(calls.begin() + static_cast<std::ptrdiff_t>(at), calls.end(), want);
        ASSERT_NE(it, calls.end()) << "missing or out of order: " << std::string(want.begin(), want.end());
        at = static_cast<size_t>(it - calls.begin()) + 1;
    }
}

TEST(Session, CallOrderOfBothSheets) {
    struct Case {
        const wchar_t *kind;
        const wchar_t *method;
        std::vector<std::wstring> before;
    };
    const Case cases[] = {
        {L"preferences", L"DocumentPropertySheets",
         {L"DevMode(OEMDM_SIZE)", L"DevMode(OEMDM_DEFAULT)", L"CommonUIProp(OEMCUIP_DOCPROP, pOEMOptItems null)"}},
        {L"properties", L"DevicePropertySheets", {L"CommonUIProp(OEMCUIP_PRNPROP, pOEMOptItems null)"}},
    };
    for (const Case &c : cases) {
        Report report;
        ASSERT_EQ(RunText(std::wstring(L"model talix_c500\nopen ") + c.kind + L"\nclose ok\n", &report), kExitOk);
        std::vector<std::wstring> expected = {L"PublishDriverInterface(helper)"};
        expected.insert(expected.end(), c.before.begin(), c.before.end());
        for (const wchar_t *reason : {L"INIT", L"GET_INFO_HEADER", L"SET_RESULT", L"DESTROY"})
            expected.push_back(std::wstring(c.method) + L"(PROPSHEETUI_REASON_" + reason + L")");
        ExpectInOrder(Calls(report), expected);
        EXPECT_TRUE(HasText(report, L"sheet", L"per-sheet heap discarded"));
        EXPECT_TRUE(HasText(report, L"call", L"DllCanUnloadNow after release -> 0x00000000"));
        EXPECT_EQ(report.CountKind(L"error"), 0u);
    }
}

class LiveSession : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(InstallModelPrinter(SampleModelsDirectory() + L"talix_c500", kPrinter, L"", L"", nullptr, nullptr));
        DeleteStoredDevMode(kPrinter);
        ASSERT_TRUE(host.Load(ExecutableDirectory() + L"OEMUI.DLL"));
        helper = new DriverHelper(&report);
        ASSERT_EQ(host.Publish(helper), S_OK);
        env.pPlugin = host.Plugin();
        env.hPlugin = host.Module();
        env.pHelper = helper;
        env.pReport = &report;
    }
    void TearDown() override {
        host.Unload();
        if (helper) helper->Release();
        DeleteStoredDevMode(kPrinter);
        UninstallModelPrinter(kPrinter, L"");
    }
    static constexpr const wchar_t *kPrinter = L"oemuihost session test";
    Report report;
    PluginHost host;
    DriverHelper *helper = nullptr;
    SessionEnv env;
};

TEST_F(LiveSession, HeapIsDiscardedWhenTheSheetCloses) {
    Session session(env);
    std::wstring error;
    ASSERT_TRUE(session.Open(kPrinter, SheetKind::Document, false, &error));
    const HANDLE hHeap = session.Heap();
    ASSERT_NE(hHeap, nullptr);
    session.Close(true);
    EXPECT_TRUE(session.HeapDiscarded());
    HANDLE heaps[256];
    const DWORD n = GetProcessHeaps(256, heaps);
    EXPECT_EQ(std::find(heaps, heaps + (n < 256 ? n : 256), hHeap), heaps + (n < 256 ? n : 256));
}

TEST_F(LiveSession, StoredDeviceModeComesBackThroughThePlugin) {
    std::wstring error;
    {
        Session first(env);
        ASSERT_TRUE(first.Open(kPrinter, SheetKind::Document, false, &error));
        auto *pdm = reinterpret_cast<oemui::PrivateDevMode *>(first.DevMode().PluginBlock());
        lstrcpynW(pdm->szUserId, L"ROUNDTRIP", 20);
        pdm->sPrintMode = 5;
        ASSERT_TRUE(first.Select(L"copies", L"4", &error));
        first.Close(true);
    }
    Session second(env);
    ASSERT_TRUE(second.Open(kPrinter, SheetKind::Document, false, &error));
    EXPECT_TRUE(HasText(report, L"call", L"DevMode(OEMDM_MERGE)"));
    const auto *pdm = reinterpret_cast<const oemui::PrivateDevMode *>(second.DevMode().PluginBlock());
    EXPECT_STREQ(pdm->szUserId, L"ROUNDTRIP");
    EXPECT_EQ(pdm->sPrintMode, 5);
    EXPECT_EQ(second.DevMode().Public()->dmCopies, 4);
    second.Close(false);

    // A stored block of another size is converted (it still holds every
    // field); one whose sizes do not add up is not handed to the plug-in.
    std::vector<BYTE> stored;
    ASSERT_TRUE(LoadStoredDevMode(kPrinter, &stored));
    std::vector<BYTE> shorter(stored.begin(), stored.end() - 2000);
    reinterpret_cast<DEVMODEW *>(shorter.data())->dmDriverExtra -= 2000;
    ASSERT_TRUE(SaveStoredDevMode(kPrinter, shorter));
    Session third(env);
    ASSERT_TRUE(third.Open(kPrinter, SheetKind::Document, false, &error));
    EXPECT_TRUE(HasText(report, L"call", L"DevMode(OEMDM_CONVERT)"));
    EXPECT_STREQ(reinterpret_cast<const oemui::PrivateDevMode *>(third.DevMode().PluginBlock())->szUserId, L"ROUNDTRIP");
    third.Close(false);

    reinterpret_cast<DEVMODEW *>(stored.data())->dmDriverExtra += 100;
    ASSERT_TRUE(SaveStoredDevMode(kPrinter, stored));
    auto countConverts = [this] {
        const std::vector<std::wstring> calls = Calls(report);
        return std::count(calls.begin(), calls.end(), L"DevMode(OEMDM_CONVERT)");
    };
    const auto converts = countConverts();
    Session fourth(env);
    ASSERT_TRUE(fourth.Open(kPrinter, SheetKind::Document, false, &error));
    EXPECT_TRUE(HasText(report, L"warning", L"stored device mode is ignored"));
    EXPECT_EQ(countConverts(), converts);
    fourth.Close(false);
}

TEST_F(LiveSession, HelperAnswersWithTheSizeProtocol) {
    Session session(env);
    std::wstring error;
    ASSERT_TRUE(session.Open(kPrinter, SheetKind::Document, false, &error));
    ASSERT_TRUE(session.Select(L"ColorMode", L"Mono", &error));
    struct Case {
        const char *name;
        PVOID pci;
        const char *feature;
        DWORD cbSize;
        HRESULT hr;
        DWORD lastError;
        DWORD cbNeeded;
        const char *value;
    };
    int other = 0;
    const Case cases[] = {
        {"current option", session.UiObject(), "ColorMode", 16, S_OK, 0, 5, "Mono"},
        {"exact size", session.UiObject(), "ColorMode", 5, S_OK, 0, 5, "Mono"},
        {"buffer one short", session.UiObject(), "ColorMode", 4, E_OUTOFMEMORY, ERROR_INSUFFICIENT_BUFFER, 5, ""},
        {"installable default", session.UiObject(), "Option4", 16, S_OK, 0, 6, "False"},
        {"public-bound feature", session.UiObject(), "Duplex", 16, S_OK, 0, 5, "NONE"},
        {"unknown feature", session.UiObject(), "NoSuchFeature", 16, E_INVALIDARG, ERROR_INVALID_PARAMETER, 0, ""},
        {"foreign pci", &other, "ColorMode", 16, E_INVALIDARG, ERROR_INVALID_PARAMETER, 0, ""},
        {"predefined id", session.UiObject(), reinterpret_cast<const char *>(OEMGDS_PRINTFLAGS), 16, E_NOTIMPL, 0, 0, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        char buffer[16] = {};
        DWORD cbNeeded = 0, returned = 0;
        SetLastError(0);
        EXPECT_EQ(helper->DrvGetDriverSetting(c.pci, c.feature, buffer, c.cbSize, &cbNeeded, &returned), c.hr);
        EXPECT_EQ(GetLastError(), c.lastError);
        EXPECT_EQ(cbNeeded, c.cbNeeded);
        EXPECT_STREQ(buffer, c.value);
    }
    // Items the core does not own are refused; its own are applied.
    OPTITEM stranger = {};
    EXPECT_EQ(helper->DrvUpdateUISetting(session.UiObject(), &stranger, 0, OEMCUIP_DOCPROP), E_INVALIDARG);
    const int duplex = session.Tree().FindDriverItem(L"Duplex");
    ASSERT_GE(duplex, 0);
    session.Tree().Items()[duplex].Sel = 2;
    EXPECT_EQ(helper->DrvUpdateUISetting(session.UiObject(), &session.Tree().Items()[duplex], 0, OEMCUIP_DOCPROP), S_OK);
    EXPECT_EQ(session.DevMode().Public()->dmDuplex, DMDUP_HORIZONTAL);
    session.Tree().Items()[duplex].Sel = 7;
    EXPECT_EQ(helper->DrvUpdateUISetting(session.UiObject(), &session.Tree().Items()[duplex], 0, OEMCUIP_DOCPROP), E_INVALIDARG);
    // Installable options are kept as printer data of the printer.
    EXPECT_EQ(helper->DrvUpgradeRegistrySetting(session.PrinterHandle(), "Option4", "True"), S_OK);
    EXPECT_EQ(helper->DrvUpgradeRegistrySetting(session.PrinterHandle(), "Option4", "Maybe"), E_INVALIDARG);
    EXPECT_EQ(helper->DrvUpgradeRegistrySetting(session.PrinterHandle(), "ColorMode", "Mono"), E_INVALIDARG);
    std::wstring stored;
    EXPECT_TRUE(GetPrinterString(kPrinter, L"InstallableOption.Option4", &stored));
    EXPECT_EQ(stored, L"True");
    session.Close(false);
}

TEST(ScriptedAnswers, MessageBoxesAreAnsweredFromTheQueue) {
    Report report;
    // The test program's own import stands in for the plug-in's.
    ScriptedAnswers answers(GetModuleHandleW(nullptr), &report);
    ASSERT_TRUE(answers.Patched());
    answers.QueueMessageBox(IDYES);
    answers.QueueMessageBox(IDOK);
    EXPECT_EQ(MessageBoxW(nullptr, L"Keep?", L"Warning", MB_YESNO), IDYES);
    EXPECT_EQ(answers.TakeUnanswered(), 0);
    EXPECT_EQ(MessageBoxW(nullptr, L"Keep?", L"Warning", MB_YESNO), IDNO);  // "ok" does not fit
    EXPECT_EQ(MessageBoxW(nullptr, L"Retry?", L"Warning", MB_RETRYCANCEL), IDCANCEL);  // nothing queued
    EXPECT_EQ(answers.TakeUnanswered(), 2);
    EXPECT_EQ(report.CountKind(L"messagebox"), 3u);
}

TEST(Scenario, ErrorsNameTheLine) {
    struct Case {
        const wchar_t *text;
        const wchar_t *line;
        bool parses;
    };
    const Case cases[] = {
        {L"# comment\nfly away\n", L"line 2", false},
        {L"model \"talix_c500\n", L"line 1", false},
        {L"open sideways\n", L"line 1", false},
        {L"select copies\n", L"line 1", false},
        {L"answer dialog maybe\n", L"line 1", false},
        {L"dump everything\n", L"line 1", false},
        {L"select copies 2\n", L"line 1", true},
        {L"model talix_c500\nopen preferences\nselect NoSuchFeature On\n", L"line 3", true},
        {L"model talix_c500\nopen preferences\nselect ColorMode Purple\n", L"line 3", true},
        {L"model talix_c500\nopen preferences\nselect copies 1000\n", L"line 3", true},
        {L"model talix_c500\nopen preferences\nselect JCLEnhanceGray On\n", L"line 3", true},
        {L"model talix_c500\nopen preferences\npress \"No Such Button\"\n", L"line 3", true},
        {L"model talix_c500\nopen preferences\nopen properties\n", L"line 3", true},
        {L"model korvant_k30\nopen preferences\npress \"Print and Hold\"\n", L"line 3", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << std::string(c.text, c.text + wcslen(c.text)));
        Scenario scenario;
        std::wstring error;
        const bool parsed = ParseScenario(c.text, &scenario, &error);
        EXPECT_EQ(parsed, c.parses);
        if (!parsed) {
            EXPECT_EQ(error.find(c.line), 0u);
            continue;
        }
        Report report;
        EXPECT_EQ(RunText(c.text, &report), kExitScenarioError);
        EXPECT_TRUE(HasText(report, L"error", c.line));
    }
}

TEST(Scenario, NetworkAnswersConfigureTheInstallableOptions) {
    Report report;
    ASSERT_EQ(RunText(L"model talix_c500\nnetwork TrayConfig 11\nnetwork DuplexUnit 1\n"
                      L"network HardDisk 1\nnetwork Finisher 1\nopen properties\nclose ok\n",
                      &report),
              kExitOk);
    for (const wchar_t *stored : {L"InstallableOption.Option1 = True", L"InstallableOption.Option5 = LCT",
                                  L"InstallableOption.Option2 = True", L"InstallableOption.Option4 = True",
                                  L"InstallableOption.Finisher = MPFinisher"})
        EXPECT_TRUE(HasText(report, L"helper", stored)) << std::string(stored, stored + wcslen(stored));
    // The fourth tray stays as it was: only differing selections are changed.
    EXPECT_FALSE(HasText(report, L"helper", L"InstallableOption.Option6"));
    // Without answers for the port, nothing is changed.
    Report quiet;
    ASSERT_EQ(RunText(L"model talix_c500\nopen properties\nclose ok\n", &quiet), kExitOk);
    EXPECT_FALSE(HasText(quiet, L"helper", L"DrvUpgradeRegistrySetting"));
}

TEST(Scenario, SampleScenariosRun) {
    const std::wstring dir = SampleModelsDirectory() + L"..\\host\\scenarios\\";
    WIN32_FIND_DATAW fd;
    HANDLE hFind = FindFirstFileW((dir + L"*.scn").c_str(), &fd);
    ASSERT_NE(hFind, INVALID_HANDLE_VALUE);
    int count = 0;
    do {
        SCOPED_TRACE(testing::Message() << std::string(fd.cFileName, fd.cFileName + wcslen(fd.cFileName)));
        Scenario scenario;
        std::wstring error;
        ASSERT_TRUE(LoadScenarioFile(dir + fd.cFileName, &scenario, &error));
        RunOptions options;
        options.dllPath = ExecutableDirectory() + L"OEMUI.DLL";
        Report report;
        EXPECT_EQ(RunScenario(scenario, options, report), kExitOk);
        EXPECT_EQ(report.CountKind(L"error"), 0u);
        ++count;
    } while (FindNextFileW(hFind, &fd));
    FindClose(hFind);
    EXPECT_GE(count, 5);
}

// The main job plays the preferences scenario on a printer installed under a
// name of its own (--printer); "%PRINTER%" in its per-user key must follow.
TEST(Scenario, PrinterNamedOnTheCommandLineIsThePrinterOfEveryStep) {
    const wchar_t *kNamed = L"oemuihost named printer";
    ASSERT_TRUE(InstallModelPrinter(SampleModelsDirectory() + L"talix_c500", kNamed, L"", L"", nullptr, nullptr));
    Scenario scenario;
    std::wstring error;
    ASSERT_TRUE(LoadScenarioFile(SampleModelsDirectory() + L"..\\host\\scenarios\\talix_c500_preferences.scn",
                                 &scenario, &error));
    RunOptions options;
    options.dllPath = ExecutableDirectory() + L"OEMUI.DLL";
    options.printerOverride = kNamed;
    Report report;
    EXPECT_EQ(RunScenario(scenario, options, report), kExitOk);
    EXPECT_EQ(report.CountKind(L"error"), 0u);
    EXPECT_TRUE(HasText(report, L"expect", L"holds"));
    DeleteStoredDevMode(kNamed);
    UninstallModelPrinter(kNamed, L"");
}

}  // namespace
}  // namespace oemuihost
