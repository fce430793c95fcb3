#include "host/dialog_driver.h"

#include <commctrl.h>
#include <prsht.h>

#include <cwctype>
#include <iterator>

#include "common/handles.h"

namespace oemuihost {
namespace {

bool Is(const std::wstring &a, const wchar_t *b) { return lstrcmpiW(a.c_str(), b) == 0; }

// What the system posts for F1 (not in every SDK's headers).
constexpr UINT kWmKeyF1 = 0x004D;

std::wstring WithoutAmpersands(const std::wstring &text) {
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&' && i + 1 < text.size()) ++i;
        out += text[i];
    }
    return out;
}

struct ControlSearch {
    int id;
    const std::wstring *pText;
    HWND hFound;
    int matches;
};

BOOL CALLBACK MatchControl(HWND hWnd, LPARAM lParam) {
    auto *s = reinterpret_cast<ControlSearch *>(lParam);
    const bool hit = s->pText == nullptr ? GetDlgCtrlID(hWnd) == s->id
                                         : lstrcmpiW(WithoutAmpersands(WindowText(hWnd)).c_str(),
                                                     WithoutAmpersands(*s->pText).c_str()) == 0;
    if (hit) {
        if (s->hFound == nullptr) s->hFound = hWnd;
        ++s->matches;
    }
    return TRUE;
}

// Keyboard state while keys are sent: what a user holds down.
class HeldKeys {
public:
    HeldKeys() { GetKeyboardState(m_saved); }
    ~HeldKeys() { SetKeyboardState(m_saved); }
    HeldKeys(const HeldKeys &) = delete;
    HeldKeys &operator=(const HeldKeys &) = delete;
    void Hold(BYTE vk) {
        BYTE state[256];
        GetKeyboardState(state);
        state[vk] = 0x80;
        SetKeyboardState(state);
    }
    void Release(BYTE vk) {
        BYTE state[256];
        GetKeyboardState(state);
        state[vk] = 0;
        SetKeyboardState(state);
    }

private:
    BYTE m_saved[256];
};

bool IsExtendedKey(UINT vk) {
    switch (vk) {
    case VK_RCONTROL: case VK_INSERT: case VK_DELETE: case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT:
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
        return true;
    default:
        return false;
    }
}

LPARAM KeyLParam(UINT vk, bool up) {
    LPARAM l = 1 | (static_cast<LPARAM>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC) & 0xFF) << 16);
    if (IsExtendedKey(vk)) l |= 1 << 24;
    if (up) l |= static_cast<LPARAM>(0xC0000000u);
    return l;
}

void SendKey(HWND hCtrl, UINT vk, wchar_t ch) {
    SendMessageW(hCtrl, WM_KEYDOWN, vk, KeyLParam(vk, false));
    if (ch != 0 && IsWindow(hCtrl)) SendMessageW(hCtrl, WM_CHAR, ch, KeyLParam(vk, false));
    if (IsWindow(hCtrl)) SendMessageW(hCtrl, WM_KEYUP, vk, KeyLParam(vk, true));
}

// The Control key goes down as a key of its own first, as on a keyboard.
void PressControl(HWND hCtrl, HeldKeys &held, ControlKey ctrl) {
    if (ctrl == ControlKey::None) return;
    const BYTE side = ctrl == ControlKey::Left ? VK_LCONTROL : VK_RCONTROL;
    held.Hold(VK_CONTROL);
    held.Hold(side);
    LPARAM l = 1 | (static_cast<LPARAM>(MapVirtualKeyW(VK_CONTROL, MAPVK_VK_TO_VSC) & 0xFF) << 16);
    if (ctrl == ControlKey::Right) l |= 1 << 24;
    SendMessageW(hCtrl, WM_KEYDOWN, VK_CONTROL, l);
}

void ReleaseControl(HWND hCtrl, HeldKeys &held, ControlKey ctrl) {
    if (ctrl == ControlKey::None) return;
    LPARAM l = 1 | (static_cast<LPARAM>(MapVirtualKeyW(VK_CONTROL, MAPVK_VK_TO_VSC) & 0xFF) << 16) |
               static_cast<LPARAM>(0xC0000000u);
    if (ctrl == ControlKey::Right) l |= 1 << 24;
    held.Release(VK_CONTROL);
    held.Release(ctrl == ControlKey::Left ? VK_LCONTROL : VK_RCONTROL);
    if (IsWindow(hCtrl)) SendMessageW(hCtrl, WM_KEYUP, VK_CONTROL, l);
}

// The character TranslateMessage makes of a key with Control held.
wchar_t ControlChar(wchar_t ch) {
    const wchar_t up = static_cast<wchar_t>(std::towupper(ch));
    if (up >= L'A' && up <= L'Z') return static_cast<wchar_t>(up - L'A' + 1);
    return 0;
}

struct NamedKey {
    const wchar_t *name;
    UINT vk;
    wchar_t ch;
};
constexpr NamedKey kKeys[] = {
    {L"Return", VK_RETURN, L'\r'}, {L"Enter", VK_RETURN, L'\r'}, {L"Escape", VK_ESCAPE, 0x1B},
    {L"Back", VK_BACK, L'\b'},     {L"Tab", VK_TAB, L'\t'},      {L"Space", VK_SPACE, L' '},
    {L"Delete", VK_DELETE, 0},     {L"Insert", VK_INSERT, 0},    {L"Left", VK_LEFT, 0},
    {L"Right", VK_RIGHT, 0},       {L"Up", VK_UP, 0},            {L"Down", VK_DOWN, 0},
    {L"Home", VK_HOME, 0},         {L"End", VK_END, 0},          {L"F1", VK_F1, 0},
    {L"F2", VK_F2, 0},             {L"F3", VK_F3, 0},            {L"F4", VK_F4, 0},
    {L"F5", VK_F5, 0},             {L"F10", VK_F10, 0},          {L"F12", VK_F12, 0},
};

bool ParseUnsigned(const std::wstring &s, size_t from, size_t count, int *pValue) {
    if (from + count > s.size()) return false;
    int v = 0;
    for (size_t i = from; i < from + count; ++i) {
        if (s[i] < L'0' || s[i] > L'9') return false;
        v = v * 10 + (s[i] - L'0');
    }
    *pValue = v;
    return true;
}

constexpr const wchar_t *kActions[] = {L"ok", L"cancel", L"enter", L"escape", L"closebox", L"f1", L"help"};
constexpr const wchar_t *kPasteMethods[] = {L"lctrl-v", L"rctrl-v", L"shift-insert", L"wm-paste"};

struct StyleName {
    DWORD bits;
    const wchar_t *name;
};
// Flags shown in dumps come first; the rest only name flags for expect.
constexpr size_t kShownStyles = 6;
constexpr StyleName kStyles[] = {
    {WS_VISIBLE, L"WS_VISIBLE"}, {WS_DISABLED, L"WS_DISABLED"}, {WS_TABSTOP, L"WS_TABSTOP"},
    {WS_GROUP, L"WS_GROUP"}, {WS_BORDER, L"WS_BORDER"}, {WS_VSCROLL, L"WS_VSCROLL"}, {WS_HSCROLL, L"WS_HSCROLL"},
    {WS_CAPTION, L"WS_CAPTION"}, {WS_SYSMENU, L"WS_SYSMENU"}, {WS_POPUP, L"WS_POPUP"}, {WS_CHILD, L"WS_CHILD"},
    {DS_MODALFRAME, L"DS_MODALFRAME"}, {DS_SETFONT, L"DS_SETFONT"}, {DS_CENTER, L"DS_CENTER"},
    {ES_PASSWORD, L"ES_PASSWORD"}, {ES_NUMBER, L"ES_NUMBER"}, {ES_READONLY, L"ES_READONLY"},
    {ES_AUTOHSCROLL, L"ES_AUTOHSCROLL"}, {ES_UPPERCASE, L"ES_UPPERCASE"}, {ES_MULTILINE, L"ES_MULTILINE"},
    {ES_RIGHT, L"ES_RIGHT"}, {ES_CENTER, L"ES_CENTER"}, {SS_NOTIFY, L"SS_NOTIFY"}, {BS_RIGHT, L"BS_RIGHT"},
    {BS_LEFTTEXT, L"BS_LEFTTEXT"}, {CBS_DROPDOWNLIST, L"CBS_DROPDOWNLIST"}, {CBS_SORT, L"CBS_SORT"},
};
constexpr StyleName kExStyles[] = {
    {WS_EX_LAYOUTRTL, L"WS_EX_LAYOUTRTL"}, {WS_EX_RTLREADING, L"WS_EX_RTLREADING"}, {WS_EX_RIGHT, L"WS_EX_RIGHT"},
    {WS_EX_LEFTSCROLLBAR, L"WS_EX_LEFTSCROLLBAR"}, {WS_EX_CONTEXTHELP, L"WS_EX_CONTEXTHELP"},
    {WS_EX_DLGMODALFRAME, L"WS_EX_DLGMODALFRAME"}, {WS_EX_TOPMOST, L"WS_EX_TOPMOST"},
    {WS_EX_NOINHERITLAYOUT, L"WS_EX_NOINHERITLAYOUT"}, {WS_EX_CONTROLPARENT, L"WS_EX_CONTROLPARENT"},
    {WS_EX_TRANSPARENT, L"WS_EX_TRANSPARENT"}, {WS_EX_WINDOWEDGE, L"WS_EX_WINDOWEDGE"},
    {WS_EX_CLIENTEDGE, L"WS_EX_CLIENTEDGE"}, {WS_EX_STATICEDGE, L"WS_EX_STATICEDGE"},
};

}  // namespace

std::wstring WindowText(HWND hWnd) {
    const int n = GetWindowTextLengthW(hWnd);
    if (n <= 0) return std::wstring();
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    const int got = GetWindowTextW(hWnd, &text[0], n + 1);
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

std::wstring WindowClass(HWND hWnd) {
    wchar_t sz[64] = {};
    GetClassNameW(hWnd, sz, 64);
    return sz;
}

HWND FindControl(HWND hParent, const std::wstring &ref, std::wstring *pError) {
    if (hParent == nullptr) {
        *pError = L"no dialog or page is open";
        return nullptr;
    }
    ControlSearch search = {0, &ref, nullptr, 0};
    const bool numeric = !ref.empty() && ref.size() < 7 && ref.find_first_not_of(L"0123456789") == std::wstring::npos;
    if (numeric) {
        search.id = _wtoi(ref.c_str());
        search.pText = nullptr;
    }
    // The dialog's own controls first: a combo box's edit field has an id
    // of its own (1001) that may also be a button's of the dialog.
    for (HWND h = GetWindow(hParent, GW_CHILD); h != nullptr && search.hFound == nullptr; h = GetWindow(h, GW_HWNDNEXT))
        MatchControl(h, reinterpret_cast<LPARAM>(&search));
    if (search.hFound == nullptr) EnumChildWindows(hParent, &MatchControl, reinterpret_cast<LPARAM>(&search));
    if (search.hFound == nullptr) {
        *pError = L"\"" + WindowText(hParent) + L"\" has no control " + (numeric ? ref : L"\"" + ref + L"\"");
        return nullptr;
    }
    return search.hFound;
}

bool SetControlText(HWND hCtrl, const std::wstring &text, std::wstring *pError) {
    if (!SendMessageW(hCtrl, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()))) {
        *pError = L"the control refused the text";
        return false;
    }
    return true;
}

bool TypeText(HWND hCtrl, const std::wstring &text, ControlKey ctrl, std::wstring *pError) {
    if (!IsWindowEnabled(hCtrl)) {
        *pError = L"the control is disabled";
        return false;
    }
    SetFocus(hCtrl);
    HeldKeys held;
    PressControl(hCtrl, held, ctrl);
    for (wchar_t ch : text) {
        if (!IsWindow(hCtrl)) break;
        const SHORT scan = VkKeyScanW(ch);
        // Characters no key gives arrive as a packet key, as from an input method.
        const UINT vk = scan == -1 ? VK_PACKET : static_cast<UINT>(scan & 0xFF);
        const bool shift = scan != -1 && (scan & 0x100) != 0;
        if (shift) held.Hold(VK_SHIFT);
        SendKey(hCtrl, vk, ctrl == ControlKey::None ? ch : ControlChar(ch));
        if (shift) held.Release(VK_SHIFT);
    }
    ReleaseControl(hCtrl, held, ctrl);
    return true;
}

bool PressKey(HWND hCtrl, const std::wstring &key, const std::vector<std::wstring> &modifiers, std::wstring *pError) {
    UINT vk = 0;
    wchar_t ch = 0;
    for (const NamedKey &k : kKeys)
        if (Is(key, k.name)) {
            vk = k.vk;
            ch = k.ch;
        }
    if (vk == 0 && key.size() == 1 && std::iswalnum(key[0])) {
        ch = static_cast<wchar_t>(std::towlower(key[0]));
        vk = static_cast<UINT>(std::towupper(key[0]));
    }
    if (vk == 0) {
        *pError = L"no key called \"" + key + L"\"";
        return false;
    }
    ControlKey ctrl = ControlKey::None;
    bool shift = false;
    for (const std::wstring &m : modifiers) {
        if (Is(m, L"lctrl"))
            ctrl = ControlKey::Left;
        else if (Is(m, L"rctrl"))
            ctrl = ControlKey::Right;
        else if (Is(m, L"shift"))
            shift = true;
        else {
            *pError = L"\"" + m + L"\" is not lctrl, rctrl or shift";
            return false;
        }
    }
    if (!IsWindowEnabled(hCtrl)) {
        *pError = L"the control is disabled";
        return false;
    }
    SetFocus(hCtrl);
    HeldKeys held;
    if (shift) held.Hold(VK_SHIFT);
    PressControl(hCtrl, held, ctrl);
    if (ctrl != ControlKey::None) ch = ControlChar(ch);
    if (shift && ch >= L'a' && ch <= L'z') ch = static_cast<wchar_t>(ch - L'a' + L'A');
    SendKey(hCtrl, vk, ch);
    ReleaseControl(hCtrl, held, ctrl);
    return true;
}

bool IsPasteMethod(const std::wstring &method) {
    for (const wchar_t *m : kPasteMethods)
        if (Is(method, m)) return true;
    return false;
}

bool PasteText(HWND hCtrl, const std::wstring &text, const std::wstring &method, std::wstring *pError) {
    if (!IsPasteMethod(method)) {
        *pError = L"\"" + method + L"\" is not lctrl-v, rctrl-v, shift-insert or wm-paste";
        return false;
    }
    {
        const size_t cb = (text.size() + 1) * sizeof(wchar_t);
        HGLOBAL hMem = GlobalAlloc(GMEM_MOVEABLE, cb);
        if (hMem == nullptr) {
            *pError = L"no memory for the clipboard";
            return false;
        }
        memcpy(GlobalLock(hMem), text.c_str(), cb);
        GlobalUnlock(hMem);
        if (!OpenClipboard(nullptr)) {
            GlobalFree(hMem);
            *pError = L"the clipboard cannot be opened";
            return false;
        }
        EmptyClipboard();
        const bool set = SetClipboardData(CF_UNICODETEXT, hMem) != nullptr;
        CloseClipboard();
        if (!set) {
            GlobalFree(hMem);
            *pError = L"the clipboard refused the text";
            return false;
        }
    }
    if (Is(method, L"wm-paste")) {
        SendMessageW(hCtrl, WM_PASTE, 0, 0);
        return true;
    }
    if (Is(method, L"shift-insert")) return PressKey(hCtrl, L"Insert", {L"shift"}, pError);
    return PressKey(hCtrl, L"V", {Is(method, L"lctrl-v") ? L"lctrl" : L"rctrl"}, pError);
}

bool ClickControl(HWND hCtrl, std::wstring *pError) {
    if (!IsWindowVisible(hCtrl)) {
        *pError = L"the control is hidden";
        return false;
    }
    if (!IsWindowEnabled(hCtrl)) {
        *pError = L"the control is disabled";
        return false;
    }
    const std::wstring cls = WindowClass(hCtrl);
    if (Is(cls, L"Button")) {
        SendMessageW(hCtrl, BM_CLICK, 0, 0);
        return true;
    }
    // Anything else (a link, a static with notify) is clicked with the mouse.
    RECT rc = {};
    GetClientRect(hCtrl, &rc);
    const LPARAM at = MAKELPARAM((rc.right - rc.left) / 2, (rc.bottom - rc.top) / 2);
    SendMessageW(hCtrl, WM_LBUTTONDOWN, MK_LBUTTON, at);
    if (IsWindow(hCtrl)) SendMessageW(hCtrl, WM_LBUTTONUP, 0, at);
    return true;
}

bool ChooseEntry(HWND hCtrl, const std::wstring &entry, std::wstring *pError) {
    const std::wstring cls = WindowClass(hCtrl);
    const bool combo = Is(cls, L"ComboBox");
    if (!combo && !Is(cls, L"ListBox")) {
        *pError = L"the control is a " + cls + L", not a list";
        return false;
    }
    if (!IsWindowEnabled(hCtrl)) {
        *pError = L"the control is disabled";
        return false;
    }
    const LRESULT count = SendMessageW(hCtrl, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
    LRESULT index = -1;
    if (entry.size() > 1 && entry[0] == L'#') {
        index = _wtoi(entry.c_str() + 1);
        if (index < 0 || index >= count) index = -1;
    } else {
        index = SendMessageW(hCtrl, combo ? CB_FINDSTRINGEXACT : LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                             reinterpret_cast<LPARAM>(entry.c_str()));
    }
    if (index < 0) {
        std::wstring entries;
        for (LRESULT i = 0; i < count && i < 32; ++i) {
            wchar_t sz[256] = {};
            const LRESULT len = SendMessageW(hCtrl, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
            if (len >= 0 && len < 256)
                SendMessageW(hCtrl, combo ? CB_GETLBTEXT : LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(sz));
            entries += (i ? L", \"" : L"\"") + std::wstring(sz) + L"\"";
        }
        *pError = L"the list has no entry \"" + entry + L"\" (" + std::to_wstring(count) + L" entries: " + entries + L")";
        return false;
    }
    SendMessageW(hCtrl, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    // Setting the selection in code notifies nobody; a user's choice does.
    const WORD code = combo ? CBN_SELCHANGE : LBN_SELCHANGE;
    SendMessageW(GetParent(hCtrl), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hCtrl), code), reinterpret_cast<LPARAM>(hCtrl));
    if (combo && IsWindow(hCtrl))
        SendMessageW(GetParent(hCtrl), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hCtrl), CBN_SELENDOK),
                     reinterpret_cast<LPARAM>(hCtrl));
    return true;
}

bool SetDateTime(HWND hCtrl, const std::wstring &date, const std::wstring &time, std::wstring *pError) {
    if (!Is(WindowClass(hCtrl), DATETIMEPICK_CLASSW)) {
        *pError = L"the control is a " + WindowClass(hCtrl) + L", not a date/time picker";
        return false;
    }
    NMDATETIMECHANGE change = {};
    change.nmhdr.hwndFrom = hCtrl;
    change.nmhdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(hCtrl));
    change.nmhdr.code = DTN_DATETIMECHANGE;
    if (Is(date, L"none")) {
        change.dwFlags = GDT_NONE;
    } else {
        int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
        const bool dateOk = date.size() == 10 && date[4] == L'-' && date[7] == L'-' && ParseUnsigned(date, 0, 4, &y) &&
                            ParseUnsigned(date, 5, 2, &mo) && ParseUnsigned(date, 8, 2, &d);
        const bool timeOk = time.empty() || ((time.size() == 5 || (time.size() == 8 && time[5] == L':')) &&
                                             time[2] == L':' && ParseUnsigned(time, 0, 2, &h) &&
                                             ParseUnsigned(time, 3, 2, &mi) &&
                                             (time.size() == 5 || ParseUnsigned(time, 6, 2, &s)));
        if (!dateOk || !timeOk) {
            *pError = L"a date is YYYY-MM-DD and a time HH:MM or HH:MM:SS";
            return false;
        }
        change.dwFlags = GDT_VALID;
        change.st.wYear = static_cast<WORD>(y);
        change.st.wMonth = static_cast<WORD>(mo);
        change.st.wDay = static_cast<WORD>(d);
        change.st.wHour = static_cast<WORD>(h);
        change.st.wMinute = static_cast<WORD>(mi);
        change.st.wSecond = static_cast<WORD>(s);
        // The day of the week, as the picker's calendar would give it.
        FILETIME ft;
        if (!SystemTimeToFileTime(&change.st, &ft) || !FileTimeToSystemTime(&ft, &change.st)) {
            *pError = L"\"" + date + L" " + time + L"\" is not a real date and time";
            return false;
        }
    }
    if (!SendMessageW(hCtrl, DTM_SETSYSTEMTIME, change.dwFlags, reinterpret_cast<LPARAM>(&change.st))) {
        *pError = L"the picker refused the value";
        return false;
    }
    SendMessageW(GetParent(hCtrl), WM_NOTIFY, change.nmhdr.idFrom, reinterpret_cast<LPARAM>(&change));
    return true;
}

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
    // A dialog owned by the sheet also names it as its parent; only a child is a page.
    const bool page = hSheet != nullptr && (GetWindowLongW(hWnd, GWL_STYLE) & WS_CHILD) != 0 && GetParent(hWnd) == hSheet;
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

int CheckState(HWND hCtrl) {
    if (!Is(WindowClass(hCtrl), L"Button")) return -1;
    const LONG type = GetWindowLongW(hCtrl, GWL_STYLE) & BS_TYPEMASK;
    switch (type) {
    case BS_CHECKBOX: case BS_AUTOCHECKBOX: case BS_3STATE: case BS_AUTO3STATE: case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
        return static_cast<int>(SendMessageW(hCtrl, BM_GETCHECK, 0, 0));
    default:
        return -1;
    }
}

RECT ControlRect(HWND hCtrl) {
    RECT rc = {};
    GetWindowRect(hCtrl, &rc);
    MapWindowPoints(nullptr, GetParent(hCtrl), reinterpret_cast<POINT *>(&rc), 2);
    // Mirrored parents map right-to-left; keep left < right.
    if (rc.left > rc.right) std::swap(rc.left, rc.right);
    return rc;
}

RECT ControlRectDlu(HWND hCtrl) {
    RECT unit = {0, 0, 400, 800};
    MapDialogRect(GetParent(hCtrl), &unit);
    const RECT px = ControlRect(hCtrl);
    auto toDlu = [](LONG v, LONG perUnits, LONG units) {
        return perUnits == 0 ? 0 : static_cast<LONG>((static_cast<long long>(v) * units + perUnits / 2) / perUnits);
    };
    return RECT{toDlu(px.left, unit.right, 400), toDlu(px.top, unit.bottom, 800), toDlu(px.right, unit.right, 400),
                toDlu(px.bottom, unit.bottom, 800)};
}

namespace {

struct HintSearch {
    HWND hDlg;
    HWND hRoot;
    std::vector<HWND> tips;
};

// Hint windows are top-level windows of the thread owned by the dialog; a
// page's are owned by its sheet (a pop-up's owner is always top-level).
std::vector<HWND> HintWindows(HWND hDlg) {
    HintSearch search = {hDlg, GetAncestor(hDlg, GA_ROOT), {}};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hWnd, LPARAM lParam) -> BOOL {
            auto *s = reinterpret_cast<HintSearch *>(lParam);
            const HWND hOwner = GetWindow(hWnd, GW_OWNER);
            if (Is(WindowClass(hWnd), TOOLTIPS_CLASSW) && (hOwner == s->hDlg || hOwner == s->hRoot))
                s->tips.push_back(hWnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.tips;
}

std::wstring ToolText(HWND hTip, TTTOOLINFOW &info) {
    wchar_t sz[1024] = {};
    info.lpszText = sz;
    SendMessageW(hTip, TTM_GETTEXTW, 1024, reinterpret_cast<LPARAM>(&info));
    return sz;
}

struct HintTool {
    HWND hCtrl;  // the control, for a tool named by its window
    UINT_PTR id;
    std::wstring text;
};

// Every tool of every hint window of the dialog, with its text.
std::vector<HintTool> HintTools(HWND hDlg) {
    std::vector<HintTool> tools;
    for (HWND hTip : HintWindows(hDlg)) {
        const LRESULT count = SendMessageW(hTip, TTM_GETTOOLCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            TTTOOLINFOW info = {};
            info.cbSize = sizeof(info);
            if (!SendMessageW(hTip, TTM_ENUMTOOLSW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&info))) continue;
            HWND hCtrl = (info.uFlags & TTF_IDISHWND) ? reinterpret_cast<HWND>(info.uId) : nullptr;
            const UINT_PTR id = hCtrl != nullptr ? static_cast<UINT_PTR>(GetDlgCtrlID(hCtrl)) : info.uId;
            tools.push_back(HintTool{hCtrl, id, ToolText(hTip, info)});
        }
    }
    return tools;
}

std::wstring StyleText(DWORD style) {
    std::wstring out = Hex32(style);
    for (size_t i = 0; i < kShownStyles; ++i)
        if (style & kStyles[i].bits) out += L" " + std::wstring(kStyles[i].name);
    return out;
}

std::wstring RectText(const RECT &rc) {
    return std::to_wstring(rc.left) + L"," + std::to_wstring(rc.top) + L" " + std::to_wstring(rc.right - rc.left) +
           L"x" + std::to_wstring(rc.bottom - rc.top);
}

}  // namespace

bool StyleFlagBits(const std::wstring &name, bool extended, DWORD *pBits) {
    const StyleName *first = extended ? std::begin(kExStyles) : std::begin(kStyles);
    const StyleName *last = extended ? std::end(kExStyles) : std::end(kStyles);
    for (const StyleName *p = first; p != last; ++p)
        if (Is(name, p->name)) {
            *pBits = p->bits;
            return true;
        }
    return false;
}

bool HintText(HWND hDlg, HWND hCtrl, std::wstring *pText) {
    const UINT_PTR id = static_cast<UINT_PTR>(GetDlgCtrlID(hCtrl));
    for (const HintTool &tool : HintTools(hDlg)) {
        if (tool.hCtrl != nullptr ? tool.hCtrl != hCtrl : tool.id != id) continue;
        *pText = tool.text;
        return true;
    }
    return false;
}

ReportFields DescribeDialog(HWND hDlg) {
    ReportFields fields;
    fields.emplace_back(L"title", L"\"" + WindowText(hDlg) + L"\"");
    fields.emplace_back(L"style", StyleText(static_cast<DWORD>(GetWindowLongW(hDlg, GWL_STYLE))));
    fields.emplace_back(L"extended style", Hex32(static_cast<DWORD>(GetWindowLongW(hDlg, GWL_EXSTYLE))));
    struct Walk {
        HWND hDlg;
        ReportFields *pFields;
    } walk = {hDlg, &fields};
    EnumChildWindows(
        hDlg,
        [](HWND hCtrl, LPARAM lParam) -> BOOL {
            auto *w = reinterpret_cast<Walk *>(lParam);
            const int check = CheckState(hCtrl);
            std::wstring value = WindowClass(hCtrl) + L" \"" + WindowText(hCtrl) + L"\"";
            value += IsWindowVisible(hCtrl) ? L", visible" : L", hidden";
            value += IsWindowEnabled(hCtrl) ? L", enabled" : L", disabled";
            if (check >= 0) value += check == BST_CHECKED ? L", checked" : check == BST_INDETERMINATE ? L", indeterminate" : L", unchecked";
            value += L", " + RectText(ControlRect(hCtrl)) + L" px, " + RectText(ControlRectDlu(hCtrl)) + L" dlu";
            value += L", style " + StyleText(static_cast<DWORD>(GetWindowLongW(hCtrl, GWL_STYLE)));
            w->pFields->emplace_back(L"control " + std::to_wstring(GetDlgCtrlID(hCtrl)), value);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&walk));
    for (const HintTool &tool : HintTools(hDlg))
        fields.emplace_back(L"hint " + std::to_wstring(tool.id), L"\"" + tool.text + L"\"");
    return fields;
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

// ---------------------------------------------------------------------------

namespace {
DialogWatcher *g_pWatcher = nullptr;
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
