// Translation of a dialog's texts from the model's string table, and the
// hover hints of its controls.
#pragma once

#include <windows.h>

namespace oemui {

struct ModelConfig;

// The dialog's hint window (topmost, mirrored on right-to-left systems), or
// null when it could not be created.
HWND CreateHintWindow(HWND hDlg);

// EnumChildWindows procedure, lParam the context record: replaces one
// control's caption from the section "<szDialogName> Dialog", attaches its
// hint, and disables it when the sheet has no permission. Always TRUE.
BOOL CALLBACK ApplyCaptionsAndHints(HWND hControl, LPARAM lParam);

// What every page and dialog does when it opens: hTooltip = CreateHintWindow,
// szDialogName = pszDialogName, then the caption-and-hint pass over every
// child of hDlg. hCurrentDlg and dwCurrentTemplate are the caller's to set
// first.
void TranslateDialog(HWND hDlg, ModelConfig *pConfig, const wchar_t *pszDialogName);

}  // namespace oemui
