// Formatting of texts that come from model files, string tables or printer
// data. Such texts are data, never a printf format: only the placeholders a
// feature defines are substituted, everything else is copied literally.
#pragma once

#include <windows.h>

namespace oemui {

// Writes pszTemplate into pszDest (cchDest characters, always terminated when
// cchDest > 0) with these substitutions, left to right:
//   "%d"  the next of the cInts integers in pnInts, while any are left;
//         a "%d" beyond them is copied literally;
//   "%s"  pszString, the first time only, when pszString is not null;
//         any other "%s" is copied literally;
//   "%%"  one "%";
// every other "%" sequence ("%n", "%*d", "%x", a lone "%") is copied as it stands.
// A null template gives an empty text. Returns the length written; the text is
// cut (never overrun) when it does not fit.
size_t FormatModelText(wchar_t *pszDest, size_t cchDest, const wchar_t *pszTemplate,
                       const int *pnInts, size_t cInts, const wchar_t *pszString = nullptr);

}  // namespace oemui
