// Opening cost of the Copies Setting dialog: time from the call that opens
// it to the end of its WM_INITDIALOG, against the same template opened with
// an empty dialog procedure (the floor), measured in one run. The dialog is
// ended as soon as WM_INITDIALOG returns, so it is never shown. Prints the
// ratio; absolute times here are noise.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "dialogs/push_buttons.h"
#include "module/module_state.h"
#include "resources/resource_ids.h"
#include "settings/model_config.h"

namespace {

LARGE_INTEGER g_end;
HHOOK g_hook = nullptr;

// Ends every dialog the moment its WM_INITDIALOG has been handled.
LRESULT CALLBACK AfterInitDialog(int code, WPARAM wParam, LPARAM lParam) {
    const auto *pMsg = reinterpret_cast<const CWPRETSTRUCT *>(lParam);
    if (code == HC_ACTION && pMsg->message == WM_INITDIALOG) {
        QueryPerformanceCounter(&g_end);
        EndDialog(pMsg->hwnd, IDCANCEL);
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

INT_PTR CALLBACK EmptyDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

template <typename Fn>
double Micros(Fn open) {
    LARGE_INTEGER freq, start;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&start);
    open();
    return double(g_end.QuadPart - start.QuadPart) * 1e6 / double(freq.QuadPart);
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main() {
    using namespace oemui;
    HINSTANCE hInstance = GetModuleHandleW(nullptr);
    SetModuleInstance(hInstance);
    g_hook = SetWindowsHookExW(WH_CALLWNDPROCRET, AfterInitDialog, nullptr, GetCurrentThreadId());

    DEVMODEW dm = {};
    dm.dmSize = sizeof(dm);
    dm.dmCopies = 5;
    dm.dmColor = DMCOLOR_COLOR;
    dm.dmCollate = DMCOLLATE_TRUE;
    OEMUIPSPARAM ps = {};
    ps.cbSize = sizeof(ps);
    ps.pPublicDM = &dm;
    ProfileReader dat;
    dat.SetPath(OEMUI_SAMPLE_STRING_TABLE);
    ModelConfig config = {};
    config.pPsParam = &ps;
    config.pDat = &dat;
    config.lGrayCopiesWork = 2;
    OPTITEM item = {};
    item.cbSize = sizeof(item);
    item.UserData = reinterpret_cast<ULONG_PTR>(&config);
    CPSUICBPARAM cb = {};
    cb.cbSize = sizeof(cb);
    cb.Reason = CPSUICB_REASON_PUSHBUTTON;
    cb.pCurItem = &item;

    const int runs = 200;
    auto floor = [&] { DialogBoxParamW(hInstance, MAKEINTRESOURCEW(IDD_COPIES_SETTING), nullptr, EmptyDialogProc, 0); };
    auto copies = [&] { CopiesButtonCallback(&cb); };
    // The first opening loads the common controls and the font. Without a
    // display no dialog opens and there is nothing to measure.
    g_end.QuadPart = 0;
    floor();
    if (g_end.QuadPart == 0) {
        std::fprintf(stderr, "no dialog could be opened (is there a display? run under xvfb-run)\n");
        return 1;
    }
    copies();
    // Alternated, so that load on the machine falls on both alike.
    std::vector<double> floorTimes, copiesTimes;
    for (int i = 0; i < runs; ++i) {
        floorTimes.push_back(Micros(floor));
        copiesTimes.push_back(Micros(copies));
    }
    const double floorUs = Median(floorTimes);
    const double copiesUs = Median(copiesTimes);
    UnhookWindowsHookEx(g_hook);

    std::printf("template 3042, empty dialog procedure : %8.1f us to end of WM_INITDIALOG (floor, median of %d)\n",
                floorUs, runs);
    std::printf("Copies Setting, Talix C500 texts       : %8.1f us  ratio %.2fx (goal <= 2x)\n", copiesUs,
                copiesUs / floorUs);
    return 0;
}
