#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "kit/kit_windows.h"
#include "resources/resource_ids.h"
#include "settings/model_config.h"
#include "support/import_patch.h"
#include "ui/captions.h"
#include "ui/section_texts.h"

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

// The pass reads a dialog's section once; every lookup must answer what the
// profile API answers for the same key.
TEST(SectionTexts, AnswersWhatTheProfileApiAnswers) {
    const std::wstring lines =
        L"Plain=Text\r\n  Spaced Key  =  spaced value  \r\nQuoted=\"in quotes\"\r\nSingle='single'\r\n"
        L"Half=\"open\r\nEmpty=\r\nDup=first\r\nDup=second\r\n;Comment=ignored?\r\nCASE=upper\r\n"
        L"Edit:1259 tooltip=Gris\r\nLong=" + std::wstring(300, L'L') + L"\r\nNoEquals\r\n";
    ProfileReader reader;
    reader.SetPath(WriteStringTable(L"Copies Dialog", lines).c_str());
    reader.SetDialogSection(L"Copies");
    SectionTexts section;
    ASSERT_TRUE(section.Load(reader));
    const wchar_t *keys[] = {L"Plain", L"Spaced Key", L"Quoted", L"Single", L"Half", L"Empty", L"Dup", L";Comment",
                             L"case", L"Edit:1259 tooltip", L"Long", L"NoEquals", L"Absent", L"plain"};
    EXPECT_FALSE(SectionTexts::Answers(L";Comment"));  // read directly instead
    for (const wchar_t *key : keys) {
        if (!SectionTexts::Answers(key)) continue;
        wchar_t szApi[kProfileTextCch];
        const bool bApi = reader.ReadTextOr(key, szApi, kProfileTextCch, nullptr) != 0;
        wchar_t szFound[kProfileTextCch] = L"";
        const bool bFound = section.Find(key, szFound, kProfileTextCch);
        EXPECT_EQ(bFound, bApi) << key;
        if (bApi) {
            EXPECT_STREQ(szFound, szApi) << key;
        }
    }
}

}  // namespace
