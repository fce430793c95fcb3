#include "host/interactive.h"

#include <windows.h>
#include <commctrl.h>

#include "host/console.h"
#include "host/driver_helper.h"
#include "host/dumps.h"
#include "host/plugin_host.h"
#include "host/plugin_locator.h"
#include "host/printer_install.h"
#include "host/scenario_runner.h"
#include "host/session.h"

namespace oemuihost {

int ShowSheet(const ShowOptions &options) {
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    Report report;
    std::wstring printer = options.target;
    InstalledPrinter installed;
    bool temporary = false;
    const DWORD attrs = GetFileAttributesW(options.target.c_str());
    const std::wstring folder = ResolveModelDirectory(options.target);
    const DWORD folderAttrs = GetFileAttributesW(folder.c_str());
    if ((attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY)) ||
        (folderAttrs != INVALID_FILE_ATTRIBUTES && (folderAttrs & FILE_ATTRIBUTE_DIRECTORY))) {
        printer = TemporaryPrinterName(folder);
        UninstallModelPrinter(printer, std::wstring());
        std::wstring error;
        if (!InstallModelPrinter(folder, printer, std::wstring(), std::wstring(), &installed, &error)) {
            PrintError(L"oemuihost: the model " + folder + L" cannot be installed: " + error + L"\n");
            return kExitFailure;
        }
        temporary = true;
    }
    int exitCode = kExitOk;
    {
        // As a driver core: the plug-in the printer's driver names, if any.
        PluginLocation location;
        std::wstring error;
        PluginHost host;
        DriverHelper *pHelper = nullptr;
        if (!ChoosePlugin(options.dllPath, printer, &location, &error)) {
            report.Add(L"error", error);
            exitCode = kExitFailure;
        } else {
            report.Add(L"plugin", DescribePluginLocation(location));
            if (location.found && !host.Load(location.path)) {
                report.Add(L"error", L"the UI plug-in cannot be loaded: " + host.Error());
                exitCode = kExitFailure;
            }
        }
        if (exitCode == kExitOk) {
            pHelper = new DriverHelper(&report);
            if (location.found) host.Publish(pHelper);
            SessionEnv env;
            env.pPlugin = host.Plugin();
            env.hPlugin = host.Module();
            env.pHelper = pHelper;
            env.pReport = &report;
            Session session(env);
            if (!session.Open(printer, options.properties ? SheetKind::Device : SheetKind::Document, true, &error) ||
                !session.RunModal(options.screenshotPath, &error)) {
                report.Add(L"error", error);
                exitCode = kExitFailure;
            }
            if (!options.properties && !session.DevMode().Empty())
                report.Add(L"dump", L"resulting device mode", DescribeDevMode(session.DevMode()));
        }
        if (host.Module() != nullptr) {
            const HRESULT hrUnload = host.Unload();
            report.Add(L"call", L"DllCanUnloadNow after release -> " + Hex32(static_cast<unsigned long>(hrUnload)));
        }
        if (pHelper != nullptr) pHelper->Release();
    }
    Print(report.RenderText());
    if (temporary) {
        UninstallModelPrinter(installed.printerName, installed.driverName);
        DeleteStoredDevMode(installed.printerName);
    }
    return exitCode;
}

}  // namespace oemuihost
