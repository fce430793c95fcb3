// Scenario steps against the real plug-in: a message box driven inside its
// modal loop, bad input that must end a run naming its line, seeding and the
// recorded side effects.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "host/printer_install.h"
#include "host/expectations.h"
#include "host/seeding.h"
#include "host/side_effects.h"
#include "optiontree/auto_config.h"
#include "tests/host/scenario_text.h"

namespace oemuihost {
namespace {

// A stored copy split makes the plug-in ask before a copies change drops it;
// line 7 opens that question.
const std::wstring kCopiesQuestion =
    L"model talix_c500\nopen preferences\nselect copies 2\nclose ok\nseed block lGrayCopies 1\n"
    L"open preferences\nselect copies 3\n";

TEST(ScenarioSteps, MessageBoxIsDrivenInsideItsModalLoop) {
    Report report;
    ASSERT_EQ(RunText(kCopiesQuestion + L"dialog Warning\nexpect text 6 &Yes\nexpect enabled 7 yes\n"
                                        L"expect style 6 WS_TABSTOP -WS_DISABLED\nclick No\n"
                                        L"expect call messagebox Warning * MB_YESNO no\nexpect ended Warning no\n"
                                        L"expect devmode lGrayCopies 1\nexpect item copies sel 2\nclose cancel\n",
                      &report),
              kExitOk);
    EXPECT_EQ(report.CountKind(L"error"), 0u);
    EXPECT_EQ(report.CountKind(L"expect"), 7u);
    EXPECT_TRUE(HasText(report, L"dialog", L"\"Warning\" ended"));

    // A dialog answer given in advance presses its button in the next dialog.
    Report answered;
    ASSERT_EQ(RunText(L"model talix_c500\nopen preferences\nselect copies 2\nclose ok\nseed block lGrayCopies 1\n"
                      L"open preferences\nanswer dialog cancel\nselect copies 3\nexpect ended Warning cancel\n"
                      L"expect item copies sel 2\n",
                      &answered),
              kExitOk);
    EXPECT_TRUE(HasText(answered, L"dialog", L"\"Warning\" -> cancel"));
}

TEST(ScenarioSteps, BadInputEndsTheRunNamingTheLine) {
    const struct Case {
        std::wstring text;
        const wchar_t *line;
        const wchar_t *why;
    } cases[] = {
        {kCopiesQuestion + L"click Maybe\n", L"line 8: ", L"has no control \"Maybe\""},
        {kCopiesQuestion + L"dialog \"Another\"\n", L"line 8: ", L"is \"Warning\", not \"Another\""},
        {kCopiesQuestion, L"line 7: ", L"left open at the end of the scenario; closed with no"},
        {kCopiesQuestion + L"close ok\n", L"line 7: ", L"when line 8 (\"close ok\") needs the sheet"},
        {L"model talix_c500\nopen preferences\ndialog Warning\n", L"line 3: ", L"no dialog opened"},
        {L"model talix_c500\nexpect printerdata NO_SUCH_VALUE REG_DWORD\n", L"line 2: ", L"no such value"},
        {L"model talix_c500\nopen preferences\nexpect devmode szNoSuchField 1\n", L"line 3: ", L"no field"},
        {L"model talix_c500\nopen preferences\nexpect devmode lColorCopies 5\n", L"line 3: ", L"expected 5, found 0"},
        {L"model talix_c500\nopen preferences\nexpect item Copies sel 4\n", L"line 3: ", L"expected 4, found 1"},
        {L"model talix_c500\nopen preferences\nscreenshot Z:\\no\\such\\folder\\x.png\n", L"line 3: ", L"cannot create"},
        {L"model talix_c500\nopen preferences\nok\n", L"line 3: ", L"needs a dialog"},
        {L"model talix_c500\nopen preferences\npage Troubleshooting\nexpect text 1223 Printer\n", L"line 4: ",
         L"expected \"Printer\", found \"Print\""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(Narrow(c.text));
        Report report;
        EXPECT_EQ(RunText(c.text, &report), kExitScenarioError);
        EXPECT_TRUE(HasText(report, L"error", std::wstring(c.line)));
        EXPECT_TRUE(HasText(report, L"error", c.why));
        for (const ReportEntry &e : report.Entries())
            if (e.kind == L"error") std::printf("  %s\n", Narrow(e.text).c_str());
    }
}

TEST(ScenarioSteps, SeedingIsUndoneAtTheEndOfTheRun) {
    const std::wstring portKey =
        L"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports\\IP_192.0.2.10";
    const std::wstring netLib = ExecutableDirectory() + L"OEMUN.DLL";
    Report report;
    ASSERT_EQ(RunText(L"tcpport IP_192.0.2.10 ipaddress 192.0.2.10\n"
                      L"model talix_c500 name \"Front Desk\" port IP_192.0.2.10\n"
                      L"expect registry \"HKLM\\" + portKey + L"\" IPAddress REG_SZ 22 192.0.2.10\n"
                      L"seed printerdata HDD_SETTING REG_SZ yes\nexpect printerdata HDD_SETTING REG_SZ 8 yes\n"
                      L"seed printerdata Odd REG_BINARY hex:00FF10\nexpect printerdata Odd REG_BINARY 3 hex:00FF10\n"
                      L"seed registry \"HKCU\\Software\\OEMUI Host Test\" Value REG_DWORD 7\n"
                      L"expect registry \"HKCU\\Software\\OEMUI Host Test\" Value REG_DWORD 4 7\n"
                      L"open properties\nclose ok\nexpect call netlib IP_192.0.2.10\nexpect calls netlib 3\n"
                      L"netlib missing\nopen properties\nclose ok\nexpect calls netlib 3\n"
                      L"netlib noentry\nopen properties\nclose ok\nexpect calls netlib 3\nnetlib present\n"
                      L"open properties\nclose ok\nexpect calls netlib 6\nnetlib missing\n",
                      &report),
              kExitOk);
    EXPECT_TRUE(HasText(report, L"sheet", L"installed \"Front Desk\" (driver \"oemuihost talix_c500\""));
    DWORD value = 0;
    EXPECT_FALSE(ReadRegDword(HKEY_CURRENT_USER, L"Software\\OEMUI Host Test", L"Value", &value));
    std::wstring text;
    EXPECT_FALSE(ReadRegString(HKEY_LOCAL_MACHINE, portKey, L"IPAddress", &text));
    EXPECT_NE(GetFileAttributesW(netLib.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesW((netLib + L".oemuihost-away").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(HasText(report, L"regdelete", L"Software\\QvPrint\\oemuihost talix_c500\\"));
}

TEST(ScenarioSteps, SeedValuesOfEveryKind) {
    const struct Case {
        const wchar_t *type, *value;
        DWORD wantType;
        size_t wantSize;
        bool ok;
    } cases[] = {
        {L"REG_DWORD", L"0x10", REG_DWORD, 4, true}, {L"REG_DWORD", L"yes", 0, 0, false},
        {L"REG_SZ", L"ab", REG_SZ, 6, true},         {L"REG_MULTI_SZ", L"ab", REG_MULTI_SZ, 8, true},
        {L"REG_SZ", L"hex:6100", REG_SZ, 2, true},   {L"3", L"hex:", REG_BINARY, 0, true},
        {L"REG_BINARY", L"hex:0", 0, 0, false},      {L"REG_WHATEVER", L"1", 0, 0, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(Narrow(std::wstring(c.type) + L" " + c.value));
        DWORD type = 0;
        std::vector<BYTE> data;
        std::wstring error;
        ASSERT_EQ(ParseSeedValue(c.type, c.value, &type, &data, &error), c.ok);
        if (!c.ok) continue;
        EXPECT_EQ(type, c.wantType);
        EXPECT_EQ(data.size(), c.wantSize);
    }
}

// Stored values as expect compares them: type, size, text, number or bytes,
// also values of the wrong type or size; seeding undone afterwards.
TEST(ScenarioSteps, ExpectComparesStoredValuesByTypeSizeAndBytes) {
    const std::wstring key = L"HKCU\\Software\\OEMUI Host Expect";
    const std::wstring port = L"HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports\\IP_EXPECT";
    const struct Case {
        const wchar_t *name, *type, *value;  // seeded (null: not seeded)
        std::vector<std::wstring> expect;    // after "expect registry KEY NAME"
        bool holds;
    } cases[] = {
        {L"Text", L"REG_SZ", L"abc", {L"REG_SZ", L"8", L"abc"}, true},
        {L"Text", nullptr, nullptr, {L"REG_SZ", L"6", L"abc"}, false},
        {L"Text", nullptr, nullptr, {L"REG_DWORD"}, false},
        {L"Text", nullptr, nullptr, {L"REG_SZ", L"*", L"hex:6100620063000000"}, true},
        {L"Blob", L"REG_BINARY", L"hex:00FF", {L"REG_BINARY", L"2", L"hex:00ff"}, true},
        {L"Short", L"REG_DWORD", L"hex:010203", {L"REG_DWORD", L"3", L"hex:010203"}, true},
        {L"Short", nullptr, nullptr, {L"REG_DWORD", L"4", L"1"}, false},
        {L"Number", L"REG_DWORD", L"0x10", {L"REG_DWORD", L"4", L"16"}, true},
        {L"Number", nullptr, nullptr, {L"REG_DWORD", L"4", L"17"}, false},
        {L"Gone", nullptr, nullptr, {L"absent"}, true},
        {L"Number", nullptr, nullptr, {L"absent"}, false},
    };
    Report report;
    StepContext ctx;
    ctx.pReport = &report;
    {
        Seeding seeding(ExecutableDirectory() + L"OEMUI.DLL");
        for (const Case &c : cases) {
            SCOPED_TRACE(Narrow(std::wstring(c.name) + L" " + c.expect[0]));
            std::wstring error;
            if (c.type != nullptr) {
                ASSERT_TRUE(seeding.Seed({L"registry", key, c.name, c.type, c.value}, ctx, &error));
            }
            std::vector<std::wstring> args = {L"registry", key, c.name};
            args.insert(args.end(), c.expect.begin(), c.expect.end());
            EXPECT_EQ(CheckExpectation(args, ctx, &error), c.holds) << Narrow(error);
            if (!c.holds) {
                EXPECT_NE(error.find(L"expected"), std::wstring::npos) << Narrow(error);
            }
        }
        std::wstring error;
        ASSERT_TRUE(seeding.TcpPort(L"IP_EXPECT", L"hostname", L"printer.example", &error));
        EXPECT_TRUE(CheckExpectation({L"registry", port, L"HostName", L"REG_SZ", L"32", L"printer.example"}, ctx, &error))
            << Narrow(error);
        EXPECT_TRUE(CheckExpectation({L"registry", port, L"IPAddress", L"REG_SZ", L"2", L""}, ctx, &error)) << Narrow(error);
    }
    std::wstring error;
    EXPECT_TRUE(CheckExpectation({L"registry", key, L"Text", L"absent"}, ctx, &error)) << Narrow(error);
    EXPECT_TRUE(CheckExpectation({L"registry", port, L"HostName", L"absent"}, ctx, &error)) << Narrow(error);
    EXPECT_FALSE(CheckExpectation({L"registry", L"HKXX\\Nowhere", L"V", L"absent"}, ctx, &error));
    EXPECT_FALSE(CheckExpectation({L"nonsense", L"1"}, ctx, &error));
}

// The test program stands in for the plug-in: its own imports are replaced.
TEST(SideEffects, CallsAreRecordedAndTheHelpLoaderFindsTheStandIn) {
    Report report;
    CallLog log(&report);
    {
        SideEffects effects(GetModuleHandleW(nullptr), &log, HelpStandInPath());
        ASSERT_TRUE(effects.HelpProblem().empty()) << Narrow(effects.HelpProblem());
        EXPECT_TRUE(MessageBeep(MB_ICONWARNING));
        effects.QueueShellResult(2);
        EXPECT_EQ(reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", L"http://192.0.2.10/", nullptr, nullptr, SW_SHOW)), 2);
        EXPECT_EQ(reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", L"IEXPLORE.EXE", L"http://x/", nullptr, SW_SHOW)), 42);
        effects.SetLanguage(true, 0x0401);
        EXPECT_EQ(GetSystemDefaultLangID(), 0x0401);
        effects.SetLanguage(false, 0x040C);
        EXPECT_EQ(GetUserDefaultLangID(), 0x040C);

        // The way the plug-in's loader finds the HTML Help library.
        HKEY hKey = nullptr;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32", 0,
                                KEY_READ, &hKey),
                  ERROR_SUCCESS);
        char szPath[MAX_PATH + 1] = {};
        DWORD cb = MAX_PATH;
        ASSERT_EQ(RegQueryValueExA(hKey, nullptr, nullptr, nullptr, reinterpret_cast<BYTE *>(szPath), &cb), ERROR_SUCCESS);
        RegCloseKey(hKey);
        HMODULE hHelp = LoadLibraryA(szPath);
        ASSERT_NE(hHelp, nullptr);
        using HtmlHelpFn = HWND(WINAPI *)(HWND, const wchar_t *, UINT, DWORD_PTR);
        auto pfnHelp = reinterpret_cast<HtmlHelpFn>(reinterpret_cast<void *>(GetProcAddress(hHelp, MAKEINTRESOURCEA(15))));
        ASSERT_NE(pfnHelp, nullptr);
        EXPECT_EQ(pfnHelp(nullptr, L"C:\\d\\X.chm::\\Html\\Copies.htm", 0, 0), nullptr);
        FreeLibrary(hHelp);

        // The network library's entry comes back wrapped; what it was asked is kept.
        HMODULE hNet = LoadLibraryW((ExecutableDirectory() + L"OEMUN.DLL").c_str());
        ASSERT_NE(hNet, nullptr);
        using NetFn = SHORT(WINAPI *)(LPCSTR, oemui::NetLibRecord *, SHORT *, DWORD);
        auto pfnNet = reinterpret_cast<NetFn>(reinterpret_cast<void *>(GetProcAddress(hNet, oemui::kNetLibEntryName)));
        ASSERT_NE(pfnNet, nullptr);
        oemui::NetLibRecord record;
        memset(&record, 0xFF, sizeof(record));
        SHORT flag = 1;
        EXPECT_EQ(pfnNet("NO_SUCH_PORT", &record, &flag, 0), 0);
        FreeLibrary(hNet);
    }
    // Afterwards the platform answers again.
    EXPECT_EQ(GetSystemDefaultLangID(), GetSystemDefaultLangID());
    const struct {
        const wchar_t *kind;
        std::vector<std::wstring> fields;
    } expected[] = {
        {L"beep", {L"MB_OK | MB_ICONWARNING"}},
        {L"shellexecute", {L"open", L"http://192.0.2.10/", L"(null)", L"(null)", L"5", L"2"}},
        {L"shellexecute", {L"open", L"IEXPLORE.EXE", L"http://x/", L"(null)", L"5", L"42"}},
        {L"htmlhelp", {L"null", L"C:\\d\\X.chm::\\Html\\Copies.htm", L"0", L"0"}},
        {L"netlib", {L"NO_SUCH_PORT", std::wstring(64, L'F')}},
    };
    ASSERT_EQ(log.Calls().size(), sizeof(expected) / sizeof(expected[0]));
    for (size_t i = 0; i < log.Calls().size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(log.Calls()[i].kind, expected[i].kind);
        for (size_t f = 0; f < expected[i].fields.size(); ++f) EXPECT_EQ(log.Calls()[i].fields[f], expected[i].fields[f]);
    }
    // The registration is put back as it was.
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32", 0, KEY_READ,
                      &hKey) == ERROR_SUCCESS) {
        char szPath[MAX_PATH + 1] = {};
        DWORD cb = MAX_PATH;
        RegQueryValueExA(hKey, nullptr, nullptr, nullptr, reinterpret_cast<BYTE *>(szPath), &cb);
        RegCloseKey(hKey);
        EXPECT_EQ(std::string(szPath).find("helpstub"), std::string::npos);
    }
}

}  // namespace
}  // namespace oemuihost
