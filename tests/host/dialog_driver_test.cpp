// Driving a dialog from inside its modal loop: a small dialog of the test's
// own, with a subclassed edit field that records what a filter would see.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "host/dialog_driver.h"

namespace oemuihost {
namespace {

constexpr int kEdit = 100, kCheck = 101, kCombo = 102, kDate = 103, kAsk = 105;

struct Seen {
    UINT msg;
    WPARAM key;
    bool lctrl, rctrl, shift;
};

struct DialogLog {
    std::vector<Seen> keys;
    std::vector<std::pair<int, int>> commands;  // id, notification
    std::vector<SYSTEMTIME> dates;
    int helps = 0;
    int answer = 0;  // of the message box the Ask button opens
} g_log;

WNDPROC g_editProc = nullptr;
void (*g_body)(HWND) = nullptr;
void (*g_nestedBody)(HWND) = nullptr;  // for a dialog opened from the test dialog

LRESULT CALLBACK FilterProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_KEYDOWN || msg == WM_CHAR)
        g_log.keys.push_back(Seen{msg, wParam, GetKeyState(VK_LCONTROL) < 0, GetKeyState(VK_RCONTROL) < 0,
                                  GetKeyState(VK_SHIFT) < 0});
    return CallWindowProcW(g_editProc, hWnd, msg, wParam, lParam);
}

INT_PTR CALLBACK TestDialogProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG: {
        HWND hEdit = GetDlgItem(hDlg, kEdit);
        g_editProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(hEdit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FilterProc)));
        for (const wchar_t *entry : {L"One", L"Two", L"Three"})
            SendDlgItemMessageW(hDlg, kCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
        HWND hTip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, hDlg, nullptr,
                                    nullptr, nullptr);
        TTTOOLINFOW info = {};
        info.cbSize = sizeof(info);
        info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        info.hwnd = hDlg;
        info.uId = reinterpret_cast<UINT_PTR>(hEdit);
        info.lpszText = const_cast<LPWSTR>(L"Type here");
        SendMessageW(hTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
        return TRUE;
    }
    case WM_COMMAND:
        g_log.commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
        if (LOWORD(wParam) == kAsk) g_log.answer = MessageBoxW(hDlg, L"Sure?", L"Question", MB_YESNO);
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(hDlg, LOWORD(wParam));
        return TRUE;
    case WM_NOTIFY: {
        const auto *pChange = reinterpret_cast<const NMDATETIMECHANGE *>(lParam);
        if (pChange->nmhdr.code == DTN_DATETIMECHANGE) g_log.dates.push_back(pChange->st);
        return TRUE;
    }
    case WM_HELP:
        ++g_log.helps;
        return TRUE;
    default:
        return FALSE;
    }
}

// A dialog template in memory: the controls above, OK and Cancel.
class TemplateBuilder {
public:
    TemplateBuilder(const wchar_t *title, short cx, short cy, WORD count) {
        Dword(DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE);
        Dword(0);
        m_words.push_back(count);
        for (short v : {short(10), short(10), cx, cy}) m_words.push_back(static_cast<WORD>(v));
        m_words.push_back(0);  // no menu
        m_words.push_back(0);  // default class
        Text(title);
        m_words.push_back(8);
        Text(L"MS Shell Dlg");
    }
    void Control(const wchar_t *cls, const wchar_t *text, WORD id, DWORD style, short x, short y, short cx, short cy) {
        if (m_words.size() % 2) m_words.push_back(0);
        Dword(style | WS_CHILD | WS_VISIBLE);
        Dword(0);
        for (short v : {x, y, cx, cy}) m_words.push_back(static_cast<WORD>(v));
        m_words.push_back(id);
        Text(cls);
        Text(text);
        m_words.push_back(0);
    }
    const DLGTEMPLATE *Get() const { return reinterpret_cast<const DLGTEMPLATE *>(m_words.data()); }

private:
    void Dword(DWORD v) {
        m_words.push_back(LOWORD(v));
        m_words.push_back(HIWORD(v));
    }
    void Text(const wchar_t *s) {
        while (*s) m_words.push_back(*s++);
        m_words.push_back(0);
    }
    std::vector<WORD> m_words;
};

// Runs the dialog; body drives it from inside the modal loop. A dialog the
// body leaves open is cancelled so that a failing test cannot hang.
INT_PTR RunTestDialog(void (*body)(HWND)) {
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_DATE_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    g_log = DialogLog();
    g_body = body;
    TemplateBuilder t(L"Driver Test", 200, 120, 8);
    t.Control(L"Edit", L"", kEdit, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 7, 7, 100, 12);
    t.Control(L"Button", L"&Keep", kCheck, BS_AUTOCHECKBOX | WS_TABSTOP, 7, 24, 60, 10);
    t.Control(L"ComboBox", L"", kCombo, CBS_DROPDOWNLIST | WS_TABSTOP | WS_VSCROLL, 7, 40, 80, 60);
    t.Control(DATETIMEPICK_CLASSW, L"", kDate, WS_TABSTOP | DTS_SHORTDATEFORMAT, 7, 58, 80, 14);
    t.Control(L"Button", L"Disabled", 104, WS_DISABLED, 100, 24, 50, 14);
    t.Control(L"Button", L"Ask", kAsk, WS_TABSTOP, 100, 40, 50, 14);
    t.Control(L"Button", L"OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 90, 100, 50, 14);
    t.Control(L"Button", L"Cancel", IDCANCEL, WS_TABSTOP, 144, 100, 50, 14);
    DialogWatcher watcher;
    static DialogWatcher *s_watcher = nullptr;
    s_watcher = &watcher;
    watcher.Start(
        [](void *, HWND hDlg) {
            void (*body)(HWND) = s_watcher->Stack().size() > 1 ? g_nestedBody : g_body;
            if (body != nullptr) body(hDlg);
            if (DialogAlive(hDlg)) CloseSafely(hDlg);
        },
        nullptr, []() -> HWND { return nullptr; });
    const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), t.Get(), nullptr, &TestDialogProc, 0);
    watcher.Stop();
    return result;
}

std::wstring ClipboardAnsi() {
    std::wstring out;
    if (!OpenClipboard(nullptr)) return out;
    HANDLE h = GetClipboardData(CF_TEXT);
    if (h != nullptr) {
        const char *psz = static_cast<const char *>(GlobalLock(h));
        if (psz != nullptr) out.assign(psz, psz + strlen(psz));
        GlobalUnlock(h);
    }
    CloseClipboard();
    return out;
}

HWND Control(HWND hDlg, const wchar_t *ref) {
    std::wstring error;
    HWND h = FindControl(hDlg, ref, &error);
    EXPECT_NE(h, nullptr) << std::string(error.begin(), error.end());
    return h;
}

TEST(DialogDriver, TypedCharactersReachTheFilterWithTheControlKeyAsked) {
    RunTestDialog([](HWND hDlg) {
        std::wstring error;
        HWND hEdit = Control(hDlg, L"100");
        ASSERT_TRUE(TypeText(hEdit, L"aB1", ControlKey::None, &error));
        EXPECT_EQ(WindowText(hEdit), L"aB1");
        std::wstring chars;
        bool shiftForCapital = false;
        for (const Seen &s : g_log.keys) {
            if (s.msg == WM_CHAR) chars += static_cast<wchar_t>(s.key);
            if (s.msg == WM_CHAR && s.key == L'B') shiftForCapital = s.shift;
        }
        EXPECT_EQ(chars, L"aB1");
        EXPECT_TRUE(shiftForCapital);

        const struct {
            ControlKey ctrl;
            bool left, right;
        } sides[] = {{ControlKey::Left, true, false}, {ControlKey::Right, false, true}};
        for (const auto &side : sides) {
            g_log.keys.clear();
            ASSERT_TRUE(TypeText(hEdit, L"a", side.ctrl, &error));
            bool sawCtrlA = false;
            for (const Seen &s : g_log.keys)
                if (s.msg == WM_CHAR && s.key == 0x01) {
                    sawCtrlA = true;
                    EXPECT_EQ(s.lctrl, side.left);
                    EXPECT_EQ(s.rctrl, side.right);
                }
            EXPECT_TRUE(sawCtrlA);
        }
        // The keys are let go afterwards.
        EXPECT_GE(GetKeyState(VK_LCONTROL), 0);
        EXPECT_GE(GetKeyState(VK_RCONTROL), 0);
        DialogAction(hDlg, nullptr, L"ok", &error);
    });
}

TEST(DialogDriver, EveryPasteMethodPastesTheClipboardText) {
    static const struct Case {
        const wchar_t *method;
        UINT msg;      // the key message a filter must see (0: none)
        WPARAM key;
        bool lctrl, rctrl, shift;
    } kCases[] = {
        {L"lctrl-v", WM_CHAR, 0x16, true, false, false},
        {L"rctrl-v", WM_CHAR, 0x16, false, true, false},
        {L"shift-insert", WM_KEYDOWN, VK_INSERT, false, false, true},
        {L"wm-paste", 0, 0, false, false, false},
    };
    static const Case *s_case = nullptr;
    for (const Case &c : kCases) {
        SCOPED_TRACE(testing::Message() << std::string(c.method, c.method + wcslen(c.method)));
        s_case = &c;
        RunTestDialog([](HWND hDlg) {
            std::wstring error;
            HWND hEdit = Control(hDlg, L"100");
            ASSERT_TRUE(PasteText(hEdit, L"clip", s_case->method, &error)) << std::string(error.begin(), error.end());
            EXPECT_EQ(WindowText(hEdit), L"clip");
            // The system makes the 8-bit form from the UTF-16 text.
            EXPECT_EQ(ClipboardAnsi(), L"clip");
            bool seen = s_case->msg == 0;
            for (const Seen &s : g_log.keys) {
                if (s.msg != s_case->msg || s.key != s_case->key) continue;
                seen = true;
                EXPECT_EQ(s.lctrl, s_case->lctrl);
                EXPECT_EQ(s.rctrl, s_case->rctrl);
                EXPECT_EQ(s.shift, s_case->shift);
            }
            EXPECT_TRUE(seen);
            if (s_case->msg == 0) {
                EXPECT_TRUE(g_log.keys.empty());
            }
        });
    }
    std::wstring error;
    EXPECT_FALSE(PasteText(nullptr, L"x", L"ctrl-c", &error));
}

TEST(DialogDriver, ListsPickersAndButtonsNotifyTheDialog) {
    RunTestDialog([](HWND hDlg) {
        std::wstring error;
        ASSERT_TRUE(ClickControl(Control(hDlg, L"Keep"), &error));  // found by its text without "&"
        EXPECT_EQ(CheckState(GetDlgItem(hDlg, kCheck)), BST_CHECKED);
        EXPECT_EQ(CheckState(GetDlgItem(hDlg, kEdit)), -1);
        EXPECT_FALSE(ClickControl(Control(hDlg, L"Disabled"), &error));

        HWND hCombo = Control(hDlg, L"102");
        ASSERT_TRUE(ChooseEntry(hCombo, L"Two", &error));
        EXPECT_EQ(SendMessageW(hCombo, CB_GETCURSEL, 0, 0), 1);
        EXPECT_NE(std::find(g_log.commands.begin(), g_log.commands.end(), std::make_pair(kCombo, int(CBN_SELCHANGE))),
                  g_log.commands.end());
        ASSERT_TRUE(ChooseEntry(hCombo, L"#2", &error));
        EXPECT_EQ(SendMessageW(hCombo, CB_GETCURSEL, 0, 0), 2);
        EXPECT_FALSE(ChooseEntry(hCombo, L"Four", &error));
        EXPECT_NE(error.find(L"\"Three\""), std::wstring::npos);
        EXPECT_FALSE(ChooseEntry(hCombo, L"#3", &error));
        EXPECT_FALSE(ChooseEntry(GetDlgItem(hDlg, kEdit), L"One", &error));

        HWND hDate = Control(hDlg, L"103");
        ASSERT_TRUE(SetDateTime(hDate, L"2026-12-08", L"14:30", &error)) << std::string(error.begin(), error.end());
        ASSERT_EQ(g_log.dates.size(), 1u);
        EXPECT_EQ(g_log.dates[0].wYear, 2026);
        EXPECT_EQ(g_log.dates[0].wDay, 8);
        EXPECT_EQ(g_log.dates[0].wHour, 14);
        EXPECT_EQ(g_log.dates[0].wMinute, 30);
        EXPECT_EQ(g_log.dates[0].wDayOfWeek, 2);  // a Tuesday
        for (const wchar_t *bad : {L"2026-13-01", L"2026-02-30", L"26-1-1"})
            EXPECT_FALSE(SetDateTime(hDate, bad, L"", &error)) << std::string(bad, bad + wcslen(bad));
        EXPECT_FALSE(SetDateTime(hDate, L"2026-12-08", L"25:99", &error));
        EXPECT_FALSE(SetDateTime(hCombo, L"2026-12-08", L"", &error));

        EXPECT_EQ(FindControl(hDlg, L"No Such", &error), nullptr);
        EXPECT_EQ(FindControl(hDlg, L"999", &error), nullptr);
        EXPECT_NE(error.find(L"999"), std::wstring::npos);
    });
}

TEST(DialogDriver, EveryWayToEndADialog) {
    static const struct Case {
        const wchar_t *action;
        INT_PTR result;
    } kCases[] = {
        {L"ok", IDOK}, {L"cancel", IDCANCEL}, {L"escape", IDCANCEL}, {L"closebox", IDCANCEL}, {L"enter", IDOK},
    };
    static const Case *s_case = nullptr;
    for (const Case &c : kCases) {
        SCOPED_TRACE(testing::Message() << std::string(c.action, c.action + wcslen(c.action)));
        s_case = &c;
        EXPECT_EQ(RunTestDialog([](HWND hDlg) {
                      std::wstring error;
                      EXPECT_TRUE(DialogAction(hDlg, nullptr, s_case->action, &error));
                      PumpPending(hDlg);
                      EXPECT_FALSE(DialogAlive(hDlg));
                  }),
                  c.result);
    }
    // F1 asks for help and leaves the dialog open; a dialog left open is cancelled.
    EXPECT_EQ(RunTestDialog([](HWND hDlg) {
                  std::wstring error;
                  SetFocus(GetDlgItem(hDlg, kEdit));
                  EXPECT_TRUE(DialogAction(hDlg, nullptr, L"f1", &error));
                  EXPECT_EQ(g_log.helps, 1);
                  EXPECT_TRUE(DialogAlive(hDlg));
                  EXPECT_FALSE(DialogAction(hDlg, nullptr, L"help", &error));  // it has no Help button
              }),
              IDCANCEL);
}

// A message box opened from the dialog is driven the same way, from inside
// its own modal loop, while the first dialog waits.
TEST(DialogDriver, ADialogOpenedFromADialogIsDrivenToo) {
    g_nestedBody = [](HWND hBox) {
        EXPECT_EQ(WindowText(hBox), L"Question");
        std::wstring error;
        EXPECT_TRUE(ClickControl(Control(hBox, L"No"), &error));
    };
    EXPECT_EQ(RunTestDialog([](HWND hDlg) {
                  std::wstring error;
                  EXPECT_TRUE(ClickControl(Control(hDlg, L"Ask"), &error));
                  EXPECT_EQ(g_log.answer, IDNO);
                  EXPECT_TRUE(DialogAlive(hDlg));
                  EXPECT_TRUE(DialogAction(hDlg, nullptr, L"ok", &error));
              }),
              IDOK);
    g_nestedBody = nullptr;
}

TEST(DialogDriver, DumpShowsControlsRectanglesAndHints) {
    RunTestDialog([](HWND hDlg) {
        const RECT dlu = ControlRectDlu(GetDlgItem(hDlg, kEdit));
        EXPECT_EQ(dlu.left, 7);
        EXPECT_EQ(dlu.top, 7);
        EXPECT_EQ(dlu.right - dlu.left, 100);
        EXPECT_EQ(dlu.bottom - dlu.top, 12);
        std::wstring hint;
        ASSERT_TRUE(HintText(hDlg, GetDlgItem(hDlg, kEdit), &hint));
        EXPECT_EQ(hint, L"Type here");
        EXPECT_FALSE(HintText(hDlg, GetDlgItem(hDlg, kCheck), &hint));
        bool sawEdit = false, sawHint = false, sawTitle = false;
        for (const auto &field : DescribeDialog(hDlg)) {
            sawTitle = sawTitle || (field.first == L"title" && field.second == L"\"Driver Test\"");
            sawEdit = sawEdit || (field.first == L"control 100" && field.second.find(L"7,7 100x12 dlu") != std::wstring::npos);
            sawHint = sawHint || (field.first == L"hint 100" && field.second == L"\"Type here\"");
        }
        EXPECT_TRUE(sawTitle);
        EXPECT_TRUE(sawEdit);
        EXPECT_TRUE(sawHint);
    });
}

}  // namespace
}  // namespace oemuihost
