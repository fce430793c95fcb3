// The Troubleshooting page, its alert settings and the About box on a real
// sheet of the emulator, with a real Talix C500 printer whose port lands in a
// file.
#include <gtest/gtest.h>

#include <cstdlib>

#include <windows.h>
#include <commctrl.h>

#include "resources/resource_ids.h"
#include "troubleshooting/page_rig.h"

namespace {

using namespace troublerig;

class RigEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        std::wstring error;
        ASSERT_TRUE(SetUpRig(&error)) << Narrow(error);
    }
    void TearDown() override { TearDownRig(); }
};
const auto *g_env = ::testing::AddGlobalTestEnvironment(new RigEnvironment);

constexpr int kAlertIds[] = {IDC_TS_OUTRIDER_GROUP, IDC_TS_OUTRIDER_TEXT, IDC_TS_OUTRIDER_LAST_TOPIC,
                             IDC_TS_OUTRIDER_SETTINGS};
constexpr int kDiagnosticIds[] = {IDC_TS_DIAG_GROUP, IDC_TS_DIAG_TEXT, IDC_TS_DIAG_LIST, IDC_TS_DIAG_PRINT};
constexpr int kBottomIds[] = {IDC_TS_ABOUT, IDC_TS_LOGO, IDC_TS_HELP};

const std::string kTestPrintJob = std::string("\x1B%-12345X@PJL\r\n@PJL TEST PRINT=PATTERN\r\n\x1B%-12345X");

class PageTest : public ::testing::Test {
protected:
    void SetUp() override {
        RestoreModelFiles();
        SetPortAddress(nullptr);
        for (const wchar_t *name : {L"POutrider_LastInfo", L"POutrider_Enable", L"POutrider_Timeout"})
            DeletePrinterValue(name);
        Record().Reset();
        Record().systemLanguage = 0x0409;
        Capture().TakeDocuments();
    }
    void TearDown() override {
        Record().systemLanguage = 0x0409;
        RestoreModelFiles();
    }
    static LOGFONTW FontOf(HWND hControl) {
        LOGFONTW lf = {};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(hControl, WM_GETFONT, 0, 0)), sizeof(lf), &lf);
        return lf;
    }
    static std::wstring ListText(HWND hList, int i) {
        wchar_t sz[260] = {};
        SendMessageW(hList, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(sz));
        return sz;
    }
    static bool SameRect(const RECT &a, const RECT &b) { return EqualRect(&a, &b) != 0; }
    void ExpectOnePrintedTestPage(const char *when) {
        const auto docs = Capture().TakeDocuments();
        ASSERT_EQ(docs.size(), 1u) << when;
        EXPECT_EQ(docs[0].name, L"Printer Diagnostic Pages") << when;
        EXPECT_EQ(docs[0].dataType, L"RAW") << when;
        EXPECT_TRUE(docs[0].ended) << when;
        EXPECT_EQ(docs[0].bytes, kTestPrintJob) << when;
    }
};

TEST_F(PageTest, BothSheetsShowGroupsListAndLinks) {
    for (bool preferences : {true, false}) {
        OpenPage p(preferences);
        ASSERT_TRUE(p.ok()) << Narrow(p.error());
        for (int id : kAlertIds) EXPECT_TRUE(IsWindowVisible(p.item(id))) << id;
        EXPECT_FALSE(IsWindowEnabled(p.item(IDC_TS_OUTRIDER_LAST_TOPIC))) << "no POutrider_LastInfo";

        HWND hList = p.item(IDC_TS_DIAG_LIST);
        const wchar_t *expected[] = {L"Configuration Page", L"Connection Page", L"Menu Map", L"PCL Font List",
                                     L"PostScript Font List", L"Office Demo", L"2-Sided Demo", L"Test Print"};
        ASSERT_EQ(SendMessageW(hList, CB_GETCOUNT, 0, 0), 8);
        for (int i = 0; i < 8; ++i) EXPECT_EQ(ListText(hList, i), expected[i]) << i;
        EXPECT_EQ(SendMessageW(hList, CB_GETCURSEL, 0, 0), 0);

        for (int id = IDC_TS_LINK_1; id <= IDC_TS_LINK_5; ++id) {
            EXPECT_TRUE(IsWindowVisible(p.item(id))) << id;
            const LOGFONTW lf = FontOf(p.item(id));
            EXPECT_TRUE(lf.lfUnderline) << id;
            EXPECT_EQ(lf.lfWeight, 600) << id;
        }
        EXPECT_FALSE(IsWindowVisible(p.item(IDC_TS_LINK_6)));
        // Each link is as wide as its text in its own font, centred where the template put it.
        {
            HWND hLink = p.item(IDC_TS_LINK_1);
            wchar_t text[260] = {};
            GetWindowTextW(hLink, text, 260);
            HDC hdc = GetDC(hLink);
            HGDIOBJ old = SelectObject(hdc, reinterpret_cast<HGDIOBJ>(SendMessageW(hLink, WM_GETFONT, 0, 0)));
            SIZE extent = {};
            GetTextExtentPoint32W(hdc, text, lstrlenW(text), &extent);
            SelectObject(hdc, old);
            ReleaseDC(hLink, hdc);
            RECT units = {18, 147, 18 + 142, 147 + 14};
            MapDialogRect(p.page(), &units);
            const RECT rc = p.Rect(IDC_TS_LINK_1);
            EXPECT_EQ(rc.right - rc.left, extent.cx);
            EXPECT_EQ(rc.bottom - rc.top, extent.cy);
            EXPECT_NEAR((rc.left + rc.right) / 2, (units.left + units.right) / 2, 1);
        }
        EXPECT_TRUE(IsWindowEnabled(p.item(IDC_TS_LINK_1)));
        EXPECT_FALSE(IsWindowEnabled(p.item(IDC_TS_LINK_5))) << "FILE-like port without an address";
        EXPECT_EQ(p.config()->hCurrentDlg, p.page());
        EXPECT_EQ(p.config()->dwCurrentTemplate, static_cast<DWORD>(IDD_TROUBLESHOOTING));
        // The logo is drawn from its file at every paint of its control.
        Record().images.clear();
        RedrawWindow(p.item(IDC_TS_LOGO), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        ASSERT_FALSE(Record().images.empty());
        EXPECT_EQ(Record().images.back(), InstalledFile(L"TLXl.bmp"));
    }
}

TEST_F(PageTest, LastTopicLinkFollowsThePrinterData) {
    const wchar_t topic[] = L"troublesh_tab\\paper_jam.htm";
    SetPrinterValue(L"POutrider_LastInfo", REG_SZ, topic, sizeof(topic));
    OpenPage p;
    ASSERT_TRUE(p.ok()) << Narrow(p.error());
    ASSERT_TRUE(IsWindowEnabled(p.item(IDC_TS_OUTRIDER_LAST_TOPIC)));
    p.Command(IDC_TS_OUTRIDER_LAST_TOPIC, STN_CLICKED);
    ASSERT_EQ(Record().help.size(), 1u);
    EXPECT_EQ(Record().help[0], InstalledFile(topic));

    // A value longer than 259 characters, stored without a terminator, is cut.
    const std::wstring longTopic(300, L't');
    SetPrinterValue(L"POutrider_LastInfo", REG_BINARY, longTopic.data(), 259 * 2 + 2);
    Record().Reset();
    p.Command(IDC_TS_OUTRIDER_LAST_TOPIC, STN_CLICKED);
    ASSERT_EQ(Record().help.size(), 1u);
    EXPECT_EQ(Record().help[0], (InstalledFile(L"") + std::wstring(259, L't')).substr(0, 259));
}

TEST_F(PageTest, PrintSendsTheSelectedPageOnce) {
    OpenPage p;
    ASSERT_TRUE(p.ok()) << Narrow(p.error());
    SendMessageW(p.item(IDC_TS_DIAG_LIST), CB_SETCURSEL, 7, 0);
    p.Command(IDC_TS_DIAG_PRINT);
    ExpectOnePrintedTestPage("first print");

    // Another dialog of the sheet took the record over and was closed again.
    HWND hGone = CreateWindowW(L"STATIC", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(hGone);
    p.config()->hCurrentDlg = hGone;
    p.config()->hTooltip = hGone;
    p.Command(IDC_TS_DIAG_PRINT);
    ExpectOnePrintedTestPage("after another dialog closed");

    // Nothing selected: nothing sent.
    SendMessageW(p.item(IDC_TS_DIAG_LIST), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    p.Command(IDC_TS_DIAG_PRINT);
    EXPECT_TRUE(Capture().TakeDocuments().empty());
}

TEST_F(PageTest, TestPagesJunkIsLeftOut) {
    struct Case {
        const wchar_t *value;
        std::vector<std::wstring> items;
    } cases[] = {
        {L"9,1", {L"Test Print", L"Configuration Page"}},
        {L"0,10,-1,abc,,3, 9 ,99999999999", {L"Menu Map", L"Test Print"}},
        {nullptr, {}},
    };
    for (const Case &c : cases) {
        SetModelValue(L"TLXC500u.INI", L"Common", L"TestPages", c.value);
        OpenPage p;
        ASSERT_TRUE(p.ok()) << Narrow(p.error());
        HWND hList = p.item(IDC_TS_DIAG_LIST);
        ASSERT_EQ(SendMessageW(hList, CB_GETCOUNT, 0, 0), static_cast<LRESULT>(c.items.size()));
        for (size_t i = 0; i < c.items.size(); ++i) EXPECT_EQ(ListText(hList, static_cast<int>(i)), c.items[i]);
        EXPECT_EQ(SendMessageW(hList, CB_GETCURSEL, 0, 0), c.items.empty() ? CB_ERR : 0);
        p.Command(IDC_TS_DIAG_PRINT);
        EXPECT_EQ(Capture().TakeDocuments().size(), c.items.empty() ? 0u : 1u);
    }
}

TEST_F(PageTest, LinksAndHelpOpenOnlyWhatTheyShould) {
    SetPortAddress(L"192.0.2.10");
    {
        OpenPage p;
        ASSERT_TRUE(p.ok()) << Narrow(p.error());
        ASSERT_TRUE(IsWindowEnabled(p.item(IDC_TS_LINK_5)));
        p.Command(IDC_TS_LINK_5, STN_CLICKED);
        p.Command(IDC_TS_LINK_5, STN_DBLCLK);
        ASSERT_EQ(Record().shell.size(), 1u);
        EXPECT_EQ(Record().shell[0].verb, L"open");
        EXPECT_EQ(Record().shell[0].file, L"http://192.0.2.10/");
        EXPECT_EQ(Record().shell[0].show, SW_SHOW);
        p.Command(IDC_TS_HELP);
        ASSERT_EQ(Record().help.size(), 1u);
        const std::wstring suffix = L"TLX.chm::\\troublesh_tab\\troubleshooting_tab.htm";
        EXPECT_EQ(Record().help[0], InstalledFile(L"") + suffix);
    }
    // Hostile string-table targets and port addresses.
    struct Case {
        const wchar_t *address;  // null: no port entry
        const wchar_t *target;
        bool enabled;
        const wchar_t *opened;  // null: nothing opened
    } cases[] = {
        {L"", L"http://%s/", false, nullptr},
        {L"evil\" -x", L"http://%s/", false, nullptr},
        {L"192.0.2.10", L"calc.exe", false, nullptr},
        {L"192.0.2.10", L"file:///c:/windows/notepad.exe", false, nullptr},
        {L"192.0.2.10", L"http://%s/%n%x%%", true, L"http://192.0.2.10/%n%x%"},
        {L"192.0.2.10", L"HTTPS://www.talix.example/%s", true, L"HTTPS://www.talix.example/%s"},
    };
    for (const Case &c : cases) {
        SetPortAddress(c.address);
        SetModelValue(L"TLXEN.DAT", L"Troubleshooting Dialog", L"Ref_URL_2", c.target);
        OpenPage p;
        ASSERT_TRUE(p.ok()) << Narrow(p.error());
        Record().Reset();
        EXPECT_EQ(IsWindowEnabled(p.item(IDC_TS_LINK_2)) != FALSE, c.enabled) << Narrow(c.target);
        p.Command(IDC_TS_LINK_2, STN_CLICKED);
        if (c.opened == nullptr) {
            EXPECT_TRUE(Record().shell.empty()) << Narrow(c.target);
        } else {
            ASSERT_EQ(Record().shell.size(), 1u) << Narrow(c.target);
            EXPECT_EQ(Record().shell[0].file, c.opened);
        }
    }
}

TEST_F(PageTest, BrowserFallbackTakesOneQuotedArgument) {
    SetPortAddress(L"192.0.2.10");
    SetModelValue(L"TLXEN.DAT", L"Troubleshooting Dialog", L"Ref_URL_3", L"http://www.talix.example/\" -new x");
    OpenPage p;
    ASSERT_TRUE(p.ok()) << Narrow(p.error());
    Record().Reset();
    Record().shellResults = {2};  // no handler for the address
    p.Command(IDC_TS_LINK_5, STN_CLICKED);
    ASSERT_EQ(Record().shell.size(), 2u);
    EXPECT_EQ(Record().shell[1].file, L"IEXPLORE.EXE");
    EXPECT_EQ(Record().shell[1].parameters, L"\"http://192.0.2.10/\"");
    EXPECT_EQ(Record().shell[1].show, SW_SHOW);
    // An address with a quote goes to the shell as it is, never to the browser's command line.
    Record().Reset();
    Record().shellResults = {2};
    p.Command(IDC_TS_LINK_3, STN_CLICKED);
    ASSERT_EQ(Record().shell.size(), 1u);
    EXPECT_EQ(Record().shell[0].file, L"http://www.talix.example/\" -new x");
}

TEST_F(PageTest, HandOverLinksWithoutTouchingTheStaticClass) {
    OpenPage p;
    ASSERT_TRUE(p.ok()) << Narrow(p.error());
    HWND hLink = p.item(IDC_TS_LINK_1);
    const ULONG_PTR classCursor = GetClassLongPtrW(hLink, GCLP_HCURSOR);
    RECT rc = {};
    GetWindowRect(hLink, &rc);
    SetCursorPos((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_TRUE(SendMessageW(p.page(), WM_SETCURSOR, reinterpret_cast<WPARAM>(hLink), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
    EXPECT_EQ(GetClassLongPtrW(hLink, GCLP_HCURSOR), classCursor);
    // Over a disabled link the page leaves the cursor to the default handling.
    GetWindowRect(p.item(IDC_TS_LINK_5), &rc);
    SetCursorPos((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    SendMessageW(p.page(), WM_SETCURSOR, reinterpret_cast<WPARAM>(p.page()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_NE(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
}

TEST_F(PageTest, MissingLogoDrawsNothingAndKeepsTheControl) {
    DeleteFileW(InstalledFile(L"TLXl.bmp").c_str());
    OpenPage p;
    ASSERT_TRUE(p.ok()) << Narrow(p.error());
    const RECT before = p.Rect(IDC_TS_LOGO);
    RedrawWindow(p.item(IDC_TS_LOGO), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_TRUE(SameRect(p.Rect(IDC_TS_LOGO), before));
}

TEST_F(PageTest, AlertSettingsDefaultsRepairAndClamping) {
    OpenPage p;
    ASSERT_TRUE(p.ok()) << Narrow(p.error());
    HWND hPageTooltip = p.config()->hTooltip;
    // No printer data: checked, 5, and both stored even on Cancel.
    std::wstring title;
    bool checked = false;
    wchar_t interval[8] = {};
    ASSERT_TRUE(DriveModal([&] { p.Command(IDC_TS_OUTRIDER_SETTINGS); },
                           [&](HWND hDlg) {
                               wchar_t sz[64] = {};
                               GetWindowTextW(hDlg, sz, 64);
                               title = sz;
                               checked = IsDlgButtonChecked(hDlg, IDC_OR_ENABLE) == BST_CHECKED;
                               GetDlgItemTextW(hDlg, IDC_OR_INTERVAL, interval, 8);
                               SendMessageW(hDlg, WM_COMMAND, IDCANCEL, 0);
                           }));
    EXPECT_EQ(title, L"Printing Outrider");
    // A caption with format specifiers is shown as written.
    SetModelValue(L"TLXEN.DAT", L"Outrider Dialog", L"Caption", L"Alerts %s%n%d %%");
    DriveModal([&] { p.Command(IDC_TS_OUTRIDER_SETTINGS); },
               [&](HWND hDlg) {
                   wchar_t sz[64] = {};
                   GetWindowTextW(hDlg, sz, 64);
                   title = sz;
                   SendMessageW(hDlg, WM_COMMAND, IDCANCEL, 0);
               });
    EXPECT_EQ(title, L"Alerts %s%n%d %%");
    EXPECT_TRUE(checked);
    EXPECT_STREQ(interval, L"5");
    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_TRUE(GetPrinterValue(L"POutrider_Enable", &type, &data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    ASSERT_TRUE(GetPrinterValue(L"POutrider_Timeout", &type, &data));
    ASSERT_EQ(data.size(), 4u);
    EXPECT_EQ(*reinterpret_cast<DWORD *>(data.data()), 5u);
    // The page is the current dialog again, with its own hint window.
    EXPECT_EQ(p.config()->hCurrentDlg, p.page());
    EXPECT_EQ(p.config()->hTooltip, hPageTooltip);
    EXPECT_STREQ(p.config()->szDialogName, L"Troubleshooting");
    EXPECT_STREQ(p.config()->pDat->Section(), L"Troubleshooting Dialog");

    // OK with what leaving the field would have corrected.
    struct Case {
        const wchar_t *typed;
        DWORD stored;
    } cases[] = {{L"", 1}, {L"0", 1}, {L"75", 60}, {L"12", 12}};
    for (const Case &c : cases) {
        DriveModal([&] { p.Command(IDC_TS_OUTRIDER_SETTINGS); },
                   [&](HWND hDlg) {
                       SetDlgItemTextW(hDlg, IDC_OR_INTERVAL, c.typed);
                       SendMessageW(hDlg, WM_COMMAND, IDOK, 0);
                   });
        ASSERT_TRUE(GetPrinterValue(L"POutrider_Timeout", &type, &data));
        EXPECT_EQ(*reinterpret_cast<DWORD *>(data.data()), c.stored) << Narrow(c.typed);
    }

    // Stored values of the wrong type or size are replaced by the defaults.
    const DWORD seven = 7;
    const BYTE eight[8] = {30, 0, 0, 0, 0, 0, 0, 0};
    SetPrinterValue(L"POutrider_Enable", REG_DWORD, &seven, 4);
    SetPrinterValue(L"POutrider_Timeout", REG_BINARY, eight, 8);
    DriveModal([&] { p.Command(IDC_TS_OUTRIDER_SETTINGS); },
               [&](HWND hDlg) {
                   checked = IsDlgButtonChecked(hDlg, IDC_OR_ENABLE) == BST_CHECKED;
                   GetDlgItemTextW(hDlg, IDC_OR_INTERVAL, interval, 8);
                   SendMessageW(hDlg, WM_COMMAND, IDCANCEL, 0);
               });
    EXPECT_TRUE(checked);
    EXPECT_STREQ(interval, L"5");
    ASSERT_TRUE(GetPrinterValue(L"POutrider_Timeout", &type, &data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(data.size(), 4u);
    ASSERT_TRUE(GetPrinterValue(L"POutrider_Enable", &type, &data));
    EXPECT_EQ(*reinterpret_cast<DWORD *>(data.data()), 1u);
}

// Height of the text up to its last visible line as a word-wrapping static
// control draws it: its own font and width, at this screen's resolution.
int WrappedTextHeight(HWND hControl, std::wstring text) {
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n')) text.pop_back();
    RECT rc = {};
    GetClientRect(hControl, &rc);
    HDC hdc = GetDC(hControl);
    HGDIOBJ hOld = SelectObject(hdc, reinterpret_cast<HGDIOBJ>(SendMessageW(hControl, WM_GETFONT, 0, 0)));
    DrawTextW(hdc, text.c_str(), -1, &rc, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
    SelectObject(hdc, hOld);
    ReleaseDC(hControl, hdc);
    return rc.bottom - rc.top;
}

TEST_F(PageTest, AboutFitsThePictureOrKeepsItsTemplate) {
    OpenPage p;
    ASSERT_TRUE(p.ok()) << Narrow(p.error());
    // The OK button's place is checked by the scenario; the client size only
    // here, and that every line of the details shows.
    SIZE client = {};
    int dpiX = 96, dpiY = 96;
    std::wstring details;
    ASSERT_TRUE(DriveModal([&] { p.Command(IDC_TS_ABOUT); },
                           [&](HWND hDlg) {
                               client = ClientSize(hDlg);
                               HDC hdc = GetDC(hDlg);
                               dpiX = GetDeviceCaps(hdc, LOGPIXELSX);
                               dpiY = GetDeviceCaps(hdc, LOGPIXELSY);
                               ReleaseDC(hDlg, hdc);
                               // OK's hint covers the button where it was moved, not its template place.
                               HWND hOk = GetDlgItem(hDlg, IDOK);
                               TOOLINFOW ti = {};
                               ti.cbSize = sizeof(ti);
                               ti.hwnd = hOk;
                               ti.uId = IDOK;
                               EXPECT_TRUE(SendMessageW(p.config()->hTooltip, TTM_GETTOOLINFOW, 0,
                                                        reinterpret_cast<LPARAM>(&ti)));
                               RECT rcOk = {};
                               GetClientRect(hOk, &rcOk);
                               EXPECT_TRUE(SameRect(ti.rect, rcOk))
                                   << ti.rect.right << "x" << ti.rect.bottom << " for " << rcOk.right << "x"
                                   << rcOk.bottom;
                               wchar_t sz[300] = {};
                               GetDlgItemTextW(hDlg, IDC_AB_DETAILS, sz, 300);
                               details = sz;
                               const int cyNeeded = WrappedTextHeight(GetDlgItem(hDlg, IDC_AB_DETAILS), sz);
                               EXPECT_LE(cyNeeded, ChildRect(hDlg, IDC_AB_DETAILS).bottom -
                                                       ChildRect(hDlg, IDC_AB_DETAILS).top);
                               SendMessageW(hDlg, WM_COMMAND, IDOK, 0);
                           }));
    // A run meant for another resolution names it: a prefix left at 96 DPI
    // must not pass for it.
    if (const char *pszDpi = getenv("OEMUI_EXPECT_DPI")) {
        EXPECT_EQ(dpiY, atoi(pszDpi));
    }
    // The 360 x 264 picture and the band below it, at this screen's resolution.
    EXPECT_EQ(client.cx, MulDiv(360, dpiX, 96));
    EXPECT_EQ(client.cy, MulDiv(312, dpiY, 96));
    EXPECT_EQ(details,
              L"Talix C500 Colour Printer Driver\r\nVersion 1.00.0\r\n\r\nDriver: Talix C500 Colour\r\n"
              L"Talix Printing Systems\r\nCopyright (C) 2026 Talix Printing Systems\r\n\r\nSample model file set\r\n"
              L"\r\n\r\n");
    EXPECT_EQ(p.config()->hCurrentDlg, p.page());
    EXPECT_EQ(p.config()->dwCurrentTemplate, static_cast<DWORD>(IDD_TROUBLESHOOTING));

    // Without the picture: the template's layout, and Escape closes it.
    DeleteFileW(InstalledFile(L"TLXY.bmp").c_str());
    bool closed = false;
    ASSERT_TRUE(DriveModal([&] { p.Command(IDC_TS_ABOUT); },
                           [&](HWND hDlg) {
                               RECT units = {141, 208, 141 + 53, 208 + 14};
                               MapDialogRect(hDlg, &units);
                               const RECT ok = ChildRect(hDlg, IDOK);
                               // The dialog manager rounds the size on its own.
                               EXPECT_EQ(ok.left, units.left);
                               EXPECT_EQ(ok.top, units.top);
                               EXPECT_NEAR(ok.right - ok.left, units.right - units.left, 1);
                               EXPECT_GT(ClientSize(hDlg).cx, 300);
                               MSG msg = {hDlg, WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}};
                               IsDialogMessageW(hDlg, &msg);
                               closed = !IsWindowVisible(hDlg);
                           }));
    EXPECT_TRUE(closed);
}

// About reads its picture and its texts when it opens; a repaint (the box
// uncovered, shown again) draws them from memory, and closing frees them.
TEST_F(PageTest, AboutRepaintsFromWhatItReadOnOpening) {
    OpenPage p;
    ASSERT_TRUE(p.ok()) << Narrow(p.error());
    Record().images.clear();
    Record().liveGdi.clear();
    std::wstring opened, repainted;
    ASSERT_TRUE(DriveModal([&] { p.Command(IDC_TS_ABOUT); },
                           [&](HWND hDlg) {
                               wchar_t sz[300] = {};
                               GetDlgItemTextW(hDlg, IDC_AB_DETAILS, sz, 300);
                               opened = sz;
                               SetModelValue(L"TLXEN.DAT", L"About Dialog", L"M_Info1", L"Changed meanwhile");
                               for (int i = 0; i < 3; ++i)
                                   RedrawWindow(hDlg, nullptr, nullptr,
                                                RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
                               GetDlgItemTextW(hDlg, IDC_AB_DETAILS, sz, 300);
                               repainted = sz;
                               SendMessageW(hDlg, WM_COMMAND, IDOK, 0);
                           }));
    EXPECT_EQ(opened.substr(0, 34), L"Talix C500 Colour Printer Driver\r\n");
    EXPECT_EQ(repainted, opened);
    ASSERT_EQ(Record().images.size(), 1u);
    EXPECT_EQ(Record().images[0], InstalledFile(L"TLXY.bmp"));
    EXPECT_TRUE(Record().liveGdi.empty()) << Record().liveGdi.size() << " objects left";
}

TEST_F(PageTest, HebrewSystemMirrorsThePageButNotTheLogo) {
    Record().systemLanguage = 0x040D;
    OpenPage p;
    ASSERT_TRUE(p.ok()) << Narrow(p.error());
    EXPECT_EQ(p.config()->dwCurrentTemplate, static_cast<DWORD>(IDD_TROUBLESHOOTING_RTL));
    EXPECT_TRUE(GetWindowLongPtrW(p.page(), GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
    EXPECT_FALSE(GetWindowLongPtrW(p.item(IDC_TS_LOGO), GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
    // The mirrored alert settings and About are checked by the Hebrew scenario.
}

TEST_F(PageTest, TwentyOpeningsLeaveNoGdiObjectBehind) {
    Record().liveGdi.clear();
    Record().gdiCreated = 0;
    for (int i = 0; i < 20; ++i) {
        OpenPage p(i % 2 == 0);
        ASSERT_TRUE(p.ok()) << Narrow(p.error());
        UpdateWindow(p.session().SheetWindow());
        RedrawWindow(p.page(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    }
    EXPECT_GE(Record().gdiCreated, 20) << "the link font at least";
    EXPECT_TRUE(Record().liveGdi.empty()) << Record().liveGdi.size() << " objects left";
}

}  // namespace

namespace {

using namespace troublerig;

LONG Width(const RECT &rc) { return rc.right - rc.left; }

LONG TemplateLinkWidth(HWND hPage) {
    RECT units = {18, 147, 18 + 142, 147 + 14};
    MapDialogRect(hPage, &units);
    return Width(units);
}

// The hint window with its hints and the links shrunk to their texts are not
// seen: they come once the page has painted, or as soon as a control is used
// or hovered. A link text too wide for its control is fitted before the page
// shows it, or it would show wrapped.
TEST_F(PageTest, UnseenWorkFollowsTheFirstPaint) {
    {
        OpenPage p(true, false);
        ASSERT_TRUE(p.ok()) << Narrow(p.error());
        EXPECT_EQ(p.config()->hTooltip, nullptr);
        EXPECT_EQ(Width(p.Rect(IDC_TS_LINK_1)), TemplateLinkWidth(p.page()));
        SendMessageW(p.page(), WM_SETCURSOR, reinterpret_cast<WPARAM>(p.page()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        ASSERT_NE(p.config()->hTooltip, nullptr);
        EXPECT_GT(SendMessageW(p.config()->hTooltip, TTM_GETTOOLCOUNT, 0, 0), 10);
        EXPECT_LT(Width(p.Rect(IDC_TS_LINK_1)), TemplateLinkWidth(p.page()));
    }
    {
        OpenPage p(true, false);
        ASSERT_TRUE(p.ok()) << Narrow(p.error());
        // Left alone, the page finishes from its timer.
        const DWORD start = GetTickCount();
        while (p.config()->hTooltip == nullptr && GetTickCount() - start < 2000) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        }
        ASSERT_NE(p.config()->hTooltip, nullptr);
        EXPECT_LT(Width(p.Rect(IDC_TS_LINK_1)), TemplateLinkWidth(p.page()));
    }
    SetModelValue(L"TLXEN.DAT", L"Troubleshooting Dialog", L"URL_2",
                  L"A link text far too long for the control that shows it on the page");
    {
        OpenPage p(true, false);
        ASSERT_TRUE(p.ok()) << Narrow(p.error());
        EXPECT_EQ(p.config()->hTooltip, nullptr);
        EXPECT_GT(Width(p.Rect(IDC_TS_LINK_2)), TemplateLinkWidth(p.page()));
        EXPECT_EQ(Width(p.Rect(IDC_TS_LINK_1)), TemplateLinkWidth(p.page()));
    }
}

}  // namespace
