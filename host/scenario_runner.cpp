#include "host/scenario_runner.h"

#include <memory>
#include <vector>

#include <prsht.h>

#include "host/dialog_driver.h"
#include "host/driver_helper.h"
#include "host/dumps.h"
#include "host/expectations.h"
#include "host/job_capture.h"
#include "host/plugin_host.h"
#include "host/printer_install.h"
#include "host/screenshot.h"
#include "host/scripted_answers.h"
#include "host/seeding.h"
#include "host/session.h"
#include "host/side_effects.h"

namespace oemuihost {
namespace {

bool Is(const std::wstring &a, const wchar_t *b) { return lstrcmpiW(a.c_str(), b) == 0; }

// The plug-in's per-user key of a printer (its string-table language).
constexpr wchar_t kUserKeyPrefix[] = L"Software\\Qvprint\\";

// How long a "dialog" step waits for a dialog that has not opened yet.
constexpr DWORD kDialogWaitMs = 3000;

class ScenarioRunner {
public:
    ScenarioRunner(const RunOptions &options, Report &report)
        : m_options(options), m_report(report), m_log(&report), m_seeding(options.dllPath) {}
    int Run(const Scenario &scenario);

private:
    // Steps from m_next on: all of them at the outermost level; inside a
    // dialog until it ends or a step needs the sheet.
    void RunSteps();
    static void OnDialog(void *pContext, HWND hDlg);
    void DriveDialog(HWND hDlg);
    void Fail(int line, const std::wstring &error);
    bool Step(const ScenarioStep &step, std::wstring *pError);
    bool DialogStep(const ScenarioStep &step, std::wstring *pError);
    bool WaitForDialog(const ScenarioStep &step, std::wstring *pError);
    bool Screenshot(const std::wstring &path, std::wstring *pError);
    StepContext Context() const;
    bool NeedSession(std::wstring *pError) const;
    bool Dump(const std::wstring &what, std::wstring *pError);
    bool InstallModel(const std::vector<std::wstring> &args, std::wstring *pError);
    bool SetNetworkAnswer(const std::wstring &key, const std::wstring &value, std::wstring *pError);
    void CloseSession(bool ok);
    void Cleanup();

    const RunOptions &m_options;
    Report &m_report;
    PluginHost m_host;
    DriverHelper *m_pHelper = nullptr;
    CallLog m_log;
    std::unique_ptr<ScriptedAnswers> m_answers;
    std::unique_ptr<SideEffects> m_effects;
    std::unique_ptr<JobCapture> m_jobs;
    Seeding m_seeding;
    std::unique_ptr<Session> m_session;
    std::wstring m_printer;
    std::vector<InstalledPrinter> m_temporary;
    DriverDevMode m_lastDevMode;
    size_t m_callsShown = 0;
    std::wstring m_networkIni;                 // the stand-in library's configuration
    std::vector<std::wstring> m_networkPorts;  // sections this run wrote

    const std::vector<ScenarioStep> *m_pSteps = nullptr;
    size_t m_next = 0;
    bool m_failed = false;
    DialogWatcher m_watcher;
    size_t m_waitStep = SIZE_MAX;  // a "dialog" step waiting for its dialog
    bool m_waitMet = false;
};

int ScenarioRunner::Run(const Scenario &scenario) {
    if (!m_host.Load(m_options.dllPath)) {
        m_report.Add(L"error", L"the plug-in cannot be loaded: " + m_host.Error());
        return kExitFailure;
    }
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
        if (m_failed) return;  // a dialog this step opened failed and said why
        const int unanswered = m_answers->TakeUnanswered();
        if (ok && unanswered > 0)
            error = std::to_wstring(unanswered) + L" message box(es) of the plug-in had no fitting answer";
        if (!ok || unanswered > 0) {
            Fail(step.line, error);
            return;
        }
        if (depth > 0 && !DialogAlive(m_watcher.Current())) return;
    }
}

void ScenarioRunner::OnDialog(void *pContext, HWND hDlg) { static_cast<ScenarioRunner *>(pContext)->DriveDialog(hDlg); }

// Runs inside the dialog's modal loop: the scenario's next steps drive it.
void ScenarioRunner::DriveDialog(HWND hDlg) {
    const int line = m_report.Line();
    const std::wstring title = WindowText(hDlg);
    if (m_failed) {
        m_report.Add(L"dialog", L"\"" + title + L"\" opened after the failure; closed with " +
                                    AnswerName(CloseSafely(hDlg)));
        return;
    }
    int id = 0;
    if (m_answers->TakeDialogAnswer(&id)) {
        m_report.Add(L"dialog", L"\"" + title + L"\" -> " + AnswerName(id));
        SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(hDlg, id)));
        if (DialogAlive(hDlg)) EndDialog(hDlg, id);
        return;
    }
    m_report.Add(L"dialog", L"\"" + title + L"\" opened");
    if (m_waitStep != SIZE_MAX) {
        // The "dialog" step that waited for it checks it from inside.
        m_next = m_waitStep;
        m_waitStep = SIZE_MAX;
        m_waitMet = true;
    }
    RunSteps();
    if (!DialogAlive(hDlg)) {
        m_report.Add(L"dialog", L"\"" + title + L"\" ended");
        m_report.SetLine(line);
        return;
    }
    const int answer = CloseSafely(hDlg);
    if (m_failed) {
        m_report.Add(L"dialog", L"\"" + title + L"\" closed with " + std::wstring(AnswerName(answer)) + L" after the failure");
    } else {
        const std::vector<ScenarioStep> &steps = *m_pSteps;
        const std::wstring where = m_next < steps.size()
                                       ? L"when line " + std::to_wstring(steps[m_next].line) + L" (\"" + steps[m_next].text +
                                             L"\") needs the sheet"
                                       : std::wstring(L"at the end of the scenario");
        Fail(line, L"the dialog \"" + title + L"\" opened here was left open " + where + L"; closed with " +
                       AnswerName(answer));
    }
    m_report.SetLine(line);
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

bool ScenarioRunner::WaitForDialog(const ScenarioStep &step, std::wstring *pError) {
    HWND hDlg = m_watcher.Current();
    if (hDlg == nullptr) {
        // Nothing opened by the step before: one may still come (posted).
        m_waitStep = m_next - 1;
        m_waitMet = false;
        const DWORD start = GetTickCount();
        while (!m_waitMet && !m_failed && GetTickCount() - start < kDialogWaitMs) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            PumpPending(OpenSheetWindow());
            m_watcher.CheckNow();
        }
        m_waitStep = SIZE_MAX;
        if (m_waitMet || m_failed) return true;
        *pError = L"no dialog opened (waited " + std::to_wstring(kDialogWaitMs / 1000) + L" s)";
        return false;
    }
    const std::wstring title = WindowText(hDlg);
    if (!step.args.empty() && title != step.args[0]) {
        *pError = L"the open dialog is \"" + title + L"\", not \"" + step.args[0] + L"\"";
        return false;
    }
    return true;
}

bool ScenarioRunner::DialogStep(const ScenarioStep &step, std::wstring *pError) {
    const std::vector<std::wstring> &a = step.args;
    const StepContext ctx = Context();
    if (step.kind == StepKind::Action) {
        HWND hTarget = TargetWindow(ctx, pError);
        if (hTarget == nullptr) return false;
        if (!DialogAction(hTarget, ctx.hSheet, step.word, pError)) return false;
        PumpPending(ctx.hDialog);
        return true;
    }
    HWND hTarget = TargetWindow(ctx, pError);
    if (hTarget == nullptr) return false;
    HWND hCtrl = FindControl(hTarget, a[0], pError);
    if (hCtrl == nullptr) return false;
    bool ok = false;
    switch (step.kind) {
    case StepKind::Set: ok = SetControlText(hCtrl, a[1], pError); break;
    case StepKind::Type:
        ok = TypeText(hCtrl, a[1],
                      a.size() < 3 ? ControlKey::None : lstrcmpiW(a[2].c_str(), L"lctrl") == 0 ? ControlKey::Left : ControlKey::Right,
                      pError);
        break;
    case StepKind::Key: ok = PressKey(hCtrl, a[1], std::vector<std::wstring>(a.begin() + 2, a.end()), pError); break;
    case StepKind::Paste: ok = PasteText(hCtrl, a[1], a[2], pError); break;
    case StepKind::Click: ok = ClickControl(hCtrl, pError); break;
    case StepKind::Choose: ok = ChooseEntry(hCtrl, a[1], pError); break;
    case StepKind::DateTime: ok = SetDateTime(hCtrl, a[1], a.size() > 2 ? a[2] : std::wstring(), pError); break;
    default: break;
    }
    if (ok) PumpPending(ctx.hDialog);
    return ok;
}

bool ScenarioRunner::Screenshot(const std::wstring &path, std::wstring *pError) {
    HWND hWnd = m_watcher.Current();
    if (hWnd == nullptr) hWnd = OpenSheetWindow();
    if (hWnd == nullptr) {
        *pError = L"no dialog or sheet to take a picture of";
        return false;
    }
    // Let every control paint, and the display catch up, before the picture.
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 300) {
        PumpPending(m_watcher.Current());
        GdiFlush();
        Sleep(20);
    }
    // %TEMP% and the like, so that a scenario need not know the machine.
    wchar_t szPath[MAX_PATH] = {};
    const DWORD cch = ExpandEnvironmentStringsW(path.c_str(), szPath, MAX_PATH);
    if (cch == 0 || cch > MAX_PATH) {
        *pError = L"the path " + path + L" is too long";
        return false;
    }
    if (!SaveWindowPng(hWnd, szPath, pError)) return false;
    m_report.Add(L"sheet", L"screenshot of \"" + WindowText(hWnd) + L"\" saved to " + szPath);
    return true;
}

bool ScenarioRunner::NeedSession(std::wstring *pError) const {
    if (m_session && m_session->IsOpen()) return true;
    *pError = L"no sheet is open (use open preferences|properties first)";
    return false;
}

bool ScenarioRunner::InstallModel(const std::vector<std::wstring> &args, std::wstring *pError) {
    const std::wstring folder = ResolveModelDirectory(args[0]);
    std::wstring name = TemporaryPrinterName(folder), driver, port;
    for (size_t i = 1; i + 1 < args.size(); i += 2) {
        if (lstrcmpiW(args[i].c_str(), L"name") == 0) {
            // The driver keeps the folder's name: printer and driver differ.
            name = args[i + 1];
            driver = TemporaryPrinterName(folder);
        } else {
            port = args[i + 1];
        }
    }
    // A run that was stopped may have left the printer behind, and its
    // per-user key (a printer named apart from its driver keeps it).
    UninstallModelPrinter(name, driver);
    DeleteStoredDevMode(name);
    DeleteRegTree(HKEY_CURRENT_USER, kUserKeyPrefix + name);
    InstalledPrinter installed;
    std::wstring error;
    if (!InstallModelPrinter(folder, name, port, driver, &installed, &error)) {
        *pError = L"the model " + folder + L" cannot be installed: " + error;
        return false;
    }
    m_temporary.push_back(installed);
    m_printer = installed.printerName;
    m_report.Add(L"sheet", L"installed \"" + installed.printerName + L"\" (driver \"" + installed.driverName +
                               L"\", data file " + installed.dataFile + L")");
    return true;
}

// The stand-in network library sits beside the plug-in and answers from an
// INI file named like itself; each section is a port name.
bool ScenarioRunner::SetNetworkAnswer(const std::wstring &key, const std::wstring &value, std::wstring *pError) {
    if (m_printer.empty()) {
        *pError = L"no printer yet (use model or printer first)";
        return false;
    }
    std::wstring port;
    if (!GetPrinterPort(m_printer, &port)) {
        *pError = L"the port of \"" + m_printer + L"\" cannot be read";
        return false;
    }
    const std::wstring &dll = m_options.dllPath;
    if (dll.size() < 5) {
        *pError = L"the plug-in path is too short to name its network library";
        return false;
    }
    m_networkIni = dll.substr(0, dll.size() - 5) + L"N.INI";
    if (!WritePrivateProfileStringW(port.c_str(), key.c_str(), value.c_str(), m_networkIni.c_str())) {
        *pError = L"cannot write " + m_networkIni;
        return false;
    }
    bool known = false;
    for (const std::wstring &p : m_networkPorts) known = known || p == port;
    if (!known) m_networkPorts.push_back(port);
    m_report.Add(L"sheet", L"network library answers " + key + L"=" + value + L" for port " + port);
    return true;
}

bool ScenarioRunner::Step(const ScenarioStep &step, std::wstring *pError) {
    const std::vector<std::wstring> &a = step.args;
    switch (step.kind) {
    case StepKind::Model:
    case StepKind::Printer:
        if (m_session && m_session->IsOpen()) {
            *pError = L"the printer cannot change while a sheet is open";
            return false;
        }
        if (!m_options.printerOverride.empty()) {
            m_printer = m_options.printerOverride;
            m_report.Add(L"sheet", L"using printer \"" + m_printer + L"\" given on the command line");
            return true;
        }
        if (step.kind == StepKind::Printer) {
            m_printer = a[0];
            return true;
        }
        return InstallModel(a, pError);
    case StepKind::Open: {
        if (m_session && m_session->IsOpen()) {
            *pError = L"a sheet is already open";
            return false;
        }
        if (m_printer.empty()) {
            *pError = L"no printer yet (use model or printer first)";
            return false;
        }
        if (m_jobs->Port().empty() || m_jobs->Printer() != m_printer) {
            std::wstring why;
            if (!m_jobs->Attach(m_printer, &why)) m_report.Add(L"warning", why + L"; print jobs are not captured");
        }
        SessionEnv env;
        env.pPlugin = m_host.Plugin();
        env.hPlugin = m_host.Module();
        env.pHelper = m_pHelper;
        env.pReport = &m_report;
        env.pAnswers = m_answers.get();
        m_session.reset(new Session(env));
        return m_session->Open(m_printer, Is(a[0], L"preferences") ? SheetKind::Document : SheetKind::Device, false,
                               pError);
    }
    case StepKind::Select:
        return NeedSession(pError) && m_session->Select(a[0], a[1], pError);
    case StepKind::Press:
        return NeedSession(pError) && m_session->Press(a[0], pError);
    case StepKind::Answer:
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
        if (!CheckExpectation(a, Context(), pError)) return false;
        m_report.Add(L"expect", L"holds");
        return true;
    case StepKind::Screenshot:
        return Screenshot(a[0], pError);
    case StepKind::Seed:
        return m_seeding.Seed(a, Context(), pError);
    case StepKind::Language: {
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

void ScenarioRunner::CloseSession(bool ok) {
    m_session->Close(ok);
    m_lastDevMode = m_session->DevMode();
    m_session.reset();
}

bool ScenarioRunner::Dump(const std::wstring &what, std::wstring *pError) {
    if (Is(what, L"job")) {
        ReportFields fields;
        for (const CapturedDocument &doc : m_jobs->TakeDocuments()) {
            fields.emplace_back(L"document", L"\"" + doc.name + L"\" " + doc.dataType +
                                                 (doc.jobId == 0 ? L", refused by the spooler" : L""));
            if (!doc.ended) continue;
            fields.emplace_back(L"bytes", std::to_wstring(doc.bytes.size()));
            fields.emplace_back(L"hex", HexBytes(doc.bytes.data(), doc.bytes.size()));
            fields.emplace_back(L"text", ReadableBytes(doc.bytes));
        }
        m_report.Add(L"dump", L"print jobs since the last dump job (port " + m_jobs->Port() + L")", fields);
        return true;
    }
    if (Is(what, L"dialog")) {
        std::wstring ignored;
        HWND hWnd = TargetWindow(Context(), &ignored);
        if (hWnd == nullptr) {
            *pError = L"no dialog or page is open";
            return false;
        }
        std::wstring label = L"dialog \"" + WindowText(hWnd) + L"\"";
        if (m_watcher.Current() == nullptr) {
            const int page = static_cast<int>(PropSheet_HwndToIndex(OpenSheetWindow(), hWnd));
            const std::vector<std::wstring> &titles = m_session->PageTitles();
            label = L"page " + std::to_wstring(page) +
                    (page >= 0 && static_cast<size_t>(page) < titles.size() ? L" \"" + titles[static_cast<size_t>(page)] + L"\"" : L"") +
                    L" of \"" + WindowText(OpenSheetWindow()) + L"\"";
        }
        m_report.Add(L"dump", label, DescribeDialog(hWnd));
        return true;
    }
    const bool all = Is(what, L"all");
    const bool open = m_session && m_session->IsOpen();
    if (Is(what, L"items") || (all && open)) {
        if (!NeedSession(pError)) return false;
        m_report.Add(L"dump", L"option items", m_session->DescribeItems());
    }
    if (Is(what, L"devmode") || all) {
        const DriverDevMode &dm = open ? m_session->DevMode() : m_lastDevMode;
        if (dm.Empty()) {
            if (!all) {
                *pError = L"no device mode yet (open a printing-preferences sheet first)";
                return false;
            }
        } else {
            m_report.Add(L"dump", open ? L"device mode" : L"device mode of the last sheet", DescribeDevMode(dm));
        }
    }
    if (Is(what, L"printerdata") || Is(what, L"registry") || all) {
        if (m_printer.empty()) {
            if (!all) {
                *pError = L"no printer yet (use model or printer first)";
                return false;
            }
        } else {
            if (Is(what, L"printerdata") || all) {
                ReportFields fields;
                if (!DescribePrinterData(m_printer, &fields, pError)) return false;
                m_report.Add(L"dump", L"printer data of \"" + m_printer + L"\"", fields);
            }
            if (Is(what, L"registry") || all)
                m_report.Add(L"dump", L"per-user registry values", DescribeUserRegistry(m_printer));
        }
    }
    if (Is(what, L"calls") || all) {
        ReportFields calls;
        const std::vector<ReportEntry> &entries = m_report.Entries();
        for (size_t i = m_callsShown; i < entries.size(); ++i)
            if (entries[i].kind == L"helper") calls.emplace_back(L"line " + std::to_wstring(entries[i].line), entries[i].text);
        m_callsShown = entries.size();
        m_report.Add(L"dump", std::to_wstring(calls.size()) + L" helper calls since the last dump", calls);
    }
    return true;
}

void ScenarioRunner::Cleanup() {
    if (m_session && m_session->IsOpen()) {
        m_report.Add(L"warning", L"the scenario ended with a sheet open; it is closed with Cancel");
        CloseSession(false);
    }
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

}  // namespace

std::wstring ResolveModelDirectory(const std::wstring &dir) {
    const DWORD attrs = GetFileAttributesW(dir.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY)) {
        wchar_t sz[MAX_PATH] = {};
        const DWORD n = GetFullPathNameW(dir.c_str(), MAX_PATH, sz, nullptr);
        if (n > 0 && n < MAX_PATH) return sz;
        return dir;
    }
    std::wstring base = SampleModelsDirectory();
    if (!base.empty() && base.back() != L'\\' && base.back() != L'/') base += L'\\';
    return base + dir;
}

std::wstring TemporaryPrinterName(const std::wstring &modelDir) {
    std::wstring leaf = modelDir;
    while (!leaf.empty() && (leaf.back() == L'\\' || leaf.back() == L'/')) leaf.pop_back();
    const size_t slash = leaf.find_last_of(L"\\/");
    if (slash != std::wstring::npos) leaf = leaf.substr(slash + 1);
    return L"oemuihost " + leaf;
}

int RunScenario(const Scenario &scenario, const RunOptions &options, Report &report) {
    ScenarioRunner runner(options, report);
    return runner.Run(scenario);
}

}  // namespace oemuihost
