// Language-dependent choices shared by every page and dialog.
#pragma once

#include <windows.h>

namespace oemui {

// True when the system's default language is written right to left (Arabic
// or Hebrew); pages and dialogs then use their mirrored templates. The user's
// own language setting plays no part.
bool IsRightToLeftLanguage();

// The same test for a given language id (primary language in the low 10 bits).
bool IsRightToLeftLangId(LANGID langId);

}  // namespace oemui
