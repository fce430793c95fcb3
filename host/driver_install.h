// Packaging model folders and installing a printer from a package's INF, as
// the print system installs a driver: the commands "package" and "install".
#pragma once

#include <string>
#include <vector>

#include "host/driver_package.h"
#include "host/inf_reader.h"
#include "host/printer_install.h"

namespace oemuihost {

struct InfInstallRequest {
    std::wstring target;  // a package folder, an INF, or a model folder (packaged first)
    std::wstring model;   // --model: one of the INF's models
    std::wstring name;    // --name: the printer's name (default: the model's)
    std::wstring port;    // --port (default FILE:)
};

// The build's plug-in beside the emulator with the stand-in network library
// (what the tests and scenarios use), and the driver package's pair with the
// SNMP library (build/package/).
PluginPair EmulatorPluginPair();
PluginPair DriverPackagePair();

// Installs the driver the INF describes and a printer that uses it. Any
// fault (see ReadInfDriver) is found before anything is installed; a printer
// name already taken is one. On failure nothing is left behind.
bool InstallFromInf(const InfInstallRequest &request, InstalledPrinter *pInstalled, InfDriver *pDriver,
                    std::wstring *pError);

// oemuihost package OUT-DIR MODEL-DIR... [--dll PATH] [--netlib PATH]
int PackageCommand(const std::vector<std::wstring> &args, const std::wstring &dllPath, const std::wstring &netlibPath);
// oemuihost install PACKAGE|INF|MODEL-DIR [--model NAME] [--name PRINTER] [--port PORT]
int InstallCommand(const InfInstallRequest &request);

}  // namespace oemuihost
