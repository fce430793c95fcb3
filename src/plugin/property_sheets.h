// IPrintOemUI::DocumentPropertySheets and DevicePropertySheets.
#pragma once

#include "kit/oemkit.h"

namespace oemui {

enum class SheetKind { Document, Device };

HRESULT HandlePropertySheets(SheetKind kind, PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam,
                             IPrintOemDriverUI *pDriverUI);

}  // namespace oemui
