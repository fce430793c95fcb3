// The Job Accounting dialog: the user ID and password under which the
// printer accounts jobs. It only fills the printer-properties context
// record; the option callback writes the printer data when the sheet is
// applied.
#pragma once

#include <windows.h>

namespace oemui {

struct ModelConfig;

// Dialog procedure of templates 3044 and 3505; the creation parameter is the
// printer sheet's context record.
INT_PTR CALLBACK JobAccountingDialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);

// Runs the dialog owned by hOwner on the printer sheet's context record;
// nothing opens without the model's files. Returns CPSUICB_ACTION_NONE.
LONG ShowJobAccountingDialog(HWND hOwner, ModelConfig *pConfig);

}  // namespace oemui
