// Finds one of the driver's own option items, by feature keyword or by public
// device-mode identifier. Every lookup of a driver item goes through here so
// that all callers agree on which item is meant.
#pragma once

#include "kit/oemkit.h"

namespace oemui {

// The first item, in array order, whose USERDATA keyword equals pszKeyword
// byte for byte (terminator included); with a null keyword, the first item
// whose DMPubID equals the low byte of dwPubId. Null when none matches.
POPTITEM FindDriverItem(POPTITEM pItems, DWORD cItems, const char *pszKeyword, DWORD dwPubId);

}  // namespace oemui
