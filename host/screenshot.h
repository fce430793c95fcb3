// Saves a window as a 24-bit BMP, for the docs. ArmScreenshot waits until the
// thread's property sheet is on screen, saves it and presses its OK button.
#pragma once

#include <windows.h>

#include <string>

#include "host/report.h"

namespace oemuihost {

bool SaveWindowBitmap(HWND hWnd, const std::wstring &path, std::wstring *pError);

void ArmScreenshot(const std::wstring &path, Report *pReport);
void DisarmScreenshot();

}  // namespace oemuihost
