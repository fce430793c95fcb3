#include "host/stored_state.h"

#include <windows.h>

#include <cstring>
#include <set>

#include "common/bounded_format.h"
#include "common/handles.h"
#include "host/devmode_report.h"
#include "host/driver_devmode.h"
#include "host/dumps.h"
#include "host/side_effects.h"
#include "settings/private_devmode.h"

namespace oemuihost {
namespace {

std::wstring Value(DWORD type, const BYTE *p, DWORD cb) { return std::to_wstring(type) + L":" + HexBytes(p, cb); }

// Every value of a key and its subkeys, named by their path under root.
void AddKeyValues(HKEY root, const std::wstring &path, int depth, StoredState *pState) {
    oemui::RegKey key;
    if (depth > 4 || RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return;
    for (DWORD i = 0;; ++i) {
        wchar_t szName[256];
        DWORD cchName = 256, type = 0, cb = 0;
        if (RegEnumValueW(key.get(), i, szName, &cchName, nullptr, &type, nullptr, &cb) != ERROR_SUCCESS) break;
        std::vector<BYTE> data(cb + 2, 0);
        cchName = 256;
        if (RegEnumValueW(key.get(), i, szName, &cchName, nullptr, &type, data.data(), &cb) != ERROR_SUCCESS) break;
        (*pState)[L"registry " + path + L"\\" + szName] = Value(type, data.data(), cb);
    }
    for (DWORD i = 0;; ++i) {
        wchar_t szSub[256];
        DWORD cch = 256;
        if (RegEnumKeyExW(key.get(), i, szSub, &cch, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        AddKeyValues(root, path + L"\\" + szSub, depth + 1, pState);
    }
}

void AddPrinterData(HANDLE hPrinter, StoredState *pState) {
    DWORD cbNeeded = 0, count = 0;
    DWORD err = EnumPrinterDataExW(hPrinter, L"PrinterDriverData", nullptr, 0, &cbNeeded, &count);
    if (err != ERROR_MORE_DATA && err != ERROR_SUCCESS) return;
    std::vector<BYTE> buffer(cbNeeded + sizeof(PRINTER_ENUM_VALUESW));
    if (EnumPrinterDataExW(hPrinter, L"PrinterDriverData", buffer.data(), static_cast<DWORD>(buffer.size()),
                           &cbNeeded, &count) != ERROR_SUCCESS)
        return;
    const auto *values = reinterpret_cast<const PRINTER_ENUM_VALUESW *>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        const std::wstring name(values[i].pValueName, oemui::LengthCchW(values[i].pValueName, 512));
        if (name.compare(0, 18, L"InstallableOption.") == 0) continue;
        (*pState)[L"printerdata " + name] = Value(values[i].dwType, values[i].pData, values[i].cbData);
    }
}

// The job monitor's key comes from the installed model INI.
std::wstring JobMonitorKey(HANDLE hPrinter) {
    const std::wstring ini = ModelIniPath(hPrinter);
    if (ini.empty() || GetPrivateProfileIntW(L"OEMFiles", L"JobMointor", 0, ini.c_str()) == 0) return std::wstring();
    wchar_t szPath[256] = {};
    GetPrivateProfileStringW(L"OEMFiles", L"JobMointorPath", L"", szPath, 256, ini.c_str());
    return szPath;
}

}  // namespace

std::vector<unsigned char> StoredDevMode(const std::wstring &printerName) {
    std::vector<BYTE> devmode;
    if (!LoadStoredDevMode(printerName, &devmode)) devmode.clear();
    return devmode;
}

StoredState DevModeState(const std::vector<unsigned char> &bytes) {
    StoredState state;
    if (bytes.size() < sizeof(DEVMODEW) + sizeof(HostPrivate)) return state;
    state[L"devmode public"] = HexBytes(bytes.data(), sizeof(DEVMODEW));
    state[L"devmode core"] = HexBytes(bytes.data() + sizeof(DEVMODEW), sizeof(HostPrivate));
    const size_t at = sizeof(DEVMODEW) + sizeof(HostPrivate);
    if (bytes.size() < at + sizeof(oemui::PrivateDevMode)) {
        state[L"devmode block"] = HexBytes(bytes.data() + at, bytes.size() - at);
        return state;
    }
    // The context record's address is kept while a sheet is open and means
    // nothing once stored.
    for (const auto &f : DescribePrivateDevModeFields(*reinterpret_cast<const oemui::PrivateDevMode *>(bytes.data() + at)))
        if (f.first.find(L" pContext") == std::wstring::npos) state[L"devmode " + f.first] = f.second;
    return state;
}

StoredState SnapshotStoredState(const std::wstring &printerName) {
    StoredState state;
    AddKeyValues(HKEY_CURRENT_USER, L"Software\\Qvprint\\" + printerName, 0, &state);
    oemui::PrinterHandle printer;
    if (OpenPrinterW(const_cast<LPWSTR>(printerName.c_str()), printer.put(), nullptr)) {
        AddPrinterData(printer.get(), &state);
        const std::wstring monitor = JobMonitorKey(printer.get());
        if (!monitor.empty()) {
            oemui::RegKey key;
            BYTE data[1024];
            DWORD type = 0, cb = sizeof(data);
            if (RegOpenKeyExW(HKEY_CURRENT_USER, monitor.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS &&
                RegQueryValueExW(key.get(), printerName.c_str(), nullptr, &type, data, &cb) == ERROR_SUCCESS)
                state[L"registry " + monitor + L"\\" + printerName] = Value(type, data, cb);
        }
    }
    return state;
}

std::wstring SerializeState(const StoredState &state) {
    std::wstring out;
    for (const auto &v : state) out += v.first + L"\t" + v.second + L"\n";
    return out;
}

StoredState ParseState(const std::vector<std::wstring> &lines) {
    StoredState state;
    for (const std::wstring &line : lines) {
        const size_t tab = line.find(L'\t');
        if (tab != std::wstring::npos) state[line.substr(0, tab)] = line.substr(tab + 1);
    }
    return state;
}

namespace {

std::wstring Get(const StoredState &s, const std::wstring &name) {
    const auto it = s.find(name);
    return it == s.end() ? std::wstring(L"(absent)") : it->second;
}

std::set<std::wstring> Changed(const StoredState &a, const StoredState &b) {
    std::set<std::wstring> names;
    for (const auto &v : a)
        if (Get(b, v.first) != v.second) names.insert(v.first);
    for (const auto &v : b)
        if (Get(a, v.first) != v.second) names.insert(v.first);
    return names;
}

}  // namespace

void BookHeldValues(const StoredState &state, HeldValues *pHeld) {
    for (const auto &v : state) (*pHeld)[v.first].insert(v.second);
    for (auto &h : *pHeld)
        if (state.find(h.first) == state.end()) h.second.insert(Get(state, h.first));
}

std::vector<std::wstring> TornValues(const StoredState &before, const StoredState &after,
                                     const StoredState &referenceBefore, const StoredState &referenceAfter,
                                     const HeldValues *pReferenceHeld) {
    std::vector<std::wstring> torn;
    for (const std::wstring &name : Changed(before, after)) {
        // A value an earlier session left otherwise has no uninjected outcome to compare with.
        if (Get(before, name) != Get(referenceBefore, name)) continue;
        const std::wstring value = Get(after, name);
        if (value == Get(referenceAfter, name)) continue;
        if (pReferenceHeld != nullptr) {
            const auto held = pReferenceHeld->find(name);
            if (held != pReferenceHeld->end() && held->second.count(value) != 0) continue;
        }
        torn.push_back(name);
    }
    return torn;
}

}  // namespace oemuihost
