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

    // What reader.ReadText gives for pszKey, answered from the loaded section
    // when it can: the entry, or the key itself when there is none. Without a
    // loaded section, or for a key the listing cannot answer, the reader reads
    // its current section, which is the caller's to keep the loaded one.
    // pszDest holds kProfileTextCch characters.
    void ReadText(const ProfileReader &reader, const wchar_t *pszKey, wchar_t *pszDest) const;

    // What reader.ReadInt gives for pszKey. A plain decimal entry is read
    // from the loaded section; any other form goes to the reader, so that the
    // platform's own reading of it holds.
    int ReadInt(const ProfileReader &reader, const wchar_t *pszKey, int nDefault) const;

    bool Loaded() const { return m_fLoaded; }

private:
    wchar_t *m_pszLines = nullptr;  // "key=value\0...\0\0"
    bool m_fLoaded = false;
};

}  // namespace oemui
