// Saves a window as a 24-bit BMP or a PNG, for the docs and scenarios. ArmScreenshot waits until the
// thread's property sheet is on screen, saves it and presses its OK button.
#pragma once

#include <windows.h>

#include <string>

#include "host/report.h"

namespace oemuihost {

bool SaveWindowBitmap(HWND hWnd, const std::wstring &path, std::wstring *pError);
// The window with its frame and title bar as a PNG (through the platform's
// imaging codecs).
bool SaveWindowPng(HWND hWnd, const std::wstring &path, std::wstring *pError);

void ArmScreenshot(const std::wstring &path, Report *pReport);
void DisarmScreenshot();

}  // namespace oemuihost
