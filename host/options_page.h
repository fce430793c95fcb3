// The core's own page of the sheet: the driver's items with their options,
// the plug-in's push buttons and the collate box. Built from an in-memory
// template so that every program linking the emulator library can show it.
#pragma once

#include <windows.h>

#include <vector>

namespace oemuihost {

class Session;

constexpr int kIdcItems = 101;
constexpr int kIdcOptions = 102;
constexpr int kIdcButtons = 103;
constexpr int kIdcPress = 104;
constexpr int kIdcCollate = 105;

std::vector<BYTE> BuildOptionsPageTemplate();
INT_PTR CALLBACK OptionsPageProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
// Lists the items again after a change (keeps the current selection).
void RefreshOptionsPage(HWND hPage, Session &session);

}  // namespace oemuihost
