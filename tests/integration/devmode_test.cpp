// The private device-mode block through IPrintOemUI::DevMode, and the
// driver-deletion clean-up through DriverEvent.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "settings/private_devmode.h"
#include "support/import_patch.h"
#include "support/plugin_fixture.h"

using namespace testsupport;
using oemui::PrivateDevMode;

namespace {

LANGID g_userLang = 0x0409;
LANGID WINAPI FakeUserDefaultLangID() { return g_userLang; }

class DevModeTest : public PluginTest {
protected:
    HRESULT Call(DWORD mode, void *in, void *out, DWORD *pcb = nullptr) {
        OEMDMPARAM p = {};
        p.cbSize = sizeof(p);
        p.pOEMDMIn = in;
        p.pOEMDMOut = out;
        p.cbBufSize = pcb ? *pcb : 0;
        const HRESULT hr = plugin->DevMode(mode, &p);
        if (pcb) *pcb = p.cbBufSize;
        return hr;
    }
    static PrivateDevMode Filled(BYTE fill) {
        PrivateDevMode dm;
        std::memset(&dm, fill, sizeof(dm));
        return dm;
    }
};

TEST_F(DevModeTest, RefusesBadCallsWithInvalidParameter) {
    PrivateDevMode out = Filled(0xEE);
    for (DWORD mode : {0u, 5u, 0xFFFFFFFFu}) {
        SetLastError(0);
        EXPECT_EQ(Call(mode, nullptr, &out), E_FAIL) << mode;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER)) << mode;
    }
    SetLastError(0);
    EXPECT_EQ(plugin->DevMode(OEMDM_SIZE, nullptr), E_FAIL);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    // Defaults through a null block would crash the host: refused instead.
    SetLastError(0);
    EXPECT_EQ(Call(OEMDM_DEFAULT, nullptr, nullptr), E_FAIL);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(DevModeTest, SizeIsAlways2408) {
    for (DWORD initial : {0u, 12u, 99999u}) {
        DWORD cb = initial;
        EXPECT_EQ(Call(OEMDM_SIZE, nullptr, nullptr, &cb), S_OK);
        EXPECT_EQ(cb, 2408u);
    }
}

TEST_F(DevModeTest, DefaultsWithoutModelFilesAreZeroButHeaderAndRegion) {
    testsupport::ImportPatch lang(PluginModule(), "kernel32.dll", "GetUserDefaultLangID",
                                  reinterpret_cast<void *>(&FakeUserDefaultLangID));
    ASSERT_TRUE(lang.Active());
    g_userLang = 0x0809;
    PrivateDevMode out = Filled(0xEE);
    EXPECT_EQ(Call(OEMDM_DEFAULT, nullptr, &out), S_OK);
    EXPECT_EQ(out.dmExtraHdr.dwSize, 2408u);
    EXPECT_EQ(out.dmExtraHdr.dwSignature, 0x4D534654u);
    EXPECT_EQ(out.dmExtraHdr.dwVersion, 1u);
    EXPECT_EQ(out.bRegionColor, 3);
    EXPECT_EQ(out.lHoldSel, 0);
    EXPECT_EQ(out.sPrintMode, 0);
    for (BYTE b : std::string(reinterpret_cast<const char *>(out.szUserId), 224)) ASSERT_EQ(b, 0);
    EXPECT_EQ(out.lGrayCopies, 0);
    EXPECT_EQ(out.sDiskInstalled, 0);
    EXPECT_EQ(out.sStapling, 0);
    EXPECT_EQ(out.sNupFlag, 0);
    EXPECT_EQ(out.sResolution, 0);
    EXPECT_EQ(out.bLockFlags, 0);
    EXPECT_EQ(out.sColorCopiesEnabled, 0);
    EXPECT_EQ(out.sOptionalDisk, 0);
    EXPECT_EQ(out.lColorCopies, 0);
    EXPECT_EQ(out.sSecurePrint, 0);
    EXPECT_EQ(out.szSecurePasscode[0], 0);
    EXPECT_EQ(out.szEncryptionKey[19], 0);
    EXPECT_EQ(out.sJobAccounting, 0);
    // What the defaults do not own stays as it was.
    EXPECT_EQ(out.abGap0[0], 0xEE);
    EXPECT_EQ(out.abGap1[0], 0xEE);
    EXPECT_EQ(out.abReserved[100], 0xEE);
    EXPECT_EQ(reinterpret_cast<const BYTE *>(&out.pContext)[0], 0xEE);
}

TEST_F(DevModeTest, DefaultRegionFollowsTheUserLanguage) {
    testsupport::ImportPatch lang(PluginModule(), "kernel32.dll", "GetUserDefaultLangID",
                                  reinterpret_cast<void *>(&FakeUserDefaultLangID));
    ASSERT_TRUE(lang.Active());
    struct Case {
        LANGID lang;
        BYTE code;
    } cases[] = {{0x0409, 2}, {0x0809, 3}, {0x0C09, 4}, {0x0411, 1}, {0x0C0C, 2},
                 {0x040C, 3}, {0x040A, 1}, {0x0C0A, 3}, {0x3801, 4}, {0x0401, 1}};
    for (const Case &c : cases) {
        g_userLang = c.lang;
        PrivateDevMode out = Filled(0);
        ASSERT_EQ(Call(OEMDM_DEFAULT, nullptr, &out), S_OK);
        EXPECT_EQ(out.bRegionColor, c.code) << std::hex << c.lang;
    }
}

TEST_F(DevModeTest, ConvertCarriesOurBlockAndDefaultsAForeignOne) {
    PrivateDevMode in = Filled(0x11);
    in.dmExtraHdr = {2408, 0x4D534654, 1};
    in.lHoldSel = 77;
    PrivateDevMode out = Filled(0xEE);
    out.dmExtraHdr.dwSignature = 0x4D534654;
    EXPECT_EQ(Call(OEMDM_CONVERT, &in, &out), S_OK);
    EXPECT_EQ(out.lHoldSel, 0);
    EXPECT_EQ(out.sPrintMode, in.sPrintMode);
    EXPECT_EQ(0, std::memcmp(out.szUserId, in.szUserId, 224));
    EXPECT_EQ(out.lColorCopies, in.lColorCopies);
    EXPECT_EQ(out.sJobAccounting, in.sJobAccounting);
    EXPECT_EQ(out.abReserved[0], 0xEE);

    PrivateDevMode foreign = Filled(0x11);
    foreign.dmExtraHdr = {2408, 0x12345678, 1};
    out = Filled(0xEE);
    out.dmExtraHdr.dwSignature = 0x4D534654;
    EXPECT_EQ(Call(OEMDM_CONVERT, &foreign, &out), S_OK);
    EXPECT_EQ(out.sPrintMode, 0);
    EXPECT_EQ(out.lColorCopies, 0);

    // An oversized header is only a claim: nothing past the fields is read.
    in.dmExtraHdr.dwSize = 0x7FFFFFFF;
    out = Filled(0xEE);
    out.dmExtraHdr.dwSignature = 0x4D534654;
    EXPECT_EQ(Call(OEMDM_CONVERT, &in, &out), S_OK);
    EXPECT_EQ(out.dmExtraHdr.dwSize, 2408u);
    EXPECT_EQ(out.sPrintMode, in.sPrintMode);
}

TEST_F(DevModeTest, ConvertAndMergeWithNullBlocks) {
    PrivateDevMode out = Filled(0xEE);
    EXPECT_EQ(Call(OEMDM_CONVERT, nullptr, &out), S_OK);
    EXPECT_EQ(out.dmExtraHdr.dwSize, 0xEEEEEEEEu);
    PrivateDevMode in = Filled(0x11);
    EXPECT_EQ(Call(OEMDM_CONVERT, &in, nullptr), S_OK);
    EXPECT_EQ(Call(OEMDM_MERGE, &in, nullptr), S_OK);

    out = Filled(0xEE);
    out.lHoldSel = 101;
    EXPECT_EQ(Call(OEMDM_MERGE, nullptr, &out), S_OK);
    EXPECT_EQ(out.dmExtraHdr.dwSize, 2408u);
    EXPECT_EQ(out.dmExtraHdr.dwSignature, 0x4D534654u);
    EXPECT_EQ(out.dmExtraHdr.dwVersion, 1u);
    EXPECT_EQ(out.lHoldSel, 0);
    EXPECT_EQ(out.sPrintMode, static_cast<SHORT>(0xEEEE));

    out.lHoldSel = 100;
    EXPECT_EQ(Call(OEMDM_MERGE, nullptr, &out), S_OK);
    EXPECT_EQ(out.lHoldSel, 100);
    out.lHoldSel = -5;
    EXPECT_EQ(Call(OEMDM_MERGE, nullptr, &out), S_OK);
    EXPECT_EQ(out.lHoldSel, -5);
}

TEST_F(DevModeTest, MergeOfOurBlockIsAConversion) {
    PrivateDevMode in = Filled(0x22);
    in.dmExtraHdr = {2408, 0x4D534654, 1};
    PrivateDevMode out = Filled(0xEE);
    out.dmExtraHdr.dwSignature = 0x4D534654;
    EXPECT_EQ(Call(OEMDM_MERGE, &in, &out), S_OK);
    EXPECT_EQ(out.lHoldSel, 0);
    EXPECT_EQ(out.lGrayCopies, in.lGrayCopies);
}

TEST_F(DevModeTest, ShortInputBlockIsTreatedAsForeign) {
    PrivateDevMode in = Filled(0x33);
    in.dmExtraHdr = {0x169, 0x4D534654, 1};  // one byte short of the copied fields
    PrivateDevMode out = Filled(0xEE);
    out.dmExtraHdr.dwSignature = 0x4D534654;
    EXPECT_EQ(Call(OEMDM_CONVERT, &in, &out), S_OK);
    EXPECT_EQ(out.sPrintMode, 0);
    in.dmExtraHdr.dwSize = 0x16A;
    EXPECT_EQ(Call(OEMDM_CONVERT, &in, &out), S_OK);
    EXPECT_EQ(out.sPrintMode, in.sPrintMode);
}

bool UserKeyExists(const wchar_t *path) {
    HKEY h = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    RegCloseKey(h);
    return true;
}

TEST_F(PluginTest, DriverDeletionRemovesTheDriversUserKey) {
    HKEY h = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Qvprint\\Test Driver 3", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &h, nullptr), ERROR_SUCCESS);
    RegCloseKey(h);
    DRIVER_INFO_3W info = {};
    info.cVersion = 3;
    wchar_t name[] = L"Test Driver 3";
    info.pName = name;
    EXPECT_EQ(plugin->DriverEvent(DRIVER_EVENT_INITIALIZE, 3, reinterpret_cast<BYTE *>(&info), 0), S_OK);
    EXPECT_TRUE(UserKeyExists(L"Software\\Qvprint\\Test Driver 3"));
    EXPECT_EQ(plugin->DriverEvent(DRIVER_EVENT_DELETE, 3, reinterpret_cast<BYTE *>(&info), 0), S_OK);
    EXPECT_FALSE(UserKeyExists(L"Software\\Qvprint\\Test Driver 3"));
    EXPECT_FALSE(UserKeyExists(L"Software\\QvPrint"));
    // Again, with nothing left to remove.
    EXPECT_EQ(plugin->DriverEvent(DRIVER_EVENT_DELETE, 3, reinterpret_cast<BYTE *>(&info), 0), S_OK);

    DRIVER_INFO_1W info1 = {name};
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Qvprint\\Test Driver 3", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &h, nullptr), ERROR_SUCCESS);
    RegCloseKey(h);
    EXPECT_EQ(plugin->DriverEvent(DRIVER_EVENT_DELETE, 1, reinterpret_cast<BYTE *>(&info1), 0), S_OK);
    EXPECT_FALSE(UserKeyExists(L"Software\\Qvprint\\Test Driver 3"));
}

}  // namespace
