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

// "MODULE+0xOFFSET" for a code address, or the bare address.
std::wstring CodePlace(DWORD64 address) {
    HMODULE hModule = nullptr;
    wchar_t sz[MAX_PATH] = {};
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(address), &hModule) ||
        GetModuleFileNameW(hModule, sz, MAX_PATH) == 0) {
        oemui::FormatCchW(sz, MAX_PATH, L"0x%llX", static_cast<unsigned long long>(address));
        return sz;
    }
    const wchar_t *pszName = wcsrchr(sz, L'\\');
    std::wstring place = pszName != nullptr ? pszName + 1 : sz;
    wchar_t szOffset[32];
    oemui::FormatCchW(szOffset, 32, L"+0x%llX",
                      static_cast<unsigned long long>(address - reinterpret_cast<DWORD64>(hModule)));
    return place + szOffset;
}

// The faulting place and the frames above it, unwound from the fault's own
// context (the filter runs on the dispatcher's frames, not the fault's).
std::wstring FaultStack(const CONTEXT &fault) {
    CONTEXT context = fault;
    std::wstring stack;
    for (int frame = 0; frame < 12 && context.Rip != 0; ++frame) {
        stack += (frame == 0 ? L" at " : frame == 1 ? L" from " : L" < ") + CodePlace(context.Rip);
        DWORD64 imageBase = 0;
        PRUNTIME_FUNCTION pFunction = RtlLookupFunctionEntry(context.Rip, &imageBase, nullptr);
        if (pFunction == nullptr) {
            // A leaf function: the return address is on top of the stack.
            context.Rip = *reinterpret_cast<DWORD64 *>(context.Rsp);
            context.Rsp += 8;
            continue;
        }
        void *pHandlerData = nullptr;
        DWORD64 establisher = 0;
        RtlVirtualUnwind(UNW_FLAG_NHANDLER, imageBase, context.Rip, pFunction, &context, &pHandlerData, &establisher,
                         nullptr);
    }
    return stack;
}

// An exception nothing handled: the plug-in took its host down. Say so, and
// where, and end with the exception code (the parent also counts an exit
// without "done").
LONG WINAPI OnCrash(EXCEPTION_POINTERS *pInfo) {
    const DWORD code = pInfo != nullptr && pInfo->ExceptionRecord != nullptr ? pInfo->ExceptionRecord->ExceptionCode : 0;
    wchar_t sz[32];
    oemui::FormatCchW(sz, 32, L"crash 0x%08lX", code);
    std::wstring line = sz;
    if (pInfo != nullptr && pInfo->ContextRecord != nullptr) line += FaultStack(*pInfo->ContextRecord);
    WriteLine(line);
    TerminateProcess(GetCurrentProcess(), code != 0 ? code : 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

class SweepObserver : public RunObserver {
public:
    // bRecordSteps: the uninjected run books the state after every step.
    SweepObserver(FaultInjection *pInjection, bool bRecordSteps)
        : m_pInjection(pInjection), m_bRecordSteps(bRecordSteps) {}
    void PluginLoaded(HMODULE) override { m_pInjection->Detach(); }
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

    // What a seed step changed is written as the session's starting state.
    void Seeding(bool bDone, const std::wstring &printer, const std::vector<unsigned char> &sheetDevmode) override {
        StoredState state = StateNow(printer, sheetDevmode);
        if (bDone) WriteChanges(L"checkpoint seeded", m_beforeSeed, state);
        m_beforeSeed = std::move(state);
    }
    // What the session would keep after each step: the printer's state and
    // the open sheet's device mode (else the stored one).
    void StepDone(const std::wstring &printer, const std::vector<unsigned char> &sheetDevmode) override {
        if (!m_bRecordSteps) return;
        StoredState state = StateNow(printer, sheetDevmode);
        WriteChanges(L"checkpoint step", m_lastStep, state);
        m_lastStep = std::move(state);
    }

private:
    static void WriteState(const wchar_t *pszHeader, const StoredState &state) {
        WriteLine(pszHeader);
        for (const auto &v : state) WriteLine(L"state\t" + v.first + L"\t" + v.second);
    }
    static StoredState StateNow(const std::wstring &printer, const std::vector<unsigned char> &sheetDevmode) {
        StoredState state = SnapshotStoredState(printer);
        for (const auto &f : DevModeState(sheetDevmode.empty() ? StoredDevMode(printer) : sheetDevmode))
            state.insert(f);
        return state;
    }
    // The values that are new or other in `now`, and "unset" for those gone.
    static void WriteChanges(const wchar_t *pszHeader, const StoredState &was, const StoredState &now) {
        WriteLine(pszHeader);
        for (const auto &v : now) {
            const auto it = was.find(v.first);
            if (it == was.end() || it->second != v.second) WriteLine(L"state\t" + v.first + L"\t" + v.second);
        }
        for (const auto &v : was)
            if (now.find(v.first) == now.end()) WriteLine(L"unset\t" + v.first);
    }

    FaultInjection *m_pInjection;
    std::vector<unsigned char> m_storedAtOpen;
    std::vector<unsigned char> m_opened;
    bool m_bRecordSteps;
    StoredState m_beforeSeed;
    StoredState m_lastStep;
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
        // From the first call the core makes (class factory, instance) until
        // the emulator puts its own replacements in; attached again after.
        if (hHold != nullptr) injection.Attach(hHold);
        SweepObserver observer(&injection, fault.import.empty());
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
