// The texts of one string-table section, read with a single file access.
// Opening a dialog looks up two or three keys per control; asked one by one,
// the profile API reads the file again for each.
#pragma once

#include <windows.h>

namespace oemui {

class ProfileReader;

class SectionTexts {
public:
    SectionTexts() = default;
    ~SectionTexts();
    SectionTexts(const SectionTexts &) = delete;
    SectionTexts &operator=(const SectionTexts &) = delete;

    // Reads the reader's current section. False when it could not be read
    // whole; the caller then reads key by key.
    bool Load(const ProfileReader &reader);

    // Whether Find can answer for this key: the section listing leaves out
    // lines that look like comments, which a direct read still finds.
    static bool Answers(const wchar_t *pszKey) { return pszKey != nullptr && pszKey[0] != L';'; }

    // The entry of pszKey as the profile API gives it (keys compared without
    // regard to case, one pair of enclosing quotes removed), cut to
    // cchDest - 1 characters. False when the key is absent or its text empty.
    bool Find(const wchar_t *pszKey, wchar_t *pszDest, size_t cchDest) const;

private:
    wchar_t *m_pszLines = nullptr;  // "key=value\0...\0\0"
};

}  // namespace oemui
