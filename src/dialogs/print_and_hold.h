// The Print and Hold dialog: how the printer treats the job (print, proof,
// hold behind a passcode, store, spool, print later), the job owner, the job
// name and the passcode, written into the sheet's PrivateDevMode on OK.
#pragma once

#include <windows.h>

#include "resources/resource_ids.h"

namespace oemui {

struct ModelConfig;

// Mode list entries; each key is also the entry's caption key in "Hold Dialog".
// "Confidentional" must match the string tables letter for letter.
inline constexpr const wchar_t *kNormalModes[] = {L"Normal", L"Proof", L"Confidentional", L"Store", L"Spool", L"Delay"};
inline constexpr const wchar_t *kSecureModes[] = {L"Normal", L"Confidentional"};

// The print-at controls, ended by 0.
inline constexpr int kTimeGroup[] = {IDC_PH_PRINT_AT_LABEL, IDC_PH_DATE_PICKER, IDC_PH_TIME_PICKER, 0};

// What each mode shows, one row per entry of the mode lists above.
enum class Passcode {
    Hidden,
    Enabled,              // shown and enabled; a passcode is needed
    EnabledUnlessPublic,  // shown; enabled and needed unless "Store in Public" is checked
    AsItIs,               // shown, enabled state untouched; a passcode is needed
};

struct ModeControls {
    bool bStoreJob;     // "Store Print Job" 1169
    bool bStorePublic;  // "Store in Public" 1000
    bool bTime;         // print-at pickers
    Passcode passcode;
};

inline constexpr ModeControls kNormalControls[] = {
    {true, false, false, Passcode::Hidden},                // Normal
    {true, false, false, Passcode::Hidden},                // Proof
    {true, false, false, Passcode::Enabled},               // Confidentional
    {false, true, false, Passcode::EnabledUnlessPublic},   // Store
    {false, false, false, Passcode::Hidden},               // Spool
    {false, false, true, Passcode::Hidden},                // Delay
};
inline constexpr ModeControls kSecureControls[] = {
    {false, false, false, Passcode::Hidden},  // Normal
    {false, false, false, Passcode::AsItIs},  // Confidentional
};

// Dialog procedure of templates 3006 and 3500; the creation parameter is the
// document sheet's context record.
INT_PTR CALLBACK PrintAndHoldDialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);

// Runs the dialog owned by hOwner on the document sheet's context record;
// nothing opens without the job's block and the model's files. Returns
// CPSUICB_ACTION_NONE: the dialog writes the block itself.
LONG ShowPrintAndHoldDialog(HWND hOwner, ModelConfig *pConfig);

}  // namespace oemui
