#include "plugin/property_sheets.h"

namespace oemui {

// The plug-in adds no pages yet.
HRESULT HandlePropertySheets(SheetKind, PPROPSHEETUI_INFO, LPARAM, IPrintOemDriverUI *) {
    return E_NOTIMPL;
}

}  // namespace oemui
