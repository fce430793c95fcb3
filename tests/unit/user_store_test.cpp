#include <gtest/gtest.h>

#include <string>

#include "common/handles.h"
#include "settings/user_store.h"

using namespace oemui;

namespace {

bool KeyExists(const std::wstring &path) {
    RegKey key;
    return RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

void DeleteTree(const wchar_t *path) { RegDeleteTreeW(HKEY_CURRENT_USER, path); }

class UserStore : public ::testing::Test {
protected:
    void SetUp() override { DeleteTree(L"Software\\QvPrint"); }
    void TearDown() override { DeleteTree(L"Software\\QvPrint"); }
};

TEST_F(UserStore, WrittenCodeReadsBackTerminated) {
    WriteLanguageCode(L"Office Colour", L"DT");
    wchar_t code[260];
    for (wchar_t &c : code) c = L'#';
    EXPECT_EQ(ReadLanguageCode(L"Office Colour", code, 260), 1);
    EXPECT_STREQ(code, L"DT");
    RegKey key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Qvprint\\Office Colour", 0, KEY_READ, key.put()), ERROR_SUCCESS);
    DWORD type = 0, cb = 0;
    ASSERT_EQ(RegQueryValueExW(key.get(), L"DrvCntCode", nullptr, &type, nullptr, &cb), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(cb, 6u);  // two characters and the terminator
}

TEST_F(UserStore, AbsentOrOversizedValueReadsAsNone) {
    wchar_t code[260];
    EXPECT_EQ(ReadLanguageCode(L"Nobody", code, 260), 0);
    EXPECT_STREQ(code, L"");
    // A value longer than the 260 bytes the reader takes is not a code.
    RegKey key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Qvprint\\Long", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr), ERROR_SUCCESS);
    std::wstring big(400, L'x');
    RegSetValueExW(key.get(), L"DrvCntCode", 0, REG_SZ, reinterpret_cast<const BYTE *>(big.c_str()), static_cast<DWORD>((big.size() + 1) * 2));
    EXPECT_EQ(ReadLanguageCode(L"Long", code, 260), 0);
    // A value of another type is read as its bytes, terminated after whole characters.
    const BYTE raw[] = {'F', 0, 'N', 0, 'X'};
    RegSetValueExW(key.get(), L"DrvCntCode", 0, REG_BINARY, raw, sizeof(raw));
    EXPECT_EQ(ReadLanguageCode(L"Long", code, 260), 1);
    EXPECT_STREQ(code, L"FN");  // 5 bytes: two whole characters; the odd byte is dropped
}

TEST_F(UserStore, NameTooLongForThePathIsSkippedNotCut) {
    const std::wstring longName(300, L'P');
    WriteLanguageCode(longName.c_str(), L"FN");
    // The cut path would be the key of a printer named by the first characters.
    const std::wstring cutName = longName.substr(0, 259 - 17);
    EXPECT_FALSE(KeyExists(L"Software\\Qvprint\\" + cutName));
    wchar_t code[260];
    EXPECT_EQ(ReadLanguageCode(longName.c_str(), code, 260), 0);
}

TEST_F(UserStore, RemoveUserKeyDeletesOnlyLeafKeysAndEmptyParent) {
    WriteLanguageCode(L"Drv A", L"EN");
    EXPECT_EQ(RemoveUserKey(L"Drv A"), 1);
    EXPECT_FALSE(KeyExists(L"Software\\QvPrint\\Drv A"));
    EXPECT_FALSE(KeyExists(L"Software\\QvPrint"));

    WriteLanguageCode(L"Drv B", L"EN");
    RegKey sub;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Qvprint\\Drv B\\Extra", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, sub.put(), nullptr), ERROR_SUCCESS);
    sub.reset();
    EXPECT_EQ(RemoveUserKey(L"Drv B"), 1);
    EXPECT_TRUE(KeyExists(L"Software\\QvPrint\\Drv B"));
    EXPECT_TRUE(KeyExists(L"Software\\QvPrint\\Drv B\\Extra"));

    EXPECT_EQ(RemoveUserKey(L"No Such Driver"), 1);
}

TEST(LanguageCode, FollowsTheUserLanguageTable) {
    struct Case {
        LANGID lang;
        const wchar_t *code;
    } cases[] = {
        {0x0404, L"CT"}, {0x0804, L"CP"}, {0x0C04, L"EN"}, {0x0406, L"DN"}, {0x0407, L"GR"},
        {0x0C0A, L"SP"}, {0x040B, L"FI"}, {0x040C, L"FN"}, {0x0410, L"IT"}, {0x0411, L"JP"},
        {0x0412, L"KR"}, {0x0413, L"DT"}, {0x0414, L"NR"}, {0x0416, L"PT"}, {0x0419, L"RU"},
        {0x041D, L"SW"}, {0x0409, L"EN"}, {0x0401, L"EN"}, {0x040D, L"EN"},
        {0x0107, L"EN"}, {0x010C, L"EN"}, {0x0111, L"EN"},  // user-defined primaries above 0xFF
    };
    for (const Case &c : cases) EXPECT_STREQ(LanguageCodeForLangId(c.lang), c.code) << std::hex << c.lang;
}

}  // namespace
