// Bounded printf-style formatting. Every formatted string in the plug-in goes
// through one of these: they never write past the destination, always leave
// it terminated, and report a cut with HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER).
// Callers that accept a cut text simply use it and ignore the result.
#pragma once

#include <windows.h>
#include <cstdarg>

namespace oemui {

// 0x8007007A: the text did not fit and was cut.
constexpr HRESULT kFormatTruncated = static_cast<HRESULT>(0x8007007AL);

// UTF-16, bound in bytes: refuses cbDest < 2 or cbDest > 0xFFFFFFFF.
HRESULT FormatCbW(wchar_t *pszDest, size_t cbDest, const wchar_t *pszFormat, ...);
HRESULT FormatCbVW(wchar_t *pszDest, size_t cbDest, const wchar_t *pszFormat, va_list args);

// UTF-16, bound in characters: refuses cchDest 0 or above 0x7FFFFFFF.
HRESULT FormatCchW(wchar_t *pszDest, size_t cchDest, const wchar_t *pszFormat, ...);
HRESULT FormatCchVW(wchar_t *pszDest, size_t cchDest, const wchar_t *pszFormat, va_list args);

// 8-bit, bound in bytes: refuses cbDest 0 or above 0x7FFFFFFF.
HRESULT FormatCbA(char *pszDest, size_t cbDest, const char *pszFormat, ...);
HRESULT FormatCbVA(char *pszDest, size_t cbDest, const char *pszFormat, va_list args);

// Bounded copy: at most cchDest - 1 characters, always terminated (a zero
// bound writes nothing). Returns the number of characters copied.
size_t CopyCchW(wchar_t *pszDest, size_t cchDest, const wchar_t *pszSrc);
size_t CopyCchA(char *pszDest, size_t cchDest, const char *pszSrc);

// Bounded length: the length of pszSrc, looking at no more than cchMax characters.
size_t LengthCchW(const wchar_t *pszSrc, size_t cchMax);

}  // namespace oemui
