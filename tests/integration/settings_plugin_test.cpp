// The settings as the driver core meets them through OEMUI.DLL: device-mode
// defaults from an installed model INI, and the per-user key removed when the
// driver is deleted.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include <windows.h>
#include <winspool.h>

#include "common/handles.h"
#include "integration/settings_rig.h"
#include "settings/private_devmode.h"
#include "settings/user_store.h"
#include "support/import_patch.h"
#include "support/plugin_fixture.h"

using namespace settingsrig;

namespace {

bool KeyExists(const std::wstring &path) {
    oemui::RegKey key;
    return RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

std::vector<BYTE> DriverInfo3(const wchar_t *printer) {
    HANDLE hPrinter = nullptr;
    std::vector<BYTE> info;
    if (!OpenPrinterW(const_cast<LPWSTR>(printer), &hPrinter, nullptr)) return info;
    DWORD cb = 0;
    GetPrinterDriverW(hPrinter, nullptr, 3, nullptr, 0, &cb);
    info.resize(cb);
    if (!GetPrinterDriverW(hPrinter, nullptr, 3, info.data(), cb, &cb)) info.clear();
    ClosePrinter(hPrinter);
    return info;
}

using SettingsThroughPlugin = testsupport::PluginTest;

TEST_F(SettingsThroughPlugin, DriverDeletionRemovesTheKeyNamedAfterTheDriver) {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Qvprint");
    oemui::WriteLanguageCode(kTalix, L"FN");
    std::vector<BYTE> info = DriverInfo3(kTalix);
    ASSERT_FALSE(info.empty());
    ASSERT_EQ(plugin->DriverEvent(DRIVER_EVENT_DELETE, 3, info.data(), 0), S_OK);
    EXPECT_FALSE(KeyExists(std::wstring(L"Software\\Qvprint\\") + kTalix));
    EXPECT_FALSE(KeyExists(L"Software\\QvPrint"));

    // A printer named unlike its driver keeps its key; other events remove nothing.
    oemui::WriteLanguageCode(L"Renamed Talix", L"FN");
    oemui::WriteLanguageCode(kTalix, L"FN");
    ASSERT_EQ(plugin->DriverEvent(DRIVER_EVENT_INITIALIZE, 3, info.data(), 0), S_OK);
    EXPECT_TRUE(KeyExists(std::wstring(L"Software\\Qvprint\\") + kTalix));
    ASSERT_EQ(plugin->DriverEvent(DRIVER_EVENT_DELETE, 3, info.data(), 0), S_OK);
    EXPECT_TRUE(KeyExists(L"Software\\Qvprint\\Renamed Talix"));
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Qvprint");
}

BOOL WINAPI NoDriverInfo(HANDLE, LPWSTR, DWORD, LPBYTE, DWORD, LPDWORD pcbNeeded) {
    if (pcbNeeded != nullptr) *pcbNeeded = 0;
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}

TEST_F(SettingsThroughPlugin, DeviceModeDefaultsReadTheInstalledModelIni) {
    struct Case {
        const wchar_t *printer;
        bool noDriverInfo;
        SHORT installedHdd, resolution, colorCopies, optionalDisk, jobAccounting;
    } cases[] = {
        {kTalix, false, 0, 600, 1, 1, 1},
        {kSecure, false, 0, 600, 0, 0, 0},
        {kKorvant, false, 0, 0, 0, 0, 0},
        {kTalix, true, 0, 0, 0, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::wstring(c.printer).c_str());
        testsupport::ImportPatch failing(c.noDriverInfo ? testsupport::PluginModule() : nullptr, "WINSPOOL.DRV",
                                         "GetPrinterDriverW", reinterpret_cast<void *>(&NoDriverInfo));
        HANDLE hPrinter = nullptr;
        ASSERT_TRUE(OpenPrinterW(const_cast<LPWSTR>(c.printer), &hPrinter, nullptr));
        oemui::PrivateDevMode dm;
        std::memset(&dm, 0x5A, sizeof(dm));
        OEMDMPARAM param = {};
        param.cbSize = sizeof(param);
        param.hPrinter = hPrinter;
        param.pOEMDMOut = &dm;
        param.cbBufSize = sizeof(dm);
        EXPECT_EQ(plugin->DevMode(OEMDM_DEFAULT, &param), S_OK);
        ClosePrinter(hPrinter);
        EXPECT_EQ(dm.sDiskInstalled, c.installedHdd);
        EXPECT_EQ(dm.sResolution, c.resolution);
        EXPECT_EQ(dm.sColorCopiesEnabled, c.colorCopies);
        EXPECT_EQ(dm.sOptionalDisk, c.optionalDisk);
        EXPECT_EQ(dm.sJobAccounting, c.jobAccounting);
    }
}

}  // namespace
