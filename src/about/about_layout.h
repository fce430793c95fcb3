// Where the About box puts its picture, its details and OK. The layout is
// measured in the picture's pixels, which are drawn for a 96-DPI screen; on a
// finer screen all of it grows with the dialog's font, so that the details
// keep the room the picture gives them.
#pragma once

#include <windows.h>

#include "ui/dpi_scale.h"

namespace oemui {

struct AboutLayout {
    SIZE client;      // the dialog's client area
    SIZE picture;     // the picture as drawn, from the top-left corner
    RECT okButton;    // client coordinates
    RECT details;     // client coordinates, before mirroring
};

// The layout for a picture of sizePicture pixels on a screen of dpi. At
// kBaseDpi: client W x (H + 48), OK 75 x 24 centred 12 below the picture,
// the details over the right half of the picture's upper half from 12 down.
AboutLayout ComputeAboutLayout(SIZE sizePicture, Dpi dpi);

}  // namespace oemui
