#include "host/printer_install.h"

#include <algorithm>
#include <cwctype>

#include <winspool.h>

#include "host/driver_package.h"
#include "host/plugin_host.h"

namespace oemuihost {
namespace {

// Wine's spooler insists on a driver and a configuration module that exist in
// the driver directory; its own PostScript driver always does. The plug-in is
// what the tests load, so the driver behind the printer never runs.
constexpr wchar_t kStandInDriver[] = L"wineps.drv";
constexpr wchar_t kDefaultPort[] = L"FILE:";
constexpr wchar_t kPluginName[] = L"OEMUI.DLL";
constexpr wchar_t kPortsKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Ports";

std::wstring LastErrorText(const wchar_t *pszWhat) {
    return std::wstring(pszWhat) + L" failed, error " + HexCode(GetLastError());
}

bool SameFile(const std::wstring &a, const std::wstring &b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

std::wstring DriverFilesDirectory() {
    wchar_t sz[MAX_PATH] = {};
    DWORD cb = 0;
    if (!GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE *>(sz), sizeof(sz), &cb))
        return std::wstring();
    return WithBackslash(sz) + L"3\\";
}

// Every installed driver at level 3, so that files still used by another
// driver survive an uninstall.
std::vector<BYTE> EnumDrivers3(DWORD *pCount) {
    *pCount = 0;
    DWORD cbNeeded = 0;
    EnumPrinterDriversW(nullptr, nullptr, 3, nullptr, 0, &cbNeeded, pCount);
    std::vector<BYTE> buffer(cbNeeded + sizeof(DRIVER_INFO_3W));
    if (!EnumPrinterDriversW(nullptr, nullptr, 3, buffer.data(), static_cast<DWORD>(buffer.size()),
                             &cbNeeded, pCount)) {
        *pCount = 0;
    }
    return buffer;
}

std::vector<std::wstring> ModelFilesOf(const DRIVER_INFO_3W &di) {
    std::vector<std::wstring> files;
    if (di.pDataFile != nullptr && di.pDataFile[0] != L'\0') files.emplace_back(di.pDataFile);
    for (const wchar_t *p = di.pDependentFiles; p != nullptr && *p != L'\0'; p += lstrlenW(p) + 1)
        files.emplace_back(p);
    return files;
}

bool AddLocalPort(const std::wstring &portName) {
    return WriteRegString(HKEY_LOCAL_MACHINE, kPortsKey, portName, L"");
}

HANDLE OpenForAdmin(const std::wstring &printerName) {
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE hPrinter = nullptr;
    if (!OpenPrinterW(const_cast<LPWSTR>(printerName.c_str()), &hPrinter, &defaults)) return nullptr;
    return hPrinter;
}

}  // namespace

std::wstring SampleModelsDirectory() {
    // The build tree sits in the source tree: <source>/<build>/bin/x.exe.
    wchar_t szFull[MAX_PATH] = {};
    const std::wstring guess = ExecutableDirectory() + L"..\\..\\models\\";
    if (GetFullPathNameW(guess.c_str(), MAX_PATH, szFull, nullptr) != 0) {
        const DWORD attrs = GetFileAttributesW(szFull);
        if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY) != 0)
            return WithBackslash(szFull);
    }
#ifdef OEMUI_SOURCE_DIR
    return WithBackslash(ToWindowsPath(L"" OEMUI_SOURCE_DIR L"/models"));
#else
    return WithBackslash(guess);
#endif
}

namespace {

bool SameBytes(const std::wstring &a, const std::wstring &b) {
    std::string x, y;
    return ReadWholeFile(a, &x) && ReadWholeFile(b, &y) && x == y;
}

// Files of a failed installation go unless another driver lists them.
void RemoveUnshared(const std::vector<std::wstring> &files) {
    DWORD count = 0;
    std::vector<BYTE> drivers = EnumDrivers3(&count);
    const auto *pDrivers = reinterpret_cast<const DRIVER_INFO_3W *>(drivers.data());
    for (const std::wstring &file : files) {
        bool shared = false;
        for (DWORD i = 0; i < count && !shared; ++i)
            for (const std::wstring &other : ModelFilesOf(pDrivers[i])) shared = shared || SameFile(other, file);
        if (!shared) DeleteFileW(file.c_str());
    }
}

bool DriverExists(const std::wstring &driver) {
    DWORD count = 0;
    std::vector<BYTE> drivers = EnumDrivers3(&count);
    const auto *pDrivers = reinterpret_cast<const DRIVER_INFO_3W *>(drivers.data());
    for (DWORD i = 0; i < count; ++i)
        if (pDrivers[i].pName != nullptr && driver == pDrivers[i].pName) return true;
    return false;
}

}  // namespace

bool PrinterExists(const std::wstring &printerName) {
    HANDLE hPrinter = nullptr;
    if (!OpenPrinterW(const_cast<LPWSTR>(printerName.c_str()), &hPrinter, nullptr)) return false;
    ClosePrinter(hPrinter);
    return true;
}

bool InstallDriverFiles(const DriverFileSet &set, const std::wstring &printerName, const std::wstring &portName,
                        InstalledPrinter *pInstalled, std::wstring *pError) {
    std::wstring error;
    auto fail = [&](const std::wstring &text) {
        if (pError != nullptr) *pError = text;
        return false;
    };
    const std::wstring port = portName.empty() ? kDefaultPort : portName;
    if (printerName.empty()) return fail(L"no printer name");
    if (set.names.size() != set.sources.size()) return fail(L"files and sources differ in number");
    const std::wstring target = DriverFilesDirectory();
    if (target.empty()) return fail(LastErrorText(L"GetPrinterDriverDirectoryW"));
    CreateDirectoryW(target.c_str(), nullptr);
    const bool driverExisted = DriverExists(set.driverName);

    // The spooler records dependent files but does not copy them: copy the
    // whole set ourselves. A file that is already there with the same bytes
    // stays (it may be a module some process has loaded).
    InstalledPrinter installed;
    installed.printerName = printerName;
    installed.driverName = set.driverName;
    std::vector<std::wstring> written;
    std::wstring dependents;
    for (size_t i = 0; i < set.names.size(); ++i) {
        const std::wstring to = target + set.names[i];
        if (!SameBytes(set.sources[i], to)) {
            if (!CopyFileW(set.sources[i].c_str(), to.c_str(), FALSE)) {
                error = LastErrorText((L"copying " + set.names[i] + L" into " + target).c_str());
                RemoveUnshared(written);
                return fail(error);
            }
            written.push_back(to);
        }
        installed.copiedFiles.push_back(to);
        if (SameFile(set.names[i], set.dataFile))
            installed.dataFile = to;
        else
            dependents += set.names[i] + L'\0';
    }
    dependents += L'\0';
    if (installed.dataFile.empty()) {
        RemoveUnshared(written);
        return fail(L"the data file " + set.dataFile + L" is not among the files");
    }

    DRIVER_INFO_3W di = {};
    di.cVersion = 3;
    di.pName = const_cast<LPWSTR>(set.driverName.c_str());
    di.pDriverPath = const_cast<LPWSTR>(kStandInDriver);
    di.pConfigFile = const_cast<LPWSTR>(kStandInDriver);
    di.pDataFile = const_cast<LPWSTR>(installed.dataFile.c_str());
    di.pDependentFiles = const_cast<LPWSTR>(dependents.c_str());
    di.pDefaultDataType = const_cast<LPWSTR>(L"RAW");
    if (!AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE *>(&di), APD_COPY_NEW_FILES)) {
        error = LastErrorText(L"AddPrinterDriverExW");
        RemoveUnshared(written);
        return fail(error);
    }

    PRINTER_INFO_2W pi = {};
    pi.pPrinterName = const_cast<LPWSTR>(printerName.c_str());
    pi.pPortName = const_cast<LPWSTR>(port.c_str());
    pi.pDriverName = const_cast<LPWSTR>(set.driverName.c_str());
    pi.pPrintProcessor = const_cast<LPWSTR>(L"winprint");
    pi.pDatatype = const_cast<LPWSTR>(L"RAW");
    HANDLE hPrinter = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE *>(&pi));
    if (hPrinter == nullptr && GetLastError() == ERROR_UNKNOWN_PORT && AddLocalPort(port))
        hPrinter = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE *>(&pi));
    if (hPrinter == nullptr) {
        error = LastErrorText(L"AddPrinterW");
        if (!driverExisted) DeletePrinterDriverW(nullptr, nullptr, const_cast<LPWSTR>(set.driverName.c_str()));
        RemoveUnshared(written);
        return fail(error);
    }
    ClosePrinter(hPrinter);
    if (pInstalled != nullptr) *pInstalled = installed;
    return true;
}

bool InstallModelPrinter(const std::wstring &modelDir, const std::wstring &printerName,
                         const std::wstring &portName, const std::wstring &driverName,
                         InstalledPrinter *pInstalled, std::wstring *pError) {
    auto fail = [&](const std::wstring &text) {
        if (pError != nullptr) *pError = text;
        return false;
    };
    const std::wstring source = WithBackslash(ToWindowsPath(modelDir));
    DriverFileSet set;
    set.driverName = driverName.empty() ? printerName : driverName;
    if (printerName.empty()) return fail(L"no printer name");
    for (const std::wstring &name : FilesOf(source)) {
        set.names.push_back(name);
        set.sources.push_back(source + name);
        if (!HasDataFileExtension(name)) continue;
        if (!set.dataFile.empty()) return fail(L"more than one driver data file in " + source);
        set.dataFile = name;
    }
    if (set.dataFile.empty()) return fail(L"no .GPD or .PPD file in " + source);
    // The plug-in the model INI names, and the network library beside it,
    // come from the build the emulator belongs to: the stand-in library.
    for (const std::wstring &module : {std::wstring(kPluginName), NetworkLibraryName(kPluginName)}) {
        const std::wstring path = ExecutableDirectory() + module;
        bool listed = GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
        for (const std::wstring &name : set.names) listed = listed || SameFile(name, module);
        if (listed) continue;
        set.names.push_back(module);
        set.sources.push_back(path);
    }

    // Leftovers of an earlier run would make AddPrinterW fail.
    UninstallModelPrinter(printerName, set.driverName);
    return InstallDriverFiles(set, printerName, portName, pInstalled, pError);
}

bool UninstallModelPrinter(const std::wstring &printerName, const std::wstring &driverName) {
    const std::wstring driver = driverName.empty() ? printerName : driverName;
    bool ok = true;
    if (HANDLE hPrinter = OpenForAdmin(printerName)) {
        ok = DeletePrinter(hPrinter) != FALSE;
        ClosePrinter(hPrinter);
    }

    DWORD count = 0;
    std::vector<BYTE> before = EnumDrivers3(&count);
    std::vector<std::wstring> files;
    bool found = false;
    const auto *pBefore = reinterpret_cast<const DRIVER_INFO_3W *>(before.data());
    for (DWORD i = 0; i < count; ++i) {
        if (pBefore[i].pName != nullptr && driver == pBefore[i].pName) {
            files = ModelFilesOf(pBefore[i]);
            found = true;
        }
    }
    if (!found) return ok;
    if (!DeletePrinterDriverW(nullptr, nullptr, const_cast<LPWSTR>(driver.c_str()))) ok = false;

    std::vector<BYTE> after = EnumDrivers3(&count);
    const auto *pAfter = reinterpret_cast<const DRIVER_INFO_3W *>(after.data());
    for (const std::wstring &file : files) {
        bool shared = SameFile(FileNameOf(file), kStandInDriver);
        for (DWORD i = 0; i < count && !shared; ++i) {
            for (const std::wstring &other : ModelFilesOf(pAfter[i])) shared = shared || SameFile(other, file);
        }
        if (!shared) DeleteFileW(file.c_str());
    }
    return ok;
}

bool GetPrinterDword(const std::wstring &printerName, const std::wstring &valueName, DWORD *pValue) {
    HANDLE hPrinter = OpenForAdmin(printerName);
    if (hPrinter == nullptr) return false;
    DWORD type = 0, cb = 0, value = 0;
    const DWORD rc = GetPrinterDataW(hPrinter, const_cast<LPWSTR>(valueName.c_str()), &type,
                                     reinterpret_cast<BYTE *>(&value), sizeof(value), &cb);
    ClosePrinter(hPrinter);
    if (rc != ERROR_SUCCESS || type != REG_DWORD || cb != sizeof(value)) return false;
    if (pValue != nullptr) *pValue = value;
    return true;
}

bool SetPrinterDword(const std::wstring &printerName, const std::wstring &valueName, DWORD value) {
    HANDLE hPrinter = OpenForAdmin(printerName);
    if (hPrinter == nullptr) return false;
    const DWORD rc = SetPrinterDataW(hPrinter, const_cast<LPWSTR>(valueName.c_str()), REG_DWORD,
                                     reinterpret_cast<BYTE *>(&value), sizeof(value));
    ClosePrinter(hPrinter);
    return rc == ERROR_SUCCESS;
}

bool GetPrinterPort(const std::wstring &printerName, std::wstring *pPort) {
    HANDLE hPrinter = OpenForAdmin(printerName);
    if (hPrinter == nullptr) return false;
    DWORD cb = 0;
    GetPrinterW(hPrinter, 2, nullptr, 0, &cb);
    std::vector<BYTE> info(cb + sizeof(PRINTER_INFO_2W));
    const BOOL ok = cb != 0 && GetPrinterW(hPrinter, 2, info.data(), static_cast<DWORD>(info.size()), &cb);
    ClosePrinter(hPrinter);
    const auto *pInfo = reinterpret_cast<const PRINTER_INFO_2W *>(info.data());
    if (!ok || pInfo->pPortName == nullptr) return false;
    if (pPort != nullptr) *pPort = pInfo->pPortName;
    return true;
}

bool GetPrinterString(const std::wstring &printerName, const std::wstring &valueName, std::wstring *pValue) {
    HANDLE hPrinter = OpenForAdmin(printerName);
    if (hPrinter == nullptr) return false;
    DWORD type = 0, cb = 0;
    LPWSTR name = const_cast<LPWSTR>(valueName.c_str());
    DWORD rc = GetPrinterDataW(hPrinter, name, &type, nullptr, 0, &cb);
    std::vector<BYTE> data(cb + sizeof(wchar_t));
    if (rc == ERROR_MORE_DATA || rc == ERROR_SUCCESS)
        rc = GetPrinterDataW(hPrinter, name, &type, data.data(), cb, &cb);
    ClosePrinter(hPrinter);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
    // Values written without a terminator are as valid as those with one.
    std::wstring text(reinterpret_cast<const wchar_t *>(data.data()), cb / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    if (pValue != nullptr) *pValue = text;
    return true;
}

bool SetPrinterString(const std::wstring &printerName, const std::wstring &valueName, const std::wstring &value) {
    HANDLE hPrinter = OpenForAdmin(printerName);
    if (hPrinter == nullptr) return false;
    const DWORD rc = SetPrinterDataW(hPrinter, const_cast<LPWSTR>(valueName.c_str()), REG_SZ,
                                     reinterpret_cast<BYTE *>(const_cast<wchar_t *>(value.c_str())),
                                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    ClosePrinter(hPrinter);
    return rc == ERROR_SUCCESS;
}

bool DeletePrinterValue(const std::wstring &printerName, const std::wstring &valueName) {
    HANDLE hPrinter = OpenForAdmin(printerName);
    if (hPrinter == nullptr) return false;
    const DWORD rc = DeletePrinterDataW(hPrinter, const_cast<LPWSTR>(valueName.c_str()));
    ClosePrinter(hPrinter);
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

bool ReadRegString(HKEY root, const std::wstring &key, const std::wstring &value, std::wstring *pData) {
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS) return false;
    DWORD type = 0, cb = 0;
    LONG rc = RegQueryValueExW(hKey, value.c_str(), nullptr, &type, nullptr, &cb);
    std::vector<BYTE> data(cb + sizeof(wchar_t));
    if (rc == ERROR_SUCCESS) rc = RegQueryValueExW(hKey, value.c_str(), nullptr, &type, data.data(), &cb);
    RegCloseKey(hKey);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
    std::wstring text(reinterpret_cast<const wchar_t *>(data.data()), cb / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    if (pData != nullptr) *pData = text;
    return true;
}

bool WriteRegString(HKEY root, const std::wstring &key, const std::wstring &value, const std::wstring &data) {
    HKEY hKey = nullptr;
    if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &hKey,
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const LONG rc = RegSetValueExW(hKey, value.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE *>(data.c_str()),
                                   static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(hKey);
    return rc == ERROR_SUCCESS;
}

bool ReadRegDword(HKEY root, const std::wstring &key, const std::wstring &value, DWORD *pData) {
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS) return false;
    DWORD type = 0, data = 0, cb = sizeof(data);
    const LONG rc = RegQueryValueExW(hKey, value.c_str(), nullptr, &type, reinterpret_cast<BYTE *>(&data), &cb);
    RegCloseKey(hKey);
    if (rc != ERROR_SUCCESS || type != REG_DWORD || cb != sizeof(data)) return false;
    if (pData != nullptr) *pData = data;
    return true;
}

bool WriteRegDword(HKEY root, const std::wstring &key, const std::wstring &value, DWORD data) {
    HKEY hKey = nullptr;
    if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &hKey,
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const LONG rc = RegSetValueExW(hKey, value.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE *>(&data),
                                   sizeof(data));
    RegCloseKey(hKey);
    return rc == ERROR_SUCCESS;
}

bool DeleteRegTree(HKEY root, const std::wstring &key) {
    const LONG rc = RegDeleteTreeW(root, key.c_str());
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

}  // namespace oemuihost
