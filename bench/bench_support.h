// What the benchmark programs share: a clock, medians, a watch that times a
// window from its creation to its first paint without staying hooked, the
// floor dialogs (the plug-in's own templates with an empty procedure, in the
// plug-in's activation context) and the size of the built plug-in.
#pragma once

#include <windows.h>
#include <prsht.h>

#include <string>
#include <vector>

namespace bench {

// Milliseconds on the performance counter.
double NowMs();
double Median(std::vector<double> values);

// Dispatches whatever is queued on this thread.
void Pump();

// Times the next dialog window created on this thread. A WH_CBT hook catches
// it at HCBT_CREATEWND, subclasses it and is removed at once: a hook that
// stayed would be called for every message the window handles, and under
// Wine each call is a round trip to the server, so the figures would mostly
// count the hook. One watch at a time.
// bChild: watch the next child dialog (a property page), else the next
// top-level one (a modal dialog), which is ended with IDCANCEL as soon as it
// has painted.
void ArmWatch(bool bChild);
// Takes the hook away if no window was caught.
void DisarmWatch();

// What the watch saw, in NowMs() milliseconds; 0 where it saw nothing.
struct WatchTimes {
    HWND hWnd;
    double dInitStart;  // WM_INITDIALOG reached the window
    double dInitDone;   // WM_INITDIALOG returned
    double dOwnPainted; // its first WM_PAINT (the background) returned
    double dPainted;    // ... and every control with something to draw has drawn it
};
WatchTimes Watched();

// One opening: its time until it and its controls have painted (-1 when
// nothing painted), how much of it the window spent in WM_INITDIALOG, and
// its time until its own first WM_PAINT (background only) had returned.
struct Opening {
    double dMs;
    double dInitMs;
    double dOwnPaintMs;
};

// Times fnOpen, which opens a modal dialog on this thread and returns when
// it has ended, from the call to the dialog's first paint.
template <typename Fn>
Opening TimeModal(Fn fnOpen) {
    ArmWatch(false);
    const double t0 = NowMs();
    fnOpen();
    DisarmWatch();
    Pump();
    const WatchTimes w = Watched();
    if (w.dPainted == 0) return {-1, -1, -1};
    return {w.dPainted - t0, w.dInitDone - w.dInitStart, w.dOwnPainted - t0};
}

// Makes a page of the sheet current (by index, or by handle when hPage is
// given) and times it from WM_INITDIALOG reaching it until it has painted:
// what the page itself adds to what the sheet does anyway.
Opening TimePage(HWND hSheet, int index, HPROPSHEETPAGE hPage);

// The plug-in's activation context (its manifest, resource 2): the floors
// open their templates inside it, as the plug-in opens its own.
HANDLE PluginActCtx(HMODULE hPlugin);

// The floor of a modal dialog: hPlugin's template with an empty procedure,
// owned by hOwner, opened inside the plug-in's activation context.
Opening TimeFloorDialog(HMODULE hPlugin, WORD wTemplate, HWND hOwner);

// The empty procedure of every floor.
INT_PTR CALLBACK EmptyDialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);

// Size of a file in bytes, 0 when it cannot be read.
ULONGLONG FileBytes(const std::wstring &path);

// The size of the loaded plug-in's file against its goal, and the DLLs its
// import table names.
void PrintPluginSize(HMODULE hPlugin);

}  // namespace bench
