// What both job-option dialogs share and a scenario cannot set up: limits
// from any model value, the Windows user name, and a hostile string table
// for the passcode message.
#include <gtest/gtest.h>

#include <fstream>

#include "dialogs/passcode_dialog.h"
#include "dialogs/dialog_rig.h"
#include "resources/resource_ids.h"
#include "settings/profile_reader.h"

namespace dialogtest {
namespace {

using namespace oemui;

TEST(PassLimits, ClampedToTheStoredField) {
    struct Case {
        int nMin, nMax, nCeiling;
        SHORT sMin, sMax;
    };
    const Case cases[] = {
        {4, 8, 8, 4, 8},     {4, 12, 8, 4, 8},   {4, 12, 20, 4, 12}, {4, 50, 20, 4, 20},
        {99, 99, 8, 8, 8},   {0, 0, 8, 0, 1},    {-3, -1, 8, 0, 1},  {6, 4, 8, 4, 4},
        {4, 99, 32, 4, 32},  {50, 40, 32, 32, 32}, {32, 32, 32, 32, 32},
    };
    for (const Case &c : cases) {
        const PassLimits l = ClampPassLimits(c.nMin, c.nMax, c.nCeiling);
        EXPECT_EQ(l.sMin, c.sMin) << c.nMin << ".." << c.nMax << " in " << c.nCeiling;
        EXPECT_EQ(l.sMax, c.sMax) << c.nMin << ".." << c.nMax << " in " << c.nCeiling;
    }
}

std::wstring g_userName;
BOOL WINAPI FakeGetUserName(LPWSTR pszBuffer, LPDWORD pcch) {
    if (g_userName.size() + 1 > *pcch) {
        *pcch = static_cast<DWORD>(g_userName.size() + 1);
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    lstrcpynW(pszBuffer, g_userName.c_str(), static_cast<int>(*pcch));
    *pcch = static_cast<DWORD>(g_userName.size() + 1);
    return TRUE;
}

TEST(WindowsUserSeed, FitsOrStaysEmpty) {
    testsupport::ImportPatch patch(GetModuleHandleW(nullptr), "advapi32.dll", "GetUserNameW",
                                   reinterpret_cast<void *>(FakeGetUserName));
    ASSERT_TRUE(patch.Active());
    struct Case {
        std::wstring name;
        size_t capacity;
        const wchar_t *seeded;
    };
    const Case cases[] = {
        {L"alice", 20, L"alice"},
        {std::wstring(19, L'n'), 20, L"nnnnnnnnnnnnnnnnnnn"},
        {std::wstring(20, L'n'), 20, L""},
        {L"dom/alice", 20, L"Unknown"},
        {L"j\x00F6rg", 32, L"Unknown"},
        {std::wstring(31, L'u'), 32, L"uuuuuuuuuuuuuuuuuuuuuuuuuuuuuuu"},
    };
    for (const Case &c : cases) {
        g_userName = c.name;
        wchar_t sz[40];
        wmemset(sz, L'#', 40);
        SeedFromWindowsUser(sz, c.capacity);
        EXPECT_STREQ(sz, c.seeded);
        EXPECT_EQ(sz[c.capacity], L'#') << "wrote past the capacity";
    }
}

// The check's message comes from the string table as data: format
// specifiers other than the two limits stay literal.
class PasscodeCheck : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t szDir[MAX_PATH];
        GetTempPathW(MAX_PATH, szDir);
        path = std::wstring(szDir) + L"oemui_dialogs_check_" + std::to_wstring(GetCurrentProcessId()) + L".dat";
        rig.AddEdit(IDC_PH_PASSCODE);
        rig.AddEdit(IDC_PH_CONFIRM);
        rig.config.pDat = &dat;
    }
    void TearDown() override { DeleteFileW(path.c_str()); }
    void WriteTable(const std::string &body) {
        std::ofstream(std::string(path.begin(), path.end()), std::ios::binary | std::ios::trunc) << body;
        WritePrivateProfileStringW(nullptr, nullptr, nullptr, path.c_str());  // drop the profile cache
        dat.SetPath(path.c_str());
    }
    bool Check(const wchar_t *first, const wchar_t *second, SHORT sMin, SHORT sMax, bool bEmptyPasses = false) {
        rig.SetText(IDC_PH_PASSCODE, first);
        rig.SetText(IDC_PH_CONFIRM, second);
        rig.config.sMinPassLen = sMin;
        rig.config.sMaxPassLen = sMax;
        DialogRig::boxes.clear();
        return CheckPasscodePair(rig.Dialog(), &rig.config, L"Hold", bEmptyPasses);
    }
    DialogRig rig;
    ProfileReader dat;
    std::wstring path;
};

TEST_F(PasscodeCheck, HostileOrMissingMessages) {
    WriteTable("[Hold Dialog]\r\nInvalidPasscodeMsg=Use %d to %d digits.\r\n");
    EXPECT_TRUE(Check(L"", L"", 4, 32, true));
    EXPECT_FALSE(Check(L"Abcd", L"abcd", 4, 32, true)) << "case-sensitive";
    EXPECT_EQ(DialogRig::boxes[0].text, L"Use 4 to 32 digits.");
    WriteTable("[Hold Dialog]\r\nInvalid Passcode=%s%n%x\r\nInvalidPasscodeMsg=%s %n %d-%d %d %08x %%\r\n");
    EXPECT_FALSE(Check(L"1", L"2", 4, 8));
    ASSERT_EQ(DialogRig::boxes.size(), 1u);
    EXPECT_EQ(DialogRig::boxes[0].caption, L"%s%n%x");
    EXPECT_EQ(DialogRig::boxes[0].text, L"%s %n 4-8 %d %08x %");
    // No "InvalidPasscode2Msg": equal limits fall back to the range message.
    EXPECT_FALSE(Check(L"1", L"2", 4, 4));
    EXPECT_EQ(DialogRig::boxes[0].text, L"%s %n 4-4 %d %08x %");
    WriteTable("[Other Dialog]\r\nx=y\r\n");
    EXPECT_FALSE(Check(L"1", L"2", 4, 8));
    EXPECT_EQ(DialogRig::boxes[0].caption, L"Invalid Passcode");
    EXPECT_EQ(DialogRig::boxes[0].text, L"InvalidPasscodeMsg");
}

}  // namespace
}  // namespace dialogtest
