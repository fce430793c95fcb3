// The Print and Hold dialog: how the printer treats the job (print, proof,
// hold behind a passcode, store, spool, print later), the job owner, the job
// name and the passcode, written into the sheet's PrivateDevMode on OK.
#pragma once

#include <windows.h>

namespace oemui {

struct ModelConfig;

// Dialog procedure of templates 3006 and 3500; the creation parameter is the
// document sheet's context record.
INT_PTR CALLBACK PrintAndHoldDialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);

// Runs the dialog owned by hOwner on the document sheet's context record;
// nothing opens without the job's block and the model's files. Returns
// CPSUICB_ACTION_NONE: the dialog writes the block itself.
LONG ShowPrintAndHoldDialog(HWND hOwner, ModelConfig *pConfig);

}  // namespace oemui
