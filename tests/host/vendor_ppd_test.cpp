// The emulator's reader and sessions on PPDs nobody here wrote: a fixed
// sample across makers from Debian's multi-maker PPD collection, written into
// the build tree at test time (see scripts/sample-ppds.sh), and half-written
// ones that must give warnings, not crashes.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "host/model_data.h"
#include "host/printer_install.h"
#include "tests/host/ppd_groups.h"
#include "tests/host/scenario_text.h"

namespace oemuihost {
namespace {

std::wstring SampleDirectory() { return ExecutableDirectory() + L"..\\sample-ppds\\"; }

std::vector<std::wstring> SamplePpds() {
    std::vector<std::wstring> files;
    WIN32_FIND_DATAW fd;
    HANDLE hFind = FindFirstFileW((SampleDirectory() + L"*.ppd").c_str(), &fd);
    if (hFind == INVALID_HANDLE_VALUE) return files;
    do files.push_back(SampleDirectory() + fd.cFileName);
    while (FindNextFileW(hFind, &fd));
    FindClose(hFind);
    return files;
}

std::string ReadAll(const std::wstring &path) {
    std::string text;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return text;
    text.resize(GetFileSize(h, nullptr));
    DWORD got = 0;
    if (!text.empty()) ReadFile(h, &text[0], static_cast<DWORD>(text.size()), &got, nullptr);
    CloseHandle(h);
    text.resize(got);
    return text;
}

// A model folder with the Mero P45 PS model files and the given PPD text.
std::wstring MakeModel(const std::string &ppd) {
    wchar_t szTemp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, szTemp);
    const std::wstring dir = std::wstring(szTemp) + L"oemuihost-ppd-model\\";
    CreateDirectoryW(dir.c_str(), nullptr);
    const std::wstring sample = SampleModelsDirectory() + L"mero_p45ps\\";
    for (const wchar_t *file : {L"MRP45.VER", L"MRP45u.INI"})
        EXPECT_TRUE(CopyFileW((sample + file).c_str(), (dir + file).c_str(), FALSE));
    HANDLE h = CreateFileW((dir + L"MRP45.PPD").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(h, ppd.data(), static_cast<DWORD>(ppd.size()), &written, nullptr);
    CloseHandle(h);
    return dir;
}

// Both sheets open and close cleanly on the model; a damaged file says so.
void PlayBothSheets(const std::string &ppd, bool damaged) {
    Report report;
    EXPECT_EQ(RunText(L"model \"" + MakeModel(ppd) + L"\"\nopen preferences\nselect copies 2\nclose ok\n"
                      L"open properties\nclose ok\n",
                      &report),
              kExitOk);
    for (const ReportEntry &e : report.Entries())
        if (e.kind == L"error") ADD_FAILURE() << Narrow(e.text);
    EXPECT_EQ(HasText(report, L"warning", L"data file: line"), damaged);
}


// The makers of the sample, from the list the script leaves beside the files.
std::set<std::string> SampleMakers() {
    std::set<std::string> makers;
    const std::string list = ReadAll(SampleDirectory() + L"sample.txt");
    for (size_t at = 0; at < list.size();) {
        size_t nl = list.find('\n', at);
        if (nl == std::string::npos) nl = list.size();
        const std::string line = list.substr(at, nl - at);
        const size_t tab = line.find('\t');
        if (tab != std::string::npos) makers.insert(line.substr(tab + 1));
        at = nl + 1;
    }
    return makers;
}

// Tallies the groups the reader misses for a known limit: PPDs per limit.
// The check tightens to "every group" once the reader follows the format's
// rules for tabs before option keywords, quotes in translation strings and
// continuation lines.
struct KnownMisses {
    std::map<ReaderLimit, std::set<std::wstring>> files;
    size_t groups = 0;  // groups with options checked
    // True when a miss of g is explained by a known reader limit.
    bool Tolerate(const PpdScan &scan, const PpdGroup &g, const std::wstring &file) {
        const ReaderLimit limit = scan.LimitFor(g);
        if (limit == ReaderLimit::None) return false;
        files[limit].insert(file);
        return true;
    }
    void Print(const char *what, size_t total) const {
        std::printf("[ sample   ] %s: %zu groups with options in %zu PPDs\n", what, groups, total);
        for (const auto &entry : files)
            std::printf("[ sample   ] %s: %zu of %zu PPDs miss groups for a %s\n", what, entry.second.size(), total,
                        LimitName(entry.first));
    }
};

// The scan that decides which misses are the reader's known limits: each
// limit is told apart, and a group the reader reads right has none.
TEST(RealPpds, ScanTellsTheReaderLimitsApart) {
    const std::string head = "*PPD-Adobe: \"4.3\"\n";
    const std::string plain = "*OpenUI *Duplex/Duplex: PickOne\n*DefaultDuplex: None\n*Duplex None/Off: \"\"\n"
                              "*Duplex DuplexNoTumble/Long Edge: \"\"\n*CloseUI: *Duplex\n";
    const struct {
        const char *name;
        std::string body;
        size_t options;
        size_t tabOptions;
        ReaderLimit limit;  // of the group after the first statement
    } cases[] = {
        {"plain", plain, 2, 0, ReaderLimit::None},
        {"multi-line value before", "*JobPatch: \"\n%% one\n%% two\n\"\n*End\n" + plain, 2, 0, ReaderLimit::None},
        {"tab before option", "*OpenUI *Duplex: PickOne\n*Duplex\tNone/Off: \"\"\n*Duplex On/On: \"\"\n*CloseUI: *Duplex\n",
         2, 1, ReaderLimit::TabBeforeOption},
        {"quote in translation", "*PageSize w288h432/4\"x6: \"<</PageSize[288 432]>>setpagedevice\"\n" + plain, 2, 0,
         ReaderLimit::QuoteInTranslation},
        {"line going on after a closed value", "*Patch: \"(a)\"\n  (b) \"c\n" + plain, 2, 0,
         ReaderLimit::ContinuationLines},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const PpdScan scan = ScanPpd(head + c.body);
        ASSERT_EQ(scan.groups.size(), 1u);
        const PpdGroup &g = scan.groups[0];
        EXPECT_EQ(g.keyword, "Duplex");
        EXPECT_EQ(g.options, c.options);
        EXPECT_EQ(g.tabOptions, c.tabOptions);
        EXPECT_EQ(static_cast<int>(scan.LimitFor(g)), static_cast<int>(c.limit));
    }
    const PpdScan installable = ScanPpd(head + "*OpenGroup: InstallableOptions/Options Installed\n" + plain +
                                        "*CloseGroup: InstallableOptions\n" + plain);
    ASSERT_EQ(installable.groups.size(), 2u);
    EXPECT_TRUE(installable.groups[0].installable);
    EXPECT_FALSE(installable.groups[1].installable);
}

TEST(RealPpds, SampleSpansMakers) {
    const std::vector<std::wstring> files = SamplePpds();
    if (files.empty()) GTEST_SKIP() << "no sample PPDs (scripts/sample-ppds.sh writes them)";
    EXPECT_GE(files.size(), 150u);
    EXPECT_GE(SampleMakers().size(), 20u);
}

// Every UI group with options is a feature, installable where its group
// says, and the reader invents none.
TEST(RealPpds, EveryUiGroupIsAFeature) {
    const std::vector<std::wstring> files = SamplePpds();
    if (files.empty()) GTEST_SKIP() << "no sample PPDs (scripts/sample-ppds.sh writes them)";
    KnownMisses known;
    for (const std::wstring &file : files) {
        SCOPED_TRACE(Narrow(file));
        const std::string text = ReadAll(file);
        const PpdScan scan = ScanPpd(text);
        const ModelData data = ParseModelData(text, DataFileKind::Unknown);
        EXPECT_EQ(data.kind, DataFileKind::Ppd);
        for (const PpdGroup &g : scan.groups) {
            if (g.options == 0) continue;
            ++known.groups;
            const int f = data.FindFeature(g.keyword);
            if (f < 0) {
                if (!known.Tolerate(scan, g, file)) ADD_FAILURE() << "group " << g.keyword << " is not a feature";
                continue;
            }
            EXPECT_EQ(data.features[static_cast<size_t>(f)].installable, g.installable) << g.keyword;
        }
        for (const ModelFeature &feature : data.features) {
            bool inFile = false;
            for (const PpdGroup &g : scan.groups) inFile = inFile || g.keyword == feature.keyword;
            EXPECT_TRUE(inFile) << "feature " << feature.keyword << " has no group in the file";
            EXPECT_FALSE(feature.options.empty()) << feature.keyword;
            EXPECT_LT(static_cast<size_t>(feature.defaultIndex), feature.options.size()) << feature.keyword;
        }
    }
    known.Print("reader", files.size());
}

// The item names of the dump of each sheet, in the order the sheets opened.
std::vector<std::set<std::wstring>> DumpedItems(const Report &report) {
    std::vector<std::set<std::wstring>> sheets;
    for (const ReportEntry &e : report.Entries()) {
        if (e.kind != L"dump" || e.text != L"option items") continue;
        sheets.emplace_back();
        for (const auto &field : e.fields) sheets.back().insert(field.first);
    }
    return sheets;
}

// One printer for the whole sample: its data file is replaced before each
// run, so a run costs two sheets, not a printer installation and removal.
class SamplePrinter {
public:
    static constexpr const wchar_t *kName = L"OEMUI Sample PPD";
    bool Install(const std::string &firstPpd) {
        UninstallModelPrinter(kName, kName);
        std::wstring error;
        if (InstallModelPrinter(MakeModel(firstPpd), kName, L"", L"", &m_installed, &error)) return true;
        ADD_FAILURE() << "cannot install the sample printer: " << Narrow(error);
        return false;
    }
    bool UseData(const std::string &ppd) const {
        HANDLE h = CreateFileW(m_installed.dataFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        DWORD written = 0;
        const BOOL ok = WriteFile(h, ppd.data(), static_cast<DWORD>(ppd.size()), &written, nullptr);
        CloseHandle(h);
        return ok && written == ppd.size();
    }
    ~SamplePrinter() { UninstallModelPrinter(kName, kName); }

private:
    InstalledPrinter m_installed;
};

// Each PPD through the preferences and the properties: both open and close
// cleanly, and every group with options is an item of the sheet it belongs on.
TEST(RealPpds, BothSheetsShowEveryGroup) {
    const std::vector<std::wstring> files = SamplePpds();
    if (files.empty()) GTEST_SKIP() << "no sample PPDs (scripts/sample-ppds.sh writes them)";
    SamplePrinter printer;
    ASSERT_TRUE(printer.Install(ReadAll(files.front())));
    KnownMisses known;
    const std::wstring script = std::wstring(L"printer \"") + SamplePrinter::kName +
                                L"\"\nopen preferences\ndump items\nclose ok\nopen properties\ndump items\nclose ok\n";
    for (const std::wstring &file : files) {
        SCOPED_TRACE(Narrow(file));
        const std::string text = ReadAll(file);
        ASSERT_TRUE(printer.UseData(text));
        Report report;
        EXPECT_EQ(RunText(script, &report), kExitOk);
        for (const ReportEntry &e : report.Entries())
            if (e.kind == L"error") ADD_FAILURE() << Narrow(e.text);
        const std::vector<std::set<std::wstring>> sheets = DumpedItems(report);
        ASSERT_EQ(sheets.size(), 2u);
        const PpdScan scan = ScanPpd(text);
        for (const PpdGroup &g : scan.groups) {
            if (g.options == 0) continue;
            ++known.groups;
            const std::wstring name(g.keyword.begin(), g.keyword.end());
            const std::set<std::wstring> &own = sheets[g.installable ? 1 : 0];
            if (own.count(name) == 0 && !known.Tolerate(scan, g, file))
                ADD_FAILURE() << "group " << g.keyword << " is no item of the "
                              << (g.installable ? "properties" : "preferences");
            EXPECT_EQ(sheets[g.installable ? 0 : 1].count(name), 0u) << g.keyword << " shows on the other sheet";
        }
    }
    known.Print("sheets", files.size());
}

// Half-written PPDs: empty features closed by the next group, as they come
// from a vendor mid-edit. An empty feature must not leave a default index
// into an empty option list.
TEST(RealPpds, HalfWrittenPpdsGiveWarningsNotCrashes) {
    const std::string head = "*PPD-Adobe: \"4.3\"\n*ColorDevice: True\n";
    const std::string cases[] = {
        head + "*OpenUI *ColorMode/Color: PickOne\n*DefaultColorMode: Color\n"
               "*OpenUI *Resolution/Res: PickOne\n*DefaultResolution: 600dpi\n*Resolution 600dpi/600: \"\"\n"
               "*CloseUI: *Resolution\n",
        head + "*OpenUI *Duplex/Duplex: PickOne\n*DefaultDuplex: None\n*OpenUI *InputSlot/Source: PickOne\n"
               "*DefaultInputSlot: Tray1\n*OpenUI *MediaType/Media: PickOne\n*DefaultMediaType: Plain\n"
               "*OpenUI *PageSize/Size: PickOne\n*DefaultPageSize: Letter\n*PageSize Letter/Letter: \"\"\n"
               "*CloseUI: *PageSize\n",
    };
    for (const std::string &ppd : cases) {
        SCOPED_TRACE(ppd);
        PlayBothSheets(ppd, true);
    }
}

}  // namespace
}  // namespace oemuihost
