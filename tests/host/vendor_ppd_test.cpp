// The emulator's reader and sessions on PPDs nobody here wrote: real vendor
// PPDs generated at test time by a Debian printer-driver package (see
// scripts/vendor-ppds.sh), and half-written ones that once crashed it.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "host/model_data.h"
#include "host/printer_install.h"
#include "tests/host/scenario_text.h"

namespace oemuihost {
namespace {

std::wstring VendorPpdDirectory() { return ExecutableDirectory() + L"..\\vendor-ppds\\"; }

std::vector<std::wstring> VendorPpds() {
    std::vector<std::wstring> files;
    WIN32_FIND_DATAW fd;
    HANDLE hFind = FindFirstFileW((VendorPpdDirectory() + L"*.ppd").c_str(), &fd);
    if (hFind == INVALID_HANDLE_VALUE) return files;
    do files.push_back(VendorPpdDirectory() + fd.cFileName);
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

// Every UI group the file opens (lines that start with *OpenUI or *JCLOpenUI).
size_t CountOpenUi(const std::string &text) {
    size_t n = 0;
    for (size_t at = 0; at < text.size();) {
        if (text.compare(at, 7, "*OpenUI") == 0 || text.compare(at, 10, "*JCLOpenUI") == 0) ++n;
        const size_t nl = text.find('\n', at);
        if (nl == std::string::npos) break;
        at = nl + 1;
    }
    return n;
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

TEST(VendorPpds, EveryUiGroupIsAFeature) {
    const std::vector<std::wstring> files = VendorPpds();
    if (files.empty()) GTEST_SKIP() << "no vendor PPDs (scripts/vendor-ppds.sh makes them)";
    EXPECT_GE(files.size(), 50u);
    bool sawMailbox = false;
    for (const std::wstring &file : files) {
        SCOPED_TRACE(Narrow(file));
        const std::string text = ReadAll(file);
        const ModelData data = ParseModelData(text, DataFileKind::Unknown);
        EXPECT_EQ(data.kind, DataFileKind::Ppd);
        EXPECT_EQ(data.features.size(), CountOpenUi(text));
        for (const ModelFeature &f : data.features) {
            EXPECT_FALSE(f.options.empty()) << f.keyword;
            EXPECT_LT(static_cast<size_t>(f.defaultIndex), f.options.size()) << f.keyword;
        }
        if (file.find(L"9500_mfp") != std::wstring::npos) sawMailbox = data.FindFeature("HPMailboxOptions") >= 0;
    }
    EXPECT_TRUE(sawMailbox);
}

TEST(VendorPpds, SessionsPlayCleanly) {
    std::vector<std::wstring> files = VendorPpds();
    if (files.empty()) GTEST_SKIP() << "no vendor PPDs (scripts/vendor-ppds.sh makes them)";
    // A few, the colour MFP among them: each session installs a printer.
    std::vector<std::wstring> chosen(files.begin(), files.begin() + (files.size() < 3 ? files.size() : 3));
    for (const std::wstring &file : files)
        if (file.find(L"9500_mfp") != std::wstring::npos) chosen.push_back(file);
    for (const std::wstring &file : chosen) {
        SCOPED_TRACE(Narrow(file));
        PlayBothSheets(ReadAll(file), false);
    }
}

// Half-written PPDs: empty features closed by the next group, as they come
// from a vendor mid-edit. The preferences once crashed on the first.
TEST(VendorPpds, HalfWrittenPpdsGiveWarningsNotCrashes) {
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
