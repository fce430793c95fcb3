#include "plugin/property_sheets.h"

#include <prsht.h>

#include "common/bounded_format.h"
#include "module/activation_context.h"
#include "module/module_state.h"
#include "optiontree/option_callback.h"
#include "resources/resource_ids.h"
#include "settings/model_config.h"
#include "settings/private_devmode.h"
#include "troubleshooting/trouble_page.h"
#include "ui/language.h"

namespace oemui {
namespace {

constexpr WORD kAcceptedVersion = 0x0100;
constexpr wchar_t kPageGroupTitle[] = L"OEM UI Page";

// The sheets copy the page description when it is added; the platform's
// form with an activation-context member is what they expect from us.
static_assert(sizeof(PROPSHEETPAGEW) == 96, "PROPSHEETPAGEW with hActCtx");

// Kinds of pages a model INI can list under [TABNUMBER].
constexpr int kTroubleshootingPageKind = 12;
constexpr int kUnlistedPageKind = 100;
// More entries than any sheet could show; bounds the walk over a damaged INI.
constexpr int kMaxPageEntries = 64;

constexpr size_t kTitleCch = MAX_PATH;

struct SheetAnswers {
    LONG_PTR lInit;
    LONG_PTR lOther;
};
constexpr SheetAnswers kDocumentAnswers = {0, 0};
constexpr SheetAnswers kDeviceAnswers = {1, 1};

// The copy split survives only while it still adds up to the job's copies.
void PrepareCopySplit(ModelConfig *pConfig, PrivateDevMode *pdm, const DEVMODEW *pPublic) {
    if (pdm == nullptr || pPublic == nullptr) return;
    const SHORT sColor = static_cast<SHORT>(pdm->lColorCopies & 0xFFFF);
    const SHORT sGray = static_cast<SHORT>(pdm->lGrayCopies & 0xFFFF);
    if (sColor + sGray == pPublic->dmCopies) {
        pConfig->lGrayCopiesWork = pdm->lGrayCopies;
        pConfig->dwColorCopiesWork = static_cast<DWORD>(pdm->lColorCopies);
    } else {
        pConfig->lGrayCopiesWork = 0;
        pConfig->dwColorCopiesWork = static_cast<DWORD>(pPublic->dmCopies);
    }
    pConfig->sPrevCopies = 0;
    pConfig->sCurCopies = pPublic->dmCopies;
}

void AddTroubleshootingPage(ModelConfig *pConfig, PROPSHEETPAGEW *pPage, wchar_t *pszTitle) {
    pPage->pszTemplate =
        MAKEINTRESOURCEW(IsRightToLeftLanguage() ? IDD_TROUBLESHOOTING_RTL : IDD_TROUBLESHOOTING);
    pPage->pfnDlgProc = TroubleshootingPageProc;
    pPage->lParam = reinterpret_cast<LPARAM>(pConfig);
    if (pConfig->pDat != nullptr) {
        pConfig->pDat->SetDialogSection(L"Troubleshooting");
        pConfig->pDat->ReadText(L"Caption", pszTitle);
    } else {
        CopyCchW(pszTitle, kTitleCch, L"Caption");
    }
    pPage->pszTitle = pszTitle;
    pConfig->hPage = reinterpret_cast<HANDLE>(
        pConfig->pfnComPropSheet(pConfig->hComPropSheet, CPSFUNC_ADD_PROPSHEETPAGEW, reinterpret_cast<LPARAM>(pPage), 0));
}

// Adds the pages the model INI lists. Only brand 1 has pages of its own.
void AddModelPages(ModelConfig *pConfig, HANDLE hHeap) {
    if (pConfig->pIni == nullptr || pConfig->pfnComPropSheet == nullptr) return;
    PROPSHEETPAGEW page = {};
    page.dwSize = sizeof(PROPSHEETPAGEW);
    page.dwFlags = PSP_USETITLE;
    page.hInstance = ModuleInstance();
    const HANDLE hActCtx = PluginActivationContext();
    if (hActCtx != INVALID_HANDLE_VALUE) {
        page.dwFlags |= PSP_USEFUSIONCONTEXT;
        page.hActCtx = hActCtx;
    }

    pConfig->pIni->SetSection(L"TABNUMBER");
    int nEntries = pConfig->pIni->ReadInt(L"TabNumber", 0);
    if (nEntries > kMaxPageEntries) nEntries = kMaxPageEntries;
    // The sheet copies the page when it is added, but the title stays in the
    // sheet's heap with the record so that nothing can outlive it.
    wchar_t *pszTitle = nullptr;
    for (int i = 0; i < nEntries; ++i) {
        wchar_t szKey[16];
        FormatCchW(szKey, ARRAYSIZE(szKey), L"Tab%d", i);
        const int nKind = pConfig->pIni->ReadInt(szKey, kUnlistedPageKind);
        if (nKind != kTroubleshootingPageKind || pConfig->sBrand != kBrandTalix) continue;
        if (pszTitle == nullptr)
            pszTitle = static_cast<wchar_t *>(HeapAlloc(hHeap, HEAP_ZERO_MEMORY, kTitleCch * sizeof(wchar_t)));
        if (pszTitle == nullptr) return;
        AddTroubleshootingPage(pConfig, &page, pszTitle);
    }
}

// Without a context record the sheet opens without the plug-in's pages and
// the callbacks find nothing to work on; the driver's own pages still work.
void InitialiseSheet(SheetKind kind, PPROPSHEETUI_INFO pPSUIInfo, IPrintOemDriverUI *pDriverUI) {
    auto *pPsParam = reinterpret_cast<POEMUIPSPARAM>(pPSUIInfo->lParamInit);
    if (pPsParam == nullptr) return;
    auto *pdm = static_cast<PrivateDevMode *>(pPsParam->pOEMDM);
    ModelConfig *pConfig = CreateModelConfig(pPsParam->hOEMHeap);
    if (kind == SheetKind::Document && pdm != nullptr) pdm->pContext = pConfig;
    pPsParam->pOEMUserData = pConfig;
    pPSUIInfo->UserData = reinterpret_cast<ULONG_PTR>(pConfig);
    if (pConfig == nullptr) return;

    pConfig->hComPropSheet = pPSUIInfo->hComPropSheet;
    pConfig->pfnComPropSheet = pPSUIInfo->pfnComPropSheet;
    pConfig->pPsParam = pPsParam;
    pConfig->hPrinter = pPsParam->hPrinter;
    pConfig->pDriverUI = pDriverUI;
    pConfig->lChanged = 0;
    LoadModelConfig(pConfig);
    // Either sheet may be opened by a user who may not change its settings;
    // the core says so with the flag of the sheet's kind. Printer properties
    // without it would let the page and its dialogs write printer data that
    // the spooler then refuses, with nothing said.
    const DWORD dwNoPermission = kind == SheetKind::Document ? DM_NOPERMISSION : DPS_NOPERMISSION;
    pConfig->lNoPermission = (pPsParam->dwFlags & dwNoPermission) != 0 ? 1 : 0;

    if (kind == SheetKind::Document) {
        if (pdm != nullptr && pdm->sResolution != 0) LoadResolutionTable(pConfig);
        PrepareCopySplit(pConfig, pdm, pPsParam->pPublicDM);
    }
    AddModelPages(pConfig, pPsParam->hOEMHeap);
}

LONG_PTR SetSheetResult(const PROPSHEETUI_INFO *pPSUIInfo) {
    if (pPSUIInfo->pfnComPropSheet == nullptr) return CPSUI_OK;
    return pPSUIInfo->pfnComPropSheet(pPSUIInfo->hComPropSheet, CPSFUNC_SET_RESULT, 0, CPSUI_OK);
}

LONG_PTR OnDestroy(SheetKind kind, const PROPSHEETUI_INFO *pPSUIInfo) {
    if (kind == SheetKind::Device) return SetSheetResult(pPSUIInfo);
    const auto *pPsParam = reinterpret_cast<const OEMUIPSPARAM *>(pPSUIInfo->lParamInit);
    const auto *pConfig = pPsParam != nullptr ? static_cast<const ModelConfig *>(pPsParam->pOEMUserData) : nullptr;
    if (pConfig != nullptr && pConfig->lChanged != 0) return SetSheetResult(pPSUIInfo);
    return 1;
}

}  // namespace

HRESULT HandlePropertySheets(SheetKind kind, PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam,
                             IPrintOemDriverUI *pDriverUI) {
    if (pPSUIInfo == nullptr || pPSUIInfo->Version != kAcceptedVersion) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return E_FAIL;
    }
    const SheetAnswers &answers = kind == SheetKind::Document ? kDocumentAnswers : kDeviceAnswers;
    switch (pPSUIInfo->Reason) {
    case PROPSHEETUI_REASON_INIT:
        InitialiseSheet(kind, pPSUIInfo, pDriverUI);
        pPSUIInfo->Result = answers.lInit;
        break;
    case PROPSHEETUI_REASON_GET_INFO_HEADER: {
        auto *pHeader = reinterpret_cast<PPROPSHEETUI_INFO_HEADER>(lParam);
        if (pHeader != nullptr) pHeader->pTitle = const_cast<LPTSTR>(kPageGroupTitle);
        pPSUIInfo->Result = 1;
        break;
    }
    case PROPSHEETUI_REASON_DESTROY:
        pPSUIInfo->Result = OnDestroy(kind, pPSUIInfo);
        break;
    case PROPSHEETUI_REASON_SET_RESULT: {
        const auto *pSetResult = reinterpret_cast<const SETRESULT_INFO *>(lParam);
        if (pSetResult != nullptr) pPSUIInfo->Result = pSetResult->Result;
        break;
    }
    case PROPSHEETUI_REASON_GET_ICON:
        pPSUIInfo->Result = 0;
        break;
    default:
        pPSUIInfo->Result = answers.lOther;
        break;
    }
    return S_OK;
}

}  // namespace oemui
