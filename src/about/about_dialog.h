// The About box: the model's product picture with the driver details over
// it, from the model's string table and version file.
#pragma once

#include <windows.h>

namespace oemui {

struct ModelConfig;

// Size of the details text, terminator included.
constexpr size_t kAboutDetailsCch = MAX_PATH;

// Builds the ten detail lines ("M_Info1" .. "M_Info10" of pDat's current
// section, placeholders from pVer's current section), each ended by CR LF,
// into pszDetails (kAboutDetailsCch characters).
void BuildAboutDetails(const ModelConfig *pConfig, wchar_t *pszDetails);

// Runs the About dialog (3026, mirrored at run time on right-to-left
// systems) owned by hOwner. Returns 1 for OK, 2 for Cancel.
INT_PTR RunAboutDialog(HWND hOwner, ModelConfig *pConfig);

}  // namespace oemui
