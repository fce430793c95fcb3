#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "kit/kit_windows.h"
#include "resources/resource_ids.h"
#include "settings/model_config.h"
#include "settings/profile_section.h"
#include "support/import_patch.h"
#include "ui/captions.h"

using namespace oemui;
using kittest::HintText;
using kittest::TestDialog;
using kittest::WriteStringTable;

namespace {

std::wstring WindowText(HWND h) {
    wchar_t sz[512] = {};
    GetWindowTextW(h, sz, 512);
    return sz;
}

class CaptionsTest : public ::testing::Test {
protected:
    void Open(const std::wstring &lines, DWORD dwTemplate = IDD_COPIES_SETTING) {
        dat.SetPath(WriteStringTable(L"Copies Dialog", lines).c_str());
        config.pDat = &dat;
        config.hCurrentDlg = dlg.hwnd();
        config.dwCurrentTemplate = dwTemplate;
    }
    void Translate() { TranslateDialog(dlg.hwnd(), &config, L"Copies"); }

    TestDialog dlg;
    ProfileReader dat;
    ModelConfig config{};
};

// A 255-character caption's hint key is 263 characters long and must be
// read whole.
TEST_F(CaptionsTest, LongCaptionsFindTheirHints) {
    const std::wstring caption(255, L'k');
    HWND hLabel = dlg.Add(L"STATIC", caption.c_str(), 1356, 5, 5, 80, 14);
    Open(caption + L"=" + std::wstring(255, L'T') + L"\r\n" + caption + L" tooltip=whole key\r\n" +
         caption.substr(0, 247) + L" tooltip=cut key\r\n");
    Translate();
    EXPECT_EQ(WindowText(hLabel), std::wstring(255, L'T'));
    EXPECT_EQ(HintText(config.hTooltip, dlg.hwnd(), 1356), L"whole key");
}

// The brand that keeps control 1001's wording with its paper texts moves the
// string-table reader to that section on the way; every later control still
// reads the dialog's own section, also for keys that are read from the file.
TEST_F(CaptionsTest, BrandedCaptionLeavesLaterControlsInTheDialogSection) {
    HWND hBranded = dlg.Add(L"BUTTON", L"Help", 1001, 5, 5, 50, 14);
    HWND hComment = dlg.Add(L"STATIC", L";Note", 1356, 60, 5, 50, 14);
    HWND hPlain = dlg.Add(L"STATIC", L"Color", 1357, 120, 5, 50, 14);
    Open(L";Note=Hinweis\r\nColor=Farbe\r\nHelp=Dialoghilfe\r\n[Custom Paper Dialog]\r\nHelp=Papierhilfe\r\n"
         L";Note=Papier\r\nColor=Papierfarbe\r\n");
    config.sBrand = kBrandTalix;
    Translate();
    EXPECT_EQ(WindowText(hBranded), L"Papierhilfe");
    EXPECT_EQ(WindowText(hComment), L"Hinweis");
    EXPECT_EQ(WindowText(hPlain), L"Farbe");
    EXPECT_STREQ(dat.Section(), L"Copies Dialog");
}

// The passcode-length labels of Print and Hold: key by the length rule,
// texts formatted with the two lengths and nothing else.
TEST_F(CaptionsTest, PassLengthLabelsAreFormattedSafely) {
    struct Case {
        SHORT min, max;
        DWORD dwTemplate;
        const wchar_t *table;
        const wchar_t *caption, *hint, *range;
    } const cases[] = {
        {4, 4, IDD_PRINT_AND_HOLD, L"(0)=(%d digits)\r\n(0) tooltip=exactly %d\r\n(0-9)=(%d-%d digits)\r\n",
         L"(4 digits)", L"exactly 4", L"(4-4 digits)"},
        {4, 8, IDD_PRINT_AND_HOLD_RTL, L"(0)=(%d digits)\r\n(0-9)=(%d-%d digits)\r\n(0-9) tooltip=%d to %d\r\n",
         L"(4-8 digits)", L"4 to 8", L"(4-8 digits)"},
        {6, 6, IDD_PRINT_AND_HOLD, L"(0-9)=(%d-%d)\r\n", L"(6-6)", L"", L"(6-6)"},  // no "(0)" entry
        {4, 8, IDD_PRINT_AND_HOLD, L"(0-9)=%s%n%*d %d %d %d %x%%\r\n(0-9) tooltip=%s\r\n",
         L"%s%n%*d 4 8 %d %x%", L"%s", L"%s%n%*d 4 8 %d %x%"},
        // Only Print and Hold formats these texts.
        {4, 8, IDD_COPIES_SETTING, L"(0-9)=(%d-%d digits)\r\n", L"(%d-%d digits)", L"", L"(%d-%d digits)"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.table);
        TestDialog page;
        HWND hLabel = page.Add(L"STATIC", L"placeholder", IDC_PH_PASSCODE_HINT_EQUAL, 5, 5, 80, 14);
        HWND hRange = page.Add(L"STATIC", L"(0-9)", IDC_PH_PASSCODE_HINT_RANGE, 5, 25, 80, 14);
        ModelConfig cfg{};
        ProfileReader reader;
        reader.SetPath(WriteStringTable(L"Hold Dialog", c.table).c_str());
        cfg.pDat = &reader;
        cfg.hCurrentDlg = page.hwnd();
        cfg.dwCurrentTemplate = c.dwTemplate;
        cfg.sMinPassLen = c.min;
        cfg.sMaxPassLen = c.max;
        TranslateDialog(page.hwnd(), &cfg, L"Hold");
        EXPECT_EQ(WindowText(hLabel), c.caption);
        EXPECT_EQ(HintText(cfg.hTooltip, page.hwnd(), IDC_PH_PASSCODE_HINT_EQUAL), c.hint);
        EXPECT_EQ(WindowText(hRange), c.range);
    }
}

// Without permission everything is disabled, except Cancel of a modal
// dialog, which the close box needs.
TEST_F(CaptionsTest, NoPermissionDisablesAllButTheModalCancel) {
    for (bool bChildPage : {false, true}) {
        SCOPED_TRACE(bChildPage ? "page" : "modal");
        TestDialog owner;
        TestDialog page(0, owner.hwnd(), bChildPage);
        HWND hOk = page.Add(L"BUTTON", L"OK", IDOK, 5, 5, 50, 14);
        HWND hCancel = page.Add(L"BUTTON", L"Cancel", IDCANCEL, 60, 5, 50, 14);
        HWND hEdit = page.Add(L"EDIT", L"", 1259, 5, 25, 50, 14);
        HWND hLabel = page.Add(L"STATIC", L"Color", 1356, 60, 25, 50, 14);
        ModelConfig cfg{};
        cfg.hCurrentDlg = page.hwnd();
        cfg.lNoPermission = 1;
        TranslateDialog(page.hwnd(), &cfg, L"Copies");
        EXPECT_FALSE(IsWindowEnabled(hOk));
        EXPECT_FALSE(IsWindowEnabled(hEdit));
        EXPECT_FALSE(IsWindowEnabled(hLabel));
        EXPECT_EQ(IsWindowEnabled(hCancel) != FALSE, !bChildPage);
        EXPECT_EQ(WindowText(hLabel), L"Color");  // no string table: the key shows
    }
}

TEST_F(CaptionsTest, HintWindowIsMirroredOnlyForArabicAndHebrew) {
    kittest::SystemLanguage language(0x0409);
    ASSERT_TRUE(language.Active());
    struct Case {
        LANGID lang;
        bool mirrored;
    } const cases[] = {{0x0401, true}, {0x3C01, true}, {0x040D, true}, {0x0429, false}, {0x0420, false}, {0x0409, false}};
    for (const Case &c : cases) {
        language.Set(c.lang);
        HWND hTooltip = CreateHintWindow(dlg.hwnd());
        ASSERT_NE(hTooltip, nullptr);
        const LONG_PTR exStyle = GetWindowLongPtrW(hTooltip, GWL_EXSTYLE);
        EXPECT_EQ((exStyle & WS_EX_LAYOUTRTL) != 0, c.mirrored) << std::hex << c.lang;
        EXPECT_NE(exStyle & WS_EX_TOPMOST, 0) << std::hex << c.lang;
        DestroyWindow(hTooltip);
    }
}

}  // namespace

namespace {

// A pass that keeps its hints for later leaves the controls as the
// immediate pass does, and the hints attached later are the same.
TEST_F(CaptionsTest, KeptHintsMatchTheImmediatePass) {
    const std::wstring lines =
        L"Gray=Grau\r\nGray tooltip=Graustufen\r\nTotal=Gesamt\r\nEdit:1259 tooltip=Zahl\r\nGone tooltip=weg\r\n"
        L"Hidden tooltip=versteckt\r\n";
    struct Control {
        const wchar_t *cls, *text;
        int id, x;
    } controls[] = {{L"STATIC", L"Gray", 1250, 5},  {L"BUTTON", L"Total", 1251, 60}, {L"EDIT", L"12", 1259, 120},
                    {L"STATIC", L"Gone", 1252, 180}, {L"STATIC", L"Hidden", 1253, 240}};
    TestDialog kept;
    for (const Control &c : controls) {
        dlg.Add(c.cls, c.text, c.id, c.x, 5, 50, 14);
        kept.Add(c.cls, c.text, c.id, c.x, 5, 50, 14);
    }
    Open(lines);
    Translate();

    ModelConfig keptConfig{};
    keptConfig.pDat = &dat;
    keptConfig.hCurrentDlg = kept.hwnd();
    keptConfig.dwCurrentTemplate = IDD_COPIES_SETTING;
    ProfileSection section;
    dat.SetDialogSection(L"Copies");
    ASSERT_TRUE(section.Load(dat));
    PendingHints hints;
    {
        const DialogControls list(kept.hwnd());
        EXPECT_EQ(list.Count(), ARRAYSIZE(controls));
        TranslateDialogTexts(list, &keptConfig, L"Copies", section, &hints);
    }
    EXPECT_EQ(keptConfig.hTooltip, nullptr);
    EXPECT_STREQ(keptConfig.szDialogName, L"Copies");
    DestroyWindow(GetDlgItem(kept.hwnd(), 1252));
    ShowWindow(GetDlgItem(kept.hwnd(), 1253), SW_HIDE);
    HWND hTooltip = CreateHintWindow(kept.hwnd());
    ASSERT_NE(hTooltip, nullptr);
    hints.AttachTo(kept.hwnd(), hTooltip);
    EXPECT_EQ(hints.Count(), 0u);

    for (const Control &c : controls) {
        if (c.id == 1252) {
            EXPECT_EQ(HintText(hTooltip, kept.hwnd(), c.id), L"<none>");
            continue;
        }
        EXPECT_EQ(WindowText(GetDlgItem(kept.hwnd(), c.id)), WindowText(GetDlgItem(dlg.hwnd(), c.id))) << c.id;
        EXPECT_EQ(HintText(hTooltip, kept.hwnd(), c.id), HintText(config.hTooltip, dlg.hwnd(), c.id)) << c.id;
    }
    // The control hidden before its hint came has no hint area.
    TOOLINFOW ti = {};
    ti.cbSize = sizeof(ti);
    ti.hwnd = kept.hwnd();
    ti.uId = 1253;
    ASSERT_TRUE(SendMessageW(hTooltip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&ti)));
    EXPECT_TRUE(IsRectEmpty(&ti.rect));
}

// Find answers what GetDlgItem answers: the dialog's own children only.
TEST(DialogControls, FindsWhatGetDlgItemFinds) {
    TestDialog dlg;
    dlg.Add(L"STATIC", L"a", 10, 5, 5, 40, 14);
    HWND hGroup = dlg.Add(L"BUTTON", L"group", 11, 5, 25, 200, 80, BS_GROUPBOX);
    dlg.Add(L"EDIT", L"", 12, 60, 5, 40, 14);
    HWND hNested = CreateWindowExW(0, L"STATIC", L"nested", WS_CHILD, 5, 5, 40, 14, hGroup,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(13)), nullptr, nullptr);
    ASSERT_NE(hNested, nullptr);
    const DialogControls list(dlg.hwnd());
    ASSERT_TRUE(list.Complete());
    EXPECT_EQ(list.Count(), 4u);
    for (int id : {10, 11, 12, 13, 14}) EXPECT_EQ(list.Find(id), GetDlgItem(dlg.hwnd(), id)) << id;
    EXPECT_EQ(list.Find(13), nullptr);
}

}  // namespace
