// The platform's HTML Help library, loaded once per process, and the help
// addresses of the plug-in's dialogs and pages.
#pragma once

#include <windows.h>

namespace oemui {

struct ModelConfig;

// HTML Help commands used here.
constexpr UINT kHelpDisplayTopic = 0x0000;  // HH_DISPLAY_TOPIC

// Calls the HTML Help entry (HtmlHelpW) with these arguments; loads the
// library on first use. Null, and nothing happens, when no library is found.
HWND OpenHtmlHelp(HWND hOwner, const wchar_t *pszAddress, UINT uCommand, DWORD_PTR dwData);

// "<szDriverDir><szOemPrefix>.chm::\<folder>\<topic>", cut to cchDest - 1.
void BuildHelpAddress(wchar_t *pszDest, size_t cchDest, const ModelConfig *pConfig,
                      const wchar_t *pszFolder, const wchar_t *pszTopic);

// BuildHelpAddress (259 characters) and OpenHtmlHelp with HH_DISPLAY_TOPIC,
// data 0: what every Help button does.
void ShowHelpTopic(HWND hOwner, const ModelConfig *pConfig, const wchar_t *pszFolder,
                   const wchar_t *pszTopic);

}  // namespace oemui
