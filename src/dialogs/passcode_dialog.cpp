#include "dialogs/passcode_dialog.h"

#include <cwchar>

#include "common/bounded_format.h"
#include "common/model_text.h"
#include "resources/resource_ids.h"
#include "settings/model_config.h"
#include "ui/captions.h"
#include "ui/modal_dialog.h"
#include "ui/dialog_texts.h"

namespace oemui {

static_assert(kHelpButtonId == IDC_HELP_BUTTON, "the Help button of the templates");

PassLimits ClampPassLimits(int nMin, int nMax, int nCeiling) {
    int nEffMax = nMax;
    if (nEffMax < 1) nEffMax = 1;
    if (nEffMax > nCeiling) nEffMax = nCeiling;
    int nEffMin = nMin;
    if (nEffMin < 0) nEffMin = 0;
    if (nEffMin > nEffMax) nEffMin = nEffMax;
    return PassLimits{static_cast<SHORT>(nEffMin), static_cast<SHORT>(nEffMax)};
}

bool IsUsableName(const wchar_t *pszName) {
    if (pszName == nullptr) return false;
    for (const wchar_t *p = pszName; *p != L'\0'; ++p) {
        if (*p > 0x7F || *p == L'/' || *p == L'\\') return false;
    }
    return true;
}

void ReplaceUnusableName(wchar_t *pszName, size_t cchName, const wchar_t *pszFallback) {
    if (pszName == nullptr || cchName == 0) return;
    if (pszName[0] == L'\0' || !IsUsableName(pszName)) CopyCchW(pszName, cchName, pszFallback);
}

void SeedFromWindowsUser(wchar_t *pszDest, size_t cchCapacity) {
    if (pszDest == nullptr || cchCapacity == 0) return;
    SecureZeroMemory(pszDest, cchCapacity * sizeof(wchar_t));
    DWORD cch = static_cast<DWORD>(cchCapacity);
    if (!GetUserNameW(pszDest, &cch)) {
        // A name that does not fit leaves the field empty rather than cut.
        pszDest[0] = L'\0';
        return;
    }
    pszDest[cchCapacity - 1] = L'\0';
    if (!IsUsableName(pszDest)) CopyCchW(pszDest, cchCapacity, L"Unknown");
}

void ReadFieldText(HWND hDlg, int id, wchar_t *pszDest, int cchMax) {
    if (pszDest == nullptr || cchMax < 0) return;
    pszDest[0] = L'\0';
    GetDlgItemTextW(hDlg, id, pszDest, cchMax + 1);
    pszDest[cchMax] = L'\0';
}

void LimitFieldText(HWND hDlg, int id, int cchMax) {
    SendDlgItemMessageW(hDlg, id, EM_LIMITTEXT, static_cast<WPARAM>(cchMax < 1 ? 1 : cchMax), 0);
}

bool CheckPasscodePair(HWND hDlg, const ModelConfig *pConfig, const wchar_t *pszDialogName, bool bEmptyPasses) {
    if (pConfig == nullptr) return false;
    wchar_t szFirst[kCheckFieldCch + 1];
    wchar_t szSecond[kCheckFieldCch + 1];
    // Both passcode dialogs use the same two control ids.
    ReadFieldText(hDlg, IDC_PH_PASSCODE, szFirst, kCheckFieldCch);
    ReadFieldText(hDlg, IDC_PH_CONFIRM, szSecond, kCheckFieldCch);
    const size_t cch = LengthCchW(szFirst, kCheckFieldCch + 1);
    // An exact comparison: a linguistic one may call different texts equal.
    if (wcscmp(szFirst, szSecond) == 0) {
        if (bEmptyPasses && cch == 0) return true;
        if (cch >= static_cast<size_t>(pConfig->sMinPassLen < 0 ? 0 : pConfig->sMinPassLen) &&
            cch <= static_cast<size_t>(pConfig->sMaxPassLen < 0 ? 0 : pConfig->sMaxPassLen)) {
            return true;
        }
    }
    SecureZeroMemory(szFirst, sizeof(szFirst));
    SecureZeroMemory(szSecond, sizeof(szSecond));

    ProfileReader *pDat = pConfig->pDat;
    wchar_t szTitle[kProfileTextCch];
    wchar_t szTemplate[kProfileTextCch];
    CopyCchW(szTitle, kProfileTextCch, kInvalidPasscodeTitleKey);
    CopyCchW(szTemplate, kProfileTextCch, kInvalidPasscodeRangeKey);
    if (pDat != nullptr) {
        pDat->SetDialogSection(pszDialogName);
        pDat->ReadText(kInvalidPasscodeTitleKey, szTitle);
        bool bRange = pConfig->sMinPassLen != pConfig->sMaxPassLen;
        if (!bRange) {
            pDat->ReadText(kInvalidPasscodeEqualKey, szTemplate);
            bRange = wcscmp(szTemplate, kInvalidPasscodeEqualKey) == 0;
        }
        if (bRange) pDat->ReadText(kInvalidPasscodeRangeKey, szTemplate);
    }
    // The string table is data: only the two limits are substituted.
    const int anLimits[] = {pConfig->sMinPassLen, pConfig->sMaxPassLen};
    wchar_t szText[kCheckFieldCch + 1];
    FormatModelText(szText, ARRAYSIZE(szText), szTemplate, anLimits, ARRAYSIZE(anLimits));
    MessageBoxW(hDlg, szText, szTitle, MB_ICONEXCLAMATION | MB_OK);
    return false;
}

void CopyFromField(wchar_t *pszDest, size_t cchDest, const wchar_t *pField, size_t cchField) {
    if (pszDest == nullptr || cchDest == 0) return;
    size_t cch = pField == nullptr ? 0 : LengthCchW(pField, cchField);
    if (cch > cchDest - 1) cch = cchDest - 1;
    for (size_t i = 0; i < cch; ++i) pszDest[i] = pField[i];
    pszDest[cch] = L'\0';
}

void StoreInField(wchar_t *pField, size_t cchField, const wchar_t *pszText) {
    if (pField == nullptr) return;
    const size_t cch = pszText == nullptr ? 0 : LengthCchW(pszText, cchField);
    for (size_t i = 0; i < cchField; ++i) pField[i] = i < cch ? pszText[i] : L'\0';
}

void OpenPasscodeDialog(HWND hDlg, ModelConfig &config, const PasscodeDialogKind &kind) {
    RemoveContextHelpOnNewerSystems(hDlg);
    SetWindowLongPtrW(hDlg, DWLP_USER, reinterpret_cast<LONG_PTR>(&config));
    config.hCurrentDlg = hDlg;
    config.dwCurrentTemplate = ChooseTemplate(kind.wTemplate, kind.wTemplateRtl);

    wchar_t szTitle[kProfileTextCch];
    config.pDat->SetDialogSection(kind.pszName);
    config.pDat->ReadText(L"Caption", szTitle);
    SetWindowTextW(hDlg, szTitle);

    config.pIni->SetSection(L"Common");
    const PassLimits limits = ClampPassLimits(config.pIni->ReadInt(kind.pszMinKey, kind.nDefaultLen),
                                              config.pIni->ReadInt(kind.pszMaxKey, kind.nDefaultLen), kind.nCeiling);
    config.sMinPassLen = limits.sMin;
    config.sMaxPassLen = limits.sMax;
    TranslateDialog(hDlg, &config, kind.pszName);
    // The caption pass may leave the string table on another section.
    config.pDat->SetDialogSection(kind.pszName);
}

ModelConfig *PasscodeDialogRecord(HWND hDlg) {
    return reinterpret_cast<ModelConfig *>(GetWindowLongPtrW(hDlg, DWLP_USER));
}

}  // namespace oemui
