// One section of a model file read whole, answering ProfileReader's reads
// from memory. Under Wine the profile API opens and parses the file again on
// every call, and a dialog asks two or three keys per control.
#pragma once

#include <windows.h>

#include "settings/profile_reader.h"

namespace oemui {

class ProfileSection {
public:
    ProfileSection() = default;
    ~ProfileSection();
    ProfileSection(const ProfileSection &) = delete;
    ProfileSection &operator=(const ProfileSection &) = delete;

    // Takes the reader's file and current section and reads that section in
    // one call. False when it could not be read whole (no file, no memory, a
    // section larger than the buffer): the reads then ask the file key by
    // key. Either way they read this section, whichever section the reader
    // moves to afterwards.
    bool Load(const ProfileReader &reader);
    bool Loaded() const { return m_bLoaded; }

    // What the ProfileReader reads of the same names answer for this section.
    // A key the listing cannot settle exactly (see Find) is read from the
    // file, so the answers never differ.
    int ReadInt(const wchar_t *pszKey, int nDefault) const;
    void ReadText(const wchar_t *pszKey, wchar_t *pszDest) const;
    DWORD ReadTextOr(const wchar_t *pszKey, wchar_t *pszDest, DWORD cchDest, const wchar_t *pszFallback) const;

private:
    enum class Match { kFound, kAbsent, kUnsure };
    // The key's entry as the profile API would copy it into cchDest
    // characters, its length in *pcchRead (0 for an empty or absent entry),
    // or kUnsure when only the API can tell.
    Match Find(const wchar_t *pszKey, wchar_t *pszDest, DWORD cchDest, DWORD *pcchRead) const;

    ProfileReader m_reader;          // this file and section, for what Find leaves to the API
    wchar_t *m_pszLines = nullptr;   // "key=value\0...\0\0"
    bool m_bLoaded = false;
};

}  // namespace oemui
