#include "common/bounded_format.h"

#include <cstdio>
#include <cwchar>

namespace oemui {
namespace {

constexpr size_t kMaxCch = 0x7FFFFFFF;
constexpr unsigned long long kMaxCbW = 0xFFFFFFFFull;

}  // namespace

HRESULT FormatCchVW(wchar_t *pszDest, size_t cchDest, const wchar_t *pszFormat, va_list args) {
    if (cchDest == 0 || cchDest > kMaxCch || pszDest == nullptr) return E_INVALIDARG;
    if (pszFormat == nullptr) {
        pszDest[0] = L'\0';
        return E_INVALIDARG;
    }
    // The runtime's counted printf returns a negative value when the text
    // does not fit and writes no terminator when it fits exactly; we give it
    // one slot less than the buffer so the last slot is ours for the NUL.
    int written = _vsnwprintf(pszDest, cchDest - 1, pszFormat, args);
    if (written >= 0 && static_cast<size_t>(written) <= cchDest - 1) {
        pszDest[written] = L'\0';
        return S_OK;
    }
    pszDest[cchDest - 1] = L'\0';
    return kFormatTruncated;
}

HRESULT FormatCbVW(wchar_t *pszDest, size_t cbDest, const wchar_t *pszFormat, va_list args) {
    if (cbDest < sizeof(wchar_t) || static_cast<unsigned long long>(cbDest) > kMaxCbW)
        return E_INVALIDARG;
    size_t cch = cbDest / sizeof(wchar_t);
    if (cch > kMaxCch) cch = kMaxCch;
    return FormatCchVW(pszDest, cch, pszFormat, args);
}

HRESULT FormatCbVA(char *pszDest, size_t cbDest, const char *pszFormat, va_list args) {
    if (cbDest == 0 || cbDest > kMaxCch || pszDest == nullptr) return E_INVALIDARG;
    if (pszFormat == nullptr) {
        pszDest[0] = '\0';
        return E_INVALIDARG;
    }
    int written = _vsnprintf(pszDest, cbDest - 1, pszFormat, args);
    if (written >= 0 && static_cast<size_t>(written) <= cbDest - 1) {
        pszDest[written] = '\0';
        return S_OK;
    }
    pszDest[cbDest - 1] = '\0';
    return kFormatTruncated;
}

HRESULT FormatCbW(wchar_t *pszDest, size_t cbDest, const wchar_t *pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    HRESULT hr = FormatCbVW(pszDest, cbDest, pszFormat, args);
    va_end(args);
    return hr;
}

HRESULT FormatCchW(wchar_t *pszDest, size_t cchDest, const wchar_t *pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    HRESULT hr = FormatCchVW(pszDest, cchDest, pszFormat, args);
    va_end(args);
    return hr;
}

HRESULT FormatCbA(char *pszDest, size_t cbDest, const char *pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    HRESULT hr = FormatCbVA(pszDest, cbDest, pszFormat, args);
    va_end(args);
    return hr;
}

size_t CopyCchW(wchar_t *pszDest, size_t cchDest, const wchar_t *pszSrc) {
    if (pszDest == nullptr || cchDest == 0) return 0;
    size_t i = 0;
    if (pszSrc != nullptr) {
        for (; i + 1 < cchDest && pszSrc[i] != L'\0'; ++i) pszDest[i] = pszSrc[i];
    }
    pszDest[i] = L'\0';
    return i;
}

size_t CopyCchA(char *pszDest, size_t cchDest, const char *pszSrc) {
    if (pszDest == nullptr || cchDest == 0) return 0;
    size_t i = 0;
    if (pszSrc != nullptr) {
        for (; i + 1 < cchDest && pszSrc[i] != '\0'; ++i) pszDest[i] = pszSrc[i];
    }
    pszDest[i] = '\0';
    return i;
}

size_t LengthCchW(const wchar_t *pszSrc, size_t cchMax) {
    if (pszSrc == nullptr) return 0;
    size_t i = 0;
    while (i < cchMax && pszSrc[i] != L'\0') ++i;
    return i;
}

}  // namespace oemui
