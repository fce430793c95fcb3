// The model checker on driver packages: the samples' packages check clean,
// each way a package can be wrong is named with its rule, and a model with
// errors is not packaged at all.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>

#include "host/driver_package.h"
#include "host/lint.h"
#include "host/printer_install.h"
#include "tests/package/package_rig.h"

namespace oemuihost {
namespace {

std::string Findings(const LintReport &report) {
    std::string text = Narrow(report.FatalMessage());
    for (const LintFinding &f : report.Findings())
        text += "\n" + Narrow(f.file) + ":" + std::to_string(f.line) + " " + f.rule + " " + Narrow(f.message);
    return text;
}

bool Has(const LintReport &report, const std::string &rule, const std::wstring &file, LintSeverity severity) {
    for (const LintFinding &f : report.Findings())
        if (f.rule == rule && f.file == file && f.severity == severity) return true;
    return false;
}

TEST(PackageLint, SamplePackagesCheckClean) {
    for (const std::wstring &model : SampleModelFolders()) {
        SCOPED_TRACE(Narrow(model));
        const LintReport byFolder = LintPackage(PackagesDirectory() + model, std::wstring());
        EXPECT_EQ(byFolder.ExitCode(true), 0) << Findings(byFolder);
        const LintReport byInf = LintPackage(PackageInf(model), std::wstring());
        EXPECT_EQ(byInf.ExitCode(true), 0) << Findings(byInf);
        EXPECT_EQ(ClassifyLintTarget(PackagesDirectory() + model), LintTargetKind::Package);
    }
}

TEST(PackageLint, EachFaultIsNamedWithItsRule) {
    struct Case {
        const char *name;
        std::function<void(const std::wstring &dir, const std::wstring &inf)> breakIt;
        std::string rule;
        std::wstring file;
        LintSeverity severity;
        int line;  // -1: any
    };
    const Case cases[] = {
        {"a file the INF does not copy",
         [](const std::wstring &dir, const std::wstring &) {
             CopyFileW((dir + L"TLXEN.DAT").c_str(), (dir + L"TLXXX.DAT").c_str(), FALSE);
         },
         "package-extra-file", L"TLXXX.DAT", LintSeverity::Warning, 0},
        {"DriverVer of another build",
         [](const std::wstring &, const std::wstring &inf) { Replace(inf, L"DriverVer=", L"DriverVer=01/01/2020,9.9.9.9\r\nOldDriverVer="); },
         "package-driver-version", L"TLXC500.INF", LintSeverity::Error, 0},
        {"a broken section header", [](const std::wstring &, const std::wstring &inf) { Replace(inf, L"[Manufacturer]", L"[Manufacturer"); },
         "package-inf", L"TLXC500.INF", LintSeverity::Error, 12},
        {"no network library",
         [](const std::wstring &, const std::wstring &inf) { Replace(inf, L"OEMUN.DLL\r\n", L""); },
         "package-no-netlib", L"TLXC500.INF", LintSeverity::Warning, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring dir = CopyOfPackage(L"talix_c500", L"lint");
        c.breakIt(dir, dir + L"TLXC500.INF");
        const LintReport report = LintPackage(dir, std::wstring());
        EXPECT_TRUE(Has(report, c.rule, c.file, c.severity)) << Findings(report);
        for (const LintFinding &f : report.Findings()) {
            if (f.rule == c.rule && c.line >= 0) {
                EXPECT_EQ(f.line, c.line) << Findings(report);
            }
        }
    }
}

TEST(PackageLint, ModelWithErrorsIsNotPackaged) {
    const std::wstring model = ScratchDirectory(L"lint-model");
    const std::wstring source = WithBackslash(SampleModelsDirectory()) + L"korvant_k30\\";
    for (const std::wstring &file : FilesOf(source)) CopyFileW((source + file).c_str(), (model + file).c_str(), FALSE);
    Replace(model + L"KVK30u.INI", L"[Common]\r\n", L"[Common]\r\nGraphicsCopiesSetting=yes\r\n");
    const std::wstring out = ScratchDirectory(L"lint-out");
    const PluginPair pair = DriverPackagePairForTests();
    EXPECT_EQ(PackageCommand({out, model}, pair.pluginDll, pair.networkDll), 1);
    EXPECT_TRUE(FilesOf(out).empty());
    EXPECT_EQ(GetFileAttributesW((out + L"lint-model").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace oemuihost
