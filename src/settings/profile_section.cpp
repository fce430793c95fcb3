#include "settings/profile_section.h"

#include <cwctype>

#include "common/bounded_format.h"

namespace oemui {
namespace {

// Larger than any section the models ship; a section that fills it is read
// key by key instead.
constexpr DWORD kSectionCch = 32 * 1024;
// The platform reads an integer's text into 30 characters.
constexpr DWORD kIntTextCch = 30;
// Nine digits always fit an int.
constexpr int kMaxIntDigits = 9;

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r'; }

const wchar_t *SkipBlanks(const wchar_t *p, const wchar_t *pEnd) {
    while (p < pEnd && IsBlank(*p)) ++p;
    return p;
}

const wchar_t *TrimEnd(const wchar_t *pBegin, const wchar_t *pEnd) {
    while (pEnd > pBegin && IsBlank(pEnd[-1])) --pEnd;
    return pEnd;
}

// Blanks and controls at either end of a key asked for: the platforms differ
// in which of them they strip before the lookup.
bool IsSpaceAtEdge(wchar_t c) { return c <= L' ' || c == 0x7F || (c >= 0x80 && std::iswspace(c)); }

// Keys that only the profile API can look up: the listing leaves out lines
// that read as comments, and the API strips spaces around the key asked for.
bool ListingCanAnswer(const wchar_t *pszKey, size_t cchKey) {
    return cchKey != 0 && pszKey[0] != L';' && !IsSpaceAtEdge(pszKey[0]) && !IsSpaceAtEdge(pszKey[cchKey - 1]);
}

wchar_t FoldAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + (L'a' - L'A')) : c; }

enum class KeyMatch { kSame, kOther, kUnsure };

// Keys compare without regard to case. The platform's case folding outside
// ASCII depends on its version, so a difference there is left to it; the
// lengths settle most lines at once.
KeyMatch CompareKey(const wchar_t *pBegin, const wchar_t *pEnd, const wchar_t *pszKey, size_t cchKey) {
    if (static_cast<size_t>(pEnd - pBegin) != cchKey) return KeyMatch::kOther;
    KeyMatch result = KeyMatch::kSame;
    for (; pBegin < pEnd; ++pBegin, ++pszKey) {
        if (*pBegin == *pszKey) continue;
        if (*pBegin >= 0x80 || *pszKey >= 0x80)
            result = KeyMatch::kUnsure;
        else if (FoldAscii(*pBegin) != FoldAscii(*pszKey))
            return KeyMatch::kOther;
    }
    return result;
}

// A plain decimal of at most nine digits, the only form read here: signs,
// prefixes and overflow are the platform's to interpret.
bool ParsePlainInt(const wchar_t *psz, int *pnValue) {
    int nValue = 0;
    int cDigits = 0;
    for (; *psz >= L'0' && *psz <= L'9'; ++psz) {
        if (++cDigits > kMaxIntDigits) return false;
        nValue = nValue * 10 + (*psz - L'0');
    }
    if (cDigits == 0 || *psz != L'\0') return false;
    *pnValue = nValue;
    return true;
}

}  // namespace

ProfileSection::~ProfileSection() {
    if (m_pszLines != nullptr) HeapFree(GetProcessHeap(), 0, m_pszLines);
}

bool ProfileSection::Load(const ProfileReader &reader) {
    m_bLoaded = false;
    m_reader.SetPath(reader.Path());
    m_reader.SetSection(reader.Section());
    if (reader.Path()[0] == L'\0') return false;
    if (m_pszLines == nullptr) {
        m_pszLines = static_cast<wchar_t *>(HeapAlloc(GetProcessHeap(), 0, kSectionCch * sizeof(wchar_t)));
        if (m_pszLines == nullptr) return false;
    }
    const DWORD cch = GetPrivateProfileSectionW(reader.EffectiveSection(), m_pszLines, kSectionCch, reader.Path());
    // The API answers the buffer size less two when the section was cut.
    if (cch >= kSectionCch - 2) return false;
    m_pszLines[cch] = L'\0';
    m_bLoaded = true;
    return true;
}

ProfileSection::Match ProfileSection::Find(const wchar_t *pszKey, wchar_t *pszDest, DWORD cchDest,
                                           DWORD *pcchRead) const {
    if (!m_bLoaded || pszKey == nullptr) return Match::kUnsure;
    const size_t cchKey = LengthCchW(pszKey, kSectionCch);
    if (!ListingCanAnswer(pszKey, cchKey)) return Match::kUnsure;
    pszDest[0] = L'\0';
    *pcchRead = 0;
    for (const wchar_t *pLine = m_pszLines, *pLineEnd; *pLine != L'\0'; pLine = pLineEnd + 1) {
        pLineEnd = pLine + LengthCchW(pLine, kSectionCch);
        const wchar_t *pEquals = pLine;
        while (pEquals < pLineEnd && *pEquals != L'=') ++pEquals;
        if (pEquals == pLineEnd) continue;
        const wchar_t *pKey = SkipBlanks(pLine, pEquals);
        const KeyMatch match = CompareKey(pKey, TrimEnd(pKey, pEquals), pszKey, cchKey);
        if (match == KeyMatch::kOther) continue;
        // The first entry of a key is the one the API answers.
        if (match == KeyMatch::kUnsure) return Match::kUnsure;
        const wchar_t *pValue = SkipBlanks(pEquals + 1, pLineEnd);
        const wchar_t *pValueEnd = TrimEnd(pValue, pLineEnd);
        // One pair of enclosing quotes is removed. Where the text inside
        // fills the destination the platforms cut it differently.
        if (pValueEnd - pValue >= 2 && (*pValue == L'"' || *pValue == L'\'') && pValueEnd[-1] == *pValue) {
            ++pValue;
            --pValueEnd;
            if (pValueEnd - pValue >= static_cast<ptrdiff_t>(cchDest) - 1) return Match::kUnsure;
        }
        DWORD n = 0;
        for (; pValue < pValueEnd && n + 1 < cchDest; ++pValue) pszDest[n++] = *pValue;
        pszDest[n] = L'\0';
        *pcchRead = n;
        return Match::kFound;
    }
    return Match::kAbsent;
}

int ProfileSection::ReadInt(const wchar_t *pszKey, int nDefault) const {
    wchar_t szValue[kIntTextCch];
    DWORD cch = 0;
    if (Find(pszKey, szValue, kIntTextCch, &cch) == Match::kUnsure) return m_reader.ReadInt(pszKey, nDefault);
    if (cch == 0) return ProfileReader::IntOrDefault(kAbsentMarker, nDefault);
    int nValue = 0;
    if (!ParsePlainInt(szValue, &nValue)) return m_reader.ReadInt(pszKey, nDefault);
    return ProfileReader::IntOrDefault(nValue, nDefault);
}

void ProfileSection::ReadText(const wchar_t *pszKey, wchar_t *pszDest) const {
    if (pszDest == nullptr) return;
    DWORD cch = 0;
    if (Find(pszKey, pszDest, kProfileTextCch, &cch) == Match::kUnsure) {
        m_reader.ReadText(pszKey, pszDest);
        return;
    }
    ProfileReader::TextOrKey(cch, pszKey, pszDest);
}

DWORD ProfileSection::ReadTextOr(const wchar_t *pszKey, wchar_t *pszDest, DWORD cchDest,
                                 const wchar_t *pszFallback) const {
    if (pszDest == nullptr || cchDest == 0) return 0;
    DWORD cch = 0;
    if (Find(pszKey, pszDest, cchDest, &cch) == Match::kUnsure)
        return m_reader.ReadTextOr(pszKey, pszDest, cchDest, pszFallback);
    return ProfileReader::TextOrFallback(cch, pszDest, cchDest, pszFallback);
}

}  // namespace oemui
