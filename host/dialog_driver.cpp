// Finding and driving modal dialogs: the watcher hands each new dialog of
// this thread to the scenario, a dialog or page is ended or asked for help
// the way a user does (buttons, keys through the dialog manager, close
// box, F1), pending messages are pumped, and a dialog is closed safely.
#include "host/dialog_driver.h"

#include <prsht.h>

#include "host/dialog_keyboard.h"
#include "host/word_match.h"

namespace oemuihost {
namespace {

// What the system posts for F1 (not in every SDK's headers).
constexpr UINT kWmKeyF1 = 0x004D;

constexpr const wchar_t *kActions[] = {L"ok", L"cancel", L"enter", L"escape", L"closebox", L"f1", L"help"};

DialogWatcher *g_pWatcher = nullptr;

}  // namespace

bool IsDialogAction(const std::wstring &word) {
    for (const wchar_t *a : kActions)
        if (Is(word, a)) return true;
    return false;
}

void PumpPending(HWND hDlg) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (hDlg != nullptr && IsWindow(hDlg) && IsDialogMessageW(hDlg, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool DialogAction(HWND hWnd, HWND hSheet, const std::wstring &action, std::wstring *pError) {
    // A modal dialog owned by the sheet also has the sheet as GetParent:
    // only a child window is one of its pages.
    const bool page = hSheet != nullptr && (GetWindowLongW(hWnd, GWL_STYLE) & WS_CHILD) != 0 &&
                      GetParent(hWnd) == hSheet;
    if (Is(action, L"help") && page) {
        SendMessageW(hSheet, PSM_PRESSBUTTON, PSBTN_HELP, 0);
        return true;
    }
    if (Is(action, L"f1")) {
        // The system turns F1 into WM_KEYF1 for the window with the focus;
        // its default handling asks the window, then its parents, for help.
        HWND hFocus = GetFocus();
        if (hFocus == nullptr || (hFocus != hWnd && !IsChild(hWnd, hFocus))) hFocus = hWnd;
        SendMessageW(hFocus, WM_KEYDOWN, VK_F1, KeyLParam(VK_F1, false));
        if (IsWindow(hFocus)) SendMessageW(hFocus, kWmKeyF1, 0, 0);
        if (IsWindow(hFocus)) SendMessageW(hFocus, WM_KEYUP, VK_F1, KeyLParam(VK_F1, true));
        return true;
    }
    if (page) {
        *pError = L"\"" + action + L"\" needs a dialog; a page takes help and f1";
        return false;
    }
    if (Is(action, L"closebox")) {
        SendMessageW(hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        return true;
    }
    if (Is(action, L"enter") || Is(action, L"escape")) {
        // Through the dialog manager, as a key pressed in the dialog.
        HWND hFocus = GetFocus();
        if (hFocus == nullptr || (hFocus != hWnd && !IsChild(hWnd, hFocus))) hFocus = hWnd;
        const UINT vk = Is(action, L"enter") ? VK_RETURN : VK_ESCAPE;
        PostMessageW(hFocus, WM_KEYDOWN, vk, KeyLParam(vk, false));
        PostMessageW(hFocus, WM_KEYUP, vk, KeyLParam(vk, true));
        PumpPending(hWnd);
        return true;
    }
    const int id = Is(action, L"ok") ? IDOK : Is(action, L"cancel") ? IDCANCEL : IDHELP;
    HWND hButton = GetDlgItem(hWnd, id);
    if (hButton == nullptr && id == IDHELP) {
        std::wstring ignored;
        hButton = FindControl(hWnd, L"Help", &ignored);
    }
    if (hButton == nullptr) {
        *pError = L"\"" + WindowText(hWnd) + L"\" has no " + action + L" button";
        return false;
    }
    return ClickControl(hButton, pError);
}

int CloseSafely(HWND hDlg) {
    int id = IDCANCEL;
    if (GetDlgItem(hDlg, IDCANCEL) == nullptr) {
        if (GetDlgItem(hDlg, IDNO) != nullptr)
            id = IDNO;
        else if (GetDlgItem(hDlg, IDOK) != nullptr)
            id = IDOK;
    }
    SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(hDlg, id)));
    // A dialog that ignores its own buttons is ended from outside.
    if (DialogAlive(hDlg)) EndDialog(hDlg, id);
    return id;
}

void DialogWatcher::Start(Handler handler, void *pContext, HWND (*hIgnore)()) {
    Stop();
    m_handler = handler;
    m_pContext = pContext;
    m_hIgnore = hIgnore;
    g_pWatcher = this;
    m_timer = SetTimer(nullptr, 0, 50, &TimerProc);
}

void DialogWatcher::Stop() {
    if (m_timer != 0) KillTimer(nullptr, m_timer);
    m_timer = 0;
    if (g_pWatcher == this) g_pWatcher = nullptr;
}

HWND DialogWatcher::FindNewDialog() const {
    struct Search {
        const DialogWatcher *self;
        HWND hIgnore;
        HWND hFound;
    } search = {this, m_hIgnore != nullptr ? m_hIgnore() : nullptr, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hWnd, LPARAM lParam) -> BOOL {
            auto *s = reinterpret_cast<Search *>(lParam);
            if (hWnd == s->hIgnore || !Is(WindowClass(hWnd), L"#32770") || !IsWindowVisible(hWnd) ||
                !IsWindowEnabled(hWnd))
                return TRUE;
            for (HWND h : s->self->m_stack)
                if (h == hWnd) return TRUE;
            s->hFound = hWnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.hFound;
}

void DialogWatcher::CheckNow() {
    HWND hDlg = FindNewDialog();
    if (hDlg == nullptr || m_handler == nullptr) return;
    m_stack.push_back(hDlg);
    m_handler(m_pContext, hDlg);
    // Handlers return once the dialog is over or closed by them.
    m_stack.pop_back();
}

void CALLBACK DialogWatcher::TimerProc(HWND, UINT, UINT_PTR, DWORD) {
    if (g_pWatcher != nullptr) g_pWatcher->CheckNow();
}

}  // namespace oemuihost
