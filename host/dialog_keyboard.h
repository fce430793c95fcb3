// What the dialog driver's files share of the keyboard: key messages made
// the way the system makes them. Private to the dialog driver.
#pragma once

#include <windows.h>

namespace oemuihost {

// The lParam of WM_KEYDOWN (up false) or WM_KEYUP (up true) for a key:
// repeat count 1, scan code, extended-key bit, transition bits.
LPARAM KeyLParam(UINT vk, bool up);

}  // namespace oemuihost
