// The one way the plug-in opens a modal dialog, and the small window-style
// fix every dialog makes when it opens.
#pragma once

#include <windows.h>

namespace oemui {

struct ModelConfig;

// The template for the current system language: wRtlTemplate when the
// right-to-left test holds, else wLtrTemplate.
WORD ChooseTemplate(WORD wLtrTemplate, WORD wRtlTemplate);

// Runs the dialog modally from the module's instance, inside the module's
// activation context, owned by hOwner, with the context record as creation
// parameter. The template is chosen with ChooseTemplate (pass the same id
// twice for a dialog without a mirrored twin). Returns what DialogBoxParamW
// returns (1 OK, 2 Cancel, -1 when the dialog could not be created).
INT_PTR RunPluginDialog(WORD wLtrTemplate, WORD wRtlTemplate, HWND hOwner, DLGPROC pfnDlgProc,
                        ModelConfig *pConfig);

// Newer systems (major version above 5) have no "?" button help: removes
// WS_EX_CONTEXTHELP from the dialog's extended style there.
void RemoveContextHelpOnNewerSystems(HWND hDlg);

}  // namespace oemui
