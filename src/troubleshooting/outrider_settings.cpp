#include "troubleshooting/outrider_settings.h"

#include <commctrl.h>
#include <winspool.h>

#include <cstdlib>

#include "common/bounded_format.h"
#include "resources/resource_ids.h"
#include "settings/model_config.h"
#include "settings/printer_values.h"
#include "ui/captions.h"
#include "ui/layout.h"
#include "ui/modal_dialog.h"
#include "ui/dialog_texts.h"

namespace oemui {
namespace {

constexpr wchar_t kEnableValue[] = L"POutrider_Enable";
constexpr wchar_t kIntervalValue[] = L"POutrider_Timeout";
// The field takes at most three digits.
constexpr int kIntervalDigits = 3;

ModelConfig *DialogContext(HWND hDlg) {
    return reinterpret_cast<ModelConfig *>(GetWindowLongPtrW(hDlg, GWLP_USERDATA));
}

// The stored value when it is usable, else the default, which is then stored
// so that the alert tool and the next opening see the same thing.
DWORD ReadOrRepair(HANDLE hPrinter, const wchar_t *pszName, DWORD dwMin, DWORD dwMax, DWORD dwDefault) {
    DWORD dwValue = 0;
    if (GetPrinterDword(hPrinter, pszName, &dwValue) && dwValue >= dwMin && dwValue <= dwMax) return dwValue;
    SetPrinterDword(hPrinter, pszName, dwDefault);
    return dwDefault;
}

int TypedInterval(HWND hDlg) {
    wchar_t szText[kIntervalDigits + 1] = {};
    GetDlgItemTextW(hDlg, IDC_OR_INTERVAL, szText, ARRAYSIZE(szText));
    return _wtoi(szText);
}

BOOL OnInitDialog(HWND hDlg, ModelConfig *pConfig) {
    SetWindowLongPtrW(hDlg, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pConfig));
    if (pConfig == nullptr) return TRUE;
    pConfig->hCurrentDlg = hDlg;
    if (pConfig->pDat != nullptr) pConfig->pDat->SetDialogSection(kOutriderDialogName);
    TranslateDialog(hDlg, pConfig, kOutriderDialogName);

    if (pConfig->pDat != nullptr) {
        // The caption pass leaves the section of its last control selected.
        pConfig->pDat->SetDialogSection(kOutriderDialogName);
        wchar_t szCaption[kProfileTextCch];
        pConfig->pDat->ReadText(L"Caption", szCaption);
        SetWindowTextW(hDlg, szCaption);
    }

    const DWORD dwEnable = ReadOrRepair(pConfig->hPrinter, kEnableValue, 0, 1, kOutriderEnableDefault);
    CheckDlgButton(hDlg, IDC_OR_ENABLE, dwEnable == 1 ? BST_CHECKED : BST_UNCHECKED);
    const DWORD dwInterval = ReadOrRepair(pConfig->hPrinter, kIntervalValue, kOutriderIntervalMin,
                                          kOutriderIntervalMax, kOutriderIntervalDefault);

    SendDlgItemMessageW(hDlg, IDC_OR_INTERVAL, EM_LIMITTEXT, kIntervalDigits, 0);
    SendDlgItemMessageW(hDlg, IDC_OR_INTERVAL_UPDOWN, UDM_SETRANGE, 0,
                        MAKELPARAM(kOutriderIntervalMax, kOutriderIntervalMin));
    SetDlgItemInt(hDlg, IDC_OR_INTERVAL, dwInterval, FALSE);
    SendDlgItemMessageW(hDlg, IDC_OR_INTERVAL_UPDOWN, UDM_SETPOS32, 0, static_cast<LPARAM>(dwInterval));
    CenterOnParent(hDlg);
    return TRUE;
}

void OnOk(HWND hDlg, const ModelConfig *pConfig) {
    const DWORD dwEnable = IsDlgButtonChecked(hDlg, IDC_OR_ENABLE) == BST_CHECKED ? 1 : 0;
    BOOL bNumber = FALSE;
    const UINT uTyped = GetDlgItemInt(hDlg, IDC_OR_INTERVAL, &bNumber, FALSE);
    // Enter confirms without leaving the field, so the field may still hold
    // what leaving it would have corrected.
    const DWORD dwInterval = ClampOutriderInterval(bNumber ? uTyped : 0);
    const PrinterValue alerts[] = {DwordValue(kEnableValue, dwEnable), DwordValue(kIntervalValue, dwInterval)};
    SetPrinterValues(pConfig->hPrinter, alerts, ARRAYSIZE(alerts));
    EndDialog(hDlg, IDOK);
}

void OnIntervalChanged(HWND hDlg, WORD wCode) {
    if (wCode == EN_CHANGE) {
        SendDlgItemMessageW(hDlg, IDC_OR_INTERVAL_UPDOWN, UDM_SETPOS, 0, MAKELPARAM(TypedInterval(hDlg), 0));
    } else if (wCode == EN_KILLFOCUS) {
        const DWORD dwInterval = ClampOutriderInterval(TypedInterval(hDlg));
        SendDlgItemMessageW(hDlg, IDC_OR_INTERVAL_UPDOWN, UDM_SETPOS, 0, MAKELPARAM(dwInterval, 0));
    }
}

void OnCommand(HWND hDlg, ModelConfig *pConfig, WORD wId, WORD wCode) {
    switch (wId) {
    case IDOK:
        OnOk(hDlg, pConfig);
        break;
    case IDCANCEL:
        EndDialog(hDlg, IDCANCEL);
        break;
    case IDC_OR_INTERVAL:
        OnIntervalChanged(hDlg, wCode);
        break;
    default:
        break;
    }
}

// The arrows step from what the user typed, not from the last position.
void OnDeltaPos(HWND hDlg, const NMHDR *pHeader) {
    if (pHeader == nullptr || pHeader->idFrom != IDC_OR_INTERVAL_UPDOWN || pHeader->code != UDN_DELTAPOS) return;
    SendDlgItemMessageW(hDlg, IDC_OR_INTERVAL_UPDOWN, UDM_SETPOS32, 0, TypedInterval(hDlg));
}

INT_PTR CALLBACK OutriderSettingsProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == WM_INITDIALOG) return OnInitDialog(hDlg, reinterpret_cast<ModelConfig *>(lParam));
    ModelConfig *pConfig = DialogContext(hDlg);
    if (pConfig == nullptr) return FALSE;
    switch (uMsg) {
    case WM_COMMAND:
        OnCommand(hDlg, pConfig, LOWORD(wParam), HIWORD(wParam));
        return FALSE;
    case WM_NOTIFY:
        OnDeltaPos(hDlg, reinterpret_cast<const NMHDR *>(lParam));
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

DWORD ClampOutriderInterval(LONGLONG llTyped) {
    if (llTyped < static_cast<LONGLONG>(kOutriderIntervalMin)) return kOutriderIntervalMin;
    if (llTyped > static_cast<LONGLONG>(kOutriderIntervalMax)) return kOutriderIntervalMax;
    return static_cast<DWORD>(llTyped);
}

INT_PTR RunOutriderSettingsDialog(HWND hOwner, ModelConfig *pConfig) {
    return RunPluginDialog(IDD_OUTRIDER_SETTINGS, IDD_OUTRIDER_SETTINGS_RTL, hOwner, OutriderSettingsProc, pConfig);
}

}  // namespace oemui
