// Window helpers shared by every page and dialog: centring, moving, showing
// and hiding controls while keeping their hints in step, registering hints,
// and drawing a bitmap with a transparent colour. They keep no state.
#pragma once

#include <windows.h>

namespace oemui {

struct ModelConfig;

// Modes of ShowOrMoveControl / ShowOrMoveGroup.
constexpr int kHide = 0;
constexpr int kShow = 1;

// Centres hWnd over its parent (for a modal dialog, its owner); keeps size
// and z-order and does not activate.
void CenterOnParent(HWND hWnd);

// Offset from the top-left corner of control idB to that of control idA
// (window rectangles); (0, 0) when either is missing. Moving B by it puts B
// where A is.
POINT ControlOffset(HWND hDlg, int idA, int idB);

// Moves the control by pOffset (when given) and applies nMode; a static
// control's hint area in pConfig's hint window follows it (empty when hidden).
void ShowOrMoveControl(HWND hDlg, int id, int nMode, const POINT *pOffset, const ModelConfig *pConfig);

// ShowOrMoveControl for each id of a zero-terminated list; missing controls
// are skipped.
void ShowOrMoveGroup(HWND hDlg, const int *pIds, int nMode, const POINT *pOffset,
                     const ModelConfig *pConfig);

// Position and size: move there. Size only: enlarge by it. Neither: hide.
void PlaceControl(HWND hDlg, int id, const POINT *pPos, const SIZE *pSize);

// Registers hControl with the hint window under the dialog (statics by their
// rectangle, SS_NOTIFY statics and other controls by window).
void AddControlHint(HWND hDlg, HWND hControl, HWND hTooltip, const wchar_t *pszHint);

// Keeps a static control's hint area (by rectangle) in step with the
// control; a hidden control gets an empty area so its hint no longer shows.
// Other controls' hints follow their windows and are left alone.
void UpdateStaticHintArea(HWND hDlg, HWND hControl, HWND hTooltip, bool bVisible);

// Draws hBitmap at (x, y) of hdcDest leaving out every pixel of the colour of
// its top-left pixel. The bitmap is unchanged afterwards and stays the
// caller's. A null or empty bitmap, or a failing GDI call, draws nothing.
void TransparentBlit(HDC hdcDest, HBITMAP hBitmap, SHORT x, SHORT y);

}  // namespace oemui
