// The Troubleshooting property page.
#pragma once

#include <windows.h>

namespace oemui {

struct ModelConfig;

// Dialog procedure of the page. The page's creation parameter (the
// PROPSHEETPAGEW lParam) is the sheet's context record; the page keeps it in
// its DWLP_USER slot for every later message.
INT_PTR CALLBACK TroubleshootingPageProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);

// The context record a page keeps; null before WM_INITDIALOG.
ModelConfig *TroubleshootingPageContext(HWND hDlg);

}  // namespace oemui
