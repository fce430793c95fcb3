// Scaling of sizes that were drawn for a 96-DPI screen (pictures and the
// pixel layouts made for them) to the screen a dialog is shown on. Dialog
// templates scale with their font by themselves; a layout that is measured in
// a picture's pixels has to follow by hand, or the text that grows with the
// font no longer fits beside it.
#pragma once

#include <windows.h>

namespace oemui {

// The resolution pictures and pixel layouts are drawn for.
constexpr int kBaseDpi = 96;

// Dots per inch of a screen, horizontally (cx) and vertically (cy).
struct Dpi {
    int cx = kBaseDpi;
    int cy = kBaseDpi;
};

// The resolution hdc draws at (LOGPIXELSX, LOGPIXELSY): the one the dialog
// manager sized the window's font for. kBaseDpi for a value that is not
// positive or a null device context.
Dpi DeviceDpi(HDC hdc);

// The resolution of hWnd's device context, as DeviceDpi.
Dpi WindowDpi(HWND hWnd);

// nPixels at kBaseDpi scaled to nDpi, rounded to the nearest pixel; a DPI
// that is not positive counts as kBaseDpi.
int ScaleForDpi(int nPixels, int nDpi);

// A copy of hBitmap, drawn for kBaseDpi, at its size for dpi, pixel for
// pixel (nothing blended, so a transparent key colour stays exact), made
// compatible with hdcLike. Null when the size stays or no copy can be made;
// the copy is the caller's to delete.
HBITMAP StretchBitmapForDpi(HDC hdcLike, HBITMAP hBitmap, Dpi dpi);

}  // namespace oemui
