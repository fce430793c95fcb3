#include "host/scenario_runner.h"

#include <memory>
#include <vector>

#include "host/driver_helper.h"
#include "host/dumps.h"
#include "host/plugin_host.h"
#include "host/printer_install.h"
#include "host/scripted_answers.h"
#include "host/session.h"

namespace oemuihost {
namespace {

bool Is(const std::wstring &a, const wchar_t *b) { return lstrcmpiW(a.c_str(), b) == 0; }

class ScenarioRunner {
public:
    ScenarioRunner(const RunOptions &options, Report &report) : m_options(options), m_report(report) {}
    int Run(const Scenario &scenario);

private:
    bool Step(const ScenarioStep &step, std::wstring *pError);
    bool NeedSession(std::wstring *pError) const;
    bool Dump(const std::wstring &what, std::wstring *pError);
    bool InstallModel(const std::wstring &dir, std::wstring *pError);
    bool SetNetworkAnswer(const std::wstring &key, const std::wstring &value, std::wstring *pError);
    void CloseSession(bool ok);
    void Cleanup();

    const RunOptions &m_options;
    Report &m_report;
    PluginHost m_host;
    DriverHelper *m_pHelper = nullptr;
    std::unique_ptr<ScriptedAnswers> m_answers;
    std::unique_ptr<Session> m_session;
    std::wstring m_printer;
    std::vector<InstalledPrinter> m_temporary;
    DriverDevMode m_lastDevMode;
    size_t m_callsShown = 0;
    std::wstring m_networkIni;                 // the stand-in library's configuration
    std::vector<std::wstring> m_networkPorts;  // sections this run wrote
};

int ScenarioRunner::Run(const Scenario &scenario) {
    if (!m_host.Load(m_options.dllPath)) {
        m_report.Add(L"error", L"the plug-in cannot be loaded: " + m_host.Error());
        return kExitFailure;
    }
    m_report.Add(L"call", L"DllGetClassObject, CreateInstance(IPrintOemUI) -> S_OK");
    m_pHelper = new DriverHelper(&m_report);
    SetLastError(0);
    const HRESULT hr = m_host.Publish(m_pHelper);
    m_report.AddCall(L"PublishDriverInterface(helper)", hr, GetLastError());
    m_answers.reset(new ScriptedAnswers(m_host.Module(), &m_report));
    if (!m_answers->Patched())
        m_report.Add(L"warning", L"the plug-in does not import MessageBoxW; message boxes cannot be answered");

    int exitCode = kExitOk;
    for (const ScenarioStep &step : scenario.steps) {
        m_report.SetLine(step.line);
        m_report.Add(L"step", step.text);
        std::wstring error;
        m_answers->BeginStep();
        const bool ok = Step(step, &error);
        m_answers->EndStep();
        const int unanswered = m_answers->TakeUnanswered();
        if (ok && unanswered > 0)
            error = std::to_wstring(unanswered) + L" message box(es) or dialog(s) of the plug-in had no fitting answer";
        if (!ok || unanswered > 0) {
            m_report.Add(L"error", L"line " + std::to_wstring(step.line) + L": " + error);
            exitCode = kExitScenarioError;
            break;
        }
    }
    m_report.SetLine(0);
    Cleanup();
    return exitCode;
}

bool ScenarioRunner::NeedSession(std::wstring *pError) const {
    if (m_session && m_session->IsOpen()) return true;
    *pError = L"no sheet is open (use open preferences|properties first)";
    return false;
}

bool ScenarioRunner::InstallModel(const std::wstring &dir, std::wstring *pError) {
    const std::wstring folder = ResolveModelDirectory(dir);
    const std::wstring name = TemporaryPrinterName(folder);
    // A run that was stopped may have left the printer behind.
    UninstallModelPrinter(name, std::wstring());
    DeleteStoredDevMode(name);
    InstalledPrinter installed;
    std::wstring error;
    if (!InstallModelPrinter(folder, name, std::wstring(), std::wstring(), &installed, &error)) {
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
        return InstallModel(a[0], pError);
    case StepKind::Open: {
        if (m_session && m_session->IsOpen()) {
            *pError = L"a sheet is already open";
            return false;
        }
        if (m_printer.empty()) {
            *pError = L"no printer yet (use model or printer first)";
            return false;
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
        if (a.size() == 2)
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
    }
    return false;
}

void ScenarioRunner::CloseSession(bool ok) {
    m_session->Close(ok);
    m_lastDevMode = m_session->DevMode();
    m_session.reset();
}

bool ScenarioRunner::Dump(const std::wstring &what, std::wstring *pError) {
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
    if (m_answers) {
        if (m_answers->PendingBoxes() || m_answers->PendingDialogs())
            m_report.Add(L"warning", std::to_wstring(m_answers->PendingBoxes() + m_answers->PendingDialogs()) +
                                         L" scripted answers were never used");
        m_answers.reset();
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
        }
    }
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
