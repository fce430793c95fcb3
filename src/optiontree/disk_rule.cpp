#include "optiontree/disk_rule.h"

#include <cstring>

#include "optiontree/driver_item.h"
#include "settings/model_config.h"
#include "settings/printer_values.h"

namespace oemui {
namespace {

// The disk option's keyword in each kind of driver data, in the order asked.
constexpr const char *kDiskKeywords[] = {"Option4", "PrinterHardDisk"};

constexpr char kInstalled[] = "True";
constexpr DWORD kSettingBufferSize = 10;

}  // namespace

bool IsDiskInstalled(const OEMCUIPPARAM *pParam, IPrintOemDriverUI *pDriverUI) {
    if (pParam == nullptr || pDriverUI == nullptr) return false;
    for (const char *pszKeyword : kDiskKeywords) {
        char buffer[kSettingBufferSize] = {};
        DWORD cbNeeded = 0;
        DWORD cOptions = 0;
        const HRESULT hr = pDriverUI->DrvGetDriverSetting(pParam->poemuiobj, pszKeyword, buffer,
                                                          kSettingBufferSize, &cbNeeded, &cOptions);
        // The first keyword the driver knows decides; "False" there is final.
        if (SUCCEEDED(hr)) return std::memcmp(buffer, kInstalled, sizeof(kInstalled)) == 0;
    }
    return false;
}

bool IsPrintAndHoldHidden(const ModelConfig &config, const OEMCUIPPARAM *pParam,
                          IPrintOemDriverUI *pDriverUI) {
    if (config.sExtrasSecurePrint != 0) return false;
    if (config.dwPrinterHDD == 0) return config.dwPrinterInstalledHDD == 0;
    return !IsDiskInstalled(pParam, pDriverUI);
}

void StoreDiskSetting(const OEMCUIPPARAM *pParam) {
    if (pParam == nullptr) return;
    POPTITEM pItem = nullptr;
    for (const char *pszKeyword : kDiskKeywords) {
        pItem = FindDriverItem(pParam->pDrvOptItems, pParam->cDrvOptItems, pszKeyword, 0);
        if (pItem != nullptr) break;
    }
    if (pItem != nullptr) SetPrinterDword(pParam->hPrinter, kHddSettingValue, static_cast<DWORD>(pItem->Sel));
}

}  // namespace oemui
