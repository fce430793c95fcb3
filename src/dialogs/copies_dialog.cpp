#include "dialogs/copies_dialog.h"

#include <commctrl.h>

#include "kit/oemkit.h"
#include "resources/resource_ids.h"
#include "settings/model_config.h"
#include "ui/captions.h"
#include "ui/html_help.h"
#include "ui/modal_dialog.h"
#include "ui/dialog_texts.h"

namespace oemui {
namespace {

constexpr const wchar_t *kDialogName = kCopiesDialogName;
constexpr wchar_t kHelpFolder[] = L"Html";
constexpr wchar_t kHelpTopic[] = L"Color Copies Setting.htm";
// What the user may type into the greyscale field.
constexpr int kGrayCountCch = 4;
// Room for any count the arrows or a program may put into a field.
constexpr int kFieldCch = 16;

ModelConfig *DialogRecord(HWND hDlg) {
    return reinterpret_cast<ModelConfig *>(GetWindowLongPtrW(hDlg, GWLP_USERDATA));
}

const DEVMODEW *JobDevMode(const ModelConfig &config) {
    return config.pPsParam != nullptr ? config.pPsParam->pPublicDM : nullptr;
}

// The job's copy count; a negative one counts as none.
int JobCopies(const ModelConfig &config) {
    const DEVMODEW *pdm = JobDevMode(config);
    if (pdm == nullptr || pdm->dmCopies < 0) return 0;
    return pdm->dmCopies;
}

// Greyscale copies are only a choice for collated colour jobs, and only
// when the sheet may change settings at all.
bool GrayCountEditable(const ModelConfig &config) {
    const DEVMODEW *pdm = JobDevMode(config);
    return config.lNoPermission == 0 && pdm != nullptr && pdm->dmColor == DMCOLOR_COLOR &&
           pdm->dmCollate == DMCOLLATE_TRUE;
}

// Leading white space and sign, then digits up to the first other
// character; no digits read as 0. Saturates instead of overflowing.
int ParseCount(const wchar_t *psz) {
    while (*psz == L' ' || *psz == L'\t') ++psz;
    const bool bNegative = *psz == L'-';
    if (*psz == L'-' || *psz == L'+') ++psz;
    long long value = 0;
    for (; *psz >= L'0' && *psz <= L'9'; ++psz) {
        if (value < 0x7FFFFFFF) value = value * 10 + (*psz - L'0');
    }
    if (value > 0x7FFFFFFF) value = 0x7FFFFFFF;
    return static_cast<int>(bNegative ? -value : value);
}

int ReadField(HWND hDlg, int id) {
    wchar_t szText[kFieldCch] = {};
    GetDlgItemTextW(hDlg, id, szText, kFieldCch);
    return ParseCount(szText);
}

void WriteField(HWND hDlg, int id, int value) { SetDlgItemInt(hDlg, id, static_cast<UINT>(value), TRUE); }

// Runs whenever the greyscale field changes, including the dialog's own
// writes to it, so every path ends with the colour field in step.
void OnGrayCountChanged(HWND hDlg, const ModelConfig &config) {
    const int total = JobCopies(config);
    const int gray = ReadField(hDlg, IDC_CP_GRAY);
    if (gray > total) {
        WriteField(hDlg, IDC_CP_GRAY, total);
        SetDlgItemTextW(hDlg, IDC_CP_COLOR, L"");
    } else if (gray < 0) {
        WriteField(hDlg, IDC_CP_GRAY, 0);
    } else {
        WriteField(hDlg, IDC_CP_COLOR, total - gray);
    }
}

void SetTitle(HWND hDlg, const ModelConfig &config) {
    if (config.pDat == nullptr) return;
    wchar_t szTitle[kProfileTextCch];
    config.pDat->SetDialogSection(kDialogName);
    config.pDat->ReadText(L"Caption", szTitle);
    SetWindowTextW(hDlg, szTitle);
}

void FillCounts(HWND hDlg, const ModelConfig &config) {
    const int total = JobCopies(config);
    WriteField(hDlg, IDC_CP_TOTAL, total);
    WriteField(hDlg, IDC_CP_GRAY, config.lGrayCopiesWork);
    SendDlgItemMessageW(hDlg, IDC_CP_GRAY_UPDOWN, UDM_SETRANGE32, 0, total);
    SendDlgItemMessageW(hDlg, IDC_CP_GRAY, EM_LIMITTEXT, kGrayCountCch, 0);
    // A stored greyscale count above a copy count lowered since opens with
    // every copy in colour.
    if (config.lGrayCopiesWork > total) SetDlgItemTextW(hDlg, IDC_CP_GRAY, L"");
    const int gray = ReadField(hDlg, IDC_CP_GRAY);
    WriteField(hDlg, IDC_CP_COLOR, total - (gray > 0 ? gray : 0));
    const BOOL bEditable = GrayCountEditable(config) ? TRUE : FALSE;
    EnableWindow(GetDlgItem(hDlg, IDC_CP_GRAY), bEditable);
    EnableWindow(GetDlgItem(hDlg, IDC_CP_GRAY_UPDOWN), bEditable);
}

BOOL OnInitDialog(HWND hDlg, ModelConfig *pConfig) {
    if (pConfig == nullptr) {
        EndDialog(hDlg, IDCANCEL);
        return FALSE;
    }
    RemoveContextHelpOnNewerSystems(hDlg);
    SetWindowLongPtrW(hDlg, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pConfig));
    pConfig->hCurrentDlg = hDlg;
    pConfig->dwCurrentTemplate = ChooseTemplate(IDD_COPIES_SETTING, IDD_COPIES_SETTING_RTL);
    SetTitle(hDlg, *pConfig);
    TranslateDialog(hDlg, pConfig, kDialogName);
    FillCounts(hDlg, *pConfig);
    return TRUE;
}

void OnOk(HWND hDlg, ModelConfig &config) {
    const int total = JobCopies(config);
    int gray = ReadField(hDlg, IDC_CP_GRAY);
    gray = gray < 0 ? 0 : (gray > total ? total : gray);
    const int color = ReadField(hDlg, IDC_CP_COLOR);
    config.lGrayCopiesWork = gray;
    config.dwColorCopiesWork = static_cast<DWORD>(color > 0 ? color : 0);
    EndDialog(hDlg, IDOK);
}

void OnHelp(const ModelConfig &config) { ShowHelpTopic(nullptr, &config, kHelpFolder, kHelpTopic); }

void OnCommand(HWND hDlg, ModelConfig &config, int id, int code) {
    switch (id) {
    case IDOK:
        OnOk(hDlg, config);
        break;
    case IDCANCEL:
        EndDialog(hDlg, IDCANCEL);
        break;
    case IDC_HELP_BUTTON:
        OnHelp(config);
        break;
    case IDC_CP_GRAY:
        // Only the change itself: the update notice that precedes it would
        // recompute once more after a correction and undo its result.
        if (code == EN_CHANGE) OnGrayCountChanged(hDlg, config);
        break;
    default:
        break;
    }
}

INT_PTR CALLBACK CopiesSettingDialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == WM_INITDIALOG) return OnInitDialog(hDlg, reinterpret_cast<ModelConfig *>(lParam));
    ModelConfig *pConfig = DialogRecord(hDlg);
    if (pConfig == nullptr) return FALSE;
    switch (uMsg) {
    case WM_COMMAND:
        OnCommand(hDlg, *pConfig, LOWORD(wParam), HIWORD(wParam));
        break;
    case WM_HELP:
        OnHelp(*pConfig);
        break;
    default:
        break;
    }
    return FALSE;
}

}  // namespace

LONG ShowCopiesSettingDialog(HWND hOwner, ModelConfig *pConfig) {
    RunPluginDialog(IDD_COPIES_SETTING, IDD_COPIES_SETTING_RTL, hOwner, CopiesSettingDialogProc, pConfig);
    return CPSUICB_ACTION_NONE;
}

}  // namespace oemui
