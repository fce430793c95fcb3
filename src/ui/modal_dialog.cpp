#include "ui/modal_dialog.h"

#include "module/activation_context.h"
#include "module/module_state.h"
#include "ui/language.h"

namespace oemui {

WORD ChooseTemplate(WORD wLtrTemplate, WORD wRtlTemplate) {
    return IsRightToLeftLanguage() ? wRtlTemplate : wLtrTemplate;
}

INT_PTR RunPluginDialog(WORD wLtrTemplate, WORD wRtlTemplate, HWND hOwner, DLGPROC pfnDlgProc,
                        ModelConfig *pConfig) {
    ActivationScope scope;
    return DialogBoxParamW(ModuleInstance(), MAKEINTRESOURCEW(ChooseTemplate(wLtrTemplate, wRtlTemplate)),
                           hOwner, pfnDlgProc, reinterpret_cast<LPARAM>(pConfig));
}

void RemoveContextHelpOnNewerSystems(HWND hDlg) {
    OSVERSIONINFOW osvi{};
    osvi.dwOSVersionInfoSize = sizeof(osvi);
    if (!GetVersionExW(&osvi) || osvi.dwMajorVersion <= 5) return;
    const LONG_PTR exStyle = GetWindowLongPtrW(hDlg, GWL_EXSTYLE);
    if ((exStyle & WS_EX_CONTEXTHELP) != 0) SetWindowLongPtrW(hDlg, GWL_EXSTYLE, exStyle & ~WS_EX_CONTEXTHELP);
}

}  // namespace oemui
