// Reads the model's INI-format files through the platform's profile API: one
// file and a current section. ProfileSection (profile_section.h) answers the
// same reads for one section read whole.
#pragma once

#include <windows.h>

namespace oemui {

// An integer whose value is this marker reads as absent.
constexpr int kAbsentMarker = 0x12345678;
// Size of ReadText's destination, terminator included.
constexpr size_t kProfileTextCch = 256;

class ProfileReader {
public:
    ProfileReader();

    void SetPath(const wchar_t *pszPath);        // at most 259 characters kept
    void SetSection(const wchar_t *pszSection);  // at most 259 characters kept
    // Section "<name> Dialog"; a null name selects "Common".
    void SetDialogSection(const wchar_t *pszName);

    // The key's integer; nDefault when absent (a default of the absent marker
    // itself gives 0).
    int ReadInt(const wchar_t *pszKey, int nDefault) const;
    // What ReadInt answers when the file gives nValue (kAbsentMarker when it
    // gives nothing).
    static int IntOrDefault(int nValue, int nDefault) {
        if (nValue != kAbsentMarker) return nValue;
        return nDefault == kAbsentMarker ? 0 : nDefault;
    }
    // What ReadText leaves in pszDest once the file gave cchRead characters
    // there: the text, or the key itself when it gave none.
    static void TextOrKey(DWORD cchRead, const wchar_t *pszKey, wchar_t *pszDest);
    // What ReadTextOr answers once the file gave cchRead characters.
    static DWORD TextOrFallback(DWORD cchRead, wchar_t *pszDest, DWORD cchDest, const wchar_t *pszFallback);
    // Reads into a destination of kProfileTextCch characters; when nothing is
    // read, the key's own name (cut to 255 characters) is the text.
    void ReadText(const wchar_t *pszKey, wchar_t *pszDest) const;
    // Reads into cchDest characters; when nothing is read and a fallback is
    // given, the fallback cut to cchDest - 1 characters. Returns the length.
    DWORD ReadTextOr(const wchar_t *pszKey, wchar_t *pszDest, DWORD cchDest,
                     const wchar_t *pszFallback) const;

    const wchar_t *Path() const { return m_szPath; }
    const wchar_t *Section() const { return m_szSection; }
    // The section the reads use: "Common" when none is set.
    const wchar_t *EffectiveSection() const;

private:

    WCHAR m_szSection[MAX_PATH];
    WCHAR m_szPath[MAX_PATH];
};

}  // namespace oemui
