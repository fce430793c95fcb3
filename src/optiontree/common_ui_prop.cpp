#include "optiontree/common_ui_prop.h"

namespace oemui {

// The plug-in adds no option items yet.
HRESULT HandleCommonUIProp(DWORD, POEMCUIPPARAM, IPrintOemDriverUI *) { return E_NOTIMPL; }

}  // namespace oemui
