#include "ui/captions.h"

#include "common/bounded_format.h"
#include "settings/model_config.h"

namespace oemui {

HWND CreateHintWindow(HWND) { return nullptr; }

BOOL CALLBACK ApplyCaptionsAndHints(HWND, LPARAM) { return TRUE; }

void TranslateDialog(HWND hDlg, ModelConfig *pConfig, const wchar_t *pszDialogName) {
    if (pConfig == nullptr) return;
    pConfig->hTooltip = CreateHintWindow(hDlg);
    CopyCchW(pConfig->szDialogName, ARRAYSIZE(pConfig->szDialogName), pszDialogName);
    EnumChildWindows(hDlg, ApplyCaptionsAndHints, reinterpret_cast<LPARAM>(pConfig));
}

}  // namespace oemui
