// The Print and Hold dialog from its push-button callback, with its real
// templates (linked into this program), worked from inside its modal loop:
// what the templates show before the dialog decides, a sheet without
// permission, and text an input method sends into the filtered fields.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

#include "dialogs/push_buttons.h"
#include "kit/kit_windows.h"
#include "module/module_state.h"
#include "resources/resource_ids.h"
#include "settings/model_config.h"
#include "settings/private_devmode.h"
#include "support/import_patch.h"

using namespace oemui;

namespace {

int g_beeps = 0;

constexpr int kTimeGroup[] = {IDC_PH_PRINT_AT_LABEL, IDC_PH_DATE_PICKER, IDC_PH_TIME_PICKER};

BOOL WINAPI CountBeep(UINT) {
    ++g_beeps;
    return TRUE;
}

INT_PTR CALLBACK EmptyDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

void *__cdecl NoHeap(size_t) { return nullptr; }

std::wstring Text(HWND hDlg, int id) {
    wchar_t sz[128] = {};
    GetDlgItemTextW(hDlg, id, sz, 128);
    return sz;
}

bool Visible(HWND hDlg, int id) { return (GetWindowLongW(GetDlgItem(hDlg, id), GWL_STYLE) & WS_VISIBLE) != 0; }

class PrintAndHoldTest : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_DATE_CLASSES | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&icc);
        SetModuleInstance(GetModuleHandleW(nullptr));
        ps.cbSize = sizeof(ps);
        ps.pOEMDM = &pdm;
        config.pPsParam = &ps;
        dat.SetPath(kittest::WriteStringTable(L"Hold Dialog", L"Caption=Print and Hold\r\n").c_str());
        ini.SetPath(kittest::WriteStringTable(L"Common", L"ExtrasMinPassLen=4\r\nExtrasMaxPassLen=8\r\n").c_str());
        config.pDat = &dat;
        config.pIni = &ini;
        g_beeps = 0;
    }

    // Presses "Print and Hold" and runs the script in the dialog; false when
    // no dialog opened.
    bool Open(const std::function<void(HWND)> &script) {
        config.hCurrentDlg = nullptr;
        OPTITEM item{};
        item.cbSize = sizeof(item);
        item.UserData = reinterpret_cast<ULONG_PTR>(&config);
        CPSUICBPARAM cb{};
        cb.cbSize = sizeof(cb);
        cb.Reason = CPSUICB_REASON_PUSHBUTTON;
        cb.hDlg = owner.hwnd();
        cb.pCurItem = &item;
        return kittest::WorkModalDialog(&config.hCurrentDlg, script, [&] { PrintAndHoldButtonCallback(&cb); });
    }

    kittest::TestDialog owner;
    PrivateDevMode pdm{};
    OEMUIPSPARAM ps{};
    ProfileReader dat;
    ProfileReader ini;
    ModelConfig config{};
};

// Both layouts keep the print-at controls hidden until the dialog shows them
// for a Delay job; the dialog shows them for Delay only.
TEST_F(PrintAndHoldTest, PrintAtControlsShowForDelayOnly) {
    for (WORD wTemplate : {IDD_PRINT_AND_HOLD, IDD_PRINT_AND_HOLD_RTL}) {
        HWND hDlg = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(wTemplate), nullptr,
                                       EmptyDialogProc, 0);
        ASSERT_NE(hDlg, nullptr) << wTemplate;
        for (int id : kTimeGroup) EXPECT_FALSE(Visible(hDlg, id)) << wTemplate << " control " << id;
        EXPECT_TRUE(Visible(hDlg, IDC_PH_USER_ID)) << wTemplate;
        DestroyWindow(hDlg);
    }
    struct Case {
        SHORT sCode;
        bool bTime;
    } const cases[] = {{0, false}, {4, false}, {8, false}, {9, true}, {10, true}};
    for (const Case &c : cases) {
        pdm.sPrintMode = c.sCode;
        ASSERT_TRUE(Open([&](HWND hDlg) {
            for (int id : kTimeGroup) EXPECT_EQ(Visible(hDlg, id), c.bTime) << "code " << c.sCode << " control " << id;
            PostMessageW(hDlg, WM_COMMAND, IDCANCEL, 0);
        }));
    }
}

// A stored print-at time is shown by the pickers, and read without the heap:
// the dialog must open as well when every allocation fails. A time that is
// not one leaves the pickers at their own value (now).
TEST_F(PrintAndHoldTest, StoredPrintAtIsShownEvenWithTheHeapExhausted) {
    testsupport::ImportPatch heap(GetModuleHandleW(nullptr), "msvcrt.dll", "malloc", reinterpret_cast<void *>(NoHeap));
    ASSERT_TRUE(heap.Active());
    struct Case {
        const wchar_t *pszStored;
        WORD wYear, wMonth, wDay, wHour, wMinute;  // 0: the picker's own value
    } const cases[] = {
        {L"2026:12:07:04:30", 2026, 12, 7, 4, 30},
        {L"2027:1:5:7:5:59", 2027, 1, 5, 7, 5},
        {L"2026:02:28", 2026, 2, 28, 0, 0},
        {L"22222222222222222222", 0, 0, 0, 0, 0},
        {L"2026:13:07:04:30", 0, 0, 0, 0, 0},
        {L"2026-12-07 04:30", 0, 0, 0, 0, 0},
        {L"", 0, 0, 0, 0, 0},
    };
    for (const Case &c : cases) {
        pdm.sPrintMode = 9;
        lstrcpynW(pdm.szPrintAt, c.pszStored, ARRAYSIZE(pdm.szPrintAt));
        SYSTEMTIME before;
        GetLocalTime(&before);
        ASSERT_TRUE(Open([&](HWND hDlg) {
            SYSTEMTIME date = {}, time = {};
            SendDlgItemMessageW(hDlg, IDC_PH_DATE_PICKER, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&date));
            SendDlgItemMessageW(hDlg, IDC_PH_TIME_PICKER, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time));
            if (c.wYear == 0) {
                SYSTEMTIME after;
                GetLocalTime(&after);
                EXPECT_TRUE(date.wYear == before.wYear || date.wYear == after.wYear) << c.pszStored;
            } else {
                EXPECT_EQ(date.wYear, c.wYear) << c.pszStored;
                EXPECT_EQ(date.wMonth, c.wMonth) << c.pszStored;
                EXPECT_EQ(date.wDay, c.wDay) << c.pszStored;
                EXPECT_EQ(time.wHour, c.wHour) << c.pszStored;
                EXPECT_EQ(time.wMinute, c.wMinute) << c.pszStored;
            }
            PostMessageW(hDlg, WM_COMMAND, IDCANCEL, 0);
        })) << c.pszStored;
    }
}

// Without permission only Cancel stays usable, whatever the stored mode
// would enable: the passcode modes must not turn their fields back on.
// Help changes nothing, so it stays usable with Cancel.
TEST_F(PrintAndHoldTest, NoPermissionLeavesOnlyCancelAndHelp) {
    config.lNoPermission = 1;
    for (SHORT sCode : {0, 4, 5, 6, 9}) {
        pdm.sPrintMode = sCode;
        ASSERT_TRUE(Open([&](HWND hDlg) {
            for (HWND hChild = GetWindow(hDlg, GW_CHILD); hChild != nullptr; hChild = GetWindow(hChild, GW_HWNDNEXT)) {
                const int id = GetDlgCtrlID(hChild);
                EXPECT_EQ(IsWindowEnabled(hChild) != FALSE, id == IDCANCEL || id == IDC_HELP_BUTTON)
                    << "code " << sCode << " control " << id;
            }
            // Unchecking "Store in Public" is no way back in either.
            SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDC_PH_STORE_PUBLIC, BN_CLICKED), 0);
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(hDlg, IDC_PH_PASSCODE))) << "code " << sCode;
            PostMessageW(hDlg, WM_COMMAND, IDCANCEL, 0);
        }));
    }
}

// An input method sends its text as WM_IME_CHAR; it meets the filter of
// typed text, beep included, in every filtered field (the plug-in's own
// edit controls and a completed composition: dialogs_tests).
TEST_F(PrintAndHoldTest, InputMethodTextMeetsTheFieldFilters) {
    testsupport::ImportPatch beep(GetModuleHandleW(nullptr), "user32.dll", "MessageBeep",
                                  reinterpret_cast<void *>(CountBeep));
    ASSERT_TRUE(beep.Active());
    pdm.sPrintMode = 4;  // Confidentional: the passcode fields are in use
    struct Case {
        int id;
        const wchar_t *pszSent;
        const wchar_t *pszKept;
        int beeps;
    } const cases[] = {
        {IDC_PH_JOB_NAME, L"R\x00E9sum\x00E9/1", L"Rsum1", 3},
        {IDC_PH_USER_ID, L"\x5C71\x7530 a\\b", L" ab", 3},
        {IDC_PH_PASSCODE, L"12\xFF13x4", L"124", 2},
        {IDC_PH_CONFIRM, L"9\x0669" L"8", L"98", 1},
    };
    ASSERT_TRUE(Open([&](HWND hDlg) {
        for (const Case &c : cases) {
            SetDlgItemTextW(hDlg, c.id, L"");
            g_beeps = 0;
            HWND hEdit = GetDlgItem(hDlg, c.id);
            for (const wchar_t *p = c.pszSent; *p != L'\0'; ++p) SendMessageW(hEdit, WM_IME_CHAR, *p, 1);
            // The edit control leaves the character to the system, which
            // posts it as WM_CHAR: let that land too.
            MSG msg;
            while (PeekMessageW(&msg, hEdit, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            EXPECT_EQ(Text(hDlg, c.id), c.pszKept) << "control " << c.id;
            EXPECT_EQ(g_beeps, c.beeps) << "control " << c.id;
        }
        PostMessageW(hDlg, WM_COMMAND, IDCANCEL, 0);
    }));
}

}  // namespace
