// Printer and sheet steps: a model installed as a temporary printer (or a
// printer named), a sheet opened and closed, the stand-in network
// library's answers for the printer's port; where model folders are found
// and what their temporary printers are called.
#include "host/plugin_locator.h"
#include "host/run_observer.h"
#include "host/scenario_runner_impl.h"
#include "host/word_match.h"

namespace oemuihost {

bool ScenarioRunner::UsePrinter(const ScenarioStep &step, std::wstring *pError) {
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
        m_printer = step.args[0];
        return true;
    }
    if (step.line == m_preinstalledLine) {
        m_report.Add(L"sheet", L"\"" + m_printer + L"\" was installed before the plug-in was loaded");
        return true;
    }
    return InstallModel(step.args, pError);
}

// As a driver core finds it: the plug-in the driver of the run's printer
// names in [OEMFiles] of its INIs. The printer is the one --printer names,
// else the first printer or model step's; a model is installed now for
// that. --dll loads another build instead.
bool ScenarioRunner::ChooseRunPlugin(const Scenario &scenario) {
    if (!m_options.dllPath.empty()) return true;
    const ScenarioStep *pFirst = nullptr;
    for (const ScenarioStep &step : scenario.steps)
        if (pFirst == nullptr && (step.kind == StepKind::Model || step.kind == StepKind::Printer)) pFirst = &step;
    std::wstring printer = m_options.printerOverride, error;
    if (printer.empty() && pFirst != nullptr && pFirst->kind == StepKind::Printer) printer = pFirst->args[0];
    if (printer.empty() && pFirst != nullptr) {
        m_report.SetLine(pFirst->line);
        if (!InstallModel(pFirst->args, &error)) {
            m_report.Add(L"error", L"line " + std::to_wstring(pFirst->line) + L": " + error);
            return false;
        }
        m_report.SetLine(0);
        m_preinstalledLine = pFirst->line;
        printer = m_printer;
    }
    if (printer.empty()) {
        m_dllPath = ExecutableDirectory() + L"OEMUI.DLL";
        m_report.Add(L"plugin", L"no printer in the scenario: the emulator's own UI plug-in " + m_dllPath);
    } else {
        PluginLocation location;
        if (!LocatePrinterPlugin(printer, &location, &error)) {
            m_report.Add(L"error", L"the UI plug-in of \"" + printer + L"\" cannot be found: " + error);
            return false;
        }
        m_report.Add(L"plugin", DescribePluginLocation(location));
        m_dllPath = location.found ? location.path : std::wstring();
    }
    m_seeding.UsePlugin(m_dllPath);
    return true;
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

bool ScenarioRunner::OpenSheet(const std::wstring &which, bool noPermission, std::wstring *pError) {
    if (m_session && m_session->IsOpen()) {
        *pError = L"a sheet is already open";
        return false;
    }
    if (m_printer.empty()) {
        *pError = L"no printer yet (use model or printer first)";
        return false;
    }
    if (m_jobs && (m_jobs->Port().empty() || m_jobs->Printer() != m_printer)) {
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
    m_session->SetNoPermission(noPermission);
    if (m_options.pObserver != nullptr) m_options.pObserver->Checkpoint(RunObserver::Moment::Open, m_printer);
    const bool opened = m_session->Open(m_printer, Is(which, L"preferences") ? SheetKind::Document : SheetKind::Device,
                                        false, pError);
    if (opened && m_options.pObserver != nullptr)
        m_options.pObserver->SheetOpened(SheetDevMode());
    return opened;
}

std::vector<BYTE> ScenarioRunner::SheetDevMode() const {
    return m_session && m_session->IsOpen() && m_session->Kind() == SheetKind::Document ? m_session->DevMode().Bytes()
                                                                                        : std::vector<BYTE>();
}

void ScenarioRunner::SeedingSeen(bool bDone) {
    if (m_options.pObserver != nullptr && !m_printer.empty())
        m_options.pObserver->Seeding(bDone, m_printer, SheetDevMode());
}

void ScenarioRunner::CloseSession(bool ok) {
    m_session->Close(ok);
    m_lastDevMode = m_session->DevMode();
    m_session.reset();
    if (m_options.pObserver != nullptr) m_options.pObserver->Checkpoint(RunObserver::Moment::Close, m_printer);
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
    const std::wstring &dll = m_dllPath;
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

}  // namespace oemuihost
