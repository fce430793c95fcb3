// Keyboard input as a user gives it: characters typed as WM_KEYDOWN,
// WM_CHAR and WM_KEYUP sent through the control (so subclassed input
// filters see them) with Shift and either Control key held in the keyboard
// state, named keys with modifiers, and the clipboard pasted with the keys
// a user presses or WM_PASTE.
#include "host/dialog_driver.h"

#include <cwctype>

#include "host/dialog_keyboard.h"
#include "host/word_match.h"

namespace oemuihost {
namespace {

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

}  // namespace

LPARAM KeyLParam(UINT vk, bool up) {
    LPARAM l = 1 | (static_cast<LPARAM>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC) & 0xFF) << 16);
    if (IsExtendedKey(vk)) l |= 1 << 24;
    if (up) l |= static_cast<LPARAM>(0xC0000000u);
    return l;
}

namespace {

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

constexpr const wchar_t *kPasteMethods[] = {L"lctrl-v", L"rctrl-v", L"shift-insert", L"wm-paste"};

}  // namespace

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

}  // namespace oemuihost
