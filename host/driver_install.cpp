#include "host/driver_install.h"

#include "host/console.h"
#include "host/lint.h"
#include "host/plugin_host.h"
#include "host/scenario_runner.h"

namespace oemuihost {
namespace {

constexpr wchar_t kPluginName[] = L"OEMUI.DLL";

bool IsDirectory(const std::wstring &path) {
    const DWORD attrs = GetFileAttributesW(path.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool HasDataFile(const std::wstring &folder) {
    for (const std::wstring &name : FilesOf(WithBackslash(folder)))
        if (HasDataFileExtension(name)) return true;
    return false;
}

bool HasFileOfType(const std::wstring &folder, const wchar_t *pszExtension) {
    for (const std::wstring &name : FilesOf(WithBackslash(folder)))
        if (name.size() > 4 && lstrcmpiW(name.c_str() + name.size() - 4, pszExtension) == 0) return true;
    return false;
}

// A model folder given to "install" is packaged into the temporary folder
// first, with the emulator's own pair.
std::wstring TemporaryPackages() {
    wchar_t szTemp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, szTemp);
    return WithBackslash(szTemp) + L"oemuihost-packages\\";
}

// The INF an install target stands for.
bool ResolveInf(const std::wstring &target, std::wstring *pInf, std::wstring *pError) {
    std::wstring path = ToWindowsPath(target);
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES && path.find(L'\\') == std::wstring::npos)
        path = ResolveModelDirectory(target);
    if (!IsDirectory(path)) {
        if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
            *pError = L"no such package, INF or model folder: " + target;
            return false;
        }
        *pInf = path;
        return true;
    }
    // A model folder holds model files only; a folder with modules but no
    // INF is a package that lost its INF.
    if (!HasFileOfType(path, L".INF") && !HasFileOfType(path, L".DLL") && HasDataFile(path)) {
        DriverPackage package;
        if (!BuildDriverPackage(path, TemporaryPackages(), EmulatorPluginPair(), &package, pError)) return false;
        *pInf = package.folder + package.infName;
        return true;
    }
    return FindPackageInf(path, pInf, pError);
}

}  // namespace

PluginPair EmulatorPluginPair() {
    return {ExecutableDirectory() + kPluginName, ExecutableDirectory() + NetworkLibraryName(kPluginName)};
}

PluginPair DriverPackagePair() {
    const std::wstring dir = ExecutableDirectory() + L"..\\package\\";
    return {dir + kPluginName, dir + NetworkLibraryName(kPluginName)};
}

bool InstallFromInf(const InfInstallRequest &request, InstalledPrinter *pInstalled, InfDriver *pDriver,
                    std::wstring *pError) {
    std::wstring inf;
    if (!ResolveInf(request.target, &inf, pError)) return false;
    InfDriver driver;
    if (!ReadInfDriver(inf, request.model, &driver, pError)) return false;
    const std::wstring printer = request.name.empty() ? driver.model.name : request.name;
    if (PrinterExists(printer)) {
        *pError = L"a printer named \"" + printer + L"\" already exists";
        return false;
    }
    DriverFileSet set;
    set.driverName = driver.model.name;
    set.dataFile = driver.dataFile;
    set.names = driver.files;
    set.sources = driver.sources;
    if (!InstallDriverFiles(set, printer, request.port, pInstalled, pError)) return false;
    if (pDriver != nullptr) *pDriver = driver;
    return true;
}

int PackageCommand(const std::vector<std::wstring> &args, const std::wstring &dllPath, const std::wstring &netlibPath) {
    if (args.size() < 2) {
        PrintError(L"oemuihost: package OUT-DIR MODEL-DIR...\n");
        return kExitFailure;
    }
    PluginPair pair = DriverPackagePair();
    if (!dllPath.empty()) pair.pluginDll = dllPath;
    if (!netlibPath.empty()) pair.networkDll = netlibPath;
    for (size_t i = 1; i < args.size(); ++i) {
        // A model with errors would ship a dialog that shows keys instead of
        // texts, or a link the plug-in refuses: it is not packaged.
        const std::wstring modelDir = ResolveModelDirectory(args[i]);
        const LintReport lint = LintModelFolder(modelDir, pair.pluginDll);
        if (!lint.FatalMessage().empty() || lint.Count(LintSeverity::Error) != 0) {
            PrintError(lint.RenderText(args[i]));
            PrintError(L"oemuihost: " + args[i] + L" is not packaged: the model check found errors\n");
            return kExitFailure;
        }
        DriverPackage package;
        std::wstring error;
        if (!BuildDriverPackage(modelDir, args[0], pair, &package, &error)) {
            PrintError(L"oemuihost: " + args[i] + L" cannot be packaged: " + error + L"\n");
            return kExitFailure;
        }
        Print(L"packaged \"" + package.modelName + L"\": " + package.folder + package.infName + L" (" +
              std::to_wstring(package.files.size()) + L" files)\n");
    }
    return kExitOk;
}

int InstallCommand(const InfInstallRequest &request) {
    InstalledPrinter installed;
    InfDriver driver;
    std::wstring error;
    if (!InstallFromInf(request, &installed, &driver, &error)) {
        PrintError(L"oemuihost: " + request.target + L" cannot be installed: " + error + L"\n");
        return kExitFailure;
    }
    Print(L"installed printer \"" + installed.printerName + L"\" with driver \"" + installed.driverName + L"\" from " +
          driver.infPath + L"\n  data file " + installed.dataFile + L"\n  UI plug-in " + driver.uiPlugin +
          L" (named by " + driver.uiPluginIni + L" [OEMFiles] OEMConfigFile1)\n  " +
          std::to_wstring(installed.copiedFiles.size()) + L" files in the printer-driver folder\n");
    return kExitOk;
}

}  // namespace oemuihost
