#include "optiontree/common_ui_prop.h"

#include "common/bounded_format.h"
#include "dialogs/push_buttons.h"
#include "optiontree/auto_config.h"
#include "optiontree/disk_rule.h"
#include "optiontree/driver_item.h"
#include "optiontree/option_callback.h"
#include "settings/model_config.h"
#include "settings/printer_values.h"
#include "settings/private_devmode.h"
#include "ui/dialog_texts.h"

#include <winspool.h>

namespace oemui {
namespace {

constexpr DWORD kDocumentItemCount = 2;
constexpr DWORD kPrinterItemCount = 1;

// What "HDD_SETTING" holds before anyone applied a disk setting: the first
// option of the driver's disk item, "not installed".
constexpr DWORD kInitialHddSetting = 0;

// The largest "OEMUI_VALUE" taken as a selection of the plug-in's item.
constexpr DWORD kMaxStoredSelection = 100;

struct PluginItemSpec {
    const wchar_t *pszSection;  // its caption is "Caption" of "<section> Dialog"
    BYTE bLevel;
    _CPSUICALLBACK pfnPush;
};

constexpr PluginItemSpec kDocumentItems[kDocumentItemCount] = {
    {kHoldDialogName, 2, PrintAndHoldButtonCallback},
    {kCopiesDialogName, 2, CopiesButtonCallback},
};
constexpr PluginItemSpec kPrinterItems[kPrinterItemCount] = {
    {kJobAccountingDialogName, 1, JobAccountingButtonCallback},
};

// Driver items that a bit of bLockFlags greys out. An entry with both a
// keyword and an id takes whichever item comes first in the driver's array.
struct LockRule {
    BYTE bMask;
    const char *pszKeyword;
    DWORD dwPubId;
};
constexpr LockRule kLockRules[] = {
    {0x01, nullptr, DMPUB_COLOR},
    {0x02, nullptr, DMPUB_DUPLEX},
    {0x04, nullptr, DMPUB_DEFSOURCE},
    {0x08, "JCLMediaType", DMPUB_MEDIATYPE},
};

// Shown when the driver's heap cannot hold a caption copy; never freed by
// anyone, and it outlives every option tree.
constexpr wchar_t kNoCaption[] = L"";

void *HeapZeroAlloc(HANDLE hHeap, size_t cb) { return HeapAlloc(hHeap, HEAP_ZERO_MEMORY, cb); }

void ReadCaption(const ModelConfig &config, const wchar_t *pszSection, wchar_t *pszCaption) {
    if (config.pDat == nullptr) {
        CopyCchW(pszCaption, kProfileTextCch, L"Caption");
        return;
    }
    config.pDat->SetDialogSection(pszSection);
    config.pDat->ReadText(L"Caption", pszCaption);
}

// Fills one push-button item; its caption, option type and option parameter
// come from the driver's heap, which the driver discards with the tree. An
// item the heap cannot hold stays hidden, without an option type.
void BuildPushButtonItem(HANDLE hHeap, const ModelConfig &config, const PluginItemSpec &itemDef, OPTITEM *pItem,
                         bool bHidden) {
    pItem->cbSize = sizeof(OPTITEM);
    pItem->Level = itemDef.bLevel;
    pItem->Flags = OPTIF_COLLAPSE | (bHidden ? OPTIF_HIDE : 0);
    pItem->UserData = 0;
    pItem->Sel = 0;
    pItem->DMPubID = DMPUB_USER;
    pItem->pName = const_cast<LPTSTR>(kNoCaption);
    pItem->pOptType = nullptr;

    wchar_t szCaption[kProfileTextCch];
    ReadCaption(config, itemDef.pszSection, szCaption);
    const size_t cch = LengthCchW(szCaption, kProfileTextCch) + 1;
    auto *pszName = static_cast<wchar_t *>(HeapZeroAlloc(hHeap, cch * sizeof(wchar_t)));
    auto *pType = static_cast<OPTTYPE *>(HeapZeroAlloc(hHeap, sizeof(OPTTYPE)));
    auto *pParam = static_cast<OPTPARAM *>(HeapZeroAlloc(hHeap, sizeof(OPTPARAM)));
    if (pszName == nullptr || pType == nullptr || pParam == nullptr) {
        if (pszName != nullptr) HeapFree(hHeap, 0, pszName);
        if (pType != nullptr) HeapFree(hHeap, 0, pType);
        if (pParam != nullptr) HeapFree(hHeap, 0, pParam);
        pItem->Flags |= OPTIF_HIDE;
        return;
    }
    CopyCchW(pszName, cch, szCaption);
    pItem->pName = pszName;

    pParam->cbSize = sizeof(OPTPARAM);
    pParam->Flags = 0;
    pParam->Style = PUSHBUTTON_TYPE_CALLBACK;
    pParam->pData = reinterpret_cast<LPTSTR>(itemDef.pfnPush);
    pParam->IconID = IDI_CPSUI_RUN_DIALOG;

    pType->cbSize = sizeof(OPTTYPE);
    pType->Type = TVOT_PUSHBUTTON;
    pType->Flags = 0;
    pType->Count = 1;
    pType->BegCtrlID = 0;
    pType->pOptParam = pParam;
    pType->Style = OTS_PUSH_ENABLE_ALWAYS;
    pItem->pOptType = pType;
}

// The driver allocated cOEMOptItems items after the first pass; whatever it
// says now, nothing beyond that many is touched.
void ClearPluginItems(POEMCUIPPARAM pParam) {
    for (DWORD i = 0; i < pParam->cOEMOptItems; ++i) {
        OPTITEM &item = pParam->pOEMOptItems[i];
        ZeroMemory(&item, sizeof(item));
        item.cbSize = sizeof(OPTITEM);
        item.DMPubID = DMPUB_NONE;
    }
}

POPTITEM LockedItem(POEMCUIPPARAM pParam, const LockRule &rule) {
    POPTITEM pById = FindDriverItem(pParam->pDrvOptItems, pParam->cDrvOptItems, nullptr, rule.dwPubId);
    if (rule.pszKeyword == nullptr) return pById;
    POPTITEM pByKeyword = FindDriverItem(pParam->pDrvOptItems, pParam->cDrvOptItems, rule.pszKeyword, 0);
    if (pByKeyword == nullptr) return pById;
    if (pById == nullptr) return pByKeyword;
    return pByKeyword < pById ? pByKeyword : pById;
}

void DisableLockedItems(POEMCUIPPARAM pParam, BYTE bLockFlags) {
    for (const LockRule &rule : kLockRules) {
        if ((bLockFlags & rule.bMask) == 0) continue;
        POPTITEM pItem = LockedItem(pParam, rule);
        if (pItem != nullptr) pItem->Flags |= OPTIF_DISABLED | OPTIF_CHANGED;
    }
}

// A printer that never had its disk setting stored gets the "not installed"
// setting. So does one whose value is damaged (another type or size): the
// rendering side reads a 4-byte number there.
void EnsureHddSetting(HANDLE hPrinter) {
    if (hPrinter == nullptr) return;
    DWORD dwData = 0;
    if (!GetPrinterDword(hPrinter, kHddSettingValue, &dwData))
        SetPrinterDword(hPrinter, kHddSettingValue, kInitialHddSetting);
}

ModelConfig *OpenContext(POEMCUIPPARAM pParam, IPrintOemDriverUI *pDriverUI, int *pnAutoConfiguration) {
    ModelConfig *pConfig = CreateModelConfig(pParam->hOEMHeap);
    if (pConfig == nullptr) return nullptr;
    pConfig->pDriverUI = pDriverUI;
    *pnAutoConfiguration = OpenOptionTreeContext(pConfig, pParam);
    return pConfig;
}

void BuildDocumentItems(POEMCUIPPARAM pParam, IPrintOemDriverUI *pDriverUI) {
    int nAutoConfiguration = 0;
    ModelConfig *pConfig = OpenContext(pParam, pDriverUI, &nAutoConfiguration);
    if (pConfig == nullptr) return;
    if (nAutoConfiguration != 0) AutoConfigureOptions(pParam, pConfig, pDriverUI);

    auto *pdm = static_cast<PrivateDevMode *>(pParam->pOEMDM);
    if (pdm != nullptr) pdm->sDiskInstalled = pConfig->dwPrinterInstalledHDD != 0 ? 1 : 0;
    if (pConfig->dwPrinterInstalledHDD == 0) EnsureHddSetting(pParam->hPrinter);
    if (pdm != nullptr) {
        pdm->sColorCopiesEnabled = pConfig->dwGraphicsCopiesSetting != 0 ? 1 : 0;
        pdm->sOptionalDisk = static_cast<SHORT>(pConfig->dwPrinterHDD & 0xFFFF);
    }
    pParam->OEMCUIPCallback = DocumentItemCallback;
    ClearPluginItems(pParam);
    if (pdm != nullptr) DisableLockedItems(pParam, pdm->bLockFlags);

    const bool abHidden[kDocumentItemCount] = {
        IsPrintAndHoldHidden(*pConfig, pParam, pDriverUI),
        pConfig->dwGraphicsCopiesSetting == 0,
    };
    for (DWORD i = 0; i < kDocumentItemCount && i < pParam->cOEMOptItems; ++i)
        BuildPushButtonItem(pParam->hOEMHeap, *pConfig, kDocumentItems[i], &pParam->pOEMOptItems[i], abHidden[i]);

    // The document callbacks work on the sheet's own record, not this one.
    FreeModelConfig(pParam->hOEMHeap, pConfig);
}

void BuildPrinterItems(POEMCUIPPARAM pParam, IPrintOemDriverUI *pDriverUI) {
    int nAutoConfiguration = 0;
    ModelConfig *pConfig = OpenContext(pParam, pDriverUI, &nAutoConfiguration);
    if (pConfig == nullptr) return;
    // The printer callback and the Job Accounting dialog use this record
    // until the sheet closes; it lives in the driver's heap like the items.
    pParam->pOEMUserData = pConfig;

    // The saved selection is shown again when the tree is rebuilt.
    DWORD dwStored = 0;
    if (!GetPrinterDword(pParam->hPrinter, kOemUiValue, &dwStored) || dwStored > kMaxStoredSelection) dwStored = 0;

    pParam->OEMCUIPCallback = PrinterItemCallback;
    ClearPluginItems(pParam);
    AutoConfigureOptions(pParam, pConfig, pDriverUI);
    if (pParam->cOEMOptItems >= kPrinterItemCount) {
        OPTITEM *pItem = &pParam->pOEMOptItems[0];
        BuildPushButtonItem(pParam->hOEMHeap, *pConfig, kPrinterItems[0], pItem,
                            pConfig->dwPrinterJobAccounting == 0);
        pItem->Sel = static_cast<LONG>(dwStored);
    }
}

}  // namespace

HRESULT HandleCommonUIProp(DWORD dwMode, POEMCUIPPARAM pOemCUIPParam, IPrintOemDriverUI *pDriverUI) {
    if ((dwMode != OEMCUIP_DOCPROP && dwMode != OEMCUIP_PRNPROP) || pOemCUIPParam == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return E_FAIL;
    }
    const bool bDocument = dwMode == OEMCUIP_DOCPROP;
    if (pOemCUIPParam->pOEMOptItems == nullptr) {
        pOemCUIPParam->cOEMOptItems = bDocument ? kDocumentItemCount : kPrinterItemCount;
        return S_OK;
    }
    if (bDocument)
        BuildDocumentItems(pOemCUIPParam, pDriverUI);
    else
        BuildPrinterItems(pOemCUIPParam, pDriverUI);
    return S_OK;
}

}  // namespace oemui
