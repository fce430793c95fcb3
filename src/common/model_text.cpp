#include "common/model_text.h"

namespace oemui {

size_t FormatModelText(wchar_t *pszDest, size_t cchDest, const wchar_t *pszTemplate,
                       const int *pnInts, size_t cInts, const wchar_t *pszString) {
    (void)pnInts;
    (void)cInts;
    (void)pszString;
    if (pszDest == nullptr || cchDest == 0) return 0;
    size_t n = 0;
    if (pszTemplate != nullptr) {
        while (pszTemplate[n] != L'\0' && n + 1 < cchDest) {
            pszDest[n] = pszTemplate[n];
            ++n;
        }
    }
    pszDest[n] = L'\0';
    return n;
}

}  // namespace oemui
