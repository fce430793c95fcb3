// A scenario run: the plug-in loaded and its helper published, the steps
// played in order (inside a modal dialog while one is open), every step
// kind dispatched to its handler from one table, and everything the run
// changed undone at the end.
#include "host/scenario_runner.h"

#include "host/expectations.h"
#include "host/run_observer.h"
#include "host/scenario_runner_impl.h"
#include "host/word_match.h"

namespace oemuihost {

int ScenarioRunner::Run(const Scenario &scenario) {
    if (!ChooseRunPlugin(scenario)) {
        Cleanup();
        return kExitFailure;
    }
    if (!m_dllPath.empty() && !LoadPlugin()) {
        Cleanup();
        return kExitFailure;
    }
    // The core's helper serves its own page even without a plug-in.
    if (m_pHelper == nullptr) m_pHelper = new DriverHelper(&m_report);
    if (m_options.pObserver != nullptr && m_host.Module() != nullptr) m_options.pObserver->PluginReady(m_host.Module());
    m_pSteps = &scenario.steps;
    m_next = 0;
    m_failed = false;
    m_watcher.Start(&ScenarioRunner::OnDialog, this, &OpenSheetWindow);
    RunSteps();
    m_watcher.Stop();
    m_report.SetLine(0);
    Cleanup();
    return m_failed ? kExitScenarioError : kExitOk;
}

// The plug-in loaded and published, its imports replaced so the run sees
// and answers its message boxes, help, shell and print jobs.
bool ScenarioRunner::LoadPlugin() {
    if (!m_host.Load(m_dllPath)) {
        m_report.Add(L"error", L"the plug-in cannot be loaded: " + m_host.Error());
        return false;
    }
    if (m_options.pObserver != nullptr) m_options.pObserver->PluginLoaded(m_host.Module());
    m_report.Add(L"call", L"DllGetClassObject, CreateInstance(IPrintOemUI) -> S_OK");
    SetActiveCallLog(&m_log);
    m_effects.reset(new SideEffects(m_host.Module(), &m_log, HelpStandInPath()));
    if (!m_effects->HelpProblem().empty()) m_report.Add(L"warning", m_effects->HelpProblem() + L"; HTML Help calls are not recorded");
    // Every document the plug-in ends is a "job" call with the bytes the port received.
    m_jobs.reset(new JobCapture(m_host.Module(), [this](const CapturedDocument &doc) {
        m_log.Add(L"job", {doc.name, doc.dataType, std::to_wstring(doc.bytes.size()),
                           HexBytes(doc.bytes.data(), doc.bytes.size()), ReadableBytes(doc.bytes)});
    }));
    m_pHelper = new DriverHelper(&m_report);
    SetLastError(0);
    const HRESULT hr = m_host.Publish(m_pHelper);
    m_report.AddCall(L"PublishDriverInterface(helper)", hr, GetLastError());
    m_answers.reset(new ScriptedAnswers(m_host.Module(), &m_report));
    if (!m_answers->Patched())
        m_report.Add(L"warning", L"the plug-in does not import MessageBoxW; message boxes cannot be answered");
    m_answers->SetLive(true);
    return true;
}

void ScenarioRunner::Fail(int line, const std::wstring &error) {
    m_report.Add(L"error", L"line " + std::to_wstring(line) + L": " + error);
    m_failed = true;
}

namespace {

// "%PRINTER%" in a step's words stands for the printer the run works on, so
// that a scenario played on a temporary printer or on one named with
// --printer checks the same per-printer keys.
ScenarioStep WithPrinterName(const ScenarioStep &step, const std::wstring &printer) {
    static const std::wstring kToken = L"%PRINTER%";
    ScenarioStep expanded = step;
    for (std::wstring &arg : expanded.args) {
        for (size_t at = arg.find(kToken); at != std::wstring::npos; at = arg.find(kToken, at + printer.size()))
            arg.replace(at, kToken.size(), printer);
    }
    return expanded;
}

}  // namespace

void ScenarioRunner::RunSteps() {
    const size_t depth = m_watcher.Stack().size();
    const std::vector<ScenarioStep> &steps = *m_pSteps;
    while (!m_failed && m_next < steps.size()) {
        const ScenarioStep &step = steps[m_next];
        if (depth > 0 && (!DialogAlive(m_watcher.Current()) || IsSheetStep(step.kind))) return;
        ++m_next;
        m_report.SetLine(step.line);
        m_report.Add(L"step", step.text);
        std::wstring error;
        const bool ok = Step(WithPrinterName(step, m_printer), &error);
        if (m_options.pObserver != nullptr && !m_printer.empty())
            m_options.pObserver->StepDone(m_printer, SheetDevMode());
        if (m_failed) return;  // a dialog this step opened failed and said why
        const int unanswered = m_answers ? m_answers->TakeUnanswered() : 0;
        if (ok && unanswered > 0)
            error = std::to_wstring(unanswered) + L" message box(es) of the plug-in had no fitting answer";
        if (!ok || unanswered > 0) {
            Fail(step.line, error);
            return;
        }
        if (depth > 0 && !DialogAlive(m_watcher.Current())) return;
    }
}


StepContext ScenarioRunner::Context() const {
    StepContext ctx;
    ctx.pReport = &m_report;
    const bool open = m_session && m_session->IsOpen();
    ctx.pSession = open ? m_session.get() : nullptr;
    ctx.hSheet = open ? m_session->SheetWindow() : nullptr;
    ctx.hDialog = m_watcher.Current();
    ctx.pLastDevMode = &m_lastDevMode;
    ctx.printer = m_printer;
    ctx.pLog = &m_log;
    return ctx;
}

bool ScenarioRunner::NeedPlugin(std::wstring *pError) const {
    if (m_host.Plugin() != nullptr) return true;
    *pError = L"the printer's driver names no UI plug-in: nothing to answer or patch";
    return false;
}

bool ScenarioRunner::NeedSession(std::wstring *pError) const {
    if (m_session && m_session->IsOpen()) return true;
    *pError = L"no sheet is open (use open preferences|properties first)";
    return false;
}

bool ScenarioRunner::Step(const ScenarioStep &step, std::wstring *pError) {
    const std::vector<std::wstring> &a = step.args;
    switch (step.kind) {
    case StepKind::Model:
    case StepKind::Printer:
        return UsePrinter(step, pError);
    case StepKind::Open:
        return OpenSheet(a[0], a.size() > 1, pError);
    case StepKind::Select:
        return NeedSession(pError) && m_session->Select(a[0], a[1], pError);
    case StepKind::Press:
        return NeedSession(pError) && m_session->Press(a[0], pError);
    case StepKind::Answer:
        if (!NeedPlugin(pError)) return false;
        if (a.size() == 2 && lstrcmpiW(a[0].c_str(), L"shell") == 0)
            m_effects->QueueShellResult(_wtoi(a[1].c_str()));
        else if (a.size() == 2)
            m_answers->QueueDialog(AnswerId(a[1]));
        else
            m_answers->QueueMessageBox(AnswerId(a[0]));
        return true;
    case StepKind::Page:
        return NeedSession(pError) && m_session->SwitchPage(a[0], pError);
    case StepKind::Apply:
        return NeedSession(pError) && m_session->Apply(pError);
    case StepKind::Close:
        if (!NeedSession(pError)) return false;
        CloseSession(a.empty() || Is(a[0], L"ok"));
        return true;
    case StepKind::Network:
        return SetNetworkAnswer(a[0], a[1], pError);
    case StepKind::Dump:
        return Dump(a[0], pError);
    case StepKind::Dialog:
        return WaitForDialog(step, pError);
    case StepKind::Set: case StepKind::Type: case StepKind::Key: case StepKind::Paste: case StepKind::Click:
    case StepKind::Choose: case StepKind::DateTime: case StepKind::Action:
        return DialogStep(step, pError);
    case StepKind::Expect:
        if (!CheckExpectation(a, Context(), pError)) {
            if (!m_options.expectationsAdvisory) return false;
            m_report.Add(L"warning", L"does not hold: " + *pError);
            return true;
        }
        m_report.Add(L"expect", L"holds");
        return true;
    case StepKind::Screenshot:
        return Screenshot(a[0], pError);
    case StepKind::Seed: {
        SeedingSeen(false);
        const bool bSeeded = m_seeding.Seed(a, Context(), pError);
        SeedingSeen(true);
        return bSeeded;
    }
    case StepKind::Language: {
        if (!NeedPlugin(pError)) return false;
        const bool system = lstrcmpiW(a[0].c_str(), L"system") == 0;
        m_effects->SetLanguage(system, ParseLangId(a[1]));
        m_report.Add(L"sheet", std::wstring(system ? L"system" : L"user") + L" language is now " +
                                   Hex32(ParseLangId(a[1])).substr(6));
        return true;
    }
    case StepKind::TcpPort:
        return m_seeding.TcpPort(a[0], a[1], a[2], pError);
    case StepKind::NetLib:
        return m_seeding.NetLib(a[0], pError);
    }
    return false;
}

void ScenarioRunner::Cleanup() {
    if (m_session && m_session->IsOpen()) {
        m_report.Add(L"warning", L"the scenario ended with a sheet open; it is closed with Cancel");
        CloseSession(false);
    }
    if (m_options.pObserver != nullptr && !m_printer.empty())
        m_options.pObserver->Checkpoint(RunObserver::Moment::End, m_printer);
    m_jobs.reset();
    if (m_answers) {
        if (m_answers->PendingBoxes() || m_answers->PendingDialogs())
            m_report.Add(L"warning", std::to_wstring(m_answers->PendingBoxes() + m_answers->PendingDialogs()) +
                                         L" scripted answers were never used");
        m_answers->SetLive(false);
    }
    // Removing a temporary printer deletes its driver: the core tells the plug-in.
    if (m_host.Plugin() != nullptr && !m_options.keepPrinters) {
        for (const InstalledPrinter &p : m_temporary) {
            DRIVER_INFO_3W info = {};
            info.cVersion = 3;
            info.pName = const_cast<LPWSTR>(p.driverName.c_str());
            SetLastError(0);
            const HRESULT hr = m_host.Plugin()->DriverEvent(DRIVER_EVENT_DELETE, 3, reinterpret_cast<LPBYTE>(&info), 0);
            m_report.AddCall(L"DriverEvent(DRIVER_EVENT_DELETE, \"" + p.driverName + L"\")", hr, GetLastError());
            // The per-user key is named after the printer, the removal after
            // the driver: say what stayed, then clear it for the next run.
            const std::wstring key = kUserKeyPrefix + p.printerName;
            std::wstring unused;
            if (p.printerName != p.driverName && ReadRegString(HKEY_CURRENT_USER, key, L"DrvCntCode", &unused)) {
                m_report.Add(L"warning", L"HKCU\\" + key + L" outlives the driver-deleted event (it removes the key named "
                                         L"after the driver); the emulator removes it");
                DeleteRegTree(HKEY_CURRENT_USER, key);
            }
        }
    }
    // The import replacements go before the module may be unloaded.
    m_answers.reset();
    m_effects.reset();
    SetActiveCallLog(nullptr);
    if (m_host.Plugin() != nullptr) {
        const HRESULT hrUnload = m_host.Unload();
        m_report.Add(L"call", L"DllCanUnloadNow after release -> " + Hex32(static_cast<unsigned long>(hrUnload)) +
                                  (hrUnload == S_OK ? L" S_OK" : L" (the module is still in use)"));
    }
    if (m_pHelper != nullptr) {
        if (m_pHelper->RefCount() != 1)
            m_report.Add(L"warning", L"the plug-in still holds " + std::to_wstring(m_pHelper->RefCount() - 1) +
                                         L" reference(s) to the driver helper");
        m_pHelper->Release();
        m_pHelper = nullptr;
    }
    m_seeding.Undo();
    for (const std::wstring &port : m_networkPorts)
        WritePrivateProfileStringW(port.c_str(), nullptr, nullptr, m_networkIni.c_str());
    m_networkPorts.clear();
    if (m_options.keepPrinters) return;
    for (const InstalledPrinter &p : m_temporary) {
        UninstallModelPrinter(p.printerName, p.driverName);
        DeleteStoredDevMode(p.printerName);
        m_report.Add(L"sheet", L"removed \"" + p.printerName + L"\"");
    }
    m_temporary.clear();
}

int RunScenario(const Scenario &scenario, const RunOptions &options, Report &report) {
    ScenarioRunner runner(options, report);
    return runner.Run(scenario);
}

}  // namespace oemuihost
