// Callbacks of the plug-in's push-button items in the driver's option tree.
// Each finds the sheet's context record in the pressed item's UserData (the
// option callback puts it there when the page becomes active) and opens its
// dialog on it, owned by the option-tree page.
#pragma once

#include "kit/oemkit.h"

namespace oemui {

LONG APIENTRY PrintAndHoldButtonCallback(PCPSUICBPARAM pCallbackParam);
LONG APIENTRY CopiesButtonCallback(PCPSUICBPARAM pCallbackParam);
LONG APIENTRY JobAccountingButtonCallback(PCPSUICBPARAM pCallbackParam);

}  // namespace oemui
