#include "ui/section_texts.h"

#include <cwctype>

#include "common/bounded_format.h"
#include "settings/profile_reader.h"

namespace oemui {
namespace {

// Larger than any section the models ship; a section that fills it is read
// key by key instead.
constexpr DWORD kSectionCch = 32 * 1024;

const wchar_t *SkipBlanks(const wchar_t *p, const wchar_t *pEnd) {
    while (p < pEnd && (*p == L' ' || *p == L'\t')) ++p;
    return p;
}

const wchar_t *TrimEnd(const wchar_t *pBegin, const wchar_t *pEnd) {
    while (pEnd > pBegin && (pEnd[-1] == L' ' || pEnd[-1] == L'\t' || pEnd[-1] == L'\r')) --pEnd;
    return pEnd;
}

wchar_t FoldCase(wchar_t c) {
    if (c < 0x80) return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + (L'a' - L'A')) : c;
    return static_cast<wchar_t>(std::towlower(c));
}

// pszKey has cchKey characters; the lengths settle most lines at once.
bool SameKey(const wchar_t *pBegin, const wchar_t *pEnd, const wchar_t *pszKey, size_t cchKey) {
    if (static_cast<size_t>(pEnd - pBegin) != cchKey) return false;
    for (; pBegin < pEnd; ++pBegin, ++pszKey) {
        if (*pBegin != *pszKey && FoldCase(*pBegin) != FoldCase(*pszKey)) return false;
    }
    return true;
}

}  // namespace

SectionTexts::~SectionTexts() {
    if (m_pszLines != nullptr) HeapFree(GetProcessHeap(), 0, m_pszLines);
}

bool SectionTexts::Load(const ProfileReader &reader) {
    m_fLoaded = false;
    if (reader.Path()[0] == L'\0') return false;
    if (m_pszLines == nullptr) {
        m_pszLines = static_cast<wchar_t *>(HeapAlloc(GetProcessHeap(), 0, kSectionCch * sizeof(wchar_t)));
        if (m_pszLines == nullptr) return false;
    }
    const wchar_t *pszSection = reader.Section()[0] != L'\0' ? reader.Section() : L"Common";
    const DWORD cch = GetPrivateProfileSectionW(pszSection, m_pszLines, kSectionCch, reader.Path());
    // The API answers the buffer size less two when the section was cut.
    if (cch >= kSectionCch - 2) {
        m_pszLines[0] = L'\0';
        return false;
    }
    m_pszLines[cch] = L'\0';
    m_fLoaded = true;
    return true;
}

int SectionTexts::ReadInt(const ProfileReader &reader, const wchar_t *pszKey, int nDefault) const {
    if (!m_fLoaded || !Answers(pszKey)) return reader.ReadInt(pszKey, nDefault);
    // The platform reads an integer entry into 30 characters too.
    wchar_t szValue[30];
    if (!Find(pszKey, szValue, ARRAYSIZE(szValue))) return ProfileReader::IntOrDefault(kAbsentMarker, nDefault);
    const wchar_t *p = szValue;
    const bool fNegative = *p == L'-';
    if (*p == L'-' || *p == L'+') ++p;
    int nValue = 0;
    int cDigits = 0;
    // Nine digits always fit an int.
    for (; *p >= L'0' && *p <= L'9' && cDigits < 9; ++p, ++cDigits) nValue = nValue * 10 + (*p - L'0');
    if (cDigits == 0 || *p != L'\0') return reader.ReadInt(pszKey, nDefault);
    return ProfileReader::IntOrDefault(fNegative ? -nValue : nValue, nDefault);
}

void SectionTexts::ReadText(const ProfileReader &reader, const wchar_t *pszKey, wchar_t *pszDest) const {
    if (pszDest == nullptr) return;
    if (!m_fLoaded || !Answers(pszKey)) {
        reader.ReadText(pszKey, pszDest);
        return;
    }
    if (!Find(pszKey, pszDest, kProfileTextCch)) CopyCchW(pszDest, kProfileTextCch, pszKey);
}

bool SectionTexts::Find(const wchar_t *pszKey, wchar_t *pszDest, size_t cchDest) const {
    if (m_pszLines == nullptr || pszKey == nullptr || pszDest == nullptr || cchDest == 0) return false;
    const size_t cchKey = LengthCchW(pszKey, kSectionCch);
    for (const wchar_t *pLine = m_pszLines, *pLineEnd; *pLine != L'\0'; pLine = pLineEnd + 1) {
        pLineEnd = pLine + LengthCchW(pLine, kSectionCch);
        const wchar_t *pEquals = pLine;
        while (pEquals < pLineEnd && *pEquals != L'=') ++pEquals;
        if (pEquals == pLineEnd) continue;
        const wchar_t *pKey = SkipBlanks(pLine, pEquals);
        if (!SameKey(pKey, TrimEnd(pKey, pEquals), pszKey, cchKey)) continue;
        const wchar_t *pValue = SkipBlanks(pEquals + 1, pLineEnd);
        const wchar_t *pValueEnd = TrimEnd(pValue, pLineEnd);
        if (pValueEnd - pValue >= 2 && (*pValue == L'"' || *pValue == L'\'') && pValueEnd[-1] == *pValue) {
            ++pValue;
            --pValueEnd;
        }
        // The first entry of a key is the one the profile API answers.
        if (pValue == pValueEnd) return false;
        size_t n = 0;
        for (; pValue < pValueEnd && n + 1 < cchDest; ++pValue) pszDest[n++] = *pValue;
        pszDest[n] = L'\0';
        return true;
    }
    return false;
}

}  // namespace oemui
