#include <gtest/gtest.h>

#include <windows.h>

#include <climits>
#include <string>

#include "settings/profile_reader.h"
#include "settings/profile_section.h"
#include "support/import_patch.h"

using namespace oemui;

namespace {

// The profile API's key-by-key reads made by this program while counted: a
// section read whole must answer its usual keys without them.
int g_cKeyReads = 0;
decltype(&GetPrivateProfileStringW) g_pfnGetString = nullptr;
decltype(&GetPrivateProfileIntW) g_pfnGetInt = nullptr;

DWORD WINAPI CountedGetString(LPCWSTR pszSection, LPCWSTR pszKey, LPCWSTR pszDefault, LPWSTR pszDest, DWORD cch,
                              LPCWSTR pszFile) {
    ++g_cKeyReads;
    return g_pfnGetString(pszSection, pszKey, pszDefault, pszDest, cch, pszFile);
}

UINT WINAPI CountedGetInt(LPCWSTR pszSection, LPCWSTR pszKey, INT nDefault, LPCWSTR pszFile) {
    ++g_cKeyReads;
    return g_pfnGetInt(pszSection, pszKey, nDefault, pszFile);
}

class KeyReadCounter {
public:
    KeyReadCounter()
        : m_string(GetModuleHandleW(nullptr), "kernel32.dll", "GetPrivateProfileStringW",
                   reinterpret_cast<void *>(&CountedGetString)),
          m_int(GetModuleHandleW(nullptr), "kernel32.dll", "GetPrivateProfileIntW",
                reinterpret_cast<void *>(&CountedGetInt)) {
        g_pfnGetString = m_string.OriginalAs<decltype(&GetPrivateProfileStringW)>();
        g_pfnGetInt = m_int.OriginalAs<decltype(&GetPrivateProfileIntW)>();
        g_cKeyReads = 0;
    }
    bool Active() const { return m_string.Active() && m_int.Active(); }

private:
    testsupport::ImportPatch m_string;
    testsupport::ImportPatch m_int;
};

enum class Encoding { kUtf16Bom, kAnsi };
constexpr Encoding kWide = Encoding::kUtf16Bom;
constexpr Encoding kNarrow = Encoding::kAnsi;

// A new file each time: the platform keeps the last file it parsed.
std::wstring WriteProfile(Encoding encoding, const std::wstring &text) {
    static int counter = 0;
    wchar_t szDir[MAX_PATH];
    GetTempPathW(MAX_PATH, szDir);
    const std::wstring path =
        szDir + std::wstring(L"oemui_section_") + std::to_wstring(GetCurrentProcessId()) + L"_" +
        std::to_wstring(++counter) + L".ini";
    std::string bytes;
    if (encoding == Encoding::kUtf16Bom) {
        const std::wstring withBom = L"\xFEFF" + text;
        bytes.assign(reinterpret_cast<const char *>(withBom.data()), withBom.size() * sizeof(wchar_t));
    } else {
        BOOL bLost = FALSE;
        bytes.resize(text.size() * 2 + 1);
        const int cb = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &bytes[0],
                                           static_cast<int>(bytes.size()), nullptr, &bLost);
        EXPECT_FALSE(bLost) << "the ANSI code page cannot hold the row's text";
        bytes.resize(cb);
    }
    HANDLE hFile = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    EXPECT_NE(hFile, INVALID_HANDLE_VALUE);
    DWORD cbWritten = 0;
    WriteFile(hFile, bytes.data(), static_cast<DWORD>(bytes.size()), &cbWritten, nullptr);
    CloseHandle(hFile);
    return path;
}

const std::wstring kTexts =
    L"[Texts]\r\nPlain=Text\r\n  Spaced Key  =  spaced value  \r\nQuoted=\"in quotes\"\r\nSingle='single'\r\n"
    L"Half=\"open\r\nInner=say \"hi\" now\r\nEmpty=\r\nEmptyQuotes=\"\"\r\nDup=first\r\nDup=second\r\ndup=third\r\n"
    L";Comment=hidden\r\n#Hash=shown\r\nCASE=upper\r\nEdit:1259 tooltip=Gris\r\nNoEquals\r\nEquals=a=b\r\n"
    L"\x00C4rger=anger\r\n\x03A9mega=\x03C9\r\nLong=" + std::wstring(300, L'L') + L"\r\nBoundary=\"" +
    std::wstring(255, L'Q') + L"\"\r\n";
const std::wstring kIntegers =
    L"[Common]\r\nOne=1\r\nNeg=-3\r\nPlus=+4\r\nSpaced=  7  \r\nHex=0x10\r\nTail=12abc\r\nBig=1234567890\r\n"
    L"Marker=305419896\r\nQuoted=\"2\"\r\nZeros=007\r\nWord=Text\r\n;Hidden=9\r\n";
const std::wstring kTwoSections =
    L"[Texts]\r\nA=first section\r\n[Other]\r\nA=other\r\n[TEXTS]\r\nA=again\r\nB=later\r\n";
const std::wstring kAnsiText = L"[Texts]\r\nCaf\x00E9=Cr\x00E8me\r\n";
const std::wstring kLongText(255, L'L');

// Never pinned: the platforms differ (see the row).
const wchar_t *const kUnpinned = L"<unpinned>";
constexpr int kUnpinnedInt = INT_MIN;

// What the platform's profile API answers, which both the key-by-key reader
// and the section read whole must answer alike: ReadText's text (null: the
// key itself, nothing was read), ReadInt's value with default 5, and whether
// the section answers text and integer without asking the file again.
struct Row {
    const char *what;
    Encoding encoding;
    const std::wstring &file;
    const wchar_t *section, *key;
    const wchar_t *text;
    int value;
    bool bTextFromListing, bIntFromListing;
};
const Row kRows[] = {
    {"plain entry", kWide, kTexts, L"Texts", L"Plain", L"Text", 0, true, false},
    {"blanks around key and value", kWide, kTexts, L"Texts", L"Spaced Key", L"spaced value", 0, true, false},
    {"keys without regard to case", kWide, kTexts, L"Texts", L"spaced KEY", L"spaced value", 0, true, false},
    {"upper-case key in the file", kWide, kTexts, L"Texts", L"case", L"upper", 0, true, false},
    {"section without regard to case", kWide, kTexts, L"TEXTS", L"Plain", L"Text", 0, true, false},
    {"one pair of double quotes removed", kWide, kTexts, L"Texts", L"Quoted", L"in quotes", 0, true, false},
    {"one pair of single quotes removed", kWide, kTexts, L"Texts", L"Single", L"single", 0, true, false},
    {"an unmatched quote stays", kWide, kTexts, L"Texts", L"Half", L"\"open", 0, true, false},
    {"inner quotes stay", kWide, kTexts, L"Texts", L"Inner", L"say \"hi\" now", 0, true, false},
    {"empty value reads as nothing", kWide, kTexts, L"Texts", L"Empty", nullptr, 5, true, true},
    {"empty quotes read as nothing", kWide, kTexts, L"Texts", L"EmptyQuotes", nullptr, 5, true, true},
    {"first of duplicate keys", kWide, kTexts, L"Texts", L"Dup", L"first", 0, true, false},
    {"first of duplicates in other case", kWide, kTexts, L"Texts", L"DUP", L"first", 0, true, false},
    // Wine finds a comment line by its name; the section listing leaves it out.
    {"comment line asked by name", kWide, kTexts, L"Texts", L";Comment", L"hidden", 0, false, false},
    {"'#' starts no comment", kWide, kTexts, L"Texts", L"#Hash", L"shown", 0, true, false},
    {"hint key with colon and blank", kWide, kTexts, L"Texts", L"Edit:1259 tooltip", L"Gris", 0, true, false},
    {"line without '='", kWide, kTexts, L"Texts", L"NoEquals", nullptr, 5, true, true},
    {"value holding '='", kWide, kTexts, L"Texts", L"Equals", L"a=b", 0, true, false},
    {"key is cut at the first '='", kWide, kTexts, L"Texts", L"Equals=a", nullptr, 5, true, true},
    {"blank before the key asked", kWide, kTexts, L"Texts", L" Plain", L"Text", 0, false, false},
    {"blank after the key asked", kWide, kTexts, L"Texts", L"Plain ", L"Text", 0, false, false},
    {"empty key", kWide, kTexts, L"Texts", L"", nullptr, 5, false, false},
    {"UTF-16 key, exact", kWide, kTexts, L"Texts", L"\x03A9mega", L"\x03C9", 0, true, false},
    // Case outside ASCII: folded by one platform, compared as is by another.
    {"non-ASCII key in other case", kWide, kTexts, L"Texts", L"\x00E4rger", kUnpinned, kUnpinnedInt, false, false},
    {"long value cut to 255", kWide, kTexts, L"Texts", L"Long", kLongText.c_str(), 0, true, false},
    // Wine gives 254 characters here, one fewer than the cut.
    {"quoted value filling the buffer", kWide, kTexts, L"Texts", L"Boundary", kUnpinned, 0, false, false},
    {"missing key", kWide, kTexts, L"Texts", L"Absent", nullptr, 5, true, true},
    {"missing section", kWide, kTexts, L"Nowhere", L"Plain", nullptr, 5, true, true},
    {"first of duplicate sections", kWide, kTwoSections, L"Texts", L"A", L"first section", 0, true, false},
    {"key only in a later duplicate", kWide, kTwoSections, L"Texts", L"B", nullptr, 5, true, true},
    {"ANSI file", kNarrow, kAnsiText, L"Texts", L"Caf\x00E9", L"Cr\x00E8me", 0, true, false},
    {"ANSI file, key in other case", kNarrow, kAnsiText, L"Texts", L"CAF\x00E9", L"Cr\x00E8me", 0, true, false},
    {"plain integer", kWide, kIntegers, L"Common", L"One", L"1", 1, true, true},
    {"integer in blanks", kWide, kIntegers, L"Common", L"Spaced", L"7", 7, true, true},
    {"integer in quotes", kWide, kIntegers, L"Common", L"Quoted", L"2", 2, true, true},
    {"the absent marker", kWide, kIntegers, L"Common", L"Marker", L"305419896", 5, true, true},
    {"negative integer", kWide, kIntegers, L"Common", L"Neg", L"-3", -3, true, false},
    {"integer with plus", kWide, kIntegers, L"Common", L"Plus", L"+4", 4, true, false},
    {"hexadecimal integer", kWide, kIntegers, L"Common", L"Hex", L"0x10", 16, true, false},
    {"integer with a tail", kWide, kIntegers, L"Common", L"Tail", L"12abc", 12, true, false},
    {"ten digits", kWide, kIntegers, L"Common", L"Big", L"1234567890", 1234567890, true, false},
    {"leading zeros", kWide, kIntegers, L"Common", L"Zeros", L"007", 7, true, true},
    {"word as integer", kWide, kIntegers, L"Common", L"Word", L"Text", 0, true, false},
    {"commented integer", kWide, kIntegers, L"Common", L";Hidden", L"9", 9, false, false},
};

TEST(ProfileSection, AnswersWhatTheKeyByKeyReaderAnswers) {
    for (const Row &row : kRows) {
        SCOPED_TRACE(row.what);
        const std::wstring path = WriteProfile(row.encoding, row.file);
        ProfileReader reader;
        reader.SetPath(path.c_str());
        reader.SetSection(row.section);

        wchar_t szReader[kProfileTextCch];
        reader.ReadText(row.key, szReader);
        if (row.text != kUnpinned) {
            EXPECT_STREQ(szReader, row.text != nullptr ? row.text : row.key);
        }
        const int nReader = reader.ReadInt(row.key, 5);
        if (row.value != kUnpinnedInt) {
            EXPECT_EQ(nReader, row.value);
        }
        const int nReaderMarker = reader.ReadInt(row.key, kAbsentMarker);
        wchar_t szSmall[6];
        const DWORD cchSmall = reader.ReadTextOr(row.key, szSmall, ARRAYSIZE(szSmall), L"fallback");
        wchar_t szOr[kProfileTextCch];
        const DWORD cchOr = reader.ReadTextOr(row.key, szOr, kProfileTextCch, nullptr);

        ProfileSection section;
        ASSERT_TRUE(section.Load(reader));
        // Answers for its own section, wherever the reader goes next.
        reader.SetSection(L"Elsewhere");
        KeyReadCounter counter;
        ASSERT_TRUE(counter.Active());
        wchar_t szSection[kProfileTextCch];
        section.ReadText(row.key, szSection);
        EXPECT_STREQ(szSection, szReader);
        EXPECT_EQ(g_cKeyReads == 0, row.bTextFromListing) << g_cKeyReads << " key reads for a text";
        g_cKeyReads = 0;
        EXPECT_EQ(section.ReadInt(row.key, 5), nReader);
        EXPECT_EQ(section.ReadInt(row.key, kAbsentMarker), nReaderMarker);
        EXPECT_EQ(g_cKeyReads == 0, row.bIntFromListing) << g_cKeyReads << " key reads for two integers";
        wchar_t szSectionSmall[6];
        EXPECT_EQ(section.ReadTextOr(row.key, szSectionSmall, ARRAYSIZE(szSectionSmall), L"fallback"), cchSmall);
        EXPECT_STREQ(szSectionSmall, szSmall);
        wchar_t szSectionOr[kProfileTextCch];
        EXPECT_EQ(section.ReadTextOr(row.key, szSectionOr, kProfileTextCch, nullptr), cchOr);
        EXPECT_STREQ(szSectionOr, szOr);
        DeleteFileW(path.c_str());
    }
}

// Where the section cannot be read whole, every read asks the file, for the
// section the reader had when it was loaded.
TEST(ProfileSection, UnreadSectionsAreReadKeyByKey) {
    std::wstring big = L"[Big]\r\n";
    for (int i = 0; i < 1200; ++i) big += L"Key" + std::to_wstring(i) + L"=" + std::wstring(24, L'v') + L"\r\n";
    big += L"Last=end\r\n[Small]\r\nLast=small\r\n";
    const std::wstring path = WriteProfile(Encoding::kUtf16Bom, big);
    ProfileReader reader;
    reader.SetPath(path.c_str());
    reader.SetSection(L"Big");
    ProfileSection section;
    EXPECT_FALSE(section.Load(reader));
    reader.SetSection(L"Small");
    wchar_t szText[kProfileTextCch];
    section.ReadText(L"Last", szText);
    EXPECT_STREQ(szText, L"end");
    EXPECT_EQ(section.ReadTextOr(L"Absent", szText, kProfileTextCch, L"fb"), 2u);
    EXPECT_STREQ(szText, L"fb");
    EXPECT_EQ(section.ReadInt(L"Absent", kAbsentMarker), 0);

    // No file at all: nothing is read, texts are their keys.
    ProfileSection none;
    EXPECT_FALSE(none.Load(ProfileReader()));
    none.ReadText(L"Caption", szText);
    EXPECT_STREQ(szText, L"Caption");
    EXPECT_EQ(none.ReadInt(L"PrinterHDD", 7), 7);
    DeleteFileW(path.c_str());
}

}  // namespace
