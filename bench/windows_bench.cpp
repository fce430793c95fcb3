// Opening cost of every window of the plug-in against its floor: the same
// template with an empty procedure, opened the same way (same module, owner
// and activation context), alternated with it in one run. Sheets are the
// emulator's real ones over printers installed from the sample models.
//
//   modal dialogs: from the call that opens them (the push button's callback,
//     the page's button) until the dialog and its controls have painted; each
//     is ended right after, so closing costs are not counted;
//   the Troubleshooting page: from WM_INITDIALOG reaching it until it and its
//     controls have painted, the floor being a page of the same template
//     added to the same sheet.
// A window's own first WM_PAINT draws only its background, before any of its
// controls: the time until then is printed too, as a second figure.
//
// Prints a table of medians and the worst ratio; exits with 1 when a window
// does not open. An argument measures only the windows whose name holds it
// ("page", "About"). Absolute times here are noise: read the ratios.
#include <windows.h>
#include <prsht.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host/printer_install.h"
#include "resources/resource_ids.h"
#include "sheet_support.h"

namespace {

using namespace oemuihost;
using bench::Opening;

constexpr wchar_t kTalix[] = L"Bench Talix C500";
constexpr wchar_t kSecure[] = L"Bench Korvant K45S";
constexpr wchar_t kUnresolvedPort[] = L"OEMUIBENCH:";
constexpr wchar_t kPortKey[] =
    L"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports\\OEMUIBENCH:";
constexpr int kRuns = 101;

struct Row {
    explicit Row(const char *pszRowName) : pszName(pszRowName) {}
    const char *pszName;
    std::vector<double> floor, window, floorInit, windowInit, floorOwn, windowOwn;
};

// Only the windows whose name holds this text (a program argument), or all.
std::string g_only;

bool Wanted(const Row &row) { return g_only.empty() || std::string(row.pszName).find(g_only) != std::string::npos; }

// Keeps one alternated pair; false with a message when either did not paint.
bool Keep(Row &row, const Opening &f, const Opening &w) {
    if (f.dMs < 0 || w.dMs < 0) {
        std::fprintf(stderr, "%s: %s did not open (is there a display? run under xvfb-run)\n", row.pszName,
                     f.dMs < 0 ? "the floor" : "the window");
        return false;
    }
    row.floor.push_back(f.dMs);
    row.window.push_back(w.dMs);
    row.floorInit.push_back(f.dInitMs);
    row.windowInit.push_back(w.dInitMs);
    row.floorOwn.push_back(f.dOwnPaintMs);
    row.windowOwn.push_back(w.dOwnPaintMs);
    return true;
}

// Alternates the two (the order flipped every round), so that load on the
// machine falls on both alike.
template <typename Floor, typename Window>
bool Measure(Row &row, Floor floor, Window window, int runs = kRuns) {
    if (!Wanted(row)) return true;
    for (int i = 0; i < runs; ++i) {
        Opening f, w;
        if (i % 2 == 0) {
            f = floor();
            w = window();
        } else {
            w = window();
            f = floor();
        }
        if (!Keep(row, f, w)) return false;
    }
    return true;
}

auto FloorDialog(HMODULE hPlugin, WORD wTemplate, HWND hOwner) {
    return [=] { return bench::TimeFloorDialog(hPlugin, wTemplate, hOwner); };
}

// Opens the push-button dialogs of a document sheet.
bool MeasureSheetDialogs(bench::PluginEnv &env, const wchar_t *pszPrinter, SheetKind kind,
                         std::vector<std::pair<Row *, WORD>> dialogs, const std::vector<const wchar_t *> &captions) {
    Session session(env.Sessions());
    if (!bench::OpenSheet(session, pszPrinter, kind)) return false;
    const HWND hOwner = PropSheet_GetCurrentPageHwnd(session.SheetWindow());
    bool ok = true;
    for (size_t i = 0; i < dialogs.size() && ok; ++i)
        ok = Measure(*dialogs[i].first, FloorDialog(env.Module(), dialogs[i].second, hOwner),
                     [&session, &captions, i] { return bench::PressButton(session, captions[i]); });
    session.Close(false);
    return ok;
}

// The page's floor: its template with an empty procedure, added to the same
// sheet as a page in the plug-in's activation context.
HPROPSHEETPAGE AddFloorPage(HWND hSheet, HMODULE hPlugin) {
    PROPSHEETPAGEW page = {};
    page.dwSize = sizeof(page);
    page.dwFlags = PSP_USETITLE;
    page.hInstance = hPlugin;
    page.pszTemplate = MAKEINTRESOURCEW(IDD_TROUBLESHOOTING);
    page.pfnDlgProc = bench::EmptyDialogProc;
    page.pszTitle = L"floor";
    const HANDLE hActCtx = bench::PluginActCtx(hPlugin);
    if (hActCtx != INVALID_HANDLE_VALUE) {
        page.dwFlags |= PSP_USEFUSIONCONTEXT;
        page.hActCtx = hActCtx;
    }
    const HPROPSHEETPAGE hPage = CreatePropertySheetPageW(&page);
    SendMessageW(hSheet, PSM_ADDPAGE, 0, reinterpret_cast<LPARAM>(hPage));
    return hPage;
}

// A page is made once per sheet: each round opens a fresh sheet.
bool MeasurePage(bench::PluginEnv &env, Row &row, int runs) {
    if (!Wanted(row)) return true;
    for (int i = 0; i < runs; ++i) {
        Session session(env.Sessions());
        if (!bench::OpenSheet(session, kTalix, SheetKind::Document)) return false;
        const int index = bench::PageIndex(session, L"Troubleshooting");
        const HPROPSHEETPAGE hFloor = AddFloorPage(session.SheetWindow(), env.Module());
        bench::Pump();
        const HWND hSheet = session.SheetWindow();
        Opening f = {-1, -1, -1}, w = {-1, -1, -1};
        if (index >= 0 && i % 2 == 0) {
            f = bench::TimePage(hSheet, -1, hFloor);
            w = bench::TimePage(hSheet, index, nullptr);
        } else if (index >= 0) {
            w = bench::TimePage(hSheet, index, nullptr);
            f = bench::TimePage(hSheet, -1, hFloor);
        }
        session.Close(false);
        if (index < 0) std::fprintf(stderr, "the sheet has no Troubleshooting page\n");
        if (!Keep(row, f, w)) return false;
    }
    return true;
}

// The About box and the alert settings, opened from the page's buttons.
bool MeasurePageDialogs(bench::PluginEnv &env, Row &alerts, Row &about) {
    Session session(env.Sessions());
    std::wstring error;
    if (!bench::OpenSheet(session, kTalix, SheetKind::Document)) return false;
    if (!session.SwitchPage(L"Troubleshooting", &error)) {
        std::fprintf(stderr, "page: %ls\n", error.c_str());
        return false;
    }
    const HWND hPage = PropSheet_GetCurrentPageHwnd(session.SheetWindow());
    auto click = [hPage](int id) {
        return [hPage, id] {
            return bench::TimeModal([&] {
                SendMessageW(hPage, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(hPage, id)));
            });
        };
    };
    const HMODULE hPlugin = env.Module();
    const bool ok = Measure(alerts, FloorDialog(hPlugin, IDD_OUTRIDER_SETTINGS, hPage), click(IDC_TS_OUTRIDER_SETTINGS)) &&
                    Measure(about, FloorDialog(hPlugin, IDD_ABOUT, hPage), click(IDC_TS_ABOUT));
    session.Close(false);
    return ok;
}

// The same page with the printer on a TCP/IP port whose host name does not
// resolve: the page waits for the resolver (at most a second) before it can
// paint. Five openings.
double UnresolvedPageMs(bench::PluginEnv &env) {
    HANDLE hPrinter = nullptr;
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    OpenPrinterW(const_cast<LPWSTR>(kTalix), &hPrinter, &defaults);
    DWORD cb = 0;
    GetPrinterW(hPrinter, 2, nullptr, 0, &cb);
    std::vector<BYTE> info(cb);
    if (cb != 0 && GetPrinterW(hPrinter, 2, info.data(), cb, &cb)) {
        reinterpret_cast<PRINTER_INFO_2W *>(info.data())->pPortName = const_cast<LPWSTR>(kUnresolvedPort);
        SetPrinterW(hPrinter, 2, info.data(), 0);
    }
    ClosePrinter(hPrinter);
    WriteRegString(HKEY_LOCAL_MACHINE, kPortKey, L"IPAddress", L"");
    WriteRegString(HKEY_LOCAL_MACHINE, kPortKey, L"HostName", L"printer-does-not-exist.invalid");
    Row row("page, unresolved host name");
    const bool ok = MeasurePage(env, row, 5);
    DeleteRegTree(HKEY_LOCAL_MACHINE, kPortKey);
    return ok ? bench::Median(row.window) : -1;
}

// The Talix C500's hard disk as installed, so that Print and Hold is offered.
bool InstallHardDisk(bench::PluginEnv &env) {
    Session session(env.Sessions());
    std::wstring error;
    if (!bench::OpenSheet(session, kTalix, SheetKind::Device)) return false;
    if (!session.Select(L"Option4", L"True", &error)) {
        std::fprintf(stderr, "hard disk: %ls\n", error.c_str());
        return false;
    }
    session.Close(true);
    return true;
}

int Run(bench::PluginEnv &env) {
    Row copies("Copies Setting"), hold("Print and Hold"), secure("Print and Hold, secure print"),
        accounting("Job Accounting"), alerts("Alert settings"), about("About"), page("Troubleshooting page");
    const HMODULE hPlugin = env.Module();
    if (!bench::InstallPrinter(L"talix_c500", kTalix) || !bench::InstallPrinter(L"korvant_k45s", kSecure) || !InstallHardDisk(env)) return 1;
    // The first openings load the common controls, fonts and model files.
    if (!MeasureSheetDialogs(env, kTalix, SheetKind::Device, {{&accounting, IDD_JOB_ACCOUNTING}}, {L"Job Accounting"}) ||
        !MeasureSheetDialogs(env, kTalix, SheetKind::Document,
                             {{&copies, IDD_COPIES_SETTING}, {&hold, IDD_PRINT_AND_HOLD}},
                             {L"Copies Setting", L"Print and Hold"}) ||
        !MeasureSheetDialogs(env, kSecure, SheetKind::Document, {{&secure, IDD_PRINT_AND_HOLD}}, {L"Print and Hold"}) ||
        !MeasurePageDialogs(env, alerts, about) || !MeasurePage(env, page, kRuns))
        return 1;

    std::printf("%-30s %9s %9s %7s   %-23s %s\n", "window", "floor ms", "window ms", "ratio",
                "own WM_PAINT only", "WM_INITDIALOG ms");
    const Row *pWorst = nullptr;
    double worst = 0;
    for (const Row *pRow : {&copies, &hold, &secure, &accounting, &alerts, &about, &page}) {
        if (pRow->window.empty()) continue;
        const double f = bench::Median(pRow->floor), w = bench::Median(pRow->window);
        const double fOwn = bench::Median(pRow->floorOwn), wOwn = bench::Median(pRow->windowOwn);
        std::printf("%-30s %9.3f %9.3f %6.2fx   %6.3f %6.3f %6.2fx   %6.3f\n", pRow->pszName, f, w, w / f, fOwn, wOwn,
                    wOwn / fOwn, bench::Median(pRow->windowInit));
        if (w / f > worst) {
            worst = w / f;
            pWorst = pRow;
        }
    }
    std::printf("medians of %d openings; dialogs from the call that opens them, the page from WM_INITDIALOG, until\n"
                "the window and its controls have painted (own WM_PAINT only: until the window's first WM_PAINT,\n"
                "which draws its background before any control)\n",
                kRuns);
    if (!page.window.empty()) {
        const double unresolved = UnresolvedPageMs(env);
        std::printf("page, port host name does not resolve (median of 5): %.3f ms (on FILE: %.3f ms; the resolver "
                    "is waited for at most 1 s)\n",
                    unresolved, bench::Median(page.window));
    }
    bench::PrintPluginSize(hPlugin);
    if (pWorst == nullptr) {
        std::fprintf(stderr, "no window is named \"%s\"\n", g_only.c_str());
        return 1;
    }
    std::printf("worst ratio %.2f (%s)\n", worst, pWorst->pszName);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t **argv) {
    for (const wchar_t *p = argc > 1 ? argv[1] : L""; *p != L'\0'; ++p) g_only += static_cast<char>(*p);
    bench::PluginEnv env;
    if (!env.Load()) return 1;
    const int rc = Run(env);
    bench::UninstallPrinter(kTalix);
    bench::UninstallPrinter(kSecure);
    return rc;
}
