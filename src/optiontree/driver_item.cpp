#include "optiontree/driver_item.h"

#include <cstring>

namespace oemui {

POPTITEM FindDriverItem(POPTITEM pItems, DWORD cItems, const char *pszKeyword, DWORD dwPubId) {
    if (pItems == nullptr) return nullptr;
    for (DWORD i = 0; i < cItems; ++i) {
        OPTITEM &item = pItems[i];
        if (pszKeyword != nullptr) {
            const auto *pUser = reinterpret_cast<const USERDATA *>(item.UserData);
            if (pUser == nullptr || pUser->pKeyWordName == nullptr) continue;
            if (std::strcmp(pUser->pKeyWordName, pszKeyword) == 0) return &item;
        } else if (item.DMPubID == static_cast<BYTE>(dwPubId)) {
            return &item;
        }
    }
    return nullptr;
}

}  // namespace oemui
