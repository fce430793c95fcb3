// Per-user registry state: the string-table language chosen for a printer,
// and its removal when the driver is deleted.
#pragma once

#include <windows.h>

namespace oemui {

// Longest per-user key path, terminator included. A printer or driver name
// that does not fit is never shortened: a cut name could alias another
// printer's key. Such printers simply get no stored language code.
constexpr size_t kUserKeyPathCch = 260;

// Reads "DrvCntCode" of HKCU\Software\Qvprint\<printer>. Returns 1 when read.
// At most 260 bytes are read and the text is terminated after the whole
// characters read; pszCode must hold at least 131 characters.
int ReadLanguageCode(const wchar_t *pszPrinterName, wchar_t *pszCode, size_t cchCode);

// Stores the code under the printer's key, creating the key when needed.
void WriteLanguageCode(const wchar_t *pszPrinterName, const wchar_t *pszCode);

// The two-letter code of the user's default language (cchCode >= 3).
void DeriveLanguageCode(wchar_t *pszCode, size_t cchCode);
const wchar_t *LanguageCodeForLangId(LANGID langId);

// Removes HKCU\Software\QvPrint\<driver> (only when it has no sub-keys) and
// the parent when nothing is left under it. Returns 1 when HKCU could be
// opened, 0 otherwise.
int RemoveUserKey(const wchar_t *pszDriverName);

}  // namespace oemui
