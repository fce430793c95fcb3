#include <gtest/gtest.h>

#include <string>

#include "settings/profile_reader.h"

using oemui::ProfileReader;

namespace {

class ProfileReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t dir[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, dir);
        path = std::wstring(dir) + L"oemui_profile_reader.ini";
    }
    void TearDown() override {
        DeleteFileW(path.c_str());
        WritePrivateProfileStringW(nullptr, nullptr, nullptr, path.c_str());
    }
    void Write(const std::string &text) {
        HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(h);
        WritePrivateProfileStringW(nullptr, nullptr, nullptr, path.c_str());
        reader.SetPath(path.c_str());
    }
    std::wstring path;
    ProfileReader reader;
};

TEST_F(ProfileReaderTest, IntegersAndTheAbsentMarker) {
    Write("[Common]\r\nPlain=42\r\nMarker=305419896\r\nNegative=-7\r\nEmpty=\r\nWord=abc\r\n");
    struct Case {
        const wchar_t *key;
        int def, expected;
    } cases[] = {
        {L"Plain", 5, 42},      {L"Marker", 5, 5},        {L"Marker", 0x12345678, 0},
        {L"Missing", 9, 9},     {L"Missing", 0x12345678, 0}, {L"Negative", 0, -7},
        {L"Empty", 3, 3},       {L"Word", 3, 0},
    };
    for (const Case &c : cases) EXPECT_EQ(reader.ReadInt(c.key, c.def), c.expected) << std::wstring(c.key).c_str();
}

TEST_F(ProfileReaderTest, AbsentTextReadsAsTheKeyCutTo255) {
    Write("[Common]\r\nName=Talix C500\r\nBlank=\r\nLong=" + std::string(600, 'L') + "\r\n");
    wchar_t text[oemui::kProfileTextCch + 8];
    const auto readAndCheck = [&](const wchar_t *key) {
        for (wchar_t &c : text) c = L'#';
        reader.ReadText(key, text);
        for (size_t i = oemui::kProfileTextCch; i < sizeof(text) / sizeof(text[0]); ++i) EXPECT_EQ(text[i], L'#');
        return std::wstring(text);
    };
    EXPECT_EQ(readAndCheck(L"Name"), L"Talix C500");
    EXPECT_EQ(readAndCheck(L"Blank"), L"Blank");
    EXPECT_EQ(readAndCheck(L"Absent"), L"Absent");
    EXPECT_EQ(readAndCheck(L"Long"), std::wstring(255, L'L'));
    const std::wstring longKey(400, L'K');
    EXPECT_EQ(readAndCheck(longKey.c_str()), std::wstring(255, L'K'));
}

TEST_F(ProfileReaderTest, ReadTextOrFallsBackCutToTheDestination) {
    Write("[Common]\r\nName=Talix\r\n");
    wchar_t text[6];
    EXPECT_EQ(reader.ReadTextOr(L"Name", text, 6, L"fallback"), 5u);
    EXPECT_STREQ(text, L"Talix");
    EXPECT_EQ(reader.ReadTextOr(L"Absent", text, 6, L"fallback"), 5u);
    EXPECT_STREQ(text, L"fallb");
    EXPECT_EQ(reader.ReadTextOr(L"Absent", text, 6, nullptr), 0u);
    EXPECT_STREQ(text, L"");
    EXPECT_EQ(reader.ReadTextOr(L"Absent", text, 0, L"x"), 0u);
}

TEST_F(ProfileReaderTest, SectionsDialogSectionsAndCommon) {
    Write("[Common]\r\nWhere=common\r\n[Troubleshooting Dialog]\r\nWhere=page\r\n[FUNCTION]\r\nWhere=function\r\n");
    wchar_t text[oemui::kProfileTextCch];
    reader.ReadText(L"Where", text);
    EXPECT_STREQ(text, L"common");
    reader.SetDialogSection(L"Troubleshooting");
    EXPECT_STREQ(reader.Section(), L"Troubleshooting Dialog");
    reader.ReadText(L"Where", text);
    EXPECT_STREQ(text, L"page");
    reader.SetSection(L"FUNCTION");
    reader.ReadText(L"Where", text);
    EXPECT_STREQ(text, L"function");
    reader.SetDialogSection(nullptr);
    reader.ReadText(L"Where", text);
    EXPECT_STREQ(text, L"common");
    // Names and paths longer than their fields are cut, never overrun.
    const std::wstring longName(400, L'S');
    reader.SetDialogSection(longName.c_str());
    EXPECT_EQ(std::wstring(reader.Section()), std::wstring(259, L'S'));
    reader.SetPath((L"C:\\" + longName).c_str());
    EXPECT_EQ(std::wstring(reader.Path()).size(), 259u);
}

TEST(ProfileReader, WithoutAFileReadsNothing) {
    ProfileReader fresh;
    EXPECT_EQ(fresh.ReadInt(L"PrinterHDD", 0x12345678), 0);
    wchar_t text[oemui::kProfileTextCch];
    fresh.ReadText(L"Caption", text);
    EXPECT_STREQ(text, L"Caption");
}

}  // namespace
