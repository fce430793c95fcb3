// The Troubleshooting property page.
#pragma once

#include <windows.h>

#include "resources/resource_ids.h"

namespace oemui {

struct ModelConfig;

// The job-status alert group, ended by 0: removed when the model INI's
// "TroubleOutrider" is 0.
inline constexpr int kAlertGroup[] = {IDC_TS_OUTRIDER_GROUP, IDC_TS_OUTRIDER_TEXT, IDC_TS_OUTRIDER_LAST_TOPIC,
                                      IDC_TS_OUTRIDER_SETTINGS, 0};

// Dialog procedure of the page. The page's creation parameter (the
// PROPSHEETPAGEW lParam) is the sheet's context record; the page keeps it in
// its DWLP_USER slot for every later message.
INT_PTR CALLBACK TroubleshootingPageProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);

// The context record a page keeps; null before WM_INITDIALOG.
ModelConfig *TroubleshootingPageContext(HWND hDlg);

}  // namespace oemui
