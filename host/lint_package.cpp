// A driver package checked as the printer class installer and the driver
// core will meet it: the INF read through the platform's setup library, the
// folder holding exactly what the INF copies, the plug-in named by the model
// INI at the version the INF states, the network library beside it; then the
// model files inside it, with the model checks.
#include <windows.h>

#include <algorithm>
#include <cwctype>

#include "host/driver_package.h"
#include "host/inf_reader.h"
#include "host/lint.h"
#include "settings/profile_reader.h"

namespace oemuihost {
namespace {

bool SameName(const std::wstring &a, const std::wstring &b) { return lstrcmpiW(a.c_str(), b.c_str()) == 0; }

bool Lists(const std::vector<std::wstring> &names, const std::wstring &name) {
    return std::any_of(names.begin(), names.end(), [&](const std::wstring &n) { return SameName(FileNameOf(n), name); });
}

// The INF line an installer error names ("NAME.INF line 19 (...): ..."), or 0.
int LineNamed(const std::wstring &message) {
    const size_t at = message.find(L" line ");
    if (at == std::wstring::npos) return 0;
    int line = 0;
    for (size_t i = at + 6; i < message.size() && iswdigit(message[i]) && line < 1000000; ++i)
        line = line * 10 + (message[i] - L'0');
    return line;
}

// The version part of [Version] DriverVer ("date,version").
std::wstring InfDriverVersion(const std::wstring &infPath) {
    oemui::ProfileReader inf;
    inf.SetPath(infPath.c_str());
    inf.SetSection(L"Version");
    wchar_t sz[oemui::kProfileTextCch] = {};
    if (inf.ReadTextOr(L"DriverVer", sz, oemui::kProfileTextCch, nullptr) == 0) return std::wstring();
    const std::wstring value = sz;
    const size_t comma = value.find(L',');
    return comma == std::wstring::npos ? std::wstring() : value.substr(comma + 1);
}

void CheckInstalledFiles(const InfDriver &driver, const std::wstring &infName, LintReport &report) {
    const std::wstring folder = WithBackslash(driver.folder);
    for (const std::wstring &name : FilesOf(folder)) {
        if (SameName(name, infName) || Lists(driver.files, name)) continue;
        // The catalog is made on Windows beside the INF and is not copied.
        if (name.size() > 4 && SameName(name.substr(name.size() - 4), L".CAT")) continue;
        report.Warning(name, 0, "package-extra-file",
                       L"the INF does not copy this file: it never reaches the printer-driver folder");
    }
    const std::wstring stated = InfDriverVersion(driver.infPath);
    std::wstring actual, error;
    if (!ReadFileVersion(folder + driver.uiPlugin, &actual, &error)) {
        report.Error(driver.uiPlugin, 0, "package-plugin", L"the UI plug-in does not load as a module: " + error);
    } else if (stated != actual) {
        report.Error(infName, 0, "package-driver-version",
                     L"[Version] DriverVer states version \"" + stated + L"\", " + driver.uiPlugin + L" is " + actual);
    }
    const std::wstring netlib = NetworkLibraryName(driver.uiPlugin);
    if (!Lists(driver.files, netlib)) {
        report.Warning(infName, 0, "package-no-netlib",
                       L"the package copies no " + netlib + L": auto-configuration answers nothing and the "
                       L"installable options stay as the user sets them");
    }
}

}  // namespace

LintReport LintPackage(const std::wstring &target, const std::wstring &dllPath) {
    LintReport report;
    std::wstring infPath = ToWindowsPath(target), error;
    const DWORD attrs = GetFileAttributesW(infPath.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
        !FindPackageInf(infPath, &infPath, &error)) {
        report.Fatal(error);
        return report;
    }
    const std::wstring infName = FileNameOf(infPath);
    InfDriver driver;
    if (!ReadInfDriver(infPath, std::wstring(), &driver, &error)) {
        report.Error(infName, LineNamed(error), "package-inf", L"the installer refuses the package: " + error);
        return report;
    }
    CheckInstalledFiles(driver, infName, report);
    // The model files as they stand in the package, against the plug-in the
    // package carries unless another build is named.
    const LintReport model =
        LintModelFolder(driver.folder, dllPath.empty() ? WithBackslash(driver.folder) + driver.uiPlugin : dllPath);
    if (!model.FatalMessage().empty()) report.Fatal(model.FatalMessage());
    for (const LintFinding &f : model.Findings()) report.Add(f.file, f.line, f.severity, f.rule.c_str(), f.message);
    report.Sort();
    return report;
}

}  // namespace oemuihost
