// The model checker: each rule catches one change to a sample model, at the
// right file and line; the samples themselves check clean.
#include <gtest/gtest.h>

#include <windows.h>

#include "host/lint_context.h"
#include "host/printer_install.h"
#include "resources/resource_ids.h"
#include "lint/lint_rig.h"

namespace linttest {
namespace {

using oemuihost::LintFinding;
using oemuihost::LintReport;
using oemuihost::LintSeverity;

constexpr LintSeverity kError = LintSeverity::Error;
constexpr LintSeverity kWarning = LintSeverity::Warning;
constexpr LintSeverity kNote = LintSeverity::Note;

struct RuleCase {
    const char *name;
    const wchar_t *model;
    FileEdit edit;
    const wchar_t *file;    // where the finding must be
    const char *lineText;   // the line that holds this text (null: the file as a whole)
    const char *rule;
    LintSeverity severity;
    const wchar_t *mention;  // a word the message must hold (null: any)
};

const RuleCase kRuleCases[] = {
    // Files and encodings.
    {"missing string table", L"korvant_k30", {L"KVT.DAT", "", nullptr}, L"KVT.DAT", nullptr, "file-missing",
     kWarning, L"Caption"},
    {"missing language table", L"talix_c500", {L"TLXFN.DAT", "", nullptr}, L"TLXC500.VER", "LanguageDependent",
     "file-language", kWarning, L"FN"},
    {"UTF-8 text", L"talix_c500", {L"TLXEN.DAT", "Delay=Delayed", "Delay=Diff\xC3\xA9r\xC3\xA9"}, L"TLXEN.DAT",
     "Delay=Diff", "file-encoding", kError, L"ANSI"},
    {"UTF-8 mark", L"korvant_k45s", {L"KVS.DAT", "; ", "\xEF\xBB\xBF; "}, L"KVS.DAT", "; ", "file-encoding", kError,
     L"first section"},
    {"data-file name with two dots", L"korvant_k30", {L"KVK30.GPD", nullptr, "KV.K30.GPD"}, L"KV.K30.GPD", nullptr,
     "file-stem", kError, L"KVu.INI"},
    // Model INI.
    {"no caption", L"korvant_k45s", {L"KVK45Su.INI", "Caption=Korvant K45S Secure\r\n", ""}, L"KVK45Su.INI",
     "[Common]", "ini-missing-key", kWarning, L"brand 0"},
    {"text where a number is read", L"talix_c500", {L"TLXC500u.INI", "PrinterHDD=1", "PrinterHDD=yes"},
     L"TLXC500u.INI", "PrinterHDD=yes", "ini-type", kError, L"reads as 0"},
    {"switch out of range", L"talix_c500", {L"TLXC500u.INI", "GraphicsCopiesSetting=1", "GraphicsCopiesSetting=2"},
     L"TLXC500u.INI", "GraphicsCopiesSetting=2", "ini-range", kWarning, L"0 or 1"},
    {"passcode longer than its field", L"talix_c500", {L"TLXC500u.INI", "ExtrasMaxPassLen=8", "ExtrasMaxPassLen=12"},
     L"TLXC500u.INI", "ExtrasMaxPassLen", "ini-passlen", kWarning, L"counts as 8"},
    {"secure passcode minimum above maximum", L"korvant_k45s",
     {L"KVK45Su.INI", "ExtrasMinPassLen=4", "ExtrasMinPassLen=16"}, L"KVK45Su.INI", "ExtrasMinPassLen", "ini-passlen",
     kWarning, L"counts as 12"},
    {"job-accounting password too long", L"talix_c500",
     {L"TLXC500u.INI", "PrinterMaxPassLen=32", "PrinterMaxPassLen=40"}, L"TLXC500u.INI", "PrinterMaxPassLen",
     "ini-passlen", kWarning, L"1..32"},
    {"test page out of range", L"talix_c500", {L"TLXC500u.INI", "TestPages=1,2,3", "TestPages=1,12,3"},
     L"TLXC500u.INI", "TestPages", "ini-testpages", kError, L"12"},
    {"test page twice", L"talix_c500", {L"TLXC500u.INI", "TestPages=1,2,3", "TestPages=1,2,2"}, L"TLXC500u.INI",
     "TestPages", "ini-testpages", kWarning, L"twice"},
    {"likely typo", L"talix_c500", {L"TLXC500u.INI", "PrinterJobAccounting=1", "PrinterJobAcounting=1"},
     L"TLXC500u.INI", "PrinterJobAcounting", "ini-unknown-key", kWarning, L"PrinterJobAccounting?"},
    {"repeated key", L"korvant_k30", {L"KVK30u.INI", "PrinterHDD=0", "PrinterHDD=0\r\nCaption=Again"},
     L"KVK30u.INI", "Caption=Again", "ini-repeat", kWarning, L"line"},
    {"repeated section", L"korvant_k30", {L"KVK30u.INI", "", "\r\n[OEMFiles]\r\nJobMointor=1\r\n"}, L"KVK30u.INI",
     "[OEMFiles]\r\nJobMointor=1", "ini-repeat", kWarning, L"only the first"},
    {"section the plug-in does not read", L"korvant_k30", {L"KVK30u.INI", "[FUNCTION]", "[FUNCTIONS]"}, L"KVK30u.INI",
     "[FUNCTIONS]", "ini-unknown-section", kNote, L"FUNCTIONS"},
    {"job monitor without its key", L"korvant_k30", {L"KVK30u.INI", "JobMointor=0", "JobMointor=1"}, L"KVK30u.INI",
     "JobMointor=1", "ini-missing-key", kWarning, L"JobMointorPath"},
    {"no prefix", L"korvant_k45s", {L"KVK45Su.INI", "OEMPrefix=KVS", "OEMPrefx=KVS"}, L"KVK45Su.INI", "[OEMFiles]",
     "ini-prefix", kError, L"OEMPrefix.DAT"},
    {"prefix that is no file name", L"korvant_k30", {L"KVK30u.INI", "OEMPrefix=KVT", "OEMPrefix=KV/T"}, L"KVK30u.INI",
     "OEMPrefix=KV/T", "ini-prefix", kError, L"file name"},
    {"plug-in not named", L"korvant_k30", {L"KVK30u.INI", "OEMConfigFile1=OEMUI.DLL", "OEMConfigFile1=OEMUI2.DLL"},
     L"KVK30u.INI", "OEMConfigFile1", "ini-plugin", kError, L"OEMUI.DLL"},
    // String tables.
    {"label without text", L"talix_c500", {L"TLXEN.DAT", "Print Mode=Print Mode\r\n", ""}, L"TLXEN.DAT",
     "[Hold Dialog]", "strings-missing", kWarning, L"Print Mode"},
    {"mode list entry", L"korvant_k45s", {L"KVS.DAT", "Confidentional=", "Confidential="}, L"KVS.DAT",
     "[Hold Dialog]", "strings-missing", kWarning, L"Confidentional"},
    {"typo in a string-table key", L"talix_c500", {L"TLXEN.DAT", "Print Mode tooltip=", "Print Mod tooltip="},
     L"TLXEN.DAT", "Print Mod tooltip", "strings-unknown-key", kWarning, L"\"Print Mode tooltip\"?"},
    {"section no dialog reads", L"korvant_k45s", {L"KVS.DAT", "[Paper Dialog]", "[Papers Dialog]"}, L"KVS.DAT",
     "[Papers Dialog]", "strings-unknown-section", kWarning, L"Papers"},
    {"dialog section missing", L"mero_p45ps", {L"MRP45u.INI", "[Job Accounting Dialog]", "[Job Accounting]"},
     L"MRP45u.INI", nullptr, "strings-missing", kWarning, L"Job Accounting Dialog"},
    {"diagnostic page without text", L"talix_c500", {L"TLXEN.DAT", "Menu Map=Menu Map\r\n", ""}, L"TLXEN.DAT", "[Troubleshooting Dialog]",
     "strings-missing", kWarning, L"Menu Map"},
    {"placeholder the formatter does not fill", L"talix_c500",
     {L"TLXEN.DAT", "(0-9)=(%d-%d digits)", "(0-9)=(%d-%s digits)"}, L"TLXEN.DAT", "(0-9)=(%d-%s", "text-placeholder",
     kError, L"%s"},
    {"third number", L"mero_p45ps", {L"MRP45u.INI", "InvalidPasscodeMsg=", "InvalidPasscodeMsg=%d %d %d "},
     L"MRP45u.INI", "InvalidPasscodeMsg=%d %d %d", "text-placeholder", kError, L"%d"},
    {"link to a program", L"talix_c500",
     {L"TLXEN.DAT", "Ref_URL_1=http://www.talix.example/", "Ref_URL_1=file:///C:/Windows/notepad.exe"},
     L"TLXEN.DAT", "Ref_URL_1=file", "text-link", kError, L"refuses"},
    {"address placeholder after https", L"talix_c500", {L"TLXEN.DAT", "Ref_URL_5=http://%s/", "Ref_URL_5=https://%s/"},
     L"TLXEN.DAT", "Ref_URL_5=https", "text-link", kError, L"http://%s"},
    {"link text without target", L"talix_c500", {L"TLXEN.DAT", "Ref_URL_4=http://www.talix.example/supplies/\r\n", ""},
     L"TLXEN.DAT", "URL_4=Supplies", "strings-link", kWarning, L"hidden"},
    {"access key twice", L"talix_c500",
     {L"TLXEN.DAT", "Print At=Print At\r\nUser ID=User ID", "Print At=&Print At\r\nUser ID=&Person ID"},
     L"TLXEN.DAT", "User ID=&Person", "text-access-key", kWarning, L"Alt+P"},
    {"text longer than its buffer", L"korvant_k45s",
     {L"KVS.DAT", "Caption=", "Caption=0123456789012345678901234567890123456789012345678901234567890123456789"
                             "01234567890123456789012345678901234567890123456789012345678901234567890123456789"
                             "01234567890123456789012345678901234567890123456789012345678901234567890123456789"
                             "0123456789012345678901234567890123456789 "},
     L"KVS.DAT", "Caption=0123", "text-length", kWarning, L"cut"},
    {"interval range restated", L"talix_c500", {L"TLXEN.DAT", "(1-60 seconds)", "(1-30 seconds)"}, L"TLXEN.DAT",
     "(1-30 seconds)", "text-range", kWarning, L"range"},
    {"password hint states other limits", L"mero_p45ps", {L"MRP45u.INI", "PrinterMaxPassLen=16", "PrinterMaxPassLen=12"},
     L"MRP45u.INI", "(4-32 Alphanumeric)(1)=", "text-range", kWarning, L"4 to 12"},
    // About, bitmaps and hint file.
    {"About line without placeholder", L"talix_c500", {L"TLXEN.DAT", "M_Info5=$COMPANY", "M_Info5=COMPANY"},
     L"TLXEN.DAT", "M_Info5=COMPANY", "about-line", kWarning, L"empty"},
    {"About value missing", L"talix_c500", {L"TLXC500.VER", "CompanyName=", "Company="}, L"TLXEN.DAT",
     "M_Info5=", "about-line", kWarning, L"TLXC500.VER"},
    {"logo missing", L"talix_c500", {L"TLXl.bmp", "", nullptr}, L"TLXl.bmp", nullptr, "bitmap-missing", kWarning,
     L"logo"},
    {"hint for a control that does not exist", L"talix_c500", {L"TLXC500.hin", "", "Edit:4711 tooltip=Nothing\r\n"},
     L"TLXC500.hin", "Edit:4711", "hint-control", kWarning, L"4711"},
    {"hint section for no dialog", L"talix_c500", {L"TLXC500.hin", "", "[Paper Size Dialog]\r\n"}, L"TLXC500.hin",
     "[Paper Size Dialog]", "hint-dialog", kWarning, L"Paper Size"},
    {"hint file without its section", L"talix_c500", {L"TLXC500.hin", "\n[TROUBLE_PAGE]", "\n[TROUBLE PAGE]"},
     L"TLXC500.hin", nullptr, "hint-section", kWarning, L"TROUBLE_PAGE"},
    // Driver data.
    {"greyscale feature renamed", L"talix_c500",
     {L"TLXC500.GPD", "*Feature: JCLEnhanceGray", "*Feature: JCLEnhanceGrey"}, L"TLXC500.GPD", nullptr,
     "driver-feature", kWarning, L"JCLEnhanceGray"},
    {"disk options in another order", L"mero_p45ps", {L"MRP45.PPD", "*PrinterHardDisk False/", "*PrinterHardDisk No/"},
     L"MRP45.PPD", "*OpenUI *PrinterHardDisk", "driver-option", kWarning, L"False"},
    {"resolution list longer than Quality", L"talix_c500", {L"TLXC500u.INI", "Graphics600Res=1", "Graphics600Res=3"},
     L"TLXC500u.INI", "iResolution", "driver-resolution", kWarning, L"4 resolutions"},
    {"PPD the reader cannot parse", L"mero_p45ps", {L"MRP45.PPD", "*OpenUI *DuplexUnit", "*OpenUI *Duplex Unit"},
     L"MRP45.PPD", "*OpenUI *Duplex Unit", "driver-parse", kError, nullptr},
};

bool Matches(const LintFinding &f, const RuleCase &c, int line) {
    return f.rule == c.rule && f.file == c.file && f.line == line && f.severity == c.severity &&
           (c.mention == nullptr || f.message.find(c.mention) != std::wstring::npos);
}

TEST(Lint, EachRuleCatchesItsChangeAtItsLine) {
    for (const RuleCase &c : kRuleCases) {
        SCOPED_TRACE(c.name);
        ModelCopy model(c.model);
        ASSERT_TRUE(model.Apply(c.edit));
        const int line = c.lineText != nullptr ? model.LineOf(c.file, c.lineText) : 0;
        ASSERT_TRUE(c.lineText == nullptr || line > 0);
        const LintReport report = Lint(model.Folder());
        bool bFound = false;
        for (const LintFinding &f : report.Findings()) bFound = bFound || Matches(f, c, line);
        EXPECT_TRUE(bFound) << "expected [" << c.rule << "] at line " << line << ", found:\n" << Describe(report);
    }
}

// The templates come from the module's resources; a damaged one must be
// refused, never read past its end.
TEST(Lint, DialogTemplatesAreReadWithinTheirBounds) {
    HMODULE hModule = LoadLibraryExW(PluginPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(hModule, nullptr);
    HRSRC hInfo = FindResourceW(hModule, MAKEINTRESOURCEW(IDD_PRINT_AND_HOLD), RT_DIALOG);
    ASSERT_NE(hInfo, nullptr);
    const auto *pData = static_cast<const BYTE *>(LockResource(LoadResource(hModule, hInfo)));
    const size_t cbData = SizeofResource(hModule, hInfo);
    oemuihost::DialogTemplate dialog;
    ASSERT_TRUE(oemuihost::ParseDialogTemplate(pData, cbData, IDD_PRINT_AND_HOLD, &dialog));
    EXPECT_EQ(dialog.caption, L"Print and Hold");
    const oemuihost::TemplateControl *pMode = dialog.Control(IDC_PH_MODE_LIST);
    ASSERT_NE(pMode, nullptr);
    EXPECT_EQ(pMode->className, L"ComboBox");
    ASSERT_NE(dialog.Control(IDC_PH_DATE_PICKER), nullptr);
    EXPECT_EQ(dialog.Control(IDC_PH_DATE_PICKER)->className, L"SysDateTimePick32");
    EXPECT_EQ(dialog.Control(IDC_PH_MODE_LABEL)->text, L"Print Mode");
    // Every cut that ends inside the last control's fields is refused.
    std::vector<BYTE> copy(pData, pData + cbData);
    for (size_t cb = 0; cb + 8 < cbData; ++cb) {
        std::vector<BYTE> cut(copy.begin(), copy.begin() + static_cast<std::ptrdiff_t>(cb));
        EXPECT_FALSE(oemuihost::ParseDialogTemplate(cut.data(), cut.size(), IDD_PRINT_AND_HOLD, &dialog)) << cb;
    }
    FreeLibrary(hModule);
}

struct BitmapCase {
    const wchar_t *file;
    int width, height;
    const char *rule;  // null: no finding
    const wchar_t *mention;
};

TEST(Lint, BitmapsHaveTheSizesTheirPlacesHold) {
    const BitmapCase cases[] = {
        {L"TLXl.bmp", 300, 90, "bitmap-size", L"300 x 90"},
        {L"TLXl.bmp", 108, 28, nullptr, nullptr},
        {L"TLXY.bmp", 200, 150, "bitmap-size", L"200 x 150"},
        {L"TLXY.bmp", 400, 300, nullptr, nullptr},
    };
    for (const BitmapCase &c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        ModelCopy model(L"talix_c500");
        ASSERT_TRUE(model.WriteBytes(c.file, BitmapBytes(c.width, c.height)));
        const LintReport report = Lint(model.Folder());
        size_t found = 0;
        for (const LintFinding &f : report.Findings()) {
            if (f.file != c.file) continue;
            ++found;
            EXPECT_EQ(f.rule, c.rule != nullptr ? c.rule : "");
            if (c.mention != nullptr) {
                EXPECT_NE(f.message.find(c.mention), std::wstring::npos) << Describe(report);
            }
        }
        EXPECT_EQ(found, c.rule != nullptr ? 1u : 0u) << Describe(report);
    }
    ModelCopy damaged(L"talix_c500");
    ASSERT_TRUE(damaged.WriteBytes(L"TLXY.bmp", "BM not a bitmap"));
    const LintReport report = Lint(damaged.Folder());
    bool bFound = false;
    for (const LintFinding &f : report.Findings()) bFound = bFound || (f.rule == "bitmap-load" && f.severity == kError);
    EXPECT_TRUE(bFound) << Describe(report);
}

TEST(Lint, SamplesCheckClean) {
    for (const wchar_t *model : {L"talix_c500", L"korvant_k30", L"korvant_k45s", L"mero_p45ps"}) {
        const LintReport report = Lint(oemuihost::SampleModelsDirectory() + model);
        EXPECT_EQ(report.ExitCode(true), 0) << Describe(report);
        EXPECT_TRUE(report.FatalMessage().empty());
    }
}

TEST(Lint, WhatCannotBeCheckedEndsWithExitCodeTwo) {
    ModelCopy model(L"korvant_k30");
    ASSERT_TRUE(model.Apply({L"KVK30.GPD", "", nullptr}));
    const LintReport noData = Lint(model.Folder());
    EXPECT_EQ(noData.ExitCode(false), 2);
    EXPECT_NE(noData.FatalMessage().find(L"data file"), std::wstring::npos);

    const LintReport noPlugin = oemuihost::LintModelFolder(oemuihost::SampleModelsDirectory() + L"korvant_k30",
                                                           model.Folder() + L"NOTHERE.DLL");
    EXPECT_EQ(noPlugin.ExitCode(false), 2);
    EXPECT_EQ(oemuihost::ClassifyLintTarget(model.Folder() + L"nowhere"), oemuihost::LintTargetKind::Missing);
    // A driver package is recognised for the package checks to come.
    ASSERT_TRUE(model.WriteBytes(L"OEMSETUP.INF", "[Version]\r\n"));
    EXPECT_EQ(oemuihost::ClassifyLintTarget(model.Folder()), oemuihost::LintTargetKind::Package);
    EXPECT_EQ(oemuihost::ClassifyLintTarget(model.Folder() + L"OEMSETUP.INF"), oemuihost::LintTargetKind::Package);
}

TEST(Lint, WarningsFailOnlyUnderWerror) {
    ModelCopy model(L"korvant_k30");
    ASSERT_TRUE(model.Apply({L"KVK30u.INI", "PrinterHDD=0", "PrinterHDD=2"}));
    const LintReport report = Lint(model.Folder());
    EXPECT_EQ(report.Count(LintSeverity::Error), 0u) << Describe(report);
    EXPECT_EQ(report.ExitCode(false), 0);
    EXPECT_EQ(report.ExitCode(true), 1);
}

}  // namespace
}  // namespace linttest
