#include "host/dumps.h"

#include <vector>

#include "common/bounded_format.h"
#include "common/handles.h"
#include "host/devmode_report.h"

namespace oemuihost {
namespace {

std::wstring DescribeValue(DWORD type, const BYTE *pData, DWORD cb) {
    switch (type) {
    case REG_DWORD:
        if (cb == sizeof(DWORD)) {
            DWORD v = 0;
            memcpy(&v, pData, sizeof(v));
            return L"REG_DWORD " + std::to_wstring(v);
        }
        return L"REG_DWORD of " + std::to_wstring(cb) + L" bytes";
    case REG_SZ:
    case REG_EXPAND_SZ: {
        // Values may be stored without a terminator: show the bytes there are.
        const size_t cch = cb / sizeof(wchar_t);
        std::wstring text(reinterpret_cast<const wchar_t *>(pData), cch);
        const bool terminated = !text.empty() && text.back() == L'\0';
        if (terminated) text.pop_back();
        return L"REG_SZ \"" + text + L"\" (" + std::to_wstring(cb) + L" bytes, " +
               (terminated ? L"terminated" : L"no terminator") + L")";
    }
    default: {
        std::wstring hex;
        for (DWORD i = 0; i < cb && i < 32; ++i) {
            wchar_t sz[4];
            oemui::FormatCchW(sz, 4, L"%02X", pData[i]);
            hex += sz;
        }
        return L"type " + std::to_wstring(type) + L", " + std::to_wstring(cb) + L" bytes " + hex + (cb > 32 ? L"..." : L"");
    }
    }
}

bool ReadRegText(HKEY root, const std::wstring &key, const std::wstring &value, std::wstring *pText) {
    oemui::RegKey hKey;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, hKey.put()) != ERROR_SUCCESS) return false;
    BYTE data[1024] = {};
    DWORD type = 0, cb = sizeof(data) - sizeof(wchar_t);
    if (RegQueryValueExW(hKey.get(), value.c_str(), nullptr, &type, data, &cb) != ERROR_SUCCESS) return false;
    *pText = DescribeValue(type, data, cb);
    return true;
}

}  // namespace

std::wstring ModelIniPath(HANDLE hPrinter) {
    DWORD cbNeeded = 0;
    GetPrinterDriverW(hPrinter, nullptr, 2, nullptr, 0, &cbNeeded);
    if (cbNeeded == 0) return std::wstring();
    std::vector<BYTE> info(cbNeeded, 0);
    if (!GetPrinterDriverW(hPrinter, nullptr, 2, info.data(), cbNeeded, &cbNeeded)) return std::wstring();
    const wchar_t *pszData = reinterpret_cast<DRIVER_INFO_2W *>(info.data())->pDataFile;
    if (pszData == nullptr) return std::wstring();
    std::wstring path(pszData, oemui::LengthCchW(pszData, MAX_PATH));
    return path.substr(0, path.find(L'.')) + L"u.INI";
}

ReportFields DescribeDevMode(const DriverDevMode &devmode) {
    ReportFields fields = DescribePublicDevMode(*devmode.Public());
    const HostPrivate &core = *reinterpret_cast<const HostPrivate *>(devmode.Bytes().data() + sizeof(DEVMODEW));
    fields.emplace_back(L"core dwNupSel", std::to_wstring(core.dwNupSel));
    std::wstring sels;
    for (DWORD i = 0; i < core.cFeatures && i < kMaxFeatures; ++i) sels += (i ? L" " : L"") + std::to_wstring(core.abFeatureSel[i]);
    fields.emplace_back(L"core feature selections", sels);
    fields.emplace_back(L"plug-in block bytes", std::to_wstring(devmode.PluginSize()));
    if (devmode.PluginSize() >= sizeof(oemui::PrivateDevMode)) {
        for (auto &f : DescribePrivateDevModeFields(*reinterpret_cast<const oemui::PrivateDevMode *>(devmode.PluginBlock())))
            fields.push_back(f);
    }
    return fields;
}

bool DescribePrinterData(const std::wstring &printerName, ReportFields *pFields, std::wstring *pError) {
    oemui::PrinterHandle printer;
    if (!OpenPrinterW(const_cast<LPWSTR>(printerName.c_str()), printer.put(), nullptr)) {
        *pError = L"cannot open printer \"" + printerName + L"\" (error " + std::to_wstring(GetLastError()) + L")";
        return false;
    }
    // The values a driver's settings live in ("PrinterDriverData"), all at once.
    DWORD cbNeeded = 0, count = 0;
    DWORD err = EnumPrinterDataExW(printer.get(), L"PrinterDriverData", nullptr, 0, &cbNeeded, &count);
    if (err != ERROR_MORE_DATA && err != ERROR_SUCCESS) {
        if (err == ERROR_FILE_NOT_FOUND) return true;  // no printer data at all
        *pError = L"EnumPrinterDataExW failed, error " + std::to_wstring(err);
        return false;
    }
    std::vector<BYTE> buffer(cbNeeded + sizeof(PRINTER_ENUM_VALUESW));
    err = EnumPrinterDataExW(printer.get(), L"PrinterDriverData", buffer.data(), static_cast<DWORD>(buffer.size()),
                             &cbNeeded, &count);
    if (err != ERROR_SUCCESS) {
        *pError = L"EnumPrinterDataExW failed, error " + std::to_wstring(err);
        return false;
    }
    const auto *values = reinterpret_cast<const PRINTER_ENUM_VALUESW *>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        pFields->emplace_back(std::wstring(values[i].pValueName, oemui::LengthCchW(values[i].pValueName, 512)),
                              DescribeValue(values[i].dwType, values[i].pData, values[i].cbData));
    return true;
}

ReportFields DescribeUserRegistry(const std::wstring &printerName) {
    ReportFields fields;
    const std::wstring languageKey = L"Software\\Qvprint\\" + printerName;
    std::wstring text;
    fields.emplace_back(L"HKCU\\" + languageKey + L" DrvCntCode",
                        ReadRegText(HKEY_CURRENT_USER, languageKey, L"DrvCntCode", &text) ? text : L"(absent)");
    oemui::PrinterHandle printer;
    std::wstring ini;
    if (OpenPrinterW(const_cast<LPWSTR>(printerName.c_str()), printer.put(), nullptr)) ini = ModelIniPath(printer.get());
    if (ini.empty()) return fields;
    if (GetPrivateProfileIntW(L"OEMFiles", L"JobMointor", 0, ini.c_str()) == 0) {
        fields.emplace_back(L"job monitor", L"(the model keeps no job-monitor value)");
        return fields;
    }
    wchar_t szPath[256] = {};
    GetPrivateProfileStringW(L"OEMFiles", L"JobMointorPath", L"", szPath, 256, ini.c_str());
    fields.emplace_back(L"HKCU\\" + std::wstring(szPath) + L" " + printerName,
                        ReadRegText(HKEY_CURRENT_USER, szPath, printerName, &text) ? text : L"(absent)");
    return fields;
}

}  // namespace oemuihost
