// Finds a printer's UI plug-in the way the driver core does: [OEMFiles]
// OEMConfigFile1 of the INI files among the installed driver's dependent
// files names a module in the printer-driver folder.
#pragma once

#include <string>

namespace oemuihost {

struct PluginLocation {
    bool found = false;     // false: the driver's INIs name no UI plug-in
    std::wstring path;      // the module in the driver folder
    std::wstring ini;       // the INI that names it (full path)
    std::wstring driver;    // the printer's driver
};

// False (with *pError) when the printer or its driver cannot be read, or
// when an INI names a plug-in that is not in the driver folder. True with
// found == false when no INI names one.
bool LocatePrinterPlugin(const std::wstring &printerName, PluginLocation *pLocation, std::wstring *pError);

// The plug-in a session on the printer loads: the module given on the
// command line (--dll) when there is one, else the one the driver names.
bool ChoosePlugin(const std::wstring &dllOverride, const std::wstring &printerName, PluginLocation *pLocation,
                  std::wstring *pError);

// One report line: which INI named which file, or that there is none.
std::wstring DescribePluginLocation(const PluginLocation &location);

}  // namespace oemuihost
