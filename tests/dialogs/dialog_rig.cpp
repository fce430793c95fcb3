#include "dialogs/dialog_rig.h"

#include <gtest/gtest.h>

namespace dialogtest {

int DialogRig::beeps = 0;
std::vector<DialogRig::Box> DialogRig::boxes;

namespace {

BOOL WINAPI CountBeep(UINT) {
    ++DialogRig::beeps;
    return TRUE;
}

int WINAPI RecordBox(HWND, LPCWSTR pszText, LPCWSTR pszCaption, UINT uType) {
    DialogRig::boxes.push_back({pszText ? pszText : L"", pszCaption ? pszCaption : L"", uType});
    return IDOK;
}

INT_PTR CALLBACK BareDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

}  // namespace

void SetClipboardBytes(HWND hOwner, const std::string &bytes) {
    ASSERT_TRUE(OpenClipboard(hOwner));
    EmptyClipboard();
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    ASSERT_NE(h, nullptr);
    memcpy(GlobalLock(h), bytes.data(), bytes.size());
    GlobalUnlock(h);
    EXPECT_NE(SetClipboardData(CF_TEXT, h), nullptr);
    CloseClipboard();
}

void SetControlKey(ControlKey key) {
    BYTE state[256];
    GetKeyboardState(state);
    state[VK_CONTROL] = key == ControlKey::None ? 0 : 0x80;
    state[VK_LCONTROL] = key == ControlKey::Left ? 0x80 : 0;
    state[VK_RCONTROL] = key == ControlKey::Right ? 0x80 : 0;
    SetKeyboardState(state);
}

DialogRig::DialogRig() {
    struct {
        DLGTEMPLATE dlg;
        WORD menu, cls, title;
    } tmpl = {};
    tmpl.dlg.style = WS_POPUP | WS_CAPTION;
    tmpl.dlg.cx = 300;
    tmpl.dlg.cy = 200;
    m_hDlg = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), &tmpl.dlg, nullptr, BareDialogProc, 0);
    SetWindowLongPtrW(m_hDlg, DWLP_USER, reinterpret_cast<LONG_PTR>(&config));
    const HMODULE hExe = GetModuleHandleW(nullptr);
    m_beep.reset(new testsupport::ImportPatch(hExe, "user32.dll", "MessageBeep", reinterpret_cast<void *>(CountBeep)));
    m_box.reset(new testsupport::ImportPatch(hExe, "user32.dll", "MessageBoxW", reinterpret_cast<void *>(RecordBox)));
    beeps = 0;
    boxes.clear();
}

DialogRig::~DialogRig() {
    SetControlKey(ControlKey::None);
    DestroyWindow(m_hDlg);
}

HWND DialogRig::AddEdit(int id) {
    return CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 0, 200, 20, m_hDlg,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
}

std::wstring DialogRig::Text(int id) const {
    wchar_t sz[512] = {};
    GetDlgItemTextW(m_hDlg, id, sz, 512);
    return sz;
}

void DialogRig::SetText(int id, const std::wstring &text) { SetDlgItemTextW(m_hDlg, id, text.c_str()); }

void DialogRig::Type(int id, const std::wstring &chars) {
    for (wchar_t c : chars) SendDlgItemMessageW(m_hDlg, id, WM_CHAR, c, 1);
}

void DialogRig::ControlV(int id, ControlKey key) {
    SetControlKey(key);
    SendDlgItemMessageW(m_hDlg, id, WM_KEYDOWN, 'V', 1);
    SendDlgItemMessageW(m_hDlg, id, WM_CHAR, 0x16, 1);
    SetControlKey(ControlKey::None);
}

}  // namespace dialogtest
