#include "ui/layout.h"

#include "settings/model_config.h"

namespace oemui {

void CenterOnParent(HWND) {}
POINT ControlOffset(HWND, int, int) { return POINT{0, 0}; }
void ShowOrMoveControl(HWND hDlg, int id, int nMode, const POINT *, const ModelConfig *) {
    HWND hControl = GetDlgItem(hDlg, id);
    if (hControl == nullptr || nMode == kKeepVisibility) return;
    ShowWindow(hControl, nMode == kHide ? SW_HIDE : SW_SHOW);
}
void ShowOrMoveGroup(HWND hDlg, const int *pIds, int nMode, const POINT *pOffset,
                     const ModelConfig *pConfig) {
    for (; pIds != nullptr && *pIds != 0; ++pIds) ShowOrMoveControl(hDlg, *pIds, nMode, pOffset, pConfig);
}
void PlaceControl(HWND, int, const POINT *, const SIZE *) {}
void AddControlHint(HWND, HWND, HWND, const wchar_t *) {}
void TransparentBlit(HDC, HBITMAP, SHORT, SHORT) {}

}  // namespace oemui
