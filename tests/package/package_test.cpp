// The driver packages the build writes (test package_build, into
// <build>/packages/), read with the platform's setup library as Windows reads
// them: every sample model's INF opens, copies exactly the files its folder
// holds, carries the plug-in's version, and ships the SNMP network library
// under the name the plug-in derives.
#include <gtest/gtest.h>

#include <windows.h>

#include <setupapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/driver_package.h"
#include "host/inf_reader.h"
#include "host/plugin_host.h"
#include "host/printer_install.h"
#include "tests/package/package_rig.h"

namespace oemuihost {
namespace {

std::vector<std::wstring> Upper(std::vector<std::wstring> names) {
    for (std::wstring &n : names) CharUpperW(&n[0]);
    std::sort(names.begin(), names.end());
    return names;
}

TEST(DriverPackage, EverySampleModelHasAPackageThatSetupReads) {
    const std::vector<std::wstring> models = SampleModelFolders();
    ASSERT_EQ(models.size(), 4u);
    std::wstring version;
    std::wstring error;
    ASSERT_TRUE(ReadFileVersion(ExecutableDirectory() + L"OEMUI.DLL", &version, &error)) << Narrow(error);
    for (const std::wstring &model : models) {
        SCOPED_TRACE(Narrow(model));
        const std::wstring folder = PackagesDirectory() + model + L"\\";
        std::wstring infPath;
        ASSERT_TRUE(FindPackageInf(folder, &infPath, &error)) << Narrow(error);

        UINT errorLine = 0;  // setup sets it only for a line it refuses
        HINF hInf = SetupOpenInfFileW(infPath.c_str(), nullptr, INF_STYLE_WIN4, &errorLine);
        ASSERT_NE(hInf, INVALID_HANDLE_VALUE) << "error line " << errorLine << ", error " << GetLastError();
        EXPECT_EQ(errorLine, 0u);
        INFCONTEXT line = {};
        wchar_t sz[MAX_PATH] = {};
        ASSERT_TRUE(SetupFindFirstLineW(hInf, L"Version", L"DriverVer", &line));
        ASSERT_TRUE(SetupGetStringFieldW(&line, 2, sz, MAX_PATH, nullptr));
        EXPECT_EQ(std::wstring(sz), version);
        for (const wchar_t *section : {L"Manufacturer", L"DestinationDirs", L"SourceDisksNames.amd64",
                                       L"SourceDisksFiles", L"Strings"})
            EXPECT_GE(SetupGetLineCountW(hInf, section), 1) << Narrow(section);
        SetupCloseInfFile(hInf);

        InfDriver driver;
        ASSERT_TRUE(ReadInfDriver(infPath, L"", &driver, &error)) << Narrow(error);
        EXPECT_EQ(driver.uiPlugin, L"OEMUI.DLL");
        // The INF copies exactly the model's files and the pair; the folder
        // holds those and the INF, nothing else.
        std::vector<std::wstring> expected = FilesOf(SampleModelsDirectory() + model + L"\\");
        expected.push_back(L"OEMUI.DLL");
        expected.push_back(L"OEMUN.DLL");
        EXPECT_EQ(Upper(driver.files), Upper(expected));
        std::vector<std::wstring> inFolder = FilesOf(folder);
        inFolder.erase(std::remove(inFolder.begin(), inFolder.end(), FileNameOf(infPath)), inFolder.end());
        EXPECT_EQ(Upper(inFolder), Upper(expected));
        for (size_t i = 0; i < driver.sources.size(); ++i)
            EXPECT_EQ(Upper({driver.sources[i]})[0], Upper({folder + driver.files[i]})[0]);

        // The package carries the SNMP library, not the scenarios' stand-in.
        EXPECT_TRUE(SameFileBytes(folder + L"OEMUN.DLL", ExecutableDirectory() + L"..\\package\\OEMUN.DLL"));
        EXPECT_FALSE(SameFileBytes(folder + L"OEMUN.DLL", ExecutableDirectory() + L"OEMUN.DLL"));
    }
}

TEST(DriverPackage, SameInputsGiveTheSameInf) {
    const std::wstring out = ScratchDirectory(L"again");
    DriverPackage package;
    std::wstring error;
    ASSERT_TRUE(BuildDriverPackage(SampleModelsDirectory() + L"talix_c500", out, DriverPackagePairForTests(), &package,
                                   &error))
        << Narrow(error);
    EXPECT_EQ(ReadText(package.folder + package.infName), ReadText(PackageInf(L"talix_c500")));
    // Building again over the same folder leaves no stale file behind.
    WriteText(package.folder + L"STALE.TXT", L"x");
    ASSERT_TRUE(BuildDriverPackage(SampleModelsDirectory() + L"talix_c500", out, DriverPackagePairForTests(), &package,
                                   &error));
    EXPECT_EQ(GetFileAttributesW((package.folder + L"STALE.TXT").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(DriverPackage, HardwareIdIsTheDeviceIdsManufacturerAndModel) {
    // "123456789" is the CRC-16's check value; blanks become underscores and
    // the name is cut to 20 characters before the checksum of the uncut name.
    EXPECT_EQ(Ieee1284HardwareId(L"1234", L"56789"), L"123456789BB3D");
    const std::wstring id = Ieee1284HardwareId(L"Korvant", L"K45S Secure Printing");
    EXPECT_EQ(id.substr(0, 20), L"KorvantK45S_Secure_P");
    EXPECT_EQ(id.size(), 24u);
    EXPECT_NE(id, Ieee1284HardwareId(L"Korvant", L"K45S Secure Printing 2")) << "the checksum covers the uncut name";
}

}  // namespace
}  // namespace oemuihost
