// IPrintOemUI::CommonUIProp: the plug-in's items in the driver's option tree.
#pragma once

#include "kit/oemkit.h"

namespace oemui {

HRESULT HandleCommonUIProp(DWORD dwMode, POEMCUIPPARAM pOemCUIPParam, IPrintOemDriverUI *pDriverUI);

}  // namespace oemui
