#include "tests/package/package_rig.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <winspool.h>

#include "host/plugin_host.h"
#include "host/printer_install.h"

namespace oemuihost {

std::wstring PackagesDirectory() {
    wchar_t szFull[MAX_PATH] = {};
    GetFullPathNameW((ExecutableDirectory() + L"..\\packages\\").c_str(), MAX_PATH, szFull, nullptr);
    return szFull;
}

std::vector<std::wstring> SampleModelFolders() {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    HANDLE hFind = FindFirstFileW((SampleModelsDirectory() + L"*").c_str(), &fd);
    if (hFind == INVALID_HANDLE_VALUE) return names;
    do {
        if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && fd.cFileName[0] != L'.')
            names.emplace_back(fd.cFileName);
    } while (FindNextFileW(hFind, &fd));
    FindClose(hFind);
    return names;
}

std::wstring PackageInf(const std::wstring &model) {
    std::wstring inf, error;
    FindPackageInf(PackagesDirectory() + model, &inf, &error);
    return inf;
}

std::wstring ScratchDirectory(const std::wstring &name) {
    wchar_t szTemp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, szTemp);
    const std::wstring root = WithBackslash(szTemp) + L"oemui-package-tests\\";
    const std::wstring dir = root + name + L"\\";
    CreateDirectoryW(root.c_str(), nullptr);
    CreateDirectoryW(dir.c_str(), nullptr);
    for (const std::wstring &file : FilesOf(dir)) DeleteFileW((dir + file).c_str());
    return dir;
}

std::wstring CopyOfPackage(const std::wstring &model, const std::wstring &scratchName) {
    const std::wstring from = PackagesDirectory() + model + L"\\";
    const std::wstring to = ScratchDirectory(scratchName);
    for (const std::wstring &file : FilesOf(from)) CopyFileW((from + file).c_str(), (to + file).c_str(), FALSE);
    return to;
}

std::wstring ReadText(const std::wstring &path) {
    std::string bytes;
    return ReadWholeFile(path, &bytes) ? DecodeText(bytes) : std::wstring();
}

void WriteText(const std::wstring &path, const std::wstring &text) {
    const std::wstring data = L"\xFEFF" + text;
    HANDLE hFile = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) return;
    DWORD cb = 0;
    WriteFile(hFile, data.data(), static_cast<DWORD>(data.size() * sizeof(wchar_t)), &cb, nullptr);
    CloseHandle(hFile);
}

void Replace(const std::wstring &path, const std::wstring &from, const std::wstring &to) {
    std::wstring text = ReadText(path);
    const size_t at = text.find(from);
    ASSERT_NE(at, std::wstring::npos) << Narrow(from);
    text.replace(at, from.size(), to);
    WriteText(path, text);
}

bool SameFileBytes(const std::wstring &a, const std::wstring &b) {
    std::string x, y;
    return ReadWholeFile(a, &x) && ReadWholeFile(b, &y) && x == y;
}

std::vector<std::wstring> DriverFolderFiles() {
    wchar_t sz[MAX_PATH] = {};
    DWORD cb = 0;
    GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE *>(sz), sizeof(sz), &cb);
    return FilesOf(WithBackslash(sz) + L"3\\");
}

bool DriverInstalled(const std::wstring &driverName) {
    DWORD cbNeeded = 0, count = 0;
    EnumPrinterDriversW(nullptr, nullptr, 1, nullptr, 0, &cbNeeded, &count);
    std::vector<BYTE> buffer(cbNeeded + sizeof(DRIVER_INFO_1W));
    if (!EnumPrinterDriversW(nullptr, nullptr, 1, buffer.data(), static_cast<DWORD>(buffer.size()), &cbNeeded, &count))
        return false;
    const auto *pInfo = reinterpret_cast<const DRIVER_INFO_1W *>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        if (pInfo[i].pName != nullptr && driverName == pInfo[i].pName) return true;
    return false;
}

void RemovePrinterAndDriver(const std::wstring &printerName) {
    HANDLE hPrinter = nullptr;
    std::wstring driver;
    if (OpenPrinterW(const_cast<LPWSTR>(printerName.c_str()), &hPrinter, nullptr)) {
        DWORD cb = 0;
        GetPrinterW(hPrinter, 2, nullptr, 0, &cb);
        std::vector<BYTE> info(cb + sizeof(PRINTER_INFO_2W));
        if (cb != 0 && GetPrinterW(hPrinter, 2, info.data(), static_cast<DWORD>(info.size()), &cb)) {
            const wchar_t *pszDriver = reinterpret_cast<const PRINTER_INFO_2W *>(info.data())->pDriverName;
            if (pszDriver != nullptr) driver = pszDriver;
        }
        ClosePrinter(hPrinter);
    }
    UninstallModelPrinter(printerName, driver);
}

}  // namespace oemuihost
