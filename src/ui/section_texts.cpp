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

bool SameKey(const wchar_t *pBegin, const wchar_t *pEnd, const wchar_t *pszKey) {
    for (; pBegin < pEnd; ++pBegin, ++pszKey) {
        if (*pszKey == L'\0' || std::towlower(*pBegin) != std::towlower(*pszKey)) return false;
    }
    return *pszKey == L'\0';
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
    for (const wchar_t *pLine = m_pszLines; *pLine != L'\0'; pLine += LengthCchW(pLine, kSectionCch) + 1) {
        const wchar_t *pLineEnd = pLine + LengthCchW(pLine, kSectionCch);
        const wchar_t *pEquals = pLine;
        while (pEquals < pLineEnd && *pEquals != L'=') ++pEquals;
        if (pEquals == pLineEnd) continue;
        const wchar_t *pKey = SkipBlanks(pLine, pEquals);
        if (!SameKey(pKey, TrimEnd(pKey, pEquals), pszKey)) continue;
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
