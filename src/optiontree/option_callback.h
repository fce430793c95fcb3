// The option change callbacks that the plug-in installs in the driver's
// option tree: one for the printing preferences, one for the printer
// properties. They keep the plug-in's items, some driver items and the
// private device mode consistent, and store what the user applies.
#pragma once

#include "kit/oemkit.h"

namespace oemui {

struct ModelConfig;

// Driver features the callbacks follow, by keyword. They set and read these
// items by option position: ColorMode 0 black and white, 1 colour;
// JCLEnhanceGray 0 off; JCLRegionColor the region code; StapleLocation 0 no
// stapling; Quality entry n of the resolution table.
inline constexpr char kColorModeKeyword[] = "ColorMode";
inline constexpr char kEnhanceGrayKeyword[] = "JCLEnhanceGray";
inline constexpr char kRegionColorKeyword[] = "JCLRegionColor";
inline constexpr char kStapleKeyword[] = "StapleLocation";
inline constexpr char kQualityKeyword[] = "Quality";

// Printing preferences: works on the sheet's context record, which the
// private device mode's pContext names.
LONG APIENTRY DocumentItemCallback(PCPSUICBPARAM pCallbackParam, POEMCUIPPARAM pParam);

// Printer properties: works on the context record in pOEMUserData.
LONG APIENTRY PrinterItemCallback(PCPSUICBPARAM pCallbackParam, POEMCUIPPARAM pParam);

// Selects option nSel of the first driver item with the keyword and lets the
// driver carry the change into its dependent items (when it gave the plug-in
// its helper interface). Nothing when the driver offers no such item.
void SetDriverItemSelection(POEMCUIPPARAM pParam, ModelConfig *pConfig, const char *pszKeyword,
                            LONG nSel, DWORD dwMode);

// Fills alResolution/lResolutionCount from the model INI's
// "Graphics1200Res", "Graphics600Res" and "Graphics300Res" bit sets: one
// resolution per "Quality" option of the driver, in option order.
void LoadResolutionTable(ModelConfig *pConfig);

}  // namespace oemui
