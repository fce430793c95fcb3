// Time to make the Troubleshooting page ready (WM_INITDIALOG reaching the page
// until its first WM_PAINT has returned) against the floor of the same
// template with an empty procedure, in one run, on a real sheet of the
// emulator. Runs with the printer on a FILE: port, then on a TCP/IP port
// whose host name does not resolve (the page resolves it on the UI thread).
// Prints ratios; absolute times here are noise.
#include <windows.h>
#include <prsht.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "host/driver_helper.h"
#include "host/plugin_host.h"
#include "host/printer_install.h"
#include "host/report.h"
#include "host/scenario_runner.h"
#include "host/session.h"
#include "resources/resource_ids.h"

namespace {

constexpr wchar_t kPrinter[] = L"Bench Talix C500";
constexpr wchar_t kPort[] = L"OEMUIBENCH:";
constexpr wchar_t kPortKey[] =
    L"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports\\OEMUIBENCH:";
constexpr int kRounds = 31;

LARGE_INTEGER g_freq;
HWND g_hWatched = nullptr;  // the dialog being timed, once WM_INITDIALOG reached it
LONGLONG g_tInit = 0;
LONGLONG g_tPainted = 0;
LONGLONG g_tInitDone = 0;  // WM_INITDIALOG returned

LONGLONG Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

double Millis(LONGLONG ticks) { return double(ticks) * 1000.0 / double(g_freq.QuadPart); }

WNDPROC g_pfnWatchedProc = nullptr;
HHOOK g_hCreateHook = nullptr;

// Wraps the watched page's window procedure from its creation on: the start
// is WM_INITDIALOG reaching it, the end its first WM_PAINT returning.
LRESULT CALLBACK WatchProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == WM_INITDIALOG && hWnd == g_hWatched && g_tInit == 0) g_tInit = Now();
    const LRESULT result = CallWindowProcW(g_pfnWatchedProc, hWnd, uMsg, wParam, lParam);
    if (uMsg == WM_INITDIALOG && hWnd == g_hWatched && g_tInitDone == 0) g_tInitDone = Now();
    if (uMsg == WM_PAINT && hWnd == g_hWatched && g_tPainted == 0 && g_tInit != 0) g_tPainted = Now();
    return result;
}

// Catches the next page (a child dialog) as it is created and takes the hook
// away at once. A hook that stayed would be called for every message the page
// sends while it initialises, and under Wine every hook call is a round trip
// to the server: the measurement would mostly count the hook.
LRESULT CALLBACK OnCreate(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && g_hWatched == nullptr) {
        const auto *pCreate = reinterpret_cast<const CBT_CREATEWNDW *>(lParam);
        const HWND hWnd = reinterpret_cast<HWND>(wParam);
        wchar_t szClass[16] = {};
        GetClassNameW(hWnd, szClass, ARRAYSIZE(szClass));
        if ((pCreate->lpcs->style & WS_CHILD) && lstrcmpW(szClass, L"#32770") == 0) {
            g_hWatched = hWnd;
            g_pfnWatchedProc = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchProc)));
            UnhookWindowsHookEx(g_hCreateHook);
            g_hCreateHook = nullptr;
            return 0;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Watches the next page created on this thread.
void ArmWatch() {
    g_hWatched = nullptr;
    g_tInit = g_tPainted = g_tInitDone = 0;
    if (g_hCreateHook == nullptr)
        g_hCreateHook = SetWindowsHookExW(WH_CBT, OnCreate, nullptr, GetCurrentThreadId());
}

void DisarmWatch() {
    if (g_hCreateHook != nullptr) UnhookWindowsHookEx(g_hCreateHook);
    g_hCreateHook = nullptr;
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

INT_PTR CALLBACK EmptyProc(HWND, UINT uMsg, WPARAM, LPARAM) { return uMsg == WM_INITDIALOG; }

// The floor: the page's own template from the plug-in's resources with a
// procedure that does nothing, as the second page of a modeless sheet made
// the same way, measured when it becomes current.
double FloorMillis(HMODULE hPlugin, double *pInitMs) {
    PROPSHEETPAGEW pages[2] = {};
    for (PROPSHEETPAGEW &page : pages) {
        page.dwSize = sizeof(page);
        page.hInstance = hPlugin;
        page.pszTemplate = MAKEINTRESOURCEW(IDD_TROUBLESHOOTING);
        page.pfnDlgProc = EmptyProc;
    }
    PROPSHEETHEADERW psh = {};
    psh.dwSize = sizeof(psh);
    psh.dwFlags = PSH_MODELESS | PSH_PROPSHEETPAGE;
    psh.pszCaption = L"floor";
    psh.nPages = 2;
    psh.ppsp = pages;
    HWND hSheet = reinterpret_cast<HWND>(PropertySheetW(&psh));
    Pump();
    ArmWatch();
    SendMessageW(hSheet, PSM_SETCURSEL, 1, 0);
    Pump();
    if (g_hWatched != nullptr) UpdateWindow(g_hWatched);
    Pump();
    const double ms = g_tPainted != 0 ? Millis(g_tPainted - g_tInit) : -1;
    if (pInitMs != nullptr) *pInitMs = g_tInitDone != 0 ? Millis(g_tInitDone - g_tInit) : -1;
    DisarmWatch();
    DestroyWindow(hSheet);
    Pump();
    return ms;
}

// The plug-in's page on a fresh sheet: the moment it becomes current.
double PageMillis(oemuihost::PluginHost &host, oemuihost::DriverHelper *pHelper, oemuihost::Report &report,
                  double *pInitMs = nullptr) {
    oemuihost::SessionEnv env;
    env.pPlugin = host.Plugin();
    env.hPlugin = host.Module();
    env.pHelper = pHelper;
    env.pReport = &report;
    oemuihost::Session session(env);
    std::wstring error;
    if (!session.Open(kPrinter, oemuihost::SheetKind::Document, false, &error)) {
        std::wprintf(L"open: %ls\n", error.c_str());
        return -1;
    }
    ArmWatch();
    session.SwitchPage(L"Troubleshooting", &error);
    if (g_hWatched != nullptr) UpdateWindow(g_hWatched);
    Pump();
    const double ms = g_tPainted != 0 ? Millis(g_tPainted - g_tInit) : -1;
    if (pInitMs != nullptr) *pInitMs = g_tInitDone != 0 ? Millis(g_tInitDone - g_tInit) : -1;
    DisarmWatch();
    if (ms < 0) std::wprintf(L"page: %ls, init seen %d\n", error.c_str(), g_tInit != 0);
    session.Close(false);
    return ms;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int wmain() {
    QueryPerformanceFrequency(&g_freq);
    oemuihost::PluginHost host;
    if (!host.Load(oemuihost::ExecutableDirectory() + L"OEMUI.DLL")) {
        std::fwprintf(stderr, L"plug-in: %ls\n", host.Error().c_str());
        return 1;
    }
    oemuihost::Report report;
    auto *pHelper = new oemuihost::DriverHelper(&report);
    host.Publish(pHelper);
    oemuihost::InstalledPrinter installed;
    std::wstring error;
    oemuihost::UninstallModelPrinter(kPrinter, std::wstring());
    if (!oemuihost::InstallModelPrinter(oemuihost::ResolveModelDirectory(L"talix_c500"), kPrinter, L"FILE:",
                                        std::wstring(), &installed, &error)) {
        std::fwprintf(stderr, L"install: %ls\n", error.c_str());
        return 1;
    }

    std::vector<double> floor, page, floorInit, pageInit;
    for (int i = 0; i < kRounds; ++i) {
        double initMs = 0;
        floor.push_back(FloorMillis(host.Module(), &initMs));
        floorInit.push_back(initMs);
        page.push_back(PageMillis(host, pHelper, report, &initMs));
        pageInit.push_back(initMs);
    }
    const double f = Median(floor), p = Median(page);
    std::wprintf(L"Troubleshooting page ready (WM_INITDIALOG to first paint), median of %d, printer on FILE:\n", kRounds);
    std::wprintf(L"  empty procedure (floor): %8.3f ms\n  plug-in page:            %8.3f ms\n  ratio:                   %8.2fx (goal <= 3x)\n",
                 f, p, p / f);
    std::wprintf(L"  of which in WM_INITDIALOG: %.3f ms (floor), %.3f ms (page)\n", Median(floorInit), Median(pageInit));

    // The same printer on a TCP/IP port set up by a host name that does not
    // resolve: the page waits for the resolver before it can paint.
    HANDLE hPrinter = nullptr;
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    OpenPrinterW(const_cast<LPWSTR>(kPrinter), &hPrinter, &defaults);
    DWORD cb = 0;
    GetPrinterW(hPrinter, 2, nullptr, 0, &cb);
    std::vector<BYTE> info(cb);
    if (cb != 0 && GetPrinterW(hPrinter, 2, info.data(), cb, &cb)) {
        auto *pInfo = reinterpret_cast<PRINTER_INFO_2W *>(info.data());
        pInfo->pPortName = const_cast<LPWSTR>(kPort);
        SetPrinterW(hPrinter, 2, info.data(), 0);
    }
    ClosePrinter(hPrinter);
    oemuihost::WriteRegString(HKEY_LOCAL_MACHINE, kPortKey, L"IPAddress", L"");
    oemuihost::WriteRegString(HKEY_LOCAL_MACHINE, kPortKey, L"HostName", L"printer-does-not-exist.invalid");
    std::vector<double> unresolved;
    for (int i = 0; i < 3; ++i) unresolved.push_back(PageMillis(host, pHelper, report));
    const double u = Median(unresolved);
    std::wprintf(L"Same page, port host name does not resolve (median of 3): %8.3f ms (%.1fx the floor)\n", u, u / f);

    oemuihost::DeleteRegTree(HKEY_LOCAL_MACHINE, kPortKey);
    oemuihost::UninstallModelPrinter(kPrinter, installed.driverName);
    host.Unload();
    pHelper->Release();
    return 0;
}
