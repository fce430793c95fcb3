#include "host/plugin_locator.h"

#include <windows.h>

#include <winspool.h>

#include <vector>

#include "common/handles.h"
#include "host/driver_package.h"
#include "host/inf_reader.h"
#include "host/plugin_host.h"

namespace oemuihost {

bool LocatePrinterPlugin(const std::wstring &printerName, PluginLocation *pLocation, std::wstring *pError) {
    PluginLocation location;
    oemui::PrinterHandle printer;
    if (!OpenPrinterW(const_cast<LPWSTR>(printerName.c_str()), printer.put(), nullptr)) {
        *pError = L"the printer \"" + printerName + L"\" cannot be opened, error " + HexCode(GetLastError());
        return false;
    }
    DWORD cbNeeded = 0;
    GetPrinterDriverW(printer.get(), nullptr, 3, nullptr, 0, &cbNeeded);
    std::vector<BYTE> info(cbNeeded + sizeof(DRIVER_INFO_3W), 0);
    if (cbNeeded == 0 || !GetPrinterDriverW(printer.get(), nullptr, 3, info.data(), static_cast<DWORD>(info.size()),
                                            &cbNeeded)) {
        *pError = L"the driver of \"" + printerName + L"\" cannot be read, error " + HexCode(GetLastError());
        return false;
    }
    const auto *pInfo = reinterpret_cast<const DRIVER_INFO_3W *>(info.data());
    location.driver = pInfo->pName != nullptr ? pInfo->pName : L"";
    const std::wstring data = pInfo->pDataFile != nullptr ? pInfo->pDataFile : L"";
    const std::wstring folder = data.substr(0, data.find_last_of(L'\\') + 1);
    std::vector<std::wstring> dependents;
    for (const wchar_t *p = pInfo->pDependentFiles; p != nullptr && *p != L'\0'; p += lstrlenW(p) + 1)
        dependents.emplace_back(p);

    std::wstring plugin, ini;
    if (FindUiPluginEntry(folder, dependents, &plugin, &ini)) {
        location.found = true;
        location.ini = folder + ini;
        location.path = folder + FileNameOf(plugin);
        if (GetFileAttributesW(location.path.c_str()) == INVALID_FILE_ATTRIBUTES) {
            *pError = location.ini + L" [OEMFiles] OEMConfigFile1 names the UI plug-in " + plugin +
                      L", which is not in the driver folder " + folder;
            return false;
        }
    }
    *pLocation = location;
    return true;
}

bool ChoosePlugin(const std::wstring &dllOverride, const std::wstring &printerName, PluginLocation *pLocation,
                  std::wstring *pError) {
    if (dllOverride.empty()) return LocatePrinterPlugin(printerName, pLocation, pError);
    *pLocation = PluginLocation();
    pLocation->found = true;
    pLocation->path = dllOverride;
    return true;
}

std::wstring DescribePluginLocation(const PluginLocation &location) {
    if (location.found && location.ini.empty()) return L"UI plug-in " + location.path + L", given with --dll";
    if (!location.found)
        return L"no INI of the driver \"" + location.driver +
               L"\" names a UI plug-in ([OEMFiles] OEMConfigFile1): running without one";
    return L"UI plug-in " + location.path + L", named by " + location.ini + L" [OEMFiles] OEMConfigFile1";
}

}  // namespace oemuihost
