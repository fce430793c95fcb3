#include "troubleshooting/trouble_page.h"

#include <prsht.h>

namespace oemui {

ModelConfig *TroubleshootingPageContext(HWND hDlg) {
    return reinterpret_cast<ModelConfig *>(GetWindowLongPtrW(hDlg, DWLP_USER));
}

INT_PTR CALLBACK TroubleshootingPageProc(HWND hDlg, UINT uMsg, WPARAM, LPARAM lParam) {
    if (uMsg == WM_INITDIALOG) {
        // The sheet passes its own copy of the page description; its lParam
        // is what the page was added with.
        const auto *pPage = reinterpret_cast<const PROPSHEETPAGEW *>(lParam);
        ModelConfig *pConfig = pPage != nullptr ? reinterpret_cast<ModelConfig *>(pPage->lParam) : nullptr;
        SetWindowLongPtrW(hDlg, DWLP_USER, reinterpret_cast<LONG_PTR>(pConfig));
        return TRUE;
    }
    // Everything else, including messages that arrive before WM_INITDIALOG
    // (WM_SETFONT among them), gets the default handling: the page's
    // groups, links and commands are not served yet.
    return FALSE;
}

}  // namespace oemui
