// Stand-in for the platform's HTML Help library in emulator runs: the
// emulator registers it where the plug-in's loader looks for the real one,
// so the loader's own code runs, and every call is handed to the emulator
// instead of opening a help viewer.
#include <windows.h>

namespace {

using HelpSink = void(WINAPI *)(HWND, const wchar_t *, UINT, DWORD_PTR);
HelpSink g_sink = nullptr;

}  // namespace

extern "C" {

void WINAPI SetHelpSink(HelpSink sink) { g_sink = sink; }

// Exported by ordinal 15 as well, where the real library keeps it.
HWND WINAPI HtmlHelpW(HWND hOwner, const wchar_t *pszFile, UINT uCommand, DWORD_PTR dwData) {
    if (g_sink != nullptr) g_sink(hOwner, pszFile, uCommand, dwData);
    return nullptr;
}

}
