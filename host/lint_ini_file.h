// A line-by-line view of an INI-format model file, for the checker's file and
// line numbers. What the plug-in reads is still read through its own profile
// readers; this view adds what the profile API hides: where a key stands, its
// repeats, and how the file is encoded.
#pragma once

#include <string>
#include <vector>

namespace oemuihost {

enum class TextEncoding {
    Ascii,     // 7-bit text: read the same in every code page
    Ansi,      // 8-bit text that is not UTF-8: read in the system's ANSI code page
    Utf16Le,   // with the FF FE byte-order mark
    Utf8,      // UTF-8 with non-ASCII text, no byte-order mark
    Utf8Bom,   // EF BB BF at the start
    Utf16Be,   // FE FF at the start
    Utf16NoBom // looks like UTF-16 (zero bytes) without a mark
};

struct IniEntry {
    std::wstring key;
    std::wstring value;  // blanks around it removed, one pair of quotes too
    int line = 0;
};

struct IniSection {
    std::wstring name;
    int line = 0;
    bool repeated = false;  // a later section of a name seen before
    std::vector<IniEntry> entries;
};

struct IniFile {
    bool present = false;
    std::wstring name;  // file name only
    std::wstring path;
    TextEncoding encoding = TextEncoding::Ascii;
    int firstNonAsciiLine = 0;  // first line with a character above U+007F, or 0
    std::vector<IniSection> sections;  // in file order, repeats included

    // The first section of that name (compared without case), or null: the
    // profile API reads that one only.
    const IniSection *Find(const std::wstring &section) const;
    // The first entry of the key in the first section of that name, or null.
    const IniEntry *Find(const std::wstring &section, const std::wstring &key) const;
    // Line of the entry, else of the section, else 0.
    int LineOf(const std::wstring &section, const std::wstring &key) const;
};

// Reads and splits the file. A missing file gives present = false.
IniFile ScanIniFile(const std::wstring &folder, const std::wstring &name);

// The names of the files in a folder (ending in a backslash), sorted.
std::vector<std::wstring> FilesInFolder(const std::wstring &folder);

bool EqualsNoCase(const std::wstring &a, const std::wstring &b);
std::wstring Trimmed(const std::wstring &s);

}  // namespace oemuihost
