#include "host/driver_package.h"

#include <algorithm>
#include <cstring>
#include <cwctype>

#include "common/bounded_format.h"
#include "common/handles.h"
#include "host/plugin_host.h"
#include "settings/profile_reader.h"

namespace oemuihost {
namespace {

constexpr wchar_t kCrLf[] = L"\r\n";

std::wstring Upper(std::wstring text) {
    for (wchar_t &c : text) c = static_cast<wchar_t>(std::towupper(c));
    return text;
}

// An INF string value: quoted, with inner quotes doubled and percent signs
// doubled so that setup reads them literally.
std::wstring InfQuoted(const std::wstring &text) {
    std::wstring out = L"\"";
    for (wchar_t c : text) {
        if (c == L'"') out += L'"';
        if (c == L'%') out += L'%';
        out += c;
    }
    return out + L"\"";
}

// A section name or string key made of letters, digits and underscores.
std::wstring InfToken(const std::wstring &text) {
    std::wstring out;
    for (wchar_t c : text) out += (std::iswalnum(c) && c < 0x80) ? c : L'_';
    return out.empty() ? std::wstring(L"Model") : out;
}

// The date part of DriverVer comes from the plug-in itself, so that one build
// always gives the same INF: its link time stamp, else its file time.
std::wstring DriverDate(const std::wstring &dllPath) {
    std::string image;
    DWORD stamp = 0;
    if (ReadWholeFile(dllPath, &image) && image.size() >= sizeof(IMAGE_DOS_HEADER)) {
        IMAGE_DOS_HEADER dos = {};
        std::memcpy(&dos, image.data(), sizeof(dos));
        IMAGE_NT_HEADERS64 nt = {};
        if (dos.e_magic == IMAGE_DOS_SIGNATURE && dos.e_lfanew > 0 &&
            static_cast<size_t>(dos.e_lfanew) + sizeof(nt) <= image.size()) {
            std::memcpy(&nt, image.data() + dos.e_lfanew, sizeof(nt));
            if (nt.Signature == IMAGE_NT_SIGNATURE) stamp = nt.FileHeader.TimeDateStamp;
        }
    }
    FILETIME ft = {};
    WIN32_FILE_ATTRIBUTE_DATA attrs = {};
    if (GetFileAttributesExW(dllPath.c_str(), GetFileExInfoStandard, &attrs)) ft = attrs.ftLastWriteTime;
    if (stamp != 0) {
        // Seconds since 1970 to 100-ns units since 1601.
        const ULONGLONG ticks = (static_cast<ULONGLONG>(stamp) + 11644473600ULL) * 10000000ULL;
        ft.dwLowDateTime = static_cast<DWORD>(ticks);
        ft.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    }
    SYSTEMTIME st = {};
    if (!FileTimeToSystemTime(&ft, &st) || st.wYear < 2000) st = {2000, 1, 0, 1, 0, 0, 0, 0};
    wchar_t sz[16] = {};
    oemui::FormatCchW(sz, 16, L"%02u/%02u/%04u", st.wMonth, st.wDay, st.wYear);
    return sz;
}

bool CopyInto(const std::wstring &from, const std::wstring &to, std::wstring *pError) {
    if (CopyFileW(from.c_str(), to.c_str(), FALSE)) return true;
    *pError = L"cannot copy " + from + L" to " + to + L", error " + HexCode(GetLastError());
    return false;
}

}  // namespace

bool ReadWholeFile(const std::wstring &path, std::string *pBytes) {
    oemui::KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size = {};
    if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart > 0x10000000) return false;
    pBytes->assign(static_cast<size_t>(size.QuadPart), '\0');
    DWORD cb = 0;
    return pBytes->empty() ||
           (ReadFile(file.get(), &(*pBytes)[0], static_cast<DWORD>(pBytes->size()), &cb, nullptr) && cb == pBytes->size());
}

std::wstring DecodeText(const std::string &bytes) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE) {
        std::wstring text((bytes.size() - 2) / 2, L'\0');
        if (!text.empty()) std::memcpy(&text[0], bytes.data() + 2, text.size() * sizeof(wchar_t));
        return text;
    }
    std::wstring text;
    for (char c : bytes) text += static_cast<wchar_t>(static_cast<unsigned char>(c));
    return text;
}

std::wstring WithBackslash(std::wstring path) {
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    return path;
}

std::wstring ToWindowsPath(std::wstring path) {
    std::replace(path.begin(), path.end(), L'/', L'\\');
    if (!path.empty() && path[0] == L'\\' && (path.size() < 2 || path[1] != L'\\')) path = L"Z:" + path;
    return path;
}

std::wstring FileNameOf(const std::wstring &path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

bool HasDataFileExtension(const std::wstring &name) {
    const size_t dot = name.find_last_of(L'.');
    if (dot == std::wstring::npos) return false;
    const std::wstring ext = Upper(name.substr(dot));
    return ext == L".GPD" || ext == L".PPD";
}

std::vector<std::wstring> FilesOf(const std::wstring &dir) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    HANDLE hFind = FindFirstFileW((dir + L"*").c_str(), &fd);
    if (hFind == INVALID_HANDLE_VALUE) return names;
    do {
        if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.emplace_back(fd.cFileName);
    } while (FindNextFileW(hFind, &fd));
    FindClose(hFind);
    std::sort(names.begin(), names.end());
    return names;
}

std::wstring NetworkLibraryName(const std::wstring &pluginFileName) {
    if (pluginFileName.size() < 5) return std::wstring();
    return pluginFileName.substr(0, pluginFileName.size() - 5) + L"N.DLL";
}

bool ReadFileVersion(const std::wstring &path, std::wstring *pVersion, std::wstring *pError) {
    DWORD handle = 0;
    const DWORD cb = GetFileVersionInfoSizeW(path.c_str(), &handle);
    std::vector<BYTE> block(cb);
    VS_FIXEDFILEINFO *pInfo = nullptr;
    UINT cbInfo = 0;
    if (cb == 0 || !GetFileVersionInfoW(path.c_str(), 0, cb, block.data()) ||
        !VerQueryValueW(block.data(), L"\\", reinterpret_cast<void **>(&pInfo), &cbInfo) || pInfo == nullptr ||
        cbInfo < sizeof(VS_FIXEDFILEINFO) || pInfo->dwSignature != 0xFEEF04BD) {
        *pError = path + L" has no version resource (error " + HexCode(GetLastError()) + L")";
        return false;
    }
    *pVersion = std::to_wstring(HIWORD(pInfo->dwFileVersionMS)) + L"." + std::to_wstring(LOWORD(pInfo->dwFileVersionMS)) +
                L"." + std::to_wstring(HIWORD(pInfo->dwFileVersionLS)) + L"." +
                std::to_wstring(LOWORD(pInfo->dwFileVersionLS));
    return true;
}

std::wstring Ieee1284HardwareId(const std::wstring &manufacturer, const std::wstring &model) {
    const std::wstring full = manufacturer + model;
    unsigned crc = 0;  // CRC-16, polynomial 0x8005 taken bit-reversed, over the ASCII bytes
    for (wchar_t c : full) {
        crc ^= static_cast<unsigned>(c) & 0xFF;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
    }
    std::wstring id = full.substr(0, 20);
    std::replace(id.begin(), id.end(), L' ', L'_');
    wchar_t sz[8] = {};
    oemui::FormatCchW(sz, 8, L"%04X", crc & 0xFFFF);
    return id + sz;
}

std::wstring DriverPackageInf(const InfDescription &inf) {
    const bool ppd = Upper(inf.dataFile).find(L".PPD") != std::wstring::npos;
    const std::wstring section = InfToken(inf.stem);
    const std::wstring maker = InfToken(inf.manufacturer);
    const std::wstring id = Ieee1284HardwareId(inf.manufacturer, inf.modelName.substr(
        std::min(inf.modelName.size(), inf.manufacturer.size() + 1)));
    std::wstring t;
    auto line = [&t](const std::wstring &text) { t += text + kCrLf; };
    line(L"; " + inf.modelName + L": printer driver package for 64-bit Windows.");
    line(L"; Generated from the model's files; install it with the Add Printer wizard or pnputil.");
    line(L"");
    line(L"[Version]");
    line(L"Signature=\"$Windows NT$\"");
    line(L"Class=Printer");
    line(L"ClassGUID={4D36E979-E325-11CE-BFC1-08002BE10318}");
    line(L"Provider=%Provider%");
    line(L"DriverVer=" + inf.driverVer);
    line(L"CatalogFile=" + inf.stem + L".CAT");
    line(L"");
    line(L"[Manufacturer]");
    line(L"%Manufacturer%=" + maker + L",NTamd64");
    line(L"");
    line(L"[" + maker + L".NTamd64]");
    line(InfQuoted(inf.modelName) + L"=" + section + L",USBPRINT\\" + id + L",LPTENUM\\" + id);
    line(L"");
    line(L"[" + section + L"]");
    line(L"CopyFiles=" + section + L"_FILES");
    line(L"DataFile=" + inf.dataFile);
    line(ppd ? L"DataSection=PSCRIPT_DATA" : L"DataSection=UNIDRV_DATA");
    line(L"Include=NTPRINT.INF");
    line(ppd ? L"Needs=PSCRIPT.OEM" : L"Needs=UNIDRV.OEM");
    line(L"");
    line(L"[" + section + L"_FILES]");
    for (const std::wstring &f : inf.files) line(f);
    line(L"");
    line(L"[DestinationDirs]");
    line(L"DefaultDestDir=66000");
    line(L"");
    line(L"[SourceDisksNames.amd64]");
    line(L"1=%Disk%,,,");
    line(L"");
    line(L"[SourceDisksFiles]");
    for (const std::wstring &f : inf.files) line(f + L"=1");
    line(L"");
    line(L"[Strings]");
    line(L"Provider=" + InfQuoted(inf.manufacturer));
    line(L"Manufacturer=" + InfQuoted(inf.manufacturer));
    line(L"Disk=" + InfQuoted(inf.modelName + L" driver files"));
    return t;
}

bool BuildDriverPackage(const std::wstring &modelDir, const std::wstring &outRoot, const PluginPair &pair,
                        DriverPackage *pPackage, std::wstring *pError) {
    const std::wstring source = WithBackslash(ToWindowsPath(modelDir));
    const std::vector<std::wstring> names = FilesOf(source);
    InfDescription inf;
    for (const std::wstring &name : names) {
        if (!HasDataFileExtension(name)) continue;
        if (!inf.dataFile.empty()) {
            *pError = L"more than one driver data file in " + source;
            return false;
        }
        inf.dataFile = name;
    }
    if (inf.dataFile.empty()) {
        *pError = L"no .GPD or .PPD file in " + source;
        return false;
    }
    inf.stem = inf.dataFile.substr(0, inf.dataFile.find(L'.'));

    // The caption names the model; its first word is the maker.
    oemui::ProfileReader ini;
    ini.SetPath((source + inf.stem + L"u.INI").c_str());
    ini.SetSection(L"Common");
    wchar_t szCaption[oemui::kProfileTextCch] = {};
    ini.ReadText(L"Caption", szCaption);
    inf.modelName = szCaption;
    if (inf.modelName == L"Caption") {
        *pError = source + inf.stem + L"u.INI has no [Common] Caption to name the model";
        return false;
    }
    inf.manufacturer = inf.modelName.substr(0, inf.modelName.find(L' '));

    const std::wstring plugin = ToWindowsPath(pair.pluginDll);
    const std::wstring pluginName = Upper(FileNameOf(plugin));
    std::wstring version;
    if (!ReadFileVersion(plugin, &version, pError)) return false;
    inf.driverVer = DriverDate(plugin) + L"," + version;

    const std::wstring folder = WithBackslash(ToWindowsPath(outRoot)) + FileNameOf(source.substr(0, source.size() - 1)) + L"\\";
    CreateDirectoryW(ToWindowsPath(outRoot).c_str(), nullptr);
    CreateDirectoryW(folder.c_str(), nullptr);
    for (const std::wstring &stale : FilesOf(folder)) DeleteFileW((folder + stale).c_str());

    for (const std::wstring &name : names) {
        if (!CopyInto(source + name, folder + name, pError)) return false;
    }
    if (!CopyInto(plugin, folder + pluginName, pError)) return false;
    if (!CopyInto(ToWindowsPath(pair.networkDll), folder + NetworkLibraryName(pluginName), pError)) return false;

    inf.files = names;
    inf.files.push_back(pluginName);
    inf.files.push_back(NetworkLibraryName(pluginName));
    std::sort(inf.files.begin(), inf.files.end());
    inf.files.erase(std::unique(inf.files.begin(), inf.files.end()), inf.files.end());

    DriverPackage package;
    package.folder = folder;
    package.infName = inf.stem + L".INF";
    package.modelName = inf.modelName;
    package.files = inf.files;
    // INFs are UTF-16LE with a byte-order mark: captions need not be ASCII.
    const std::wstring text = L"\xFEFF" + DriverPackageInf(inf);
    oemui::KernelHandle file(CreateFileW((folder + package.infName).c_str(), GENERIC_WRITE, 0, nullptr,
                                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD cbWritten = 0;
    const DWORD cb = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (!file || !WriteFile(file.get(), text.data(), cb, &cbWritten, nullptr) || cbWritten != cb) {
        *pError = L"cannot write " + folder + package.infName;
        return false;
    }
    if (pPackage != nullptr) *pPackage = package;
    return true;
}

}  // namespace oemuihost
