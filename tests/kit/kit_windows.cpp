#include "kit/kit_windows.h"

#include <commctrl.h>
#include <cstdio>

#include <gtest/gtest.h>

namespace kittest {
namespace {

constexpr wchar_t kClassName[] = L"KitTestDialog";

ATOM RegisterTestClass() {
    static ATOM atom = 0;
    if (atom != 0) return atom;
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    atom = RegisterClassW(&wc);
    return atom;
}

LANGID g_systemLanguage = 0x0409;
LANGID WINAPI FakeSystemDefaultLangID() { return g_systemLanguage; }

struct ModalWork {
    HWND const *phDlg;
    const std::function<void(HWND)> *pScript;
    bool bRan;
};
ModalWork g_work = {};

void CALLBACK WorkOnTimer(HWND, UINT, UINT_PTR id, DWORD) {
    if (g_work.phDlg == nullptr) return;
    HWND hDlg = *g_work.phDlg;
    if (hDlg == nullptr || !IsWindow(hDlg)) return;
    if (!g_work.bRan) {
        g_work.bRan = true;
        (*g_work.pScript)(hDlg);
        return;
    }
    KillTimer(nullptr, id);
    ADD_FAILURE() << "the script left the dialog open";
    EndDialog(hDlg, IDCANCEL);
}

}  // namespace

bool WorkModalDialog(HWND const *phDlg, const std::function<void(HWND)> &script, const std::function<void()> &open) {
    g_work = {phDlg, &script, false};
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, WorkOnTimer);
    open();
    KillTimer(nullptr, timer);
    const bool bRan = g_work.bRan;
    g_work = {};
    return bRan;
}

SystemLanguage::SystemLanguage(LANGID langId)
    : m_patch(GetModuleHandleW(nullptr), "kernel32.dll", "GetSystemDefaultLangID",
              reinterpret_cast<void *>(FakeSystemDefaultLangID)) {
    g_systemLanguage = langId;
}

void SystemLanguage::Set(LANGID langId) { g_systemLanguage = langId; }

TestDialog::TestDialog(DWORD dwExStyle, HWND hParent, bool bChild, RECT rc) {
    RegisterTestClass();
    // Never shown: mapping a top-level window costs Wine a wait for a window
    // manager that Xvfb does not have, and nothing here needs pixels on screen.
    const DWORD dwStyle = bChild ? WS_CHILD | WS_VISIBLE : WS_POPUP | WS_CAPTION;
    m_hwnd = CreateWindowExW(dwExStyle, kClassName, L"Kit test", dwStyle, rc.left, rc.top, rc.right - rc.left,
                             rc.bottom - rc.top, hParent, nullptr, GetModuleHandleW(nullptr), nullptr);
}

TestDialog::~TestDialog() {
    if (m_hwnd != nullptr) DestroyWindow(m_hwnd);
}

HWND TestDialog::Add(const wchar_t *pszClass, const wchar_t *pszText, int id, int x, int y, int cx, int cy,
                     DWORD dwStyle) {
    return CreateWindowExW(0, pszClass, pszText, WS_CHILD | WS_VISIBLE | dwStyle, x, y, cx, cy, m_hwnd,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
}

bool Shown(HWND hControl) { return (GetWindowLongW(hControl, GWL_STYLE) & WS_VISIBLE) != 0; }

RECT RectInParent(HWND hControl) {
    RECT rc{};
    GetWindowRect(hControl, &rc);
    MapWindowPoints(HWND_DESKTOP, GetParent(hControl), reinterpret_cast<POINT *>(&rc), 2);
    return rc;
}

std::wstring HintText(HWND hTooltip, HWND hOwner, UINT_PTR uId) {
    wchar_t sz[512] = L"<none>";
    TOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.hwnd = hOwner;
    ti.uId = uId;
    if (!SendMessageW(hTooltip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&ti))) return sz;
    sz[0] = L'\0';
    ti.lpszText = sz;
    SendMessageW(hTooltip, TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&ti));
    return sz;
}

std::wstring WriteStringTable(const std::wstring &section, const std::wstring &lines) {
    static int counter = 0;
    wchar_t szDir[MAX_PATH];
    GetTempPathW(MAX_PATH, szDir);
    wchar_t szPath[MAX_PATH];
    swprintf(szPath, MAX_PATH, L"%lskit_%lu_%d.DAT", szDir, GetCurrentProcessId(), ++counter);
    const std::wstring text = L"\xFEFF[" + section + L"]\r\n" + lines;
    HANDLE hFile = CreateFileW(szPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD cbWritten = 0;
    WriteFile(hFile, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &cbWritten, nullptr);
    CloseHandle(hFile);
    return szPath;
}

}  // namespace kittest
