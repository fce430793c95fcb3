// Drives the plug-in's dialogs and pages the way a user does: controls are
// found by id or text, text is set or typed as key and character messages
// sent through the control (so subclassed input filters see them), the
// clipboard is pasted with the keys a user presses, buttons are clicked,
// list entries and dates chosen, and a dialog is ended with its buttons, the
// keyboard or the close box.
//
// Modal dialogs are driven from inside their own modal loop: DialogWatcher
// runs a thread timer while a scenario plays; when a dialog of this thread
// appears, its handler runs the scenario's next steps in that dialog.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "host/report.h"

namespace oemuihost {

// A control of hParent by decimal id ("1191") or by its text ("OK"; an "&"
// in the control's text is ignored). Nested children count too.
HWND FindControl(HWND hParent, const std::wstring &ref, std::wstring *pError);

std::wstring WindowText(HWND hWnd);
std::wstring WindowClass(HWND hWnd);

// Which Control key is held while keys are sent.
enum class ControlKey { None, Left, Right };

bool SetControlText(HWND hCtrl, const std::wstring &text, std::wstring *pError);
// Each character: WM_KEYDOWN, WM_CHAR, WM_KEYUP sent to the control, with the
// keyboard state showing Shift (for capitals) and the Control key asked for.
bool TypeText(HWND hCtrl, const std::wstring &text, ControlKey ctrl, std::wstring *pError);
// One named key (a letter or digit, Return, Escape, Back, Delete, Insert,
// Tab, Left, Right, Up, Down, Home, End, Space, F1..F12) with modifiers
// "lctrl", "rctrl", "shift"; the character a keyboard would give follows it.
bool PressKey(HWND hCtrl, const std::wstring &key, const std::vector<std::wstring> &modifiers, std::wstring *pError);
// method: lctrl-v, rctrl-v, shift-insert or wm-paste. The text is put on the
// clipboard as CF_UNICODETEXT first (the system makes CF_TEXT from it).
bool PasteText(HWND hCtrl, const std::wstring &text, const std::wstring &method, std::wstring *pError);
bool IsPasteMethod(const std::wstring &method);
bool ClickControl(HWND hCtrl, std::wstring *pError);
// A combo box or list box entry by its text, or "#N" for the N-th (from 0).
bool ChooseEntry(HWND hCtrl, const std::wstring &entry, std::wstring *pError);
// date "YYYY-MM-DD", time "HH:MM[:SS]" (empty: 00:00); date "none" clears a
// picker that has a check box. The parent is told as a user's change tells it.
bool SetDateTime(HWND hCtrl, const std::wstring &date, const std::wstring &time, std::wstring *pError);

// ok, cancel, enter, escape, closebox, f1, help. hWnd: a modal dialog, or a
// property page (help and f1 only; help then presses the sheet's button).
bool DialogAction(HWND hWnd, HWND hSheet, const std::wstring &action, std::wstring *pError);
bool IsDialogAction(const std::wstring &word);

// Title, every control (id, class, text, visible, enabled, checked,
// rectangle in pixels and dialog units, styles) and the hint window's tools.
ReportFields DescribeDialog(HWND hDlg);

// The rectangle of a control in its parent's client pixels and in dialog units.
RECT ControlRect(HWND hCtrl);
RECT ControlRectDlu(HWND hCtrl);
// The text the dialog's hint window (tooltips) shows for a control; false
// when no hint window of the dialog knows the control.
bool HintText(HWND hDlg, HWND hCtrl, std::wstring *pText);
// A window style flag by name (WS_TABSTOP, ES_NUMBER, ...; extended: WS_EX_...).
bool StyleFlagBits(const std::wstring &name, bool extended, DWORD *pBits);
// BST_CHECKED etc. of a button, or -1 for a control that is not one with a check.
int CheckState(HWND hCtrl);

// Handles pending messages of this thread; keyboard messages go through
// hDlg's dialog manager when hDlg is given.
void PumpPending(HWND hDlg);

// Ends a dialog the way that changes nothing: Cancel, else No, else the only
// button; as a last resort EndDialog. Returns the answer used.
int CloseSafely(HWND hDlg);

class DialogWatcher {
public:
    using Handler = void (*)(void *pContext, HWND hDlg);
    DialogWatcher() = default;
    ~DialogWatcher() { Stop(); }
    DialogWatcher(const DialogWatcher &) = delete;
    DialogWatcher &operator=(const DialogWatcher &) = delete;

    // hIgnore() names a window that is never handed over (the open sheet).
    void Start(Handler handler, void *pContext, HWND (*hIgnore)());
    void Stop();
    // Dialogs being driven, innermost last.
    const std::vector<HWND> &Stack() const { return m_stack; }
    HWND Current() const { return m_stack.empty() ? nullptr : m_stack.back(); }
    // A new dialog of this thread, if one is shown now.
    HWND FindNewDialog() const;
    // Looks once, as the timer does (for waits that pump themselves).
    void CheckNow();

private:
    static void CALLBACK TimerProc(HWND, UINT, UINT_PTR, DWORD);

    Handler m_handler = nullptr;
    void *m_pContext = nullptr;
    HWND (*m_hIgnore)() = nullptr;
    UINT_PTR m_timer = 0;
    std::vector<HWND> m_stack;
};

// A dialog is over once it is destroyed or EndDialog has hidden it.
inline bool DialogAlive(HWND hDlg) { return IsWindow(hDlg) && IsWindowVisible(hDlg); }

}  // namespace oemuihost
