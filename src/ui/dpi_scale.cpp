#include "ui/dpi_scale.h"

#include "ui/gdi_handles.h"

namespace oemui {
namespace {

int UsableDpi(int nDpi) { return nDpi > 0 ? nDpi : kBaseDpi; }

}  // namespace

Dpi DeviceDpi(HDC hdc) {
    Dpi dpi;
    if (hdc == nullptr) return dpi;
    dpi.cx = UsableDpi(GetDeviceCaps(hdc, LOGPIXELSX));
    dpi.cy = UsableDpi(GetDeviceCaps(hdc, LOGPIXELSY));
    return dpi;
}

Dpi WindowDpi(HWND hWnd) {
    HDC hdc = GetDC(hWnd);
    const Dpi dpi = DeviceDpi(hdc);
    if (hdc != nullptr) ReleaseDC(hWnd, hdc);
    return dpi;
}

int ScaleForDpi(int nPixels, int nDpi) { return MulDiv(nPixels, UsableDpi(nDpi), kBaseDpi); }

HBITMAP StretchBitmapForDpi(HDC hdcLike, HBITMAP hBitmap, Dpi dpi) {
    BITMAP info = {};
    if (hdcLike == nullptr || hBitmap == nullptr || GetObjectW(hBitmap, sizeof(info), &info) == 0) return nullptr;
    const int cx = ScaleForDpi(info.bmWidth, dpi.cx);
    const int cy = ScaleForDpi(info.bmHeight, dpi.cy);
    if ((cx == info.bmWidth && cy == info.bmHeight) || cx <= 0 || cy <= 0) return nullptr;
    MemoryDC source(hdcLike);
    MemoryDC target(hdcLike);
    GdiBitmap copy(CreateCompatibleBitmap(hdcLike, cx, cy));
    if (!source || !target || !copy) return nullptr;
    {
        GdiSelection from(source.get(), hBitmap);
        GdiSelection to(target.get(), copy.get());
        if (!from || !to) return nullptr;
        SetStretchBltMode(target.get(), COLORONCOLOR);
        if (!StretchBlt(target.get(), 0, 0, cx, cy, source.get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY))
            return nullptr;
    }
    return copy.release();
}

}  // namespace oemui
