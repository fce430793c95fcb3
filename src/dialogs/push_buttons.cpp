#include "dialogs/push_buttons.h"

#include "dialogs/copies_dialog.h"
#include "dialogs/job_accounting.h"
#include "dialogs/print_and_hold.h"

namespace oemui {
namespace {

using ShowDialogFn = LONG (*)(HWND, ModelConfig *);

// The sheet calls an item's callback for other reasons too (selection,
// focus, apply); only a press opens the dialog. A press before the page
// handed out the record (or with no record at all) opens nothing: the
// dialogs cannot work without it.
LONG OpenFromItem(PCPSUICBPARAM pCallbackParam, ShowDialogFn pfnShow) {
    if (pCallbackParam == nullptr || pCallbackParam->Reason != CPSUICB_REASON_PUSHBUTTON ||
        pCallbackParam->pCurItem == nullptr)
        return CPSUICB_ACTION_NONE;
    auto *pConfig = reinterpret_cast<ModelConfig *>(pCallbackParam->pCurItem->UserData);
    if (pConfig == nullptr) return CPSUICB_ACTION_NONE;
    return pfnShow(pCallbackParam->hDlg, pConfig);
}

}  // namespace

LONG APIENTRY PrintAndHoldButtonCallback(PCPSUICBPARAM pCallbackParam) {
    return OpenFromItem(pCallbackParam, ShowPrintAndHoldDialog);
}

LONG APIENTRY CopiesButtonCallback(PCPSUICBPARAM pCallbackParam) {
    return OpenFromItem(pCallbackParam, ShowCopiesSettingDialog);
}

LONG APIENTRY JobAccountingButtonCallback(PCPSUICBPARAM pCallbackParam) {
    return OpenFromItem(pCallbackParam, ShowJobAccountingDialog);
}

}  // namespace oemui
