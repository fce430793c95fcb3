#include "host/seeding.h"

#include <cwchar>

#include "common/handles.h"
#include "host/devmode_fields.h"
#include "host/driver_devmode.h"
#include "host/session.h"
#include "host/side_effects.h"

namespace oemuihost {
namespace {

bool Is(const std::wstring &a, const wchar_t *b) { return lstrcmpiW(a.c_str(), b) == 0; }

constexpr wchar_t kPortKeyBase[] =
    L"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports\\";
constexpr wchar_t kAwaySuffix[] = L".oemuihost-away";

struct TypeWord {
    const wchar_t *word;
    DWORD type;
};
constexpr TypeWord kTypeWords[] = {
    {L"REG_SZ", REG_SZ}, {L"REG_EXPAND_SZ", REG_EXPAND_SZ}, {L"REG_MULTI_SZ", REG_MULTI_SZ},
    {L"REG_DWORD", REG_DWORD}, {L"REG_BINARY", REG_BINARY}, {L"REG_QWORD", REG_QWORD}, {L"REG_NONE", REG_NONE},
};


bool WriteRegValue(HKEY root, const std::wstring &key, const std::wstring &name, DWORD type,
                   const std::vector<BYTE> &data) {
    oemui::RegKey hKey;
    if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, hKey.put(), nullptr) != ERROR_SUCCESS)
        return false;
    return RegSetValueExW(hKey.get(), name.c_str(), 0, type, data.empty() ? nullptr : data.data(),
                          static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

}  // namespace

bool SplitRegistryPath(const std::wstring &path, HKEY *pRoot, std::wstring *pKey) {
    struct Root {
        const wchar_t *prefix;
        HKEY root;
    };
    const Root kRoots[] = {{L"HKCU\\", HKEY_CURRENT_USER}, {L"HKEY_CURRENT_USER\\", HKEY_CURRENT_USER},
                               {L"HKLM\\", HKEY_LOCAL_MACHINE}, {L"HKEY_LOCAL_MACHINE\\", HKEY_LOCAL_MACHINE}};
    for (const Root &r : kRoots) {
        const size_t n = wcslen(r.prefix);
        if (path.size() > n && _wcsnicmp(path.c_str(), r.prefix, n) == 0) {
            *pRoot = r.root;
            *pKey = path.substr(n);
            return true;
        }
    }
    return false;
}

bool ParseRegType(const std::wstring &word, DWORD *pType, std::wstring *pError) {
    for (const TypeWord &t : kTypeWords)
        if (Is(word, t.word)) {
            *pType = t.type;
            return true;
        }
    wchar_t *end = nullptr;
    const unsigned long n = wcstoul(word.c_str(), &end, 0);
    if (word.empty() || *end != L'\0') {
        *pError = L"\"" + word + L"\" is not a registry type";
        return false;
    }
    *pType = n;
    return true;
}

std::wstring RegTypeName(DWORD type) {
    for (const TypeWord &t : kTypeWords)
        if (t.type == type) return t.word;
    return std::to_wstring(type);
}

bool ParseSeedValue(const std::wstring &typeWord, const std::wstring &value, DWORD *pType, std::vector<BYTE> *pData,
                    std::wstring *pError) {
    if (!ParseRegType(typeWord, pType, pError)) return false;
    wchar_t *end = nullptr;
    pData->clear();
    if (value.compare(0, 4, L"hex:") == 0) {
        const std::wstring hex = value.substr(4);
        if (hex.size() % 2 != 0 || hex.find_first_not_of(L"0123456789abcdefABCDEF") != std::wstring::npos) {
            *pError = L"hex: takes pairs of hexadecimal digits";
            return false;
        }
        for (size_t i = 0; i < hex.size(); i += 2)
            pData->push_back(static_cast<BYTE>(wcstoul(hex.substr(i, 2).c_str(), nullptr, 16)));
        return true;
    }
    if (*pType == REG_DWORD) {
        const unsigned long long n = wcstoull(value.c_str(), &end, 0);
        if (value.empty() || *end != L'\0' || n > 0xFFFFFFFFull) {
            *pError = L"a REG_DWORD takes a number, not \"" + value + L"\" (hex: gives other bytes)";
            return false;
        }
        const DWORD d = static_cast<DWORD>(n);
        pData->assign(reinterpret_cast<const BYTE *>(&d), reinterpret_cast<const BYTE *>(&d) + 4);
        return true;
    }
    // Text with its terminator (a second one for REG_MULTI_SZ).
    std::wstring text = value;
    text.push_back(L'\0');
    if (*pType == REG_MULTI_SZ) text.push_back(L'\0');
    pData->assign(reinterpret_cast<const BYTE *>(text.data()),
                  reinterpret_cast<const BYTE *>(text.data()) + text.size() * sizeof(wchar_t));
    return true;
}

Seeding::Seeding(const std::wstring &pluginPath) { UsePlugin(pluginPath); }

void Seeding::UsePlugin(const std::wstring &pluginPath) {
    m_netLib.clear();
    if (pluginPath.size() >= 5) m_netLib = pluginPath.substr(0, pluginPath.size() - 5) + L"N.DLL";
    // A run that was stopped may have left the library set aside.
    RestoreNetLib();
}

bool Seeding::Seed(const std::vector<std::wstring> &a, const StepContext &ctx, std::wstring *pError) {
    if (Is(a[0], L"printerdata")) return SeedPrinterData(a, ctx, pError);
    if (Is(a[0], L"registry")) return SeedRegistry(a, pError);
    if (Is(a[0], L"block")) return SeedBlock(a, ctx, pError);
    if (Is(a[0], L"modelfile")) return SeedModelFile(a, ctx, pError);
    *pError = L"seed printerdata, registry, block or modelfile, not \"" + a[0] + L"\"";
    return false;
}

bool Seeding::SeedPrinterData(const std::vector<std::wstring> &a, const StepContext &ctx, std::wstring *pError) {
    const bool remove = a.size() == 3 && Is(a[2], L"delete");
    if (!remove && a.size() != 4) {
        *pError = L"seed printerdata NAME TYPE VALUE or seed printerdata NAME delete";
        return false;
    }
    if (ctx.printer.empty()) {
        *pError = L"no printer yet (use model or printer first)";
        return false;
    }
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!remove && !ParseSeedValue(a[2], a[3], &type, &data, pError)) return false;
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    oemui::PrinterHandle printer;
    if (!OpenPrinterW(const_cast<LPWSTR>(ctx.printer.c_str()), printer.put(), &defaults)) {
        *pError = L"cannot open printer \"" + ctx.printer + L"\" (error " + std::to_wstring(GetLastError()) + L")";
        return false;
    }
    const DWORD err = remove ? DeletePrinterDataW(printer.get(), const_cast<LPWSTR>(a[1].c_str()))
                             : SetPrinterDataW(printer.get(), const_cast<LPWSTR>(a[1].c_str()), type,
                                               data.empty() ? nullptr : data.data(), static_cast<DWORD>(data.size()));
    if (err != ERROR_SUCCESS && !(remove && err == ERROR_FILE_NOT_FOUND)) {
        *pError = L"the printer data cannot be written (error " + std::to_wstring(err) + L")";
        return false;
    }
    if (ctx.pReport != nullptr)
        ctx.pReport->Add(L"sheet", L"printer data " + a[1] + (remove ? L" deleted" : L" seeded (" +
                                   std::to_wstring(data.size()) + L" bytes, type " + std::to_wstring(type) + L")"));
    return true;
}

// The printer's installed copy of a model file: the printer-driver folder
// holds the data file and every file of the model beside it.
bool Seeding::SeedModelFile(const std::vector<std::wstring> &a, const StepContext &ctx, std::wstring *pError) {
    if (a.size() != 5 || a[1].find_first_of(L"\\/:") != std::wstring::npos) {
        *pError = L"seed modelfile FILE SECTION KEY VALUE|delete (FILE: a name in the driver's folder)";
        return false;
    }
    if (ctx.printer.empty()) {
        *pError = L"no printer yet (use model or printer first)";
        return false;
    }
    oemui::PrinterHandle printer;
    DWORD cb = 0;
    std::vector<BYTE> info;
    if (OpenPrinterW(const_cast<LPWSTR>(ctx.printer.c_str()), printer.put(), nullptr)) {
        GetPrinterDriverW(printer.get(), nullptr, 2, nullptr, 0, &cb);
        info.resize(cb);
    }
    const auto *pDriver = reinterpret_cast<const DRIVER_INFO_2W *>(info.data());
    if (cb == 0 || !GetPrinterDriverW(printer.get(), nullptr, 2, info.data(), cb, &cb) || pDriver->pDataFile == nullptr) {
        *pError = L"the driver files of \"" + ctx.printer + L"\" cannot be found";
        return false;
    }
    std::wstring path = pDriver->pDataFile;
    path = path.substr(0, path.find_last_of(L'\\') + 1) + a[1];
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        *pError = L"the driver has no file " + path;
        return false;
    }
    const bool remove = Is(a[4], L"delete");
    WritePrivateProfileStringW(a[2].c_str(), a[3].c_str(), remove ? nullptr : a[4].c_str(), path.c_str());
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, path.c_str());
    if (ctx.pReport != nullptr)
        ctx.pReport->Add(L"sheet", L"model file " + a[1] + L" [" + a[2] + L"] " + a[3] +
                                       (remove ? L" deleted" : L" = " + a[4]));
    return true;
}

bool Seeding::SeedRegistry(const std::vector<std::wstring> &a, std::wstring *pError) {
    const bool remove = a.size() == 4 && Is(a[3], L"delete");
    HKEY root = nullptr;
    std::wstring key;
    if ((!remove && a.size() != 5) || !SplitRegistryPath(a[1], &root, &key)) {
        *pError = L"seed registry HKCU\\KEY VALUE TYPE DATA or seed registry HKCU\\KEY VALUE delete";
        return false;
    }
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!remove && !ParseSeedValue(a[3], a[4], &type, &data, pError)) return false;
    // What was there before comes back at the end of the run.
    SavedValue saved = {root, key, a[2], false, 0, {}};
    {
        oemui::RegKey hKey;
        DWORD cb = 0;
        if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, hKey.put()) == ERROR_SUCCESS &&
            RegQueryValueExW(hKey.get(), a[2].c_str(), nullptr, &saved.type, nullptr, &cb) == ERROR_SUCCESS) {
            saved.data.resize(cb);
            saved.existed = RegQueryValueExW(hKey.get(), a[2].c_str(), nullptr, &saved.type, saved.data.data(), &cb) ==
                            ERROR_SUCCESS;
        }
    }
    m_saved.push_back(saved);
    if (remove) {
        oemui::RegKey hKey;
        if (RegOpenKeyExW(root, key.c_str(), 0, KEY_WRITE, hKey.put()) == ERROR_SUCCESS)
            RegDeleteValueW(hKey.get(), a[2].c_str());
        return true;
    }
    if (!WriteRegValue(root, key, a[2], type, data)) {
        *pError = L"the registry value cannot be written";
        return false;
    }
    return true;
}

bool Seeding::SeedBlock(const std::vector<std::wstring> &a, const StepContext &ctx, std::wstring *pError) {
    if (a.size() != 3) {
        *pError = L"seed block FIELD VALUE";
        return false;
    }
    const DevModeField *pField = FindDevModeField(a[1]);
    if (pField == nullptr) {
        *pError = L"the plug-in's block has no field \"" + a[1] + L"\"";
        return false;
    }
    const size_t blockAt = sizeof(DEVMODEW) + sizeof(HostPrivate);
    if (ctx.pSession != nullptr && ctx.pSession->IsOpen()) {
        DriverDevMode &dm = ctx.pSession->DevMode();
        if (dm.PluginSize() < sizeof(oemui::PrivateDevMode)) {
            *pError = L"the open sheet's plug-in block is too small for " + a[1];
            return false;
        }
        return WriteDevModeField(reinterpret_cast<oemui::PrivateDevMode *>(dm.PluginBlock()), *pField, a[2], pError);
    }
    // The device mode stored by an earlier sheet, as the next sheet will read it.
    std::vector<BYTE> stored;
    if (ctx.printer.empty() || !LoadStoredDevMode(ctx.printer, &stored)) {
        *pError = L"no stored device mode (open the printing preferences and close them with OK first)";
        return false;
    }
    if (stored.size() < blockAt + sizeof(oemui::PrivateDevMode)) {
        *pError = L"the stored device mode's plug-in block is too small for " + a[1];
        return false;
    }
    if (!WriteDevModeField(reinterpret_cast<oemui::PrivateDevMode *>(stored.data() + blockAt), *pField, a[2], pError))
        return false;
    if (!SaveStoredDevMode(ctx.printer, stored)) {
        *pError = L"the stored device mode cannot be written";
        return false;
    }
    return true;
}

bool Seeding::TcpPort(const std::wstring &port, const std::wstring &kind, const std::wstring &value,
                      std::wstring *pError) {
    const std::wstring key = kPortKeyBase + port;
    const bool byName = Is(kind, L"hostname");
    // The monitor keeps both values; a port set up by name has an empty address.
    const std::wstring address = byName ? std::wstring() : value;
    const std::wstring host = byName ? value : std::wstring();
    std::vector<BYTE> a, h;
    DWORD type = 0;
    if (!ParseSeedValue(L"REG_SZ", address, &type, &a, pError) || !ParseSeedValue(L"REG_SZ", host, &type, &h, pError))
        return false;
    if (!WriteRegValue(HKEY_LOCAL_MACHINE, key, L"IPAddress", REG_SZ, a) ||
        !WriteRegValue(HKEY_LOCAL_MACHINE, key, L"HostName", REG_SZ, h)) {
        *pError = L"the port monitor's key cannot be written";
        return false;
    }
    m_portKeys.push_back(key);
    return true;
}

bool Seeding::NetLib(const std::wstring &state, std::wstring *pError) {
    if (m_netLib.empty()) {
        *pError = L"the plug-in's path does not name a network library";
        return false;
    }
    RestoreNetLib();
    if (Is(state, L"present")) return true;
    const std::wstring away = m_netLib + kAwaySuffix;
    if (GetFileAttributesW(m_netLib.c_str()) != INVALID_FILE_ATTRIBUTES && !MoveFileW(m_netLib.c_str(), away.c_str())) {
        *pError = L"the network library cannot be set aside (error " + std::to_wstring(GetLastError()) + L")";
        return false;
    }
    // A library without the entry: the HTML Help stand-in exports none of it.
    if (Is(state, L"noentry") && !CopyFileW(HelpStandInPath().c_str(), m_netLib.c_str(), FALSE)) {
        *pError = L"no library without the entry can be put in place (error " + std::to_wstring(GetLastError()) + L")";
        RestoreNetLib();
        return false;
    }
    return true;
}

void Seeding::RestoreNetLib() {
    if (m_netLib.empty()) return;
    const std::wstring away = m_netLib + kAwaySuffix;
    if (GetFileAttributesW(away.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    DeleteFileW(m_netLib.c_str());
    MoveFileW(away.c_str(), m_netLib.c_str());
}

void Seeding::Undo() {
    for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
        if (it->existed) {
            WriteRegValue(it->root, it->key, it->name, it->type, it->data);
            continue;
        }
        oemui::RegKey hKey;
        if (RegOpenKeyExW(it->root, it->key.c_str(), 0, KEY_WRITE, hKey.put()) == ERROR_SUCCESS)
            RegDeleteValueW(hKey.get(), it->name.c_str());
    }
    m_saved.clear();
    for (const std::wstring &key : m_portKeys) RegDeleteKeyW(HKEY_LOCAL_MACHINE, key.c_str());
    m_portKeys.clear();
    RestoreNetLib();
}

}  // namespace oemuihost
