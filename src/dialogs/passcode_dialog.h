// What the Print and Hold and the Job Accounting dialogs share: the
// passcode length limits, the passcode check with its message, the rule
// that replaces an unusable name, the name seeded from the Windows user, and
// copies between the device mode's fixed-width fields and working buffers.
#pragma once

#include <windows.h>

namespace oemui {

struct ModelConfig;

// The Help button of both dialogs (the resource scripts call it IDC_HELP_BUTTON).
constexpr WORD kHelpButtonId = 9;

// Longest text a dialog reads back from a field for the passcode check.
constexpr int kCheckFieldCch = 259;

struct PassLimits {
    SHORT sMin;
    SHORT sMax;
};

// The model's limits made safe for a field that stores at most nCeiling
// characters: the maximum clamped to 1..nCeiling, the minimum to 0..maximum.
// A maximum above the stored field would accept a passcode that is silently
// cut when stored, and the job could never be released.
PassLimits ClampPassLimits(int nMin, int nMax, int nCeiling);

// True when the text holds no character above U+007F, no "/" and no "\":
// the printer keeps jobs in folders named after user and job names.
bool IsUsableName(const wchar_t *pszName);

// Empty or unusable text in pszName becomes pszFallback.
void ReplaceUnusableName(wchar_t *pszName, size_t cchName, const wchar_t *pszFallback);

// The Windows user name with a capacity of cchCapacity characters including
// the terminator: "Unknown" when unusable, empty when it does not fit.
void SeedFromWindowsUser(wchar_t *pszDest, size_t cchCapacity);

// The text of control id, at most cchMax characters (pszDest holds cchMax + 1).
void ReadFieldText(HWND hDlg, int id, wchar_t *pszDest, int cchMax);

// EM_LIMITTEXT with at least one character: a limit of 0 means "no limit".
void LimitFieldText(HWND hDlg, int id, int cchMax);

// Compares the passcode field 1020 with its confirmation 1349 against the
// record's limits. On a mismatch shows the "Invalid Passcode" message of the
// dialog's string-table section, formatted with the two limits, and returns
// false. bEmptyPasses: two empty fields pass whatever the limits say.
bool CheckPasscodePair(HWND hDlg, const ModelConfig *pConfig, const wchar_t *pszDialogName, bool bEmptyPasses);

// A device-mode field of cchField characters, terminated only when shorter,
// into a terminated buffer of cchDest characters.
void CopyFromField(wchar_t *pszDest, size_t cchDest, const wchar_t *pField, size_t cchField);

// Text into a device-mode field of cchField characters: cut to the field,
// the rest zero-filled (so no terminator when it fills the field).
void StoreInField(wchar_t *pField, size_t cchField, const wchar_t *pszText);

template <size_t N>
void StoreInField(wchar_t (&field)[N], const wchar_t *pszText) {
    StoreInField(field, N, pszText);
}

// How one of the two passcode dialogs opens.
struct PasscodeDialogKind {
    const wchar_t *pszName;  // string-table section "<name> Dialog"
    WORD wTemplate;
    WORD wTemplateRtl;
    const wchar_t *pszMinKey;  // model INI [Common] limits
    const wchar_t *pszMaxKey;
    int nDefaultLen;  // both limits when the model gives none
    int nCeiling;     // longest passcode the stored field takes
};

// The opening both dialogs share: context help off on newer systems, the
// record in DWLP_USER, the current dialog and template, the title, the
// clamped limits (before the caption pass formats hints with them), and
// the caption-and-hint pass.
void OpenPasscodeDialog(HWND hDlg, ModelConfig &config, const PasscodeDialogKind &kind);

// The record of a dialog opened with OpenPasscodeDialog; null before.
ModelConfig *PasscodeDialogRecord(HWND hDlg);

// Controls of a passcode dialog besides OK, Cancel and Help; nothing by default.
inline void NoOtherControls(HWND, ModelConfig &, WORD, WORD) {}

// Dialog procedure of a passcode dialog: OK, Cancel (2) and Help (button 9
// and WM_HELP) as both dialogs have them, other controls to pfnCommand.
// Messages before WM_INITDIALOG are ignored, and every message answers 0 so
// that the dialog manager sets no initial focus.
template <void (*pfnInit)(HWND, ModelConfig &), void (*pfnOk)(HWND, ModelConfig &),
          void (*pfnHelp)(const ModelConfig &), void (*pfnCommand)(HWND, ModelConfig &, WORD, WORD) = NoOtherControls>
INT_PTR CALLBACK PasscodeDialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == WM_INITDIALOG) {
        if (lParam != 0) pfnInit(hDlg, *reinterpret_cast<ModelConfig *>(lParam));
        return FALSE;
    }
    ModelConfig *pConfig = PasscodeDialogRecord(hDlg);
    if (pConfig == nullptr) return FALSE;
    if (uMsg == WM_HELP || (uMsg == WM_COMMAND && LOWORD(wParam) == kHelpButtonId)) {
        pfnHelp(*pConfig);
    } else if (uMsg == WM_COMMAND && LOWORD(wParam) == IDOK) {
        pfnOk(hDlg, *pConfig);
    } else if (uMsg == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        EndDialog(hDlg, IDCANCEL);
    } else if (uMsg == WM_COMMAND) {
        pfnCommand(hDlg, *pConfig, LOWORD(wParam), HIWORD(wParam));
    }
    return FALSE;
}

}  // namespace oemui
