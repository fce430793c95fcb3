// The sweep's child process: one scenario, one injected failure (or none),
// and a result file the parent reads. A crash or a hang ends the process
// before "done" is written; the parent counts it from the exit.
#include "host/sweep.h"

#include <windows.h>

#include <memory>

#include "common/bounded_format.h"
#include "host/console.h"
#include "host/fault_injection.h"
#include "host/fault_table.h"
#include "host/run_observer.h"
#include "host/scenario.h"
#include "host/scenario_runner.h"
#include "host/stored_state.h"

namespace oemuihost {
namespace {

HANDLE g_hResult = INVALID_HANDLE_VALUE;

void WriteLine(const std::wstring &line) {
    if (g_hResult == INVALID_HANDLE_VALUE) return;
    const std::string utf8 = ToUtf8(line + L"\n");
    DWORD written = 0;
    WriteFile(g_hResult, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

// An exception nothing handled: the plug-in took its host down. Say so and
// end with the exception code (the parent also counts an exit without "done").
LONG WINAPI OnCrash(EXCEPTION_POINTERS *pInfo) {
    const DWORD code = pInfo != nullptr && pInfo->ExceptionRecord != nullptr ? pInfo->ExceptionRecord->ExceptionCode : 0;
    wchar_t sz[32];
    oemui::FormatCchW(sz, 32, L"crash 0x%08lX", code);
    WriteLine(sz);
    TerminateProcess(GetCurrentProcess(), code != 0 ? code : 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

class SweepObserver : public RunObserver {
public:
    explicit SweepObserver(FaultInjection *pInjection) : m_pInjection(pInjection) {}
    void PluginReady(HMODULE hPlugin) override {
        m_pInjection->Attach(hPlugin);
        for (const std::string &name : UnclassifiedImports(hPlugin))
            WriteLine(L"unclassified " + std::wstring(name.begin(), name.end()));
    }
    // The device mode is judged against what the sheet opened with: a
    // session that stored none (Cancel) left it as it opened.
    void Checkpoint(Moment moment, const std::wstring &printer) override {
        StoredState state = SnapshotStoredState(printer);
        const std::vector<unsigned char> stored = StoredDevMode(printer);
        if (moment == Moment::Open) {
            m_storedAtOpen = stored;
            m_opened.clear();
            WriteState(L"checkpoint open", state);
            return;
        }
        for (const auto &f : DevModeState(stored != m_storedAtOpen ? stored : m_opened)) state.insert(f);
        WriteState(moment == Moment::Close ? L"checkpoint close" : L"checkpoint end", state);
    }
    void SheetOpened(const std::vector<unsigned char> &devmode) override {
        m_opened = devmode;
        WriteState(L"checkpoint opened", DevModeState(devmode));
    }

private:
    static void WriteState(const wchar_t *pszHeader, const StoredState &state) {
        WriteLine(pszHeader);
        for (const auto &v : state) WriteLine(L"state\t" + v.first + L"\t" + v.second);
    }

    FaultInjection *m_pInjection;
    std::vector<unsigned char> m_storedAtOpen;
    std::vector<unsigned char> m_opened;
};

struct WindowCount {
    DWORD pid;
    int count;
    std::wstring titles;
};

BOOL CALLBACK CountWindow(HWND hWnd, LPARAM lParam) {
    auto *p = reinterpret_cast<WindowCount *>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hWnd, &pid);
    if (pid != p->pid || !IsWindowVisible(hWnd)) return TRUE;
    wchar_t sz[128] = {};
    GetWindowTextW(hWnd, sz, 128);
    ++p->count;
    p->titles += (p->titles.empty() ? L"\"" : L", \"") + std::wstring(sz) + L"\"";
    return TRUE;
}

}  // namespace

int RunSweepChild(const std::wstring &scenarioPath, const std::wstring &dllPath, const std::wstring &target,
                  const std::wstring &resultPath) {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(&OnCrash);
    g_hResult = CreateFileW(resultPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
    if (g_hResult == INVALID_HANDLE_VALUE) return kExitFailure;
    FaultTarget fault;
    if (target != L"none" && !ParseFaultTarget(target, &fault)) {
        WriteLine(L"error unknown injection " + target);
        return kExitFailure;
    }
    Scenario scenario;
    std::wstring error;
    if (!LoadScenarioFile(scenarioPath, &scenario, &error)) {
        WriteLine(L"error " + error);
        return kExitScenarioError;
    }
    // The module stays loaded until the replacements are gone.
    HMODULE hHold = LoadLibraryW(dllPath.c_str());
    int exitCode = kExitFailure;
    long live = 0, created = 0;
    {
        FaultInjection injection(fault);
        SweepObserver observer(&injection);
        RunOptions options;
        options.dllPath = dllPath;
        options.pObserver = &observer;
        // Under an injected failure a dialog may show other values: the
        // sweep judges the run by what it leaves, not by its expect lines.
        options.expectationsAdvisory = !fault.import.empty();
        Report report;
        exitCode = RunScenario(scenario, options, report);
        for (const ReportEntry &e : report.Entries())
            if (e.kind == L"error") WriteLine(L"report " + std::to_wstring(e.line) + L" " + e.text);
        for (const auto &c : injection.Counts())
            WriteLine(L"calls " + std::wstring(c.first.begin(), c.first.end()) + L" " + std::to_wstring(c.second));
        WriteLine(std::wstring(L"injected ") + (injection.Injected() ? L"1" : L"0"));
        // The module's last reference goes while the replacements are still
        // in place: what it frees as it unloads is booked too.
        if (hHold != nullptr) FreeLibrary(hHold);
        live = injection.LiveGdiObjects();
        created = injection.GdiCreated();
    }
    WindowCount windows{GetCurrentProcessId(), 0, std::wstring()};
    EnumWindows(&CountWindow, reinterpret_cast<LPARAM>(&windows));
    WriteLine(L"gdi " + std::to_wstring(created) + L" " + std::to_wstring(live));
    WriteLine(L"windows " + std::to_wstring(windows.count) + L" " + windows.titles);
    WriteLine(L"exit " + std::to_wstring(exitCode));
    WriteLine(L"done");
    CloseHandle(g_hResult);
    return exitCode;
}

}  // namespace oemuihost
