// The Copies Setting dialog from its push-button callback, with its real
// templates (linked into this program), driven from inside its modal loop:
// what the sheet cannot reach (copy counts its copies item does not offer,
// callback reasons, a missing record). The scenario
// talix_c500_copies_setting.scn plays what a user sees.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>

#include "dialogs/push_buttons.h"
#include "kit/kit_windows.h"
#include "module/module_state.h"
#include "resources/resource_ids.h"
#include "settings/model_config.h"

using namespace oemui;
using kittest::TestDialog;
using kittest::WriteStringTable;

namespace {

using Script = std::function<void(HWND)>;

std::wstring Text(HWND hDlg, int id) {
    wchar_t sz[64] = {};
    GetDlgItemTextW(hDlg, id, sz, 64);
    return sz;
}

void Type(HWND hDlg, const wchar_t *psz) { SetDlgItemTextW(hDlg, IDC_CP_GRAY, psz); }
void Press(HWND hDlg, int id) { PostMessageW(hDlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

class CopiesDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetModuleInstance(GetModuleHandleW(nullptr));
        dm.dmSize = sizeof(dm);
        dm.dmCopies = 5;
        dm.dmColor = DMCOLOR_COLOR;
        dm.dmCollate = DMCOLLATE_TRUE;
        ps.cbSize = sizeof(ps);
        ps.pPublicDM = &dm;
        config.pPsParam = &ps;
        dat.SetPath(WriteStringTable(L"Copies Dialog", L"Caption=Copies Setting\r\n").c_str());
        config.pDat = &dat;
    }

    // Presses the "Copies" button with the given reason and runs the script
    // in the dialog; false when no dialog opened.
    bool Open(const Script &script, LONG reason = CPSUICB_REASON_PUSHBUTTON, bool bWithRecord = true) {
        config.hCurrentDlg = nullptr;
        OPTITEM item{};
        item.cbSize = sizeof(item);
        item.UserData = bWithRecord ? reinterpret_cast<ULONG_PTR>(&config) : 0;
        CPSUICBPARAM cb{};
        cb.cbSize = sizeof(cb);
        cb.Reason = static_cast<WORD>(reason);
        cb.hDlg = owner.hwnd();
        cb.pCurItem = &item;
        LONG action = -1;
        const bool bRan = kittest::WorkModalDialog(&config.hCurrentDlg, script,
                                                   [&] { action = CopiesButtonCallback(&cb); });
        EXPECT_EQ(action, CPSUICB_ACTION_NONE);
        return bRan;
    }

    TestDialog owner;
    DEVMODEW dm{};
    OEMUIPSPARAM ps{};
    ProfileReader dat;
    ModelConfig config{};
};

// Whatever reaches the greyscale field, the split stays within the job's
// copies; the total is the job's own count, not a field's first digits.
TEST_F(CopiesDialogTest, CountsStayWithinTheJob) {
    struct Case {
        short copies;
        LONG storedGray;
        const wchar_t *typed;  // null: keep what the dialog shows
        const wchar_t *total, *gray, *color;
        LONG okGray;
        DWORD okColor;
    } const cases[] = {
        {2, 4, nullptr, L"2", L"", L"2", 0, 2},          // copies lowered since: all in colour
        {5, -3, nullptr, L"5", L"0", L"5", 0, 5},         // negative stored count
        {5, 0, L"-3", L"5", L"0", L"5", 0, 5},
        {5, 1, L"x9", L"5", L"x9", L"5", 0, 5},           // no digits read as 0
        {5, 1, L"", L"5", L"", L"5", 0, 5},
        {-4, 0, nullptr, L"0", L"0", L"0", 0, 0},         // negative job count
        {32767, 0, L"9999", L"32767", L"9999", L"22768", 9999, 22768},
        {1000, 0, L"1000", L"1000", L"1000", L"0", 1000, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.copies << " " << (c.typed ? "typed" : "stored"));
        dm.dmCopies = c.copies;
        config.lGrayCopiesWork = c.storedGray;
        ASSERT_TRUE(Open([&](HWND hDlg) {
            if (c.typed != nullptr) Type(hDlg, c.typed);
            EXPECT_EQ(Text(hDlg, IDC_CP_TOTAL), c.total);
            EXPECT_EQ(Text(hDlg, IDC_CP_GRAY), c.gray);
            EXPECT_EQ(Text(hDlg, IDC_CP_COLOR), c.color);
            Press(hDlg, IDOK);
        }));
        EXPECT_EQ(config.lGrayCopiesWork, c.okGray);
        EXPECT_EQ(config.dwColorCopiesWork, c.okColor);
    }
}

// With 1000 copies or more (the sheet's own copies item stops at 999) an
// arrow step must write plain digits, or the count would be read back as 1.
TEST_F(CopiesDialogTest, ArrowStepsWritePlainDigits) {
    dm.dmCopies = 1200;
    config.lGrayCopiesWork = 999;
    ASSERT_TRUE(Open([&](HWND hDlg) {
        SendDlgItemMessageW(hDlg, IDC_CP_GRAY, WM_KEYDOWN, VK_UP, 0);
        EXPECT_EQ(Text(hDlg, IDC_CP_GRAY), L"1000");
        EXPECT_EQ(Text(hDlg, IDC_CP_COLOR), L"200");
        Press(hDlg, IDOK);
    }));
    EXPECT_EQ(config.lGrayCopiesWork, 1000);
    EXPECT_EQ(config.dwColorCopiesWork, 200u);
}

// A string table without the dialog's section: the template's keys show.
TEST_F(CopiesDialogTest, MissingTextsShowTheirKeys) {
    dat.SetPath(WriteStringTable(L"Hold Dialog", L"Caption=Print and Hold\r\nColor=Farbe\r\n").c_str());
    ASSERT_TRUE(Open([&](HWND hDlg) {
        wchar_t szTitle[64] = {};
        GetWindowTextW(hDlg, szTitle, 64);
        EXPECT_STREQ(szTitle, L"Caption");
        EXPECT_EQ(Text(hDlg, IDC_CP_COLOR_LABEL), L"Color");
        Press(hDlg, IDCANCEL);
    }));
}

// A sheet opened without permission shows the split but lets only Cancel
// work; the job's own settings must not re-enable the greyscale field.
TEST_F(CopiesDialogTest, NoPermissionLeavesOnlyCancel) {
    config.lNoPermission = 1;
    ASSERT_TRUE(Open([&](HWND hDlg) {
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(hDlg, IDC_CP_GRAY)));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(hDlg, IDC_CP_GRAY_UPDOWN)));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(hDlg, IDOK)));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(hDlg, IDCANCEL)));
        Press(hDlg, IDCANCEL);
    }));
}

TEST_F(CopiesDialogTest, OnlyAPressWithARecordOpensTheDialog) {
    for (LONG reason : {CPSUICB_REASON_SEL_CHANGED, CPSUICB_REASON_ITEMS_REVERTED, CPSUICB_REASON_APPLYNOW,
                        CPSUICB_REASON_SETACTIVE, CPSUICB_REASON_DLGPROC}) {
        EXPECT_FALSE(Open([](HWND hDlg) { Press(hDlg, IDCANCEL); }, reason)) << reason;
    }
    EXPECT_FALSE(Open([](HWND hDlg) { Press(hDlg, IDCANCEL); }, CPSUICB_REASON_PUSHBUTTON, false));
    EXPECT_EQ(CopiesButtonCallback(nullptr), CPSUICB_ACTION_NONE);
    EXPECT_EQ(PrintAndHoldButtonCallback(nullptr), CPSUICB_ACTION_NONE);
    EXPECT_EQ(JobAccountingButtonCallback(nullptr), CPSUICB_ACTION_NONE);
}

}  // namespace
