// A printer installed from each sample model's package, played through a
// scenario with no --dll: the session finds the plug-in as a driver core
// does, through [OEMFiles] OEMConfigFile1 of the driver's INI, and loads it
// from the driver folder. A driver naming no plug-in runs without one; a
// named file that is missing or no module is an error.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "host/driver_devmode.h"
#include "host/driver_install.h"
#include "host/scenario.h"
#include "host/scenario_runner.h"
#include "tests/package/package_rig.h"

namespace oemuihost {
namespace {

constexpr wchar_t kPrinter[] = L"Package Session Printer";

int RunOnPrinter(const std::wstring &steps, Report *pReport) {
    Scenario scenario;
    std::wstring error;
    if (!ParseScenario(std::wstring(L"printer \"") + kPrinter + L"\"\n" + steps, &scenario, &error)) {
        ADD_FAILURE() << Narrow(error);
        return -1;
    }
    RunOptions options;  // no dllPath: the driver's INI names the plug-in
    return RunScenario(scenario, options, *pReport);
}

std::wstring Entries(const Report &report, const std::wstring &kind) {
    std::wstring text;
    for (const ReportEntry &e : report.Entries())
        if (e.kind == kind) text += e.text + L"\n";
    return text;
}

class SessionPlugin : public ::testing::Test {
protected:
    void SetUp() override { RemovePrinterAndDriver(kPrinter); }
    void TearDown() override { Remove(); }
    void Remove() {
        if (!installed.printerName.empty()) UninstallModelPrinter(installed.printerName, installed.driverName);
        DeleteStoredDevMode(kPrinter);
        installed = InstalledPrinter();
    }
    bool Install(const std::wstring &model) {
        std::wstring error;
        const bool bOk = InstallFromInf({PackagesDirectory() + model, L"", kPrinter, L""}, &installed, &driver, &error);
        EXPECT_TRUE(bOk) << Narrow(error);
        return bOk;
    }
    std::wstring DriverFolder() const { return installed.dataFile.substr(0, installed.dataFile.find_last_of(L'\\') + 1); }
    InstalledPrinter installed;
    InfDriver driver;
};

TEST_F(SessionPlugin, EveryPackageRunsWithThePluginItsIniNames) {
    for (const std::wstring &model : SampleModelFolders()) {
        SCOPED_TRACE(Narrow(model));
        if (!Install(model)) continue;
        Report report;
        EXPECT_EQ(RunOnPrinter(L"open preferences\nclose ok\nopen properties\nclose ok\n", &report), kExitOk)
            << Narrow(Entries(report, L"error"));
        const std::wstring plugin = Entries(report, L"plugin");
        EXPECT_EQ(plugin, L"UI plug-in " + DriverFolder() + L"OEMUI.DLL, named by " + DriverFolder() +
                              driver.uiPluginIni + L" [OEMFiles] OEMConfigFile1\n");
        EXPECT_EQ(report.Entries().front().kind, L"plugin");
        EXPECT_NE(Entries(report, L"call").find(L"DocumentPropertySheets(PROPSHEETUI_REASON_INIT)"), std::wstring::npos);
        Remove();
    }
}

TEST_F(SessionPlugin, WhatTheInstalledIniNamesDecides) {
    struct Case {
        const wchar_t *name;
        const wchar_t *value;  // OEMConfigFile1 in the installed model INI; null: no entry
        int exitCode;
        const wchar_t *kind;   // report entry that says what happened
        const wchar_t *text;
    };
    const Case cases[] = {
        {L"no entry", nullptr, kExitOk, L"plugin",
         L"no INI of the driver \"Korvant K30 Mono\" names a UI plug-in ([OEMFiles] OEMConfigFile1): running without one"},
        {L"missing file", L"NOSUCH.DLL", kExitFailure, L"error",
         L"KVK30u.INI [OEMFiles] OEMConfigFile1 names the UI plug-in NOSUCH.DLL, which is not in the driver folder"},
        {L"no module", L"KVK30.VER", kExitFailure, L"error", L"the plug-in cannot be loaded: LoadLibraryW("},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(Narrow(c.name));
        if (!Install(L"korvant_k30")) continue;
        const std::wstring ini = DriverFolder() + L"KVK30u.INI";
        ASSERT_TRUE(WritePrivateProfileStringW(L"OEMFiles", L"OEMConfigFile1", c.value, ini.c_str()));
        WritePrivateProfileStringW(nullptr, nullptr, nullptr, ini.c_str());
        Report report;
        EXPECT_EQ(RunOnPrinter(L"open preferences\nclose ok\n", &report), c.exitCode);
        EXPECT_NE(Entries(report, c.kind).find(c.text), std::wstring::npos) << Narrow(Entries(report, c.kind));
        const std::wstring calls = Entries(report, L"call");
        EXPECT_EQ(calls.find(L"DllGetClassObject"), std::wstring::npos) << Narrow(calls);
        if (c.exitCode == kExitOk) {
            // The core's own page, no plug-in block and no plug-in call.
            EXPECT_EQ(calls.find(L"DevMode("), std::wstring::npos) << Narrow(calls);
            EXPECT_NE(Entries(report, L"sheet").find(L"printing preferences of \"Package Session Printer\""),
                      std::wstring::npos);
        }
        Remove();
    }
}

}  // namespace
}  // namespace oemuihost
