#include "dialogs/job_accounting.h"

#include <winspool.h>

#include "common/bounded_format.h"
#include "dialogs/input_filters.h"
#include "dialogs/passcode_dialog.h"
#include "kit/oemkit.h"
#include "resources/resource_ids.h"
#include "settings/model_config.h"
#include "settings/printer_values.h"
#include "ui/html_help.h"
#include "ui/modal_dialog.h"
#include "ui/dialog_texts.h"

namespace oemui {
namespace {

constexpr const wchar_t *kDialogName = kJobAccountingDialogName;
constexpr int kCredentialCch = static_cast<int>(kJobAccountCch) - 1;

// A credential from the printer data into a zero-filled buffer of
// kJobAccountCch characters. Missing, not text, or longer than the buffer
// takes: empty.
void ReadCredential(HANDLE hPrinter, const wchar_t *pszValue, wchar_t (&szDest)[kJobAccountCch]) {
    SecureZeroMemory(szDest, sizeof(szDest));
    if (hPrinter == nullptr) return;
    DWORD dwType = 0;
    DWORD cbNeeded = 0;
    const DWORD dwResult = GetPrinterDataW(hPrinter, const_cast<LPWSTR>(pszValue), &dwType,
                                           reinterpret_cast<BYTE *>(szDest), sizeof(szDest), &cbNeeded);
    // 33 characters without a terminator fill the buffer exactly: too long.
    if (dwResult != ERROR_SUCCESS || dwType != REG_SZ || szDest[kJobAccountCch - 1] != L'\0') {
        SecureZeroMemory(szDest, sizeof(szDest));
    }
}

void ShowUserId(HWND hDlg, ModelConfig &config) {
    if (config.szJobAccountIdKept[0] == L'\0') {
        ReadCredential(config.hPrinter, kJobAccountIdValue, config.szJobAccountIdEntered);
        if (config.szJobAccountIdEntered[0] != L'\0') {
            CopyCchW(config.szJobAccountIdKept, kJobAccountCch, config.szJobAccountIdEntered);
        } else {
            SeedFromWindowsUser(config.szJobAccountIdKept, kJobAccountCch - 1);
        }
    }
    SetDlgItemTextW(hDlg, IDC_JA_USER_ID, config.szJobAccountIdKept);
}

void ShowPassword(HWND hDlg, ModelConfig &config) {
    if (config.szJobAccountPwKept[0] == L'\0') {
        ReadCredential(config.hPrinter, kJobAccountPwValue, config.szJobAccountPwKept);
        SecureZeroMemory(config.szJobAccountPwEntered, sizeof(config.szJobAccountPwEntered));
        CopyCchW(config.szJobAccountPwEntered, kJobAccountCch, config.szJobAccountPwKept);
        if (config.szJobAccountPwKept[0] == L'\0') return;
    }
    SetDlgItemTextW(hDlg, IDC_JA_PASSWORD, config.szJobAccountPwKept);
    SetDlgItemTextW(hDlg, IDC_JA_CONFIRM, config.szJobAccountPwKept);
}

void OnInitDialog(HWND hDlg, ModelConfig &config) {
    OpenPasscodeDialog(hDlg, config,
                       {kDialogName, IDD_JOB_ACCOUNTING, IDD_JOB_ACCOUNTING_RTL, L"PrinterMinPassLen", L"PrinterMaxPassLen",
                        kCredentialCch, kCredentialCch});
    AttachInputFilter(hDlg, IDC_JA_USER_ID, InputFilter::AccountId, kCredentialCch);
    AttachInputFilter(hDlg, IDC_JA_PASSWORD, InputFilter::AccountPassword, config.sMaxPassLen);
    AttachInputFilter(hDlg, IDC_JA_CONFIRM, InputFilter::AccountPassword, config.sMaxPassLen);
    ShowUserId(hDlg, config);
    ShowPassword(hDlg, config);
}

// The credentials change only once the password check has passed, and only
// then does the option callback write them on Apply.
void OnOk(HWND hDlg, ModelConfig &config) {
    wchar_t szUserId[kJobAccountCch];
    ReadFieldText(hDlg, IDC_JA_USER_ID, szUserId, kCredentialCch);
    ReplaceUnusableName(szUserId, ARRAYSIZE(szUserId), L"Unknown");
    if (!CheckPasscodePair(hDlg, &config, kDialogName, true)) return;

    wchar_t szPassword[kJobAccountCch];
    ReadFieldText(hDlg, IDC_JA_PASSWORD, szPassword, kCredentialCch);
    CopyCchW(config.szJobAccountIdEntered, kJobAccountCch, szUserId);
    CopyCchW(config.szJobAccountIdKept, kJobAccountCch, szUserId);
    CopyCchW(config.szJobAccountPwEntered, kJobAccountCch, szPassword);
    CopyCchW(config.szJobAccountPwKept, kJobAccountCch, szPassword);
    SecureZeroMemory(szPassword, sizeof(szPassword));
    config.lJobAccountEdited = 1;
    EndDialog(hDlg, IDOK);
}

void OnHelp(const ModelConfig &config) { ShowHelpTopic(nullptr, &config, L"Html", L"Job Accounting.htm"); }

}  // namespace

INT_PTR CALLBACK JobAccountingDialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return PasscodeDialogProc<OnInitDialog, OnOk, OnHelp>(hDlg, uMsg, wParam, lParam);
}

LONG ShowJobAccountingDialog(HWND hOwner, ModelConfig *pConfig) {
    if (pConfig == nullptr || pConfig->pDat == nullptr || pConfig->pIni == nullptr) return CPSUICB_ACTION_NONE;
    RunPluginDialog(IDD_JOB_ACCOUNTING, IDD_JOB_ACCOUNTING_RTL, hOwner, JobAccountingDialogProc, pConfig);
    return CPSUICB_ACTION_NONE;
}

}  // namespace oemui
