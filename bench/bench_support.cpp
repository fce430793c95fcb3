#include "bench_support.h"

#include <algorithm>
#include <cstdio>

#include "module/activation_context.h"

namespace bench {
namespace {

bool g_bWatchChild = false;
HHOOK g_hCreateHook = nullptr;
WNDPROC g_pfnWatchedProc = nullptr;
WatchTimes g_watched = {};

LRESULT CALLBACK WatchProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (hWnd != g_watched.hWnd) return CallWindowProcW(g_pfnWatchedProc, hWnd, uMsg, wParam, lParam);
    if (uMsg == WM_INITDIALOG && g_watched.dInitStart == 0) g_watched.dInitStart = NowMs();
    const LRESULT result = CallWindowProcW(g_pfnWatchedProc, hWnd, uMsg, wParam, lParam);
    if (uMsg == WM_INITDIALOG && g_watched.dInitDone == 0) g_watched.dInitDone = NowMs();
    if (uMsg == WM_PAINT && g_watched.dPainted == 0 && g_watched.dInitStart != 0) {
        g_watched.dOwnPainted = NowMs();
        // The window's own WM_PAINT draws only its background: its controls
        // paint afterwards, each on its own message. Ready is when they have.
        RedrawWindow(hWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        g_watched.dPainted = NowMs();
        if (!g_bWatchChild) EndDialog(hWnd, IDCANCEL);
    }
    return result;
}

LRESULT CALLBACK OnCreate(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && g_watched.hWnd == nullptr) {
        const auto *pCreate = reinterpret_cast<const CBT_CREATEWNDW *>(lParam);
        const HWND hWnd = reinterpret_cast<HWND>(wParam);
        wchar_t szClass[16] = {};
        GetClassNameW(hWnd, szClass, ARRAYSIZE(szClass));
        const bool bChild = (pCreate->lpcs->style & WS_CHILD) != 0;
        if (bChild == g_bWatchChild && lstrcmpW(szClass, L"#32770") == 0) {
            g_watched.hWnd = hWnd;
            g_pfnWatchedProc = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchProc)));
            UnhookWindowsHookEx(g_hCreateHook);
            g_hCreateHook = nullptr;
            return 0;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

double NowMs() {
    static LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) * 1000.0 / double(freq.QuadPart);
}

double Median(std::vector<double> values) {
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void ArmWatch(bool bChild) {
    DisarmWatch();
    g_watched = {};
    g_bWatchChild = bChild;
    g_hCreateHook = SetWindowsHookExW(WH_CBT, OnCreate, nullptr, GetCurrentThreadId());
}

void DisarmWatch() {
    if (g_hCreateHook != nullptr) UnhookWindowsHookEx(g_hCreateHook);
    g_hCreateHook = nullptr;
}

WatchTimes Watched() { return g_watched; }

Opening TimePage(HWND hSheet, int index, HPROPSHEETPAGE hPage) {
    ArmWatch(true);
    SendMessageW(hSheet, PSM_SETCURSEL, static_cast<WPARAM>(index < 0 ? 0 : index), reinterpret_cast<LPARAM>(hPage));
    if (g_watched.hWnd != nullptr) UpdateWindow(g_watched.hWnd);
    Pump();
    DisarmWatch();
    if (g_watched.dPainted == 0) return {-1, -1, -1};
    return {g_watched.dPainted - g_watched.dInitStart, g_watched.dInitDone - g_watched.dInitStart,
            g_watched.dOwnPainted - g_watched.dInitStart};
}

HANDLE PluginActCtx(HMODULE hPlugin) {
    static HANDLE hActCtx = INVALID_HANDLE_VALUE;
    if (hActCtx == INVALID_HANDLE_VALUE) hActCtx = oemui::CreateModuleActivationContext(hPlugin);
    return hActCtx;
}

INT_PTR CALLBACK EmptyDialogProc(HWND, UINT uMsg, WPARAM, LPARAM) { return uMsg == WM_INITDIALOG; }

Opening TimeFloorDialog(HMODULE hPlugin, WORD wTemplate, HWND hOwner) {
    const HANDLE hActCtx = PluginActCtx(hPlugin);
    return TimeModal([&] {
        ULONG_PTR cookie = 0;
        const bool bActive = hActCtx != INVALID_HANDLE_VALUE && ActivateActCtx(hActCtx, &cookie);
        DialogBoxParamW(hPlugin, MAKEINTRESOURCEW(wTemplate), hOwner, EmptyDialogProc, 0);
        if (bActive) DeactivateActCtx(0, cookie);
    });
}

ULONGLONG FileBytes(const std::wstring &path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (ULONGLONG(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void PrintPluginSize(HMODULE hPlugin) {
    wchar_t szModule[MAX_PATH] = {};
    GetModuleFileNameW(hPlugin, szModule, MAX_PATH);
    const ULONGLONG cb = FileBytes(szModule);
    std::printf("size of OEMUI.DLL: %llu bytes (%.1f KB; goal <= 300 KB)\n", cb, double(cb) / 1024.0);
    const auto *pBase = reinterpret_cast<const BYTE *>(hPlugin);
    const auto *pDos = reinterpret_cast<const IMAGE_DOS_HEADER *>(pBase);
    const auto *pNt = reinterpret_cast<const IMAGE_NT_HEADERS *>(pBase + pDos->e_lfanew);
    const IMAGE_DATA_DIRECTORY &dir = pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    std::printf("  imports:");
    if (dir.VirtualAddress != 0)
        for (auto *pDesc = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR *>(pBase + dir.VirtualAddress);
             pDesc->Name != 0; ++pDesc)
            std::printf(" %s", reinterpret_cast<const char *>(pBase + pDesc->Name));
    std::printf("\n");
}

}  // namespace bench
