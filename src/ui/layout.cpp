#include "ui/layout.h"

#include <commctrl.h>
#include <cwchar>
#include <cwctype>

#include "module/module_state.h"
#include "settings/model_config.h"
#include "ui/gdi_handles.h"

namespace oemui {
namespace {

constexpr int kClassNameCch = 64;

// A control's window rectangle in its dialog's client coordinates. Mapping
// the two corners as one RECT lets the system swap left and right in a
// mirrored dialog; mapped point by point they would come out reversed.
RECT ControlRectInDialog(HWND hDlg, HWND hControl) {
    RECT rc{};
    GetWindowRect(hControl, &rc);
    MapWindowPoints(HWND_DESKTOP, hDlg, reinterpret_cast<POINT *>(&rc), 2);
    return rc;
}

// Class names differ in case between templates ("STATIC") and the system's
// own registration ("Static"), so the test is on the upper-cased name.
bool IsStaticControl(HWND hControl) {
    wchar_t szClass[kClassNameCch] = {};
    GetClassNameW(hControl, szClass, kClassNameCch);
    for (wchar_t &ch : szClass) ch = static_cast<wchar_t>(std::towupper(ch));
    return std::wcsstr(szClass, L"STATIC") != nullptr;
}

TOOLINFOW NewToolInfo(HWND hDlg, HWND hControl) {
    TOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.hwnd = hDlg;
    ti.uId = static_cast<UINT_PTR>(GetDlgCtrlID(hControl));
    return ti;
}

}  // namespace

void UpdateStaticHintArea(HWND hDlg, HWND hControl, HWND hTooltip, bool bVisible) {
    if (hTooltip == nullptr || hControl == nullptr || !IsStaticControl(hControl)) return;
    TOOLINFOW ti = NewToolInfo(hDlg, hControl);
    if (bVisible) ti.rect = ControlRectInDialog(hDlg, hControl);
    SendMessageW(hTooltip, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&ti));
}

void CenterOnParent(HWND hWnd) {
    HWND hParent = GetParent(hWnd);
    RECT rcParent{};
    RECT rc{};
    if (hParent == nullptr || !GetWindowRect(hParent, &rcParent) || !GetWindowRect(hWnd, &rc)) return;
    const int cx = rc.right - rc.left;
    const int cy = rc.bottom - rc.top;
    const int x = (rcParent.left + rcParent.right) / 2 - cx / 2;
    const int y = (rcParent.top + rcParent.bottom) / 2 - cy / 2;
    SetWindowPos(hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Taken in the dialog's client coordinates, where the moves happen: in a
// mirrored dialog a screen offset would move controls the wrong way.
POINT ControlOffset(HWND hDlg, int idA, int idB) {
    HWND hA = GetDlgItem(hDlg, idA);
    HWND hB = GetDlgItem(hDlg, idB);
    if (hA == nullptr || hB == nullptr) return POINT{0, 0};
    const RECT rcA = ControlRectInDialog(hDlg, hA);
    const RECT rcB = ControlRectInDialog(hDlg, hB);
    return POINT{rcA.left - rcB.left, rcA.top - rcB.top};
}

void ShowOrMoveControl(HWND hDlg, int id, int nMode, const POINT *pOffset, const ModelConfig *pConfig) {
    HWND hControl = GetDlgItem(hDlg, id);
    if (hControl == nullptr) return;
    if (pOffset != nullptr) {
        RECT rc = ControlRectInDialog(hDlg, hControl);
        OffsetRect(&rc, pOffset->x, pOffset->y);
        MoveWindow(hControl, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
    }
    const bool bShow = nMode != kHide;
    ShowWindow(hControl, bShow ? SW_SHOW : SW_HIDE);
    if (pConfig != nullptr) UpdateStaticHintArea(hDlg, hControl, pConfig->hTooltip, bShow);
}

void ShowOrMoveGroup(HWND hDlg, const int *pIds, int nMode, const POINT *pOffset,
                     const ModelConfig *pConfig) {
    for (; pIds != nullptr && *pIds != 0; ++pIds) ShowOrMoveControl(hDlg, *pIds, nMode, pOffset, pConfig);
}

void PlaceControl(HWND hDlg, int id, const POINT *pPos, const SIZE *pSize) {
    HWND hControl = GetDlgItem(hDlg, id);
    if (hControl == nullptr) return;
    if (pPos == nullptr && pSize == nullptr) {
        ShowWindow(hControl, SW_HIDE);
        return;
    }
    const RECT rc = ControlRectInDialog(hDlg, hControl);
    int x = rc.left;
    int y = rc.top;
    int cx = rc.right - rc.left;
    int cy = rc.bottom - rc.top;
    if (pPos != nullptr) {
        x = pPos->x;
        y = pPos->y;
    }
    if (pPos != nullptr && pSize != nullptr) {
        cx = pSize->cx;
        cy = pSize->cy;
    } else if (pSize != nullptr) {
        cx += pSize->cx;
        cy += pSize->cy;
    }
    MoveWindow(hControl, x, y, cx, cy, FALSE);
}

void AddControlHint(HWND hDlg, HWND hControl, HWND hTooltip, const wchar_t *pszHint) {
    if (hTooltip == nullptr || hControl == nullptr) return;
    TOOLINFOW ti = NewToolInfo(hDlg, hControl);
    ti.uFlags = TTF_SUBCLASS;
    ti.hinst = ModuleInstance();
    // The hint window keeps its own copy of the text.
    ti.lpszText = const_cast<wchar_t *>(pszHint != nullptr ? pszHint : L"");
    if (IsStaticControl(hControl)) {
        // A static control sees no mouse unless it notifies, so the dialog
        // reports the hover over the control's area instead.
        ti.rect = ControlRectInDialog(hDlg, hControl);
        if ((GetWindowLongW(hControl, GWL_STYLE) & SS_NOTIFY) != 0) {
            ti.uFlags |= TTF_IDISHWND;
            ti.uId = reinterpret_cast<UINT_PTR>(hControl);
        }
    } else {
        ti.hwnd = hControl;
        GetClientRect(hControl, &ti.rect);
    }
    SendMessageW(hTooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

void TransparentBlit(HDC hdcDest, HBITMAP hBitmap, SHORT x, SHORT y) {
    if (hdcDest == nullptr || hBitmap == nullptr) return;
    BITMAP bm{};
    if (GetObjectW(hBitmap, sizeof(bm), &bm) != sizeof(bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0) return;

    MemoryDC dcSource(hdcDest);
    if (!dcSource) return;
    GdiSelection selSource(dcSource.get(), hBitmap);
    // A bitmap that is selected elsewhere cannot be drawn from here.
    if (!selSource) return;
    POINT size{bm.bmWidth, bm.bmHeight};
    DPtoLP(dcSource.get(), &size, 1);

    MemoryDC dcBack(hdcDest), dcObject(hdcDest), dcWork(hdcDest), dcSave(hdcDest);
    if (!dcBack || !dcObject || !dcWork || !dcSave) return;
    GdiBitmap bmBack(CreateBitmap(size.x, size.y, 1, 1, nullptr));
    GdiBitmap bmObject(CreateBitmap(size.x, size.y, 1, 1, nullptr));
    GdiBitmap bmWork(CreateCompatibleBitmap(hdcDest, size.x, size.y));
    GdiBitmap bmSave(CreateCompatibleBitmap(hdcDest, size.x, size.y));
    if (!bmBack || !bmObject || !bmWork || !bmSave) return;
    // Declared after the bitmaps so they are deselected before deletion.
    GdiSelection selBack(dcBack.get(), bmBack.get());
    GdiSelection selObject(dcObject.get(), bmObject.get());
    GdiSelection selWork(dcWork.get(), bmWork.get());
    GdiSelection selSave(dcSave.get(), bmSave.get());
    if (!selBack || !selObject || !selWork || !selSave) return;

    const HDC hdcSrc = dcSource.get();
    SetMapMode(hdcSrc, GetMapMode(hdcDest));
    if (!BitBlt(dcSave.get(), 0, 0, size.x, size.y, hdcSrc, 0, 0, SRCCOPY)) return;

    // The monochrome copy is 1 where the source has the background colour,
    // so making the key colour the background gives the transparency mask.
    const COLORREF crOldBack = SetBkColor(hdcSrc, GetPixel(hdcSrc, 0, 0));
    bool bDrawn = BitBlt(dcObject.get(), 0, 0, size.x, size.y, hdcSrc, 0, 0, SRCCOPY) != FALSE;
    SetBkColor(hdcSrc, crOldBack);
    bDrawn = bDrawn && BitBlt(dcBack.get(), 0, 0, size.x, size.y, dcObject.get(), 0, 0, NOTSRCCOPY);
    bDrawn = bDrawn && BitBlt(dcWork.get(), 0, 0, size.x, size.y, hdcDest, x, y, SRCCOPY);
    bDrawn = bDrawn && BitBlt(dcWork.get(), 0, 0, size.x, size.y, dcObject.get(), 0, 0, SRCAND);
    bDrawn = bDrawn && BitBlt(hdcSrc, 0, 0, size.x, size.y, dcBack.get(), 0, 0, SRCAND);
    bDrawn = bDrawn && BitBlt(dcWork.get(), 0, 0, size.x, size.y, hdcSrc, 0, 0, SRCPAINT);
    if (bDrawn) BitBlt(hdcDest, x, y, size.x, size.y, dcWork.get(), 0, 0, SRCCOPY);
    // The caller's bitmap was blackened where it is transparent: put it back.
    BitBlt(hdcSrc, 0, 0, size.x, size.y, dcSave.get(), 0, 0, SRCCOPY);
}

}  // namespace oemui
