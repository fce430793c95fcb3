#include "settings/host_address.h"

namespace oemui {
namespace {

bool IsDigit(unsigned c) { return c >= '0' && c <= '9'; }
bool IsLetter(unsigned c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsHexDigit(unsigned c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// Both text widths share one reading: every character of an address is
// ASCII, so anything above U+007F simply fails each rule.
template <typename Ch>
size_t BoundedLength(const Ch *psz) {
    size_t cch = 0;
    while (cch <= kHostAddressMaxCch && psz[cch] != 0) ++cch;
    return cch;
}

template <typename Ch>
bool ParseIPv4(const Ch *psz, DWORD *pdw) {
    DWORD dw = 0;
    unsigned uFirst = 0;
    for (int i = 0; i < 4; ++i) {
        if (!IsDigit(static_cast<unsigned>(*psz))) return false;
        unsigned u = 0;
        int cDigits = 0;
        while (IsDigit(static_cast<unsigned>(*psz))) {
            u = u * 10 + static_cast<unsigned>(*psz++ - '0');
            if (++cDigits > 3 || u > 255) return false;
        }
        if (i == 0) uFirst = u;
        dw = (dw << 8) | u;
        if (i < 3 && *psz++ != '.') return false;
    }
    if (*psz != 0) return false;
    if (uFirst == 0 || uFirst >= 224) return false;
    if (pdw != nullptr) *pdw = dw;
    return true;
}

template <typename Ch>
bool IsHostName(const Ch *psz) {
    size_t cchLabel = 0;
    bool bNumericLabel = true;
    unsigned chPrev = '.';
    for (; *psz != 0; ++psz) {
        const unsigned ch = static_cast<unsigned>(*psz);
        if (ch == '.') {
            if (cchLabel == 0 || chPrev == '-') return false;
            cchLabel = 0;
            bNumericLabel = true;
        } else if (IsLetter(ch) || IsDigit(ch) || ch == '_' || (ch == '-' && cchLabel != 0)) {
            if (++cchLabel > 63) return false;
            bNumericLabel = bNumericLabel && IsDigit(ch);
        } else {
            return false;
        }
        chPrev = ch;
    }
    return chPrev != '-' && chPrev != '.' && !bNumericLabel;
}

template <typename Ch>
bool IsBracketedIPv6(const Ch *psz, size_t cch) {
    if (cch < 4 || psz[0] != '[' || psz[cch - 1] != ']') return false;
    int cColons = 0;
    for (size_t i = 1; i + 1 < cch; ++i) {
        const unsigned ch = static_cast<unsigned>(psz[i]);
        if (ch == ':') {
            ++cColons;
        } else if (!IsHexDigit(ch) && ch != '.') {
            return false;
        }
    }
    return cColons >= 2;
}

template <typename Ch>
HostAddressKind Classify(const Ch *psz) {
    if (psz == nullptr) return HostAddressKind::kNone;
    const size_t cch = BoundedLength(psz);
    if (cch == 0 || cch > kHostAddressMaxCch) return HostAddressKind::kNone;
    if (ParseIPv4(psz, nullptr)) return HostAddressKind::kIPv4;
    if (IsBracketedIPv6(psz, cch)) return HostAddressKind::kIPv6;
    if (IsHostName(psz)) return HostAddressKind::kHostName;
    return HostAddressKind::kNone;
}

}  // namespace

HostAddressKind ClassifyHostAddress(const wchar_t *pszText) { return Classify(pszText); }
HostAddressKind ClassifyHostAddress(const char *pszText) { return Classify(pszText); }

bool ParseIPv4Address(const char *pszText, DWORD *pdwHostOrder) {
    return pszText != nullptr && ParseIPv4(pszText, pdwHostOrder);
}

}  // namespace oemui
