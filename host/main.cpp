// oemuihost: plays a printer driver's UI core for the OEMUI plug-in.
#include <windows.h>

#include <string>
#include <vector>

#include "host/console.h"
#include "host/devmode_report.h"
#include "host/plugin_host.h"

namespace oemuihost {
namespace {

int Usage() {
    PrintError(
        L"usage: oemuihost info [--dll PATH]\n"
        L"  info   load the plug-in, print its identification answers and a default\n"
        L"         private device-mode block\n");
    return 2;
}

std::wstring DefaultDllPath() { return ExecutableDirectory() + L"OEMUI.DLL"; }

void ReportGetInfo(IPrintOemUI *pPlugin, DWORD dwMode, const wchar_t *pszName) {
    DWORD value = 0;
    DWORD cbNeeded = 0;
    SetLastError(0);
    const HRESULT hr = pPlugin->GetInfo(dwMode, &value, sizeof(value), &cbNeeded);
    std::wstring line = L"  GetInfo(" + std::wstring(pszName) + L") -> " + HexCode(static_cast<unsigned long>(hr));
    if (SUCCEEDED(hr))
        line += L", value " + HexCode(value);
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
    Print(L"  QueryColorProfile(QCP_DEVICEPROFILE) -> " + HexCode(static_cast<unsigned long>(hrProfile)) +
          L", \"" + std::wstring(reinterpret_cast<const wchar_t *>(profile)) + L"\", " +
          std::to_wstring(cbProfile) + L" bytes, flags " + std::to_wstring(flProfile) + L"\n");

    OEMDMPARAM param = {};
    param.cbSize = sizeof(param);
    HRESULT hr = pPlugin->DevMode(OEMDM_SIZE, &param);
    Print(L"  DevMode(OEMDM_SIZE) -> " + HexCode(static_cast<unsigned long>(hr)) + L", " +
          std::to_wstring(param.cbBufSize) + L" bytes\n");
    std::vector<BYTE> block(param.cbBufSize < sizeof(oemui::PrivateDevMode) ? sizeof(oemui::PrivateDevMode)
                                                                          : param.cbBufSize);
    param.pOEMDMOut = block.data();
    hr = pPlugin->DevMode(OEMDM_DEFAULT, &param);
    Print(L"  DevMode(OEMDM_DEFAULT, no printer) -> " + HexCode(static_cast<unsigned long>(hr)) + L"\n");
    Print(L"Default private device mode:\n");
    Print(DescribePrivateDevMode(*reinterpret_cast<const oemui::PrivateDevMode *>(block.data())));

    const HRESULT hrUnload = host.Unload();
    Print(L"DllCanUnloadNow after release -> " + HexCode(static_cast<unsigned long>(hrUnload)) +
          (hrUnload == S_OK ? L" (S_OK)\n" : L" (module still held)\n"));
    return 0;
}

}  // namespace
}  // namespace oemuihost

int wmain(int argc, wchar_t **argv) {
    using namespace oemuihost;
    if (argc < 2) return Usage();
    const std::wstring command = argv[1];
    std::wstring dllPath = DefaultDllPath();
    for (int i = 2; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--dll" && i + 1 < argc)
            dllPath = argv[++i];
        else
            return Usage();
    }
    if (command == L"info") return RunInfo(dllPath);
    return Usage();
}
