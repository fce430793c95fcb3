// The Troubleshooting page's pieces that need no window: the diagnostic job
// and its spooler exchange (with the spooler replaced in this program's own
// imports), the "TestPages" tokens, link targets and addresses, the alert
// interval, and the About box's detail lines.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "about/about_dialog.h"
#include "about/about_layout.h"
#include "settings/model_config.h"
#include "support/import_patch.h"
#include "troubleshooting/diagnostic_pages.h"
#include "troubleshooting/outrider_settings.h"
#include "troubleshooting/web_links.h"

namespace {

using namespace oemui;

std::string Narrow(const std::wstring &s) { return std::string(s.begin(), s.end()); }

TEST(DiagnosticJob, BytesAsThePrinterReceivesThem) {
    struct Case {
        int entry;
        const char *command;
    } cases[] = {{9, "@PJL TEST PRINT=PATTERN"}, {1, "@PJL TEST PRINT=CONFIG"}, {6, "@PJL TEST PRINT=PSFSFONT"}};
    for (const Case &c : cases) {
        const DiagnosticEntry *pEntry = DiagnosticEntryAt(c.entry);
        ASSERT_NE(pEntry, nullptr);
        char job[kDiagnosticJobCb];
        memset(job, 0x55, sizeof(job));
        const size_t cb = BuildDiagnosticJob(pEntry->pszCommand, job, sizeof(job));
        const std::string expected = std::string("\x1B%-12345X@PJL\r\n") + c.command + "\r\n\x1B%-12345X";
        EXPECT_EQ(std::string(job, cb), expected) << c.entry;
        EXPECT_EQ(cb, 26 + strlen(c.command));
    }
    char job[kDiagnosticJobCb];
    EXPECT_EQ(BuildDiagnosticJob(DiagnosticEntryAt(9)->pszCommand, job, sizeof(job)), 49u);
    // A command too long for the buffer is cut, never overrun.
    const std::wstring longCommand(400, L'X');
    EXPECT_EQ(BuildDiagnosticJob(longCommand.c_str(), job, sizeof(job)), kDiagnosticJobCb - 1);
}

TEST(DiagnosticJob, OnlyEntriesOneToNineExist) {
    EXPECT_EQ(DiagnosticEntryAt(0), nullptr);
    EXPECT_EQ(DiagnosticEntryAt(10), nullptr);
    EXPECT_EQ(DiagnosticEntryAt(-1), nullptr);
    struct Case {
        const wchar_t *token;
        int expected;
    } cases[] = {{L"1", 1},  {L"9", 9},   {L" 2 ", 2},  {L"09", 9},   {L"0", 0},         {L"10", 0},
                 {L"-1", 0}, {L"+3", 0},  {L"abc", 0},  {L"1a", 0},   {L"", 0},          {L"  ", 0},
                 {L"100000000000", 0},   {L"TestPages", 0}};
    for (const Case &c : cases) EXPECT_EQ(ParseTestPageToken(c.token), c.expected) << Narrow(c.token);
}

// ---- Spooler exchange, with this program's winspool imports replaced ----

struct FakeSpooler {
    BOOL startDocOk = TRUE;
    std::vector<DWORD> writeAnswers;  // bytes each WritePrinter call reports; beyond: all
    BOOL writeResult = TRUE;
    int startDocs = 0, startPages = 0, endPages = 0, endDocs = 0;
    std::vector<std::string> writes;
    std::wstring docName, dataType;
    bool outputFileNull = false;
};
FakeSpooler *g_pSpooler = nullptr;

DWORD WINAPI FakeStartDoc(HANDLE, DWORD level, LPBYTE pInfo) {
    ++g_pSpooler->startDocs;
    const auto *pDoc = reinterpret_cast<const DOC_INFO_1W *>(pInfo);
    if (level == 1 && pDoc != nullptr) {
        g_pSpooler->docName = pDoc->pDocName != nullptr ? pDoc->pDocName : L"(null)";
        g_pSpooler->dataType = pDoc->pDatatype != nullptr ? pDoc->pDatatype : L"(null)";
        g_pSpooler->outputFileNull = pDoc->pOutputFile == nullptr;
    }
    return g_pSpooler->startDocOk ? 7 : 0;
}
BOOL WINAPI FakeStartPage(HANDLE) { return ++g_pSpooler->startPages, TRUE; }
BOOL WINAPI FakeEndPage(HANDLE) { return ++g_pSpooler->endPages, TRUE; }
BOOL WINAPI FakeEndDoc(HANDLE) { return ++g_pSpooler->endDocs, TRUE; }
BOOL WINAPI FakeWrite(HANDLE, LPVOID pBuf, DWORD cb, LPDWORD pcbWritten) {
    const size_t call = g_pSpooler->writes.size();
    DWORD n = call < g_pSpooler->writeAnswers.size() ? g_pSpooler->writeAnswers[call] : cb;
    g_pSpooler->writes.emplace_back(static_cast<const char *>(pBuf), n < cb ? n : cb);
    *pcbWritten = n;
    return g_pSpooler->writeResult;
}

class RawJobTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_pSpooler = &spooler;
        HMODULE self = GetModuleHandleW(nullptr);
        patches.emplace_back(new testsupport::ImportPatch(self, "winspool.drv", "StartDocPrinterW", (void *)FakeStartDoc));
        patches.emplace_back(new testsupport::ImportPatch(self, "winspool.drv", "StartPagePrinter", (void *)FakeStartPage));
        patches.emplace_back(new testsupport::ImportPatch(self, "winspool.drv", "WritePrinter", (void *)FakeWrite));
        patches.emplace_back(new testsupport::ImportPatch(self, "winspool.drv", "EndPagePrinter", (void *)FakeEndPage));
        patches.emplace_back(new testsupport::ImportPatch(self, "winspool.drv", "EndDocPrinter", (void *)FakeEndDoc));
        for (auto &p : patches) ASSERT_TRUE(p->Active());
    }
    void TearDown() override {
        for (auto &p : patches) delete p;
        g_pSpooler = nullptr;
    }
    bool Send(const std::string &data) {
        SetLastError(0xdeadbeef);
        const bool ok = SendRawJob(kHandle, data.data(), static_cast<DWORD>(data.size()));
        lastError = GetLastError();
        return ok;
    }
    const HANDLE kHandle = reinterpret_cast<HANDLE>(0x1234);
    FakeSpooler spooler;
    std::vector<testsupport::ImportPatch *> patches;
    DWORD lastError = 0;
};

TEST_F(RawJobTest, OneRawDocumentWrittenWhole) {
    ASSERT_TRUE(Send("0123456789"));
    EXPECT_EQ(lastError, 0xdeadbeefu);
    EXPECT_EQ(spooler.docName, L"Printer Diagnostic Pages");
    EXPECT_EQ(spooler.dataType, L"RAW");
    EXPECT_TRUE(spooler.outputFileNull);
    EXPECT_EQ(spooler.writes, std::vector<std::string>{"0123456789"});
    EXPECT_EQ(spooler.startPages + spooler.endPages + spooler.endDocs, 3);
}

TEST_F(RawJobTest, PartialWritesContinueWithTheRest) {
    spooler.writeAnswers = {4, 3};
    ASSERT_TRUE(Send("0123456789"));
    EXPECT_EQ(spooler.writes, (std::vector<std::string>{"0123", "456", "789"}));
}

TEST_F(RawJobTest, FailuresStopAtOnceAndCloseTheDocument) {
    struct Case {
        const char *what;
        BOOL startDocOk;
        std::vector<DWORD> answers;
        BOOL writeResult;
        DWORD error;
        size_t writes;
    } cases[] = {
        {"StartDocPrinterW fails", FALSE, {}, TRUE, ERROR_SPL_NO_STARTDOC, 0},
        {"WritePrinter fails", TRUE, {0}, FALSE, ERROR_WRITE_FAULT, 1},
        {"WritePrinter fails after some bytes", TRUE, {5}, FALSE, ERROR_WRITE_FAULT, 1},
        {"WritePrinter reports no progress", TRUE, {0}, TRUE, ERROR_WRITE_FAULT, 1},
        {"no progress on the second call", TRUE, {4, 0}, TRUE, ERROR_WRITE_FAULT, 2},
    };
    for (const Case &c : cases) {
        spooler = FakeSpooler();
        spooler.startDocOk = c.startDocOk;
        spooler.writeAnswers = c.answers;
        spooler.writeResult = c.writeResult;
        EXPECT_FALSE(Send("0123456789")) << c.what;
        EXPECT_EQ(lastError, c.error) << c.what;
        EXPECT_EQ(spooler.writes.size(), c.writes) << c.what;
        const int closes = c.startDocOk ? 1 : 0;
        EXPECT_EQ(spooler.endDocs, closes) << c.what;
        EXPECT_EQ(spooler.endPages, closes) << c.what;
    }
    // A spooler claiming more than it was given ends the job, once.
    spooler = FakeSpooler();
    spooler.writeAnswers = {50};
    EXPECT_TRUE(Send("0123456789"));
    EXPECT_EQ(spooler.writes.size(), 1u);
}

TEST_F(RawJobTest, BadArgumentsTouchNothing) {
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(SendRawJob(nullptr, "x", 1));
    EXPECT_EQ(GetLastError(), 0xdeadbeefu);
    EXPECT_FALSE(SendRawJob(kHandle, nullptr, 1));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(SendRawJob(kHandle, "x", 0));
    EXPECT_EQ(spooler.startDocs, 0);
}

// ---- Link targets and printer addresses ----

TEST(WebLinks, AddressFromTarget) {
    const std::wstring long255(255, L'a');
    const std::wstring long200(200, L'b');
    struct Case {
        std::wstring target;
        const wchar_t *address;
        std::wstring expected;
    } cases[] = {
        {L"http://%s/", L"192.0.2.10", L"http://192.0.2.10/"},
        {L"http://%s/status.html?x=1", L"printer-7", L"http://printer-7/status.html?x=1"},
        // Only the marker's own "%s" is the address; "%%" is one "%".
        {L"http://%s/a%%20b", L"192.0.2.10", L"http://192.0.2.10/a%20b"},
        {L"http://%s/%s%n%x%d%", L"192.0.2.10", L"http://192.0.2.10/%s%n%x%d%"},
        {L"%s%n go http://%s/", L"h", L"%s%n go http://h/"},
        // Any other target is used as it stands, "%" and all.
        {L"http://www.talix.example/%s%n%%", L"h", L"http://www.talix.example/%s%n%%"},
        {L"http://" + long255, L"h", (L"http://" + long255).substr(0, 259)},
        {L"http://%s/" + long255, long200.c_str(),
         (L"http://" + std::wstring(200, L'b') + L"/" + long255).substr(0, 259)},
    };
    for (const Case &c : cases) {
        wchar_t out[kLinkAddressCch];
        wmemset(out, L'#', kLinkAddressCch);
        BuildLinkAddress(c.target.c_str(), c.address, out, kLinkAddressCch);
        EXPECT_EQ(std::wstring(out), c.expected) << Narrow(c.target);
    }
}

TEST(WebLinks, OnlyWebTargetsGoToTheShell) {
    for (const wchar_t *web : {L"http://www.talix.example/", L"HTTPS://x"}) EXPECT_TRUE(IsWebTarget(web)) << Narrow(web);
    for (const wchar_t *other : {L"http:/x", L"file:///c:/windows/system32/calc.exe", L"calc.exe",
                                 L"\\\\server\\share\\x.exe", L"192.0.2.10", L""})
        EXPECT_FALSE(IsWebTarget(other)) << Narrow(other);
}

TEST(OutriderInterval, ClampedLikeLeavingTheField) {
    const struct {
        LONGLONG typed;
        DWORD stored;
    } cases[] = {{0, 1}, {-5, 1}, {1, 1}, {5, 5}, {60, 60}, {61, 60}, {75, 60}, {999, 60}, {0x100000000LL, 60}};
    for (const auto &c : cases) EXPECT_EQ(ClampOutriderInterval(c.typed), c.stored) << c.typed;
}

// ---- About details from a string table and a version file ----

class AboutDetailsTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t dir[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, dir);
        datPath = std::wstring(dir) + L"oemui_about.dat";
        verPath = std::wstring(dir) + L"oemui_about.ver";
        config.pDat = &dat;
        config.pVer = &ver;
    }
    void TearDown() override {
        DeleteFileW(datPath.c_str());
        DeleteFileW(verPath.c_str());
    }
    static void WriteFileText(const std::wstring &path, const std::string &text) {
        HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(h);
        WritePrivateProfileStringW(nullptr, nullptr, nullptr, path.c_str());
    }
    std::wstring Details(const std::string &lines, const std::string &version) {
        WriteFileText(datPath, "[About Dialog]\r\n" + lines);
        WriteFileText(verPath, "[Version]\r\n" + version);
        dat.SetPath(datPath.c_str());
        dat.SetDialogSection(L"About");
        ver.SetPath(verPath.c_str());
        ver.SetSection(L"Version");
        wchar_t out[kAboutDetailsCch];
        BuildAboutDetails(&config, out);
        return out;
    }
    std::wstring datPath, verPath;
    ProfileReader dat, ver;
    ModelConfig config = {};
};

TEST_F(AboutDetailsTest, PlaceholdersInTableOrder) {
    const std::string version =
        "Description=Desc\r\nMainVersion=2.5\r\nDriverName=Drv\r\nCompanyName=Co\r\nComments=Note\r\n";
    const std::wstring nine(9, L' ');
    struct Case {
        const char *line;
        std::wstring expected;
    } cases[] = {
        {"Version $MAINVERSION", L"Version 2.5"},
        {"v%s (%d %n %x)", L"v2.5 (%d %n %x)"},
        {"$DRIVERNAME and $COMMENT", L"Drv and $COMMENT"},
        {"$DESCRIPTION", L"Desc"},
        {"$DRIVERCOPYRIGHT", L""},  // the version file has no copyright
        {"plain text", L""},
        {"$COMPANY $COMPANY", L"Co $COMPANY"},
    };
    for (const Case &c : cases) {
        const std::wstring out = Details(std::string("M_Info3=") + c.line + "\r\n", version);
        EXPECT_EQ(out, L"\r\n\r\n" + c.expected + L"\r\n" + std::wstring(L"\r\n\r\n\r\n\r\n\r\n\r\n\r\n")) << c.line;
    }
    EXPECT_EQ(Details("", version).size(), 20u);  // ten empty lines
}

TEST_F(AboutDetailsTest, LongLinesAreCutAtTheBuffer) {
    std::string lines;
    for (int i = 1; i <= 10; ++i) lines += "M_Info" + std::to_string(i) + "=" + std::string(200, 'x') + " $COMPANY\r\n";
    const std::wstring out = Details(lines, "CompanyName=" + std::string(200, 'C') + "\r\n");
    EXPECT_EQ(out.size(), kAboutDetailsCch - 1);
    EXPECT_EQ(out.substr(0, 201), std::wstring(200, L'x') + L" ");
}

// ---- About layout at any screen resolution ----

bool RectInside(const RECT &inner, const RECT &outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// The layout is made in the picture's pixels for 96 DPI. On a finer screen
// the dialog's font grows, so the picture, the details over it and OK below
// it must grow in step, or the details wrap into lines the control cuts off.
TEST(AboutLayout, GrowsWithTheScreenResolution) {
    const SIZE picture = {360, 264};  // the Talix C500 picture
    struct Case {
        int dpi;
        SIZE client;
        RECT ok;
        RECT details;
    } cases[] = {
        {96, {360, 312}, {142, 276, 217, 300}, {180, 12, 360, 144}},
        {120, {450, 390}, {178, 345, 272, 375}, {225, 15, 450, 180}},
        {144, {540, 468}, {213, 414, 326, 450}, {270, 18, 540, 216}},
        {192, {720, 624}, {285, 552, 435, 600}, {360, 24, 720, 288}},
        {0, {360, 312}, {142, 276, 217, 300}, {180, 12, 360, 144}},  // unknown: as at 96
    };
    for (const Case &c : cases) {
        const AboutLayout layout = ComputeAboutLayout(picture, Dpi{c.dpi, c.dpi});
        EXPECT_EQ(layout.client.cx, c.client.cx) << c.dpi;
        EXPECT_EQ(layout.client.cy, c.client.cy) << c.dpi;
        EXPECT_TRUE(EqualRect(&layout.okButton, &c.ok))
            << c.dpi << ": OK " << layout.okButton.left << "," << layout.okButton.top << " "
            << layout.okButton.right << "," << layout.okButton.bottom;
        EXPECT_TRUE(EqualRect(&layout.details, &c.details))
            << c.dpi << ": details " << layout.details.left << "," << layout.details.top << " "
            << layout.details.right << "," << layout.details.bottom;
        // Wherever it is shown: the details lie on the picture, OK below it
        // and centred, everything inside the client area.
        const RECT rcPicture = {0, 0, layout.picture.cx, layout.picture.cy};
        const RECT rcClient = {0, 0, layout.client.cx, layout.client.cy};
        EXPECT_TRUE(RectInside(layout.details, rcPicture)) << c.dpi;
        EXPECT_TRUE(RectInside(layout.okButton, rcClient)) << c.dpi;
        EXPECT_GE(layout.okButton.top, rcPicture.bottom) << c.dpi;
        EXPECT_LE(std::abs(layout.okButton.left - (rcClient.right - layout.okButton.right)), 1) << c.dpi;
    }
    // Each axis follows its own resolution.
    const AboutLayout wide = ComputeAboutLayout(picture, Dpi{192, 96});
    EXPECT_EQ(wide.client.cx, 720);
    EXPECT_EQ(wide.client.cy, 312);
}

}  // namespace
