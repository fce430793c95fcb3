// oemuihost: plays a printer driver's UI core for the OEMUI plug-in.
#include <windows.h>

#include <string>
#include <vector>

#include "host/console.h"
#include "host/report.h"
#include "common/bounded_format.h"
#include "common/handles.h"
#include "host/devmode_report.h"
#include "host/driver_install.h"
#include "host/driver_devmode.h"
#include "host/interactive.h"
#include "host/lint.h"
#include "host/plugin_host.h"
#include "host/plugin_locator.h"
#include "host/printer_install.h"
#include "host/probe.h"
#include "host/scenario.h"
#include "host/scenario_runner.h"

namespace oemuihost {
namespace {

int Usage() {
    PrintError(
        L"usage: oemuihost COMMAND [options]\n"
        L"  info [PRINTER] [--dll PATH]\n"
        L"      load the plug-in (the one the printer's driver names), print its identification answers\n"
        L"      and a default private block\n"
        L"  run SCENARIO [--json] [--printer NAME] [--keep] [--dll PATH]\n"
        L"      play a scenario file and print the report (exit 2: a step is wrong)\n"
        L"  show MODEL-DIR|PRINTER [--properties] [--screenshot FILE.bmp] [--dll PATH]\n"
        L"      open a real property sheet; OK prints the resulting device mode\n"
        L"  package OUT-DIR MODEL-DIR... [--dll PATH] [--netlib PATH]\n"
        L"      write a driver package (INF, model files, plug-in, network library) per model folder\n"
        L"  install PACKAGE-DIR|INF|MODEL-DIR [--model NAME] [--name PRINTER] [--port PORT]\n"
        L"      install a driver from its INF and add a printer (a model folder is packaged first)\n"
        L"  uninstall NAME [--dll PATH]\n"
        L"  probe PORT|ADDRESS [--settings INI] [--community C] [--udp-port N] [--timeout MS] [--retries N]\n"
        L"      show what the SNMP network library reads from the printer and the record it would return\n"
        L"  lint MODEL-DIR [--json] [--werror] [--dll PATH]\n"
        L"      check a model's files as the plug-in will read them (exit 1: errors, 2: cannot run)\n");
    return 2;
}

std::wstring DefaultDllPath() { return ExecutableDirectory() + L"OEMUI.DLL"; }

void ReportGetInfo(IPrintOemUI *pPlugin, DWORD dwMode, const wchar_t *pszName) {
    DWORD value = 0;
    DWORD cbNeeded = 0;
    SetLastError(0);
    const HRESULT hr = pPlugin->GetInfo(dwMode, &value, sizeof(value), &cbNeeded);
    std::wstring line = L"  GetInfo(" + std::wstring(pszName) + L") -> " + Hex32(static_cast<unsigned long>(hr));
    if (SUCCEEDED(hr))
        line += L", value " + Hex32(value);
    else
        line += L", last error " + std::to_wstring(GetLastError());
    line += L", needed " + std::to_wstring(cbNeeded) + L"\n";
    Print(line);
}

int RunInfo(const std::wstring &dllPath) {
    PluginHost host;
    if (!host.Load(dllPath)) {
        PrintError(L"oemuihost: " + host.Error() + L"\n");
        return 1;
    }
    IPrintOemUI *pPlugin = host.Plugin();
    Print(L"Plug-in " + dllPath + L"\n");
    ReportGetInfo(pPlugin, OEMGI_GETSIGNATURE, L"OEMGI_GETSIGNATURE");
    ReportGetInfo(pPlugin, OEMGI_GETVERSION, L"OEMGI_GETVERSION");
    ReportGetInfo(pPlugin, OEMGI_GETPUBLISHERINFO, L"OEMGI_GETPUBLISHERINFO");

    BYTE profile[32] = {};
    ULONG cbProfile = sizeof(profile);
    FLONG flProfile = 0;
    const HRESULT hrProfile = pPlugin->QueryColorProfile(nullptr, nullptr, nullptr, nullptr,
                                                         QCP_DEVICEPROFILE, profile, &cbProfile,
                                                         &flProfile);
    Print(L"  QueryColorProfile(QCP_DEVICEPROFILE) -> " + Hex32(static_cast<unsigned long>(hrProfile)) +
          L", \"" + std::wstring(reinterpret_cast<const wchar_t *>(profile)) + L"\", " +
          std::to_wstring(cbProfile) + L" bytes, flags " + std::to_wstring(flProfile) + L"\n");

    OEMDMPARAM param = {};
    param.cbSize = sizeof(param);
    HRESULT hr = pPlugin->DevMode(OEMDM_SIZE, &param);
    Print(L"  DevMode(OEMDM_SIZE) -> " + Hex32(static_cast<unsigned long>(hr)) + L", " +
          std::to_wstring(param.cbBufSize) + L" bytes\n");
    std::vector<BYTE> block(param.cbBufSize < sizeof(oemui::PrivateDevMode) ? sizeof(oemui::PrivateDevMode)
                                                                          : param.cbBufSize);
    param.pOEMDMOut = block.data();
    hr = pPlugin->DevMode(OEMDM_DEFAULT, &param);
    Print(L"  DevMode(OEMDM_DEFAULT, no printer) -> " + Hex32(static_cast<unsigned long>(hr)) + L"\n");
    Print(L"Default private device mode:\n");
    Print(DescribePrivateDevMode(*reinterpret_cast<const oemui::PrivateDevMode *>(block.data())));

    const HRESULT hrUnload = host.Unload();
    Print(L"DllCanUnloadNow after release -> " + Hex32(static_cast<unsigned long>(hrUnload)) +
          (hrUnload == S_OK ? L" (S_OK)\n" : L" (module still held)\n"));
    return 0;
}

// What a driver core would load for the printer, then "info" on it.
int InfoOnPrinter(const std::wstring &printer, const std::wstring &dllOverride) {
    PluginLocation location;
    std::wstring error;
    if (!ChoosePlugin(dllOverride, printer, &location, &error)) {
        PrintError(L"oemuihost: " + error + L"\n");
        return kExitFailure;
    }
    Print(DescribePluginLocation(location) + L"\n");
    return location.found ? RunInfo(location.path) : kExitOk;
}

int RunCommand(const std::wstring &path, const RunOptions &options, bool json) {
    Scenario scenario;
    std::wstring error;
    if (!LoadScenarioFile(path, &scenario, &error)) {
        PrintError(L"oemuihost: " + path + L": " + error + L"\n");
        return kExitScenarioError;
    }
    Report report;
    const int exitCode = RunScenario(scenario, options, report);
    if (json)
        Print(FromUtf8(report.RenderJson(path, exitCode)));
    else
        Print(L"Scenario " + path + L"\n" + report.RenderText() + L"\nexit code " + std::to_wstring(exitCode) + L"\n");
    for (const ReportEntry &e : report.Entries())
        if (e.kind == L"error") PrintError(L"oemuihost: " + e.text + L"\n");
    return exitCode;
}

// Removes a printer and its driver the way the print system does: the
// driver core tells the plug-in that the driver is deleted first, and the
// emulator forgets the device mode it stored for the printer.
int UninstallCommand(const std::wstring &printerName, const std::wstring &dllPath) {
    std::wstring driverName = printerName;
    oemui::PrinterHandle printer;
    if (OpenPrinterW(const_cast<LPWSTR>(printerName.c_str()), printer.put(), nullptr)) {
        DWORD cbNeeded = 0;
        GetPrinterW(printer.get(), 2, nullptr, 0, &cbNeeded);
        std::vector<BYTE> info(cbNeeded + sizeof(PRINTER_INFO_2W), 0);
        if (cbNeeded != 0 && GetPrinterW(printer.get(), 2, info.data(), cbNeeded, &cbNeeded)) {
            const wchar_t *pszDriver = reinterpret_cast<PRINTER_INFO_2W *>(info.data())->pDriverName;
            if (pszDriver != nullptr) driverName = std::wstring(pszDriver, oemui::LengthCchW(pszDriver, MAX_PATH));
        }
        printer.reset();
    }
    // The plug-in the driver names hears of its deletion (--dll: another build).
    PluginLocation location;
    std::wstring error;
    if (!ChoosePlugin(dllPath, printerName, &location, &error)) location.found = false;
    PluginHost host;
    if (location.found && host.Load(location.path)) {
        DRIVER_INFO_3W info = {};
        info.cVersion = 3;
        info.pName = const_cast<LPWSTR>(driverName.c_str());
        SetLastError(0);
        const HRESULT hr = host.Plugin()->DriverEvent(DRIVER_EVENT_DELETE, 3, reinterpret_cast<LPBYTE>(&info), 0);
        Print(L"DriverEvent(DRIVER_EVENT_DELETE, \"" + driverName + L"\") -> " + Hex32(static_cast<unsigned long>(hr)) + L"\n");
        host.Unload();
    }
    DeleteStoredDevMode(printerName);
    if (!UninstallModelPrinter(printerName, driverName)) {
        PrintError(L"oemuihost: \"" + printerName + L"\" could not be removed completely\n");
        return kExitFailure;
    }
    Print(L"removed printer \"" + printerName + L"\"\n");
    return kExitOk;
}

}  // namespace
}  // namespace oemuihost

int wmain(int argc, wchar_t **argv) {
    using namespace oemuihost;
    if (argc < 2) return Usage();
    const std::wstring command = argv[1];
    std::wstring dllPath = DefaultDllPath();
    std::vector<std::wstring> positional;
    RunOptions run;
    ShowOptions show;
    bool json = false;
    std::wstring name, port, infModel, netlibPath;
    bool dllGiven = false;
    ProbeOptions probe;
    LintOptions lint;
    for (int i = 2; i < argc; ++i) {
        const std::wstring arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == L"--dll" && hasValue)
            dllPath = argv[++i], dllGiven = true;
        else if (arg == L"--model" && hasValue)
            infModel = argv[++i];
        else if (arg == L"--netlib" && hasValue)
            netlibPath = argv[++i];
        else if (arg == L"--json")
            json = true;
        else if (arg == L"--printer" && hasValue)
            run.printerOverride = argv[++i];
        else if (arg == L"--werror")
            lint.werror = true;
        else if (arg == L"--keep")
            run.keepPrinters = true;
        else if (arg == L"--properties")
            show.properties = true;
        else if (arg == L"--screenshot" && hasValue)
            show.screenshotPath = argv[++i];
        else if (arg == L"--name" && hasValue)
            name = argv[++i];
        else if (arg == L"--port" && hasValue)
            port = argv[++i];
        else if (arg == L"--settings" && hasValue)
            probe.settingsPath = argv[++i];
        else if (arg == L"--community" && hasValue)
            probe.overrides.push_back({L"Community", argv[++i]});
        else if (arg == L"--udp-port" && hasValue)
            probe.overrides.push_back({L"Port", argv[++i]});
        else if (arg == L"--timeout" && hasValue)
            probe.overrides.push_back({L"Timeout", argv[++i]});
        else if (arg == L"--retries" && hasValue)
            probe.overrides.push_back({L"Retries", argv[++i]});
        else if (!arg.empty() && arg[0] != L'-')
            positional.push_back(arg);
        else
            return Usage();
    }
    if (command == L"info" && positional.size() <= 1)
        return positional.empty() ? RunInfo(dllPath) : InfoOnPrinter(positional[0], dllGiven ? dllPath : L"");
    if (command == L"run" && positional.size() == 1) {
        run.dllPath = dllGiven ? dllPath : std::wstring();
        return RunCommand(positional[0], run, json);
    }
    if (command == L"show" && positional.size() == 1) {
        show.dllPath = dllGiven ? dllPath : std::wstring();
        show.target = positional[0];
        return ShowSheet(show);
    }
    if (command == L"package") return PackageCommand(positional, dllGiven ? dllPath : std::wstring(), netlibPath);
    if (command == L"install" && positional.size() == 1) return InstallCommand({positional[0], infModel, name, port});
    if (command == L"uninstall" && positional.size() == 1)
        return UninstallCommand(positional[0], dllGiven ? dllPath : std::wstring());
    if (command == L"probe" && positional.size() == 1) {
        probe.target = positional[0];
        return RunProbe(probe);
    }
    if (command == L"lint" && positional.size() == 1) {
        lint.target = positional[0];
        lint.dllPath = dllPath;
        lint.json = json;
        return RunLint(lint);
    }
    return Usage();
}
