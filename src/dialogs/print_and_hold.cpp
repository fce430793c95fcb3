#include "dialogs/print_and_hold.h"

#include <commctrl.h>

#include <cwchar>

#include "common/bounded_format.h"
#include "dialogs/input_filters.h"
#include "dialogs/passcode_dialog.h"
#include "kit/oemkit.h"
#include "resources/resource_ids.h"
#include "settings/model_config.h"
#include "settings/private_devmode.h"
#include "ui/html_help.h"
#include "ui/layout.h"
#include "ui/modal_dialog.h"
#include "ui/dialog_texts.h"

namespace oemui {
namespace {

constexpr const wchar_t *kDialogName = kHoldDialogName;

constexpr int kPasscodeCch = sizeof(PrivateDevMode::szPasscode) / sizeof(WCHAR);
constexpr int kSecurePasscodeCch = sizeof(PrivateDevMode::szSecurePasscode) / sizeof(WCHAR);

constexpr int kPasscodeGroup[] = {IDC_PH_PASSCODE_LABEL, IDC_PH_PASSCODE, IDC_PH_PASSCODE_HINT_EQUAL,
                                  IDC_PH_CONFIRM_LABEL, IDC_PH_CONFIRM, IDC_PH_CONFIRM_HINT_EQUAL,
                                  IDC_PH_PASSCODE_HINT_RANGE, IDC_PH_CONFIRM_HINT_RANGE, 0};
constexpr int kEqualLengthHints[] = {IDC_PH_PASSCODE_HINT_EQUAL, IDC_PH_CONFIRM_HINT_EQUAL, 0};
constexpr int kRangeLengthHints[] = {IDC_PH_PASSCODE_HINT_RANGE, IDC_PH_CONFIRM_HINT_RANGE, 0};

constexpr ModeControls kNoModeControls = {false, false, false, Passcode::Hidden};

static_assert(ARRAYSIZE(kNormalModes) == ARRAYSIZE(kNormalControls), "one row per normal mode");
static_assert(ARRAYSIZE(kSecureModes) == ARRAYSIZE(kSecureControls), "one row per secure-print mode");

bool IsSecureModel(const ModelConfig &config) { return config.sExtrasSecurePrint == 1; }

int ModeCount(const ModelConfig &config) {
    return IsSecureModel(config) ? static_cast<int>(ARRAYSIZE(kSecureModes)) : static_cast<int>(ARRAYSIZE(kNormalModes));
}

const ModeControls &ControlsFor(const ModelConfig &config, int index) {
    if (index < 0 || index >= ModeCount(config)) return kNoModeControls;
    return IsSecureModel(config) ? kSecureControls[index] : kNormalControls[index];
}

bool NeedsPasscode(const ModeControls &controls, int storeFlag) {
    switch (controls.passcode) {
    case Passcode::Enabled:
    case Passcode::AsItIs:
        return true;
    case Passcode::EnabledUnlessPublic:
        return storeFlag == 0;
    case Passcode::Hidden:
        break;
    }
    return false;
}

PrivateDevMode *JobBlock(const ModelConfig &config) {
    return config.pPsParam != nullptr ? static_cast<PrivateDevMode *>(config.pPsParam->pOEMDM) : nullptr;
}

// Longest passcode the stored field takes.
int PasscodeFieldCch(const ModelConfig &config) {
    return IsSecureModel(config) ? kSecurePasscodeCch : kPasscodeCch;
}

void ShowGroup(HWND hDlg, const int *pIds, bool bShow, const ModelConfig &config) {
    ShowOrMoveGroup(hDlg, pIds, bShow ? kShow : kHide, nullptr, &config);
}

// A sheet without permission has had every control disabled by the caption
// pass; nothing the mode asks for may turn one back on.
void EnableGroup(HWND hDlg, const int *pIds, bool bEnable, const ModelConfig &config) {
    const BOOL bAllowed = (bEnable && config.lNoPermission == 0) ? TRUE : FALSE;
    for (; *pIds != 0; ++pIds) EnableWindow(GetDlgItem(hDlg, *pIds), bAllowed);
}

void ApplyModeControls(HWND hDlg, const ModelConfig &config, int index, int storeFlag) {
    const ModeControls &controls = ControlsFor(config, index);
    ShowOrMoveControl(hDlg, IDC_PH_STORE_JOB, controls.bStoreJob ? kShow : kHide, nullptr, &config);
    ShowOrMoveControl(hDlg, IDC_PH_STORE_PUBLIC, controls.bStorePublic ? kShow : kHide, nullptr, &config);
    ShowGroup(hDlg, kTimeGroup, controls.bTime, config);
    const bool bPasscode = controls.passcode != Passcode::Hidden;
    ShowGroup(hDlg, kPasscodeGroup, bPasscode, config);
    // The modes with a store check box show the flag in both boxes, so that
    // it carries over from one mode to the next.
    if (controls.bStoreJob || controls.bStorePublic) {
        const UINT uCheck = storeFlag != 0 ? BST_CHECKED : BST_UNCHECKED;
        CheckDlgButton(hDlg, IDC_PH_STORE_JOB, uCheck);
        CheckDlgButton(hDlg, IDC_PH_STORE_PUBLIC, uCheck);
    }
    if (controls.passcode == Passcode::Enabled) EnableGroup(hDlg, kPasscodeGroup, true, config);
    if (controls.passcode == Passcode::EnabledUnlessPublic) {
        EnableGroup(hDlg, kPasscodeGroup, IsDlgButtonChecked(hDlg, IDC_PH_STORE_PUBLIC) != BST_CHECKED, config);
    }
    if (bPasscode) {
        const bool bEqual = config.sMinPassLen == config.sMaxPassLen;
        ShowGroup(hDlg, kEqualLengthHints, bEqual, config);
        ShowGroup(hDlg, kRangeLengthHints, !bEqual, config);
    }
}

// Reads the numbers of a stored print-at time "Y:M:D:h:m" (a sixth, the
// seconds, is read too). Reading stops at the first character that does not
// fit; a part that is missing or too long to be a date part stays 0, which
// the pickers refuse. No allocation: the runtime's scanf family allocates,
// and fails hard when the heap is exhausted.
void ParsePrintAt(const wchar_t *psz, size_t cchMax, int (&anPart)[6]) {
    size_t i = 0;
    for (int part = 0; part < 6; ++part) {
        if (part > 0) {
            if (i >= cchMax || psz[i] != L':') return;
            ++i;
        }
        int value = 0;
        size_t digits = 0;
        for (; i < cchMax && psz[i] >= L'0' && psz[i] <= L'9'; ++i, ++digits) {
            if (digits < 5) value = value * 10 + (psz[i] - L'0');
        }
        if (digits == 0) return;
        anPart[part] = digits <= 5 ? value : 0;
    }
}

void LoadPickers(HWND hDlg, const ModelConfig &config) {
    int anPart[6] = {};
    ParsePrintAt(config.szHoldPrintAt, ARRAYSIZE(config.szHoldPrintAt), anPart);
    SYSTEMTIME now;
    GetLocalTime(&now);
    SYSTEMTIME st = {};
    st.wYear = static_cast<WORD>(anPart[0]);
    st.wMonth = static_cast<WORD>(anPart[1]);
    st.wDay = static_cast<WORD>(anPart[2]);
    st.wHour = static_cast<WORD>(anPart[3]);
    st.wMinute = static_cast<WORD>(anPart[4]);
    st.wSecond = static_cast<WORD>(anPart[5]);
    st.wDayOfWeek = now.wDayOfWeek;
    st.wMilliseconds = now.wMilliseconds;
    // The pickers refuse an invalid date and keep their current value.
    SendDlgItemMessageW(hDlg, IDC_PH_DATE_PICKER, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
    SendDlgItemMessageW(hDlg, IDC_PH_TIME_PICKER, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
}

void BuildPrintAt(HWND hDlg, ModelConfig &config) {
    SYSTEMTIME date = {};
    SYSTEMTIME time = {};
    SendDlgItemMessageW(hDlg, IDC_PH_DATE_PICKER, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&date));
    SendDlgItemMessageW(hDlg, IDC_PH_TIME_PICKER, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time));
    FormatCchW(config.szHoldPrintAt, ARRAYSIZE(config.szHoldPrintAt), L"%d:%02d:%02d:%02d:%02d", date.wYear,
               date.wMonth, date.wDay, time.wHour, time.wMinute);
}

// The stored mode as list index and store flag. Codes the list cannot show
// (negative, past Delay, past Confidentional on secure-print models) open
// as Normal with the flag cleared.
void DecodeStoredMode(const ModelConfig &config, SHORT sCode, int *pIndex, int *pFlag) {
    const SHORT sHighest = IsSecureModel(config) ? 1 : 10;
    *pIndex = 0;
    *pFlag = 0;
    if (sCode < 0 || sCode > sHighest) return;
    DecodePrintMode(sCode, IsSecureModel(config), pIndex, pFlag);
}

void FillModeList(HWND hDlg, const ModelConfig &config) {
    const wchar_t *const *ppKeys = IsSecureModel(config) ? kSecureModes : kNormalModes;
    for (int i = 0; i < ModeCount(config); ++i) {
        wchar_t szText[kProfileTextCch];
        config.pDat->ReadText(ppKeys[i], szText);
        SendDlgItemMessageW(hDlg, IDC_PH_MODE_LIST, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(szText));
    }
    SendDlgItemMessageW(hDlg, IDC_PH_MODE_LIST, CB_SETCURSEL, static_cast<WPARAM>(config.sHoldIndex), 0);
}

void ShowUserId(HWND hDlg, ModelConfig &config, const PrivateDevMode &dm) {
    CopyFromField(config.szHoldUserId, ARRAYSIZE(config.szHoldUserId), dm.szUserId, ARRAYSIZE(dm.szUserId));
    // Capacity is the field's width with its terminator, so the name fits the stored field whole.
    if (config.szHoldUserId[0] == L'\0') SeedFromWindowsUser(config.szHoldUserId, ARRAYSIZE(dm.szUserId));
    SetDlgItemTextW(hDlg, IDC_PH_USER_ID, config.szHoldUserId);
}

void ShowJobName(HWND hDlg, ModelConfig &config, const PrivateDevMode &dm) {
    CopyFromField(config.szHoldJobName, ARRAYSIZE(config.szHoldJobName), dm.szJobName, ARRAYSIZE(dm.szJobName));
    if (config.szHoldJobName[0] == L'\0') CopyCchW(config.szHoldJobName, ARRAYSIZE(config.szHoldJobName), L"Untitled");
    SetDlgItemTextW(hDlg, IDC_PH_JOB_NAME, config.szHoldJobName);
}

void ShowPasscode(HWND hDlg, ModelConfig &config, const PrivateDevMode &dm) {
    if (IsSecureModel(config)) {
        CopyFromField(config.szHoldPasscode, ARRAYSIZE(config.szHoldPasscode), dm.szSecurePasscode,
                      ARRAYSIZE(dm.szSecurePasscode));
    } else {
        CopyFromField(config.szHoldPasscode, ARRAYSIZE(config.szHoldPasscode), dm.szPasscode, ARRAYSIZE(dm.szPasscode));
    }
    SetDlgItemTextW(hDlg, IDC_PH_PASSCODE, config.szHoldPasscode);
    SetDlgItemTextW(hDlg, IDC_PH_CONFIRM, config.szHoldPasscode);
}

void OnInitDialog(HWND hDlg, ModelConfig &config) {
    OpenPasscodeDialog(hDlg, config,
                       {kDialogName, IDD_PRINT_AND_HOLD, IDD_PRINT_AND_HOLD_RTL, L"ExtrasMinPassLen", L"ExtrasMaxPassLen",
                        4, PasscodeFieldCch(config)});
    const PrivateDevMode &dm = *JobBlock(config);
    int index = 0;
    int flag = 0;
    DecodeStoredMode(config, dm.sPrintMode, &index, &flag);
    config.sHoldIndex = static_cast<SHORT>(index);
    config.sStoreFlag = static_cast<SHORT>(flag);
    FillModeList(hDlg, config);
    ApplyModeControls(hDlg, config, index, flag);

    AttachInputFilter(hDlg, IDC_PH_USER_ID, InputFilter::Name, ARRAYSIZE(dm.szUserId));
    AttachInputFilter(hDlg, IDC_PH_JOB_NAME, InputFilter::Name, ARRAYSIZE(dm.szJobName));
    AttachInputFilter(hDlg, IDC_PH_PASSCODE, InputFilter::Passcode, config.sMaxPassLen);
    AttachInputFilter(hDlg, IDC_PH_CONFIRM, InputFilter::Passcode, config.sMaxPassLen);

    ShowUserId(hDlg, config, dm);
    ShowJobName(hDlg, config, dm);
    ShowPasscode(hDlg, config, dm);
    if (LengthCchW(dm.szPrintAt, ARRAYSIZE(dm.szPrintAt)) != 0) {
        CopyFromField(config.szHoldPrintAt, ARRAYSIZE(config.szHoldPrintAt), dm.szPrintAt, ARRAYSIZE(dm.szPrintAt));
    }
    if (ControlsFor(config, index).bTime) LoadPickers(hDlg, config);
}

void OnStoreBoxClicked(HWND hDlg, ModelConfig &config, int id) {
    const bool bChecked = IsDlgButtonChecked(hDlg, id) == BST_CHECKED;
    config.sStoreFlag = bChecked ? 1 : 0;
    if (id == IDC_PH_STORE_PUBLIC) EnableGroup(hDlg, kPasscodeGroup, !bChecked, config);
}

void OnModeChanged(HWND hDlg, ModelConfig &config) {
    const int index = static_cast<int>(SendDlgItemMessageW(hDlg, IDC_PH_MODE_LIST, CB_GETCURSEL, 0, 0));
    ApplyModeControls(hDlg, config, index, config.sStoreFlag);
    if (ControlsFor(config, index).bTime) LoadPickers(hDlg, config);
}

// Nothing reaches the job until the passcode check has passed: a refused
// passcode followed by Cancel must leave the job as it was.
void OnOk(HWND hDlg, ModelConfig &config) {
    PrivateDevMode &dm = *JobBlock(config);
    const bool bSecure = IsSecureModel(config);
    int index = static_cast<int>(SendDlgItemMessageW(hDlg, IDC_PH_MODE_LIST, CB_GETCURSEL, 0, 0));
    int flag = config.sStoreFlag;
    if (index < 0 || index >= ModeCount(config)) {
        index = 0;  // no selection stores Normal
        flag = 0;
    }
    const ModeControls &controls = ControlsFor(config, index);
    const bool bPasscode = NeedsPasscode(controls, flag);
    if (bPasscode && !CheckPasscodePair(hDlg, &config, kDialogName, false)) return;

    ReadFieldText(hDlg, IDC_PH_USER_ID, config.szHoldUserId, ARRAYSIZE(dm.szUserId));
    ReplaceUnusableName(config.szHoldUserId, ARRAYSIZE(config.szHoldUserId), L"Unknown");
    ReadFieldText(hDlg, IDC_PH_JOB_NAME, config.szHoldJobName, ARRAYSIZE(dm.szJobName));
    ReplaceUnusableName(config.szHoldJobName, ARRAYSIZE(config.szHoldJobName), L"Untitled");
    config.sHoldIndex = static_cast<SHORT>(index);

    StoreInField(dm.szUserId, config.szHoldUserId);
    StoreInField(dm.szJobName, config.szHoldJobName);
    dm.sSecurePrint = config.sExtrasSecurePrint;
    dm.sPrintMode = EncodePrintMode(index, flag, bSecure);
    if (bPasscode) ReadFieldText(hDlg, IDC_PH_PASSCODE, config.szHoldPasscode, PasscodeFieldCch(config));
    if (bSecure && bPasscode) {
        StoreInField(dm.szSecurePasscode, config.szHoldPasscode);
        wchar_t szKey[kProfileTextCch];
        config.pIni->SetSection(L"FUNCTION");
        // Without a model value the key name itself is the key; stored jobs
        // and the printer rely on that literal.
        config.pIni->ReadText(L"EncryptionKey", szKey);
        SecureZeroMemory(dm.szEncryptionKey, sizeof(dm.szEncryptionKey));
        CopyCchW(dm.szEncryptionKey, ARRAYSIZE(dm.szEncryptionKey), szKey);
    } else if (bPasscode) {
        StoreInField(dm.szPasscode, config.szHoldPasscode);
    } else if (controls.bTime) {
        BuildPrintAt(hDlg, config);
        StoreInField(dm.szPrintAt, config.szHoldPrintAt);
    }

    config.lChanged = 1;
    if (config.pfnComPropSheet != nullptr) {
        config.pfnComPropSheet(config.hComPropSheet, CPSFUNC_SET_RESULT, reinterpret_cast<LPARAM>(config.hPage),
                               CPSUI_OK);
    }
    EndDialog(hDlg, IDOK);
}

void OnHelp(const ModelConfig &config) {
    ShowHelpTopic(nullptr, &config, IsSecureModel(config) ? L"output_options_tab" : L"Html",
                  L"Print And Hold Dialog.htm");
}

void OnCommand(HWND hDlg, ModelConfig &config, WORD wId, WORD wNotify) {
    switch (wId) {
    case IDC_PH_STORE_PUBLIC:
    case IDC_PH_STORE_JOB:
        OnStoreBoxClicked(hDlg, config, wId);
        break;
    case IDC_PH_MODE_LIST:
        if (wNotify == CBN_SELCHANGE) OnModeChanged(hDlg, config);
        break;
    default:
        break;
    }
}

}  // namespace

INT_PTR CALLBACK PrintAndHoldDialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return PasscodeDialogProc<OnInitDialog, OnOk, OnHelp, OnCommand>(hDlg, uMsg, wParam, lParam);
}

LONG ShowPrintAndHoldDialog(HWND hOwner, ModelConfig *pConfig) {
    // The dialog edits the job's block and reads the model's files; without
    // them there is nothing to show.
    if (pConfig == nullptr || JobBlock(*pConfig) == nullptr || pConfig->pDat == nullptr || pConfig->pIni == nullptr) {
        return CPSUICB_ACTION_NONE;
    }
    RunPluginDialog(IDD_PRINT_AND_HOLD, IDD_PRINT_AND_HOLD_RTL, hOwner, PrintAndHoldDialogProc, pConfig);
    return CPSUICB_ACTION_NONE;
}

}  // namespace oemui
