#include "about/about_layout.h"

namespace oemui {
namespace {

// Room below the picture for the OK button.
constexpr int kButtonBand = 48;
constexpr int kButtonTop = 12;
constexpr SIZE kButtonSize = {75, 24};
constexpr int kDetailsTop = 12;

}  // namespace

AboutLayout ComputeAboutLayout(SIZE sizePicture, Dpi dpi) {
    AboutLayout layout = {};
    const int W = ScaleForDpi(sizePicture.cx, dpi.cx);
    const int H = ScaleForDpi(sizePicture.cy, dpi.cy);
    layout.picture = {W, H};
    layout.client = {W, H + ScaleForDpi(kButtonBand, dpi.cy)};
    const int cxButton = ScaleForDpi(kButtonSize.cx, dpi.cx);
    const int cyButton = ScaleForDpi(kButtonSize.cy, dpi.cy);
    const int xButton = (W - cxButton) / 2;
    const int yButton = H + ScaleForDpi(kButtonTop, dpi.cy);
    SetRect(&layout.okButton, xButton, yButton, xButton + cxButton, yButton + cyButton);
    const int yDetails = ScaleForDpi(kDetailsTop, dpi.cy);
    SetRect(&layout.details, W / 2, yDetails, W / 2 + W / 2, yDetails + H / 2);
    return layout;
}

}  // namespace oemui
