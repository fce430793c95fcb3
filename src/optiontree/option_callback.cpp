#include "optiontree/option_callback.h"

#include <cwchar>

#include "common/bounded_format.h"
#include "common/handles.h"
#include "optiontree/auto_config.h"
#include "optiontree/disk_rule.h"
#include "optiontree/driver_item.h"
#include "settings/model_config.h"
#include "settings/printer_values.h"
#include "settings/private_devmode.h"
#include "ui/dialog_texts.h"

namespace oemui {
namespace {

// The plug-in's items, in the order CommonUIProp builds them.
constexpr DWORD kPrintAndHoldItem = 0;
constexpr DWORD kCopiesItem = 1;
constexpr DWORD kJobAccountingItem = 0;


// The pages-per-sheet option that the rendering side treats specially.
constexpr LONG kNupFlagSelection = 6;

// "Quality" options map to resolutions through three bit sets, one per base
// resolution. Each set is walked from its high group of bits to its low one.
struct ResolutionKey {
    const wchar_t *pszKey;
    LONG lBase;
};
constexpr ResolutionKey kResolutionKeys[] = {
    {L"Graphics1200Res", 1200},
    {L"Graphics600Res", 600},
    {L"Graphics300Res", 300},
};
struct ResolutionStep {
    WORD wMask;
    LONG lMultiplier;
};
constexpr ResolutionStep kResolutionSteps[] = {
    {0x800, 8}, {0x400, 4}, {0x200, 2}, {0x100, 1}, {0x8, 8}, {0x4, 4}, {0x2, 2}, {0x1, 1},
};
// A set value below this names multiples of the base; larger values are
// taken as plain multipliers.
constexpr WORD kMultiplesOfBaseBelow = 22;

PrivateDevMode *DevModeOf(POEMCUIPPARAM pParam) { return static_cast<PrivateDevMode *>(pParam->pOEMDM); }

POPTITEM PluginItem(POEMCUIPPARAM pParam, DWORD index) {
    if (pParam->pOEMOptItems == nullptr || index >= pParam->cOEMOptItems) return nullptr;
    return &pParam->pOEMOptItems[index];
}

POPTITEM DriverItem(POEMCUIPPARAM pParam, const char *pszKeyword) {
    return FindDriverItem(pParam->pDrvOptItems, pParam->cDrvOptItems, pszKeyword, 0);
}

POPTITEM DriverItemById(POEMCUIPPARAM pParam, DWORD dwPubId) {
    return FindDriverItem(pParam->pDrvOptItems, pParam->cDrvOptItems, nullptr, dwPubId);
}

bool IsColorJob(POEMCUIPPARAM pParam) {
    return pParam->pPublicDM != nullptr && pParam->pPublicDM->dmColor == DMCOLOR_COLOR;
}

void SetItemDisabled(POPTITEM pItem, bool bDisabled) {
    if (bDisabled)
        pItem->Flags |= OPTIF_DISABLED;
    else
        pItem->Flags &= ~static_cast<DWORD>(OPTIF_DISABLED);
    pItem->Flags |= OPTIF_CHANGED;
}

// The sheet's context knows the UI object of the sheet call; an option-tree
// context (and a missing record) falls back to the object of this call.
PVOID UiObjectOf(POEMCUIPPARAM pParam, const ModelConfig *pConfig) {
    if (pConfig != nullptr && pConfig->pPsParam != nullptr) return pConfig->pPsParam->poemuiobj;
    return pParam->poemuiobj;
}

void UpdateDriverItem(POEMCUIPPARAM pParam, ModelConfig *pConfig, POPTITEM pItem, DWORD dwMode) {
    if (pConfig == nullptr || pConfig->pDriverUI == nullptr) return;
    pConfig->pDriverUI->DrvUpdateUISetting(UiObjectOf(pParam, pConfig), pItem, 0, dwMode);
}

// The push-button callbacks find the record in the pressed item.
void HandRecordToPushButtons(POEMCUIPPARAM pParam, ModelConfig *pConfig) {
    if (pParam->pOEMOptItems == nullptr) return;
    for (DWORD i = 0; i < pParam->cOEMOptItems; ++i) {
        OPTITEM &item = pParam->pOEMOptItems[i];
        if (item.pOptType != nullptr && item.pOptType->Type == TVOT_PUSHBUTTON)
            item.UserData = reinterpret_cast<ULONG_PTR>(pConfig);
    }
}

// Grey enhancement only means something for greyscale output.
void ApplyGrayEnhancementRule(POEMCUIPPARAM pParam, const ModelConfig &config, bool bColor) {
    if (config.lGrayscaleEnh == 0) return;
    POPTITEM pItem = DriverItem(pParam, kEnhanceGrayKeyword);
    if (pItem == nullptr) return;
    SetItemDisabled(pItem, bColor);
    if (bColor) pItem->Sel = 0;
}

// Splitting copies into colour and greyscale needs a colour job.
void ApplyCopiesItemRule(POEMCUIPPARAM pParam, const ModelConfig &config, bool bColor) {
    if (config.dwGraphicsCopiesSetting == 0) return;
    POPTITEM pItem = PluginItem(pParam, kCopiesItem);
    if (pItem != nullptr) SetItemDisabled(pItem, !bColor);
}

SHORT StaplingFlag(POEMCUIPPARAM pParam) {
    POPTITEM pItem = DriverItem(pParam, kStapleKeyword);
    return (pItem != nullptr && pItem->Sel != 0) ? 1 : 0;
}

void StoreRegionColor(POEMCUIPPARAM pParam, PrivateDevMode *pdm) {
    POPTITEM pItem = DriverItem(pParam, kRegionColorKeyword);
    if (pItem != nullptr) pdm->bRegionColor = static_cast<BYTE>(pItem->Sel & 0xFF);
}

void StoreHoldSelection(POEMCUIPPARAM pParam, PrivateDevMode *pdm) {
    POPTITEM pItem = PluginItem(pParam, kPrintAndHoldItem);
    if (pItem != nullptr) pdm->lHoldSel = pItem->Sel;
}

// ---------------------------------------------------------------------------
// Printing preferences

void AskBeforeDroppingCopySplit(PCPSUICBPARAM pCallbackParam, POEMCUIPPARAM pParam, ModelConfig &config,
                                PrivateDevMode *pdm) {
    wchar_t szCaption[kProfileTextCch];
    wchar_t szText[kProfileTextCch];
    CopyCchW(szCaption, kProfileTextCch, kCopiesWarningTitleKey);
    CopyCchW(szText, kProfileTextCch, kCopiesChangedKey);
    if (config.pDat != nullptr) {
        config.pDat->SetDialogSection(kPaperDialogName);
        config.pDat->ReadText(kCopiesWarningTitleKey, szCaption);
        config.pDat->ReadText(kCopiesChangedKey, szText);
    }
    PDEVMODEW pPublic = pParam->pPublicDM;
    for (DWORD i = 0; i < pParam->cDrvOptItems && pParam->pDrvOptItems != nullptr; ++i) {
        OPTITEM &item = pParam->pDrvOptItems[i];
        if (item.DMPubID != DMPUB_COPIES_COLLATE) continue;
        if (MessageBoxW(pCallbackParam->hDlg, szText, szCaption, MB_YESNO) == IDYES) {
            item.Sel = config.sCurCopies;
            if (pPublic != nullptr) pPublic->dmCopies = config.sCurCopies;
            config.lGrayCopiesWork = 0;
            pdm->lGrayCopies = 0;
            config.dwColorCopiesWork = static_cast<DWORD>(pPublic != nullptr ? pPublic->dmCopies : config.sCurCopies);
            pdm->lColorCopies = static_cast<LONG>(config.dwColorCopiesWork);
        } else {
            item.Sel = config.sPrevCopies;
            config.sCurCopies = config.sPrevCopies;
            if (pPublic != nullptr) pPublic->dmCopies = config.sPrevCopies;
            pdm->lGrayCopies = config.lGrayCopiesWork;
            pdm->lColorCopies = static_cast<LONG>(config.dwColorCopiesWork);
        }
    }
}

void OnDocumentSelectionChanged(PCPSUICBPARAM pCallbackParam, POEMCUIPPARAM pParam, ModelConfig *pConfig,
                                PrivateDevMode *pdm) {
    POPTITEM pCur = pCallbackParam->pCurItem;
    if (pCur == nullptr) return;
    const bool bColor = IsColorJob(pParam);
    if (pCur->DMPubID == DMPUB_COLOR) {
        SetDriverItemSelection(pParam, pConfig, kColorModeKeyword, bColor ? 1 : 0, OEMCUIP_DOCPROP);
        if (pConfig != nullptr) {
            ApplyCopiesItemRule(pParam, *pConfig, bColor);
            ApplyGrayEnhancementRule(pParam, *pConfig, bColor);
        }
    }
    if (pConfig == nullptr || pdm == nullptr || pConfig->dwGraphicsCopiesSetting == 0 ||
        pCur->DMPubID != DMPUB_COPIES_COLLATE) {
        return;
    }
    pConfig->sPrevCopies = static_cast<SHORT>(pCallbackParam->OldSel);
    pConfig->sCurCopies = static_cast<SHORT>(pCur->Sel);
    if (pConfig->sPrevCopies == pConfig->sCurCopies || pConfig->lGrayCopiesWork == 0) {
        pdm->lGrayCopies = pConfig->lGrayCopiesWork;
        pdm->lColorCopies = static_cast<LONG>(pConfig->dwColorCopiesWork);
        return;
    }
    AskBeforeDroppingCopySplit(pCallbackParam, pParam, *pConfig, pdm);
}

void OnDocumentSetActive(POEMCUIPPARAM pParam, ModelConfig *pConfig, PrivateDevMode *pdm) {
    POPTITEM pHold = PluginItem(pParam, kPrintAndHoldItem);
    if (pHold != nullptr && pdm != nullptr) {
        pHold->Sel = pdm->lHoldSel;
        pHold->Flags |= OPTIF_CHANGED;
    }
    HandRecordToPushButtons(pParam, pConfig);
    if (pConfig == nullptr) return;
    const bool bColor = IsColorJob(pParam);
    ApplyGrayEnhancementRule(pParam, *pConfig, bColor);
    ApplyCopiesItemRule(pParam, *pConfig, bColor);
    POPTITEM pRegion = DriverItem(pParam, kRegionColorKeyword);
    if (pRegion != nullptr && pdm != nullptr && pRegion->Sel != pdm->bRegionColor) {
        pRegion->Flags |= OPTIF_CHANGED;
        pRegion->Sel = pdm->bRegionColor;
        UpdateDriverItem(pParam, pConfig, pRegion, OEMCUIP_DOCPROP);
    }
}

void OnDocumentKillActive(POEMCUIPPARAM pParam, PrivateDevMode *pdm) {
    if (pdm == nullptr) return;
    StoreHoldSelection(pParam, pdm);
    pdm->sStapling = StaplingFlag(pParam);
    StoreRegionColor(pParam, pdm);
}

// A job monitor outside the driver learns which Print and Hold user ID the
// printer's jobs carry. The key comes from the model INI; a model that names
// none gets nothing written (not a key called after the missing entry).
void RecordJobMonitorUser(POEMCUIPPARAM pParam, const ModelConfig &config, const PrivateDevMode *pdm) {
    static constexpr wchar_t kPathKey[] = L"JobMointorPath";
    if (config.pIni == nullptr) return;
    config.pIni->SetSection(L"OEMFiles");
    if (config.pIni->ReadInt(L"JobMointor", 0) == 0) return;
    wchar_t szPath[kProfileTextCch];
    config.pIni->ReadText(kPathKey, szPath);
    if (std::wcscmp(szPath, kPathKey) == 0) return;
    // Without a printer name the value would land in the key's default value.
    if (pParam->pPrinterName == nullptr || pParam->pPrinterName[0] == L'\0') return;
    RegKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, szPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr) !=
        ERROR_SUCCESS) {
        return;
    }
    const size_t cch = LengthCchW(pdm->szUserId, ARRAYSIZE(pdm->szUserId));
    RegSetValueExW(key.get(), pParam->pPrinterName, 0, REG_SZ, reinterpret_cast<const BYTE *>(pdm->szUserId),
                   static_cast<DWORD>(cch * sizeof(wchar_t)));
}

void ApplyCopies(POEMCUIPPARAM pParam, ModelConfig &config, PrivateDevMode *pdm) {
    if (static_cast<LONG>(config.sCurCopies) < config.lGrayCopiesWork) {
        // Fewer copies than greyscale copies: the split no longer holds.
        config.lGrayCopiesWork = 0;
        pdm->lGrayCopies = 0;
    } else {
        pdm->lGrayCopies = config.lGrayCopiesWork;
        pdm->lColorCopies = static_cast<LONG>(config.dwColorCopiesWork);
    }
    // Greyscale copies exist only in collated colour jobs.
    const PDEVMODEW pPublic = pParam->pPublicDM;
    if (pPublic == nullptr || pPublic->dmColor != DMCOLOR_COLOR || pPublic->dmCollate != DMCOLLATE_TRUE)
        pdm->lGrayCopies = 0;
}

// A selection the table has no entry for keeps the resolution as it is.
void ApplyResolution(POEMCUIPPARAM pParam, const ModelConfig &config, PrivateDevMode *pdm) {
    POPTITEM pQuality = DriverItem(pParam, kQualityKeyword);
    if (pQuality == nullptr || pdm->sResolution == 0) return;
    const LONG sel = pQuality->Sel;
    if (sel < 0 || sel >= config.lResolutionCount || sel >= kMaxResolutions) return;
    pdm->sResolution = static_cast<SHORT>(config.alResolution[sel] & 0xFFFF);
}

void OnDocumentApply(POEMCUIPPARAM pParam, ModelConfig *pConfig, PrivateDevMode *pdm) {
    if (pdm == nullptr) return;
    StoreHoldSelection(pParam, pdm);
    if (pConfig != nullptr) RecordJobMonitorUser(pParam, *pConfig, pdm);
    pdm->sStapling = StaplingFlag(pParam);
    if (pConfig != nullptr) {
        ApplyCopies(pParam, *pConfig, pdm);
        ApplyResolution(pParam, *pConfig, pdm);
    }
    POPTITEM pNup = DriverItemById(pParam, DMPUB_NUP);
    pdm->sNupFlag = (pNup != nullptr && pNup->Sel == kNupFlagSelection) ? 1 : 0;
    StoreRegionColor(pParam, pdm);
}

// ---------------------------------------------------------------------------
// Printer properties

void OnPrinterApply(POEMCUIPPARAM pParam, ModelConfig &config) {
    // The entered credentials exist only once the Job Accounting dialog was
    // confirmed in this sheet; before that they are empty and would wipe
    // the stored ones.
    if (config.lJobAccountEdited != 0) {
        const PrinterValue account[] = {TextValue(kJobAccountIdValue, config.szJobAccountIdEntered, kJobAccountCch),
                                        TextValue(kJobAccountPwValue, config.szJobAccountPwEntered, kJobAccountCch)};
        SetPrinterValues(config.hPrinter, account, ARRAYSIZE(account));
    }
    SecureZeroMemory(config.szJobAccountIdKept, sizeof(config.szJobAccountIdKept));
    SecureZeroMemory(config.szJobAccountPwKept, sizeof(config.szJobAccountPwKept));
    StoreDiskSetting(pParam);
    POPTITEM pItem = PluginItem(pParam, kJobAccountingItem);
    if (pItem != nullptr) SetPrinterDword(pParam->hPrinter, kOemUiValue, static_cast<DWORD>(pItem->Sel));
    AutoConfigureOptions(pParam, &config, config.pDriverUI);
}

}  // namespace

void SetDriverItemSelection(POEMCUIPPARAM pParam, ModelConfig *pConfig, const char *pszKeyword, LONG nSel,
                            DWORD dwMode) {
    if (pParam == nullptr) return;
    POPTITEM pItem = DriverItem(pParam, pszKeyword);
    if (pItem == nullptr) return;
    pItem->Flags |= OPTIF_CHANGED;
    pItem->Sel = nSel;
    UpdateDriverItem(pParam, pConfig, pItem, dwMode);
}

void LoadResolutionTable(ModelConfig *pConfig) {
    if (pConfig == nullptr) return;
    pConfig->lResolutionCount = 0;
    if (pConfig->pIni == nullptr) return;
    pConfig->pIni->SetSection(L"Common");
    for (const ResolutionKey &key : kResolutionKeys) {
        WORD v = static_cast<WORD>(pConfig->pIni->ReadInt(key.pszKey, 0) & 0xFFFF);
        for (const ResolutionStep &step : kResolutionSteps) {
            if (v == 0) break;
            if ((v & step.wMask) == 0) continue;
            // The table has room for one entry per "Quality" option the
            // rendering side knows; further bits are ignored.
            if (pConfig->lResolutionCount < kMaxResolutions) {
                pConfig->alResolution[pConfig->lResolutionCount++] =
                    v < kMultiplesOfBaseBelow ? step.lMultiplier * key.lBase : step.lMultiplier;
            }
            v = static_cast<WORD>(v & ~step.wMask);
        }
    }
}

LONG APIENTRY DocumentItemCallback(PCPSUICBPARAM pCallbackParam, POEMCUIPPARAM pParam) {
    if (pCallbackParam == nullptr || pParam == nullptr) return CPSUICB_ACTION_NONE;
    PrivateDevMode *pdm = DevModeOf(pParam);
    ModelConfig *pConfig = pdm != nullptr ? pdm->pContext : nullptr;
    switch (pCallbackParam->Reason) {
    case CPSUICB_REASON_SEL_CHANGED:
        OnDocumentSelectionChanged(pCallbackParam, pParam, pConfig, pdm);
        return CPSUICB_ACTION_NONE;
    case CPSUICB_REASON_SETACTIVE:
        OnDocumentSetActive(pParam, pConfig, pdm);
        return CPSUICB_ACTION_OPTIF_CHANGED;
    case CPSUICB_REASON_KILLACTIVE:
        OnDocumentKillActive(pParam, pdm);
        return CPSUICB_ACTION_NONE;
    case CPSUICB_REASON_APPLYNOW:
        OnDocumentApply(pParam, pConfig, pdm);
        return CPSUICB_ACTION_NONE;
    default:
        return CPSUICB_ACTION_NONE;
    }
}

LONG APIENTRY PrinterItemCallback(PCPSUICBPARAM pCallbackParam, POEMCUIPPARAM pParam) {
    if (pCallbackParam == nullptr || pParam == nullptr) return CPSUICB_ACTION_NONE;
    auto *pConfig = static_cast<ModelConfig *>(pParam->pOEMUserData);
    if (pConfig == nullptr) return CPSUICB_ACTION_NONE;
    switch (pCallbackParam->Reason) {
    case CPSUICB_REASON_APPLYNOW:
        // A user who may not change the printer's settings stores none.
        if (pConfig->lNoPermission != 0) return CPSUICB_ACTION_NONE;
        OnPrinterApply(pParam, *pConfig);
        return CPSUICB_ACTION_OPTIF_CHANGED;
    case CPSUICB_REASON_SETACTIVE:
        HandRecordToPushButtons(pParam, pConfig);
        return CPSUICB_ACTION_OPTIF_CHANGED;
    case CPSUICB_REASON_KILLACTIVE:
        AutoConfigureOptions(pParam, pConfig, pConfig->pDriverUI);
        return CPSUICB_ACTION_OPTIF_CHANGED;
    default:
        return CPSUICB_ACTION_NONE;
    }
}

}  // namespace oemui
