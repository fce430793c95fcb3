#include "ui/dpi_scale.h"

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

}  // namespace oemui
