#include "settings/profile_reader.h"

#include "common/bounded_format.h"

namespace oemui {
namespace {

constexpr wchar_t kCommonSection[] = L"Common";

}  // namespace

ProfileReader::ProfileReader() {
    m_szSection[0] = L'\0';
    m_szPath[0] = L'\0';
}

void ProfileReader::SetPath(const wchar_t *pszPath) { CopyCchW(m_szPath, MAX_PATH, pszPath); }

void ProfileReader::SetSection(const wchar_t *pszSection) {
    CopyCchW(m_szSection, MAX_PATH, pszSection);
}

void ProfileReader::SetDialogSection(const wchar_t *pszName) {
    if (pszName == nullptr) {
        m_szSection[0] = L'\0';
        return;
    }
    FormatCchW(m_szSection, MAX_PATH, L"%s Dialog", pszName);
}

const wchar_t *ProfileReader::EffectiveSection() const {
    return m_szSection[0] != L'\0' ? m_szSection : kCommonSection;
}

// A reader whose owner never found the model's files has no path. It reads
// nothing rather than hand the profile API an empty name, which the platform
// would resolve against the Windows directory.

int ProfileReader::ReadInt(const wchar_t *pszKey, int nDefault) const {
    int value = kAbsentMarker;
    if (m_szPath[0] != L'\0' && pszKey != nullptr) {
        value = static_cast<int>(
            GetPrivateProfileIntW(EffectiveSection(), pszKey, kAbsentMarker, m_szPath));
    }
    return IntOrDefault(value, nDefault);
}

void ProfileReader::ReadText(const wchar_t *pszKey, wchar_t *pszDest) const {
    if (pszDest == nullptr) return;
    pszDest[0] = L'\0';
    // A null key would make the profile API list the section's key names.
    if (pszKey == nullptr) return;
    DWORD cch = 0;
    if (m_szPath[0] != L'\0') {
        cch = GetPrivateProfileStringW(EffectiveSection(), pszKey, L"", pszDest,
                                       static_cast<DWORD>(kProfileTextCch), m_szPath);
    }
    TextOrKey(cch, pszKey, pszDest);
}

DWORD ProfileReader::ReadTextOr(const wchar_t *pszKey, wchar_t *pszDest, DWORD cchDest,
                                const wchar_t *pszFallback) const {
    if (pszDest == nullptr || cchDest == 0) return 0;
    pszDest[0] = L'\0';
    DWORD cch = 0;
    if (m_szPath[0] != L'\0' && pszKey != nullptr) {
        cch = GetPrivateProfileStringW(EffectiveSection(), pszKey, L"", pszDest, cchDest, m_szPath);
    }
    return TextOrFallback(cch, pszDest, cchDest, pszFallback);
}

void ProfileReader::TextOrKey(DWORD cchRead, const wchar_t *pszKey, wchar_t *pszDest) {
    if (cchRead == 0) CopyCchW(pszDest, kProfileTextCch, pszKey);
}

DWORD ProfileReader::TextOrFallback(DWORD cchRead, wchar_t *pszDest, DWORD cchDest, const wchar_t *pszFallback) {
    if (cchRead != 0 || pszFallback == nullptr) return cchRead;
    return static_cast<DWORD>(CopyCchW(pszDest, cchDest, pszFallback));
}

}  // namespace oemui
