// Installing from a package's INF: what a good INF installs, and for each way
// an INF or its folder can be wrong, a clear error that names the INF line or
// the file, with nothing left behind (no printer, no driver, no file).
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "host/driver_install.h"
#include "host/plugin_host.h"
#include "tests/package/package_rig.h"

namespace oemuihost {
namespace {

constexpr wchar_t kPrinter[] = L"Package Test Printer";
constexpr wchar_t kDriver[] = L"Talix C500 Colour";

class InfInstall : public ::testing::Test {
protected:
    void SetUp() override {
        UninstallModelPrinter(kPrinter, kDriver);
        before = DriverFolderFiles();
    }
    void TearDown() override { UninstallModelPrinter(kPrinter, kDriver); }
    std::vector<std::wstring> before;
};

TEST_F(InfInstall, BrokenPackagesAreRefusedWithNothingLeftBehind) {
    struct Case {
        const wchar_t *name;
        std::function<void(const std::wstring &dir, const std::wstring &inf)> breakIt;
        const wchar_t *error;  // part of the message
    };
    const Case cases[] = {
        {L"no INF", [](const std::wstring &, const std::wstring &inf) { DeleteFileW(inf.c_str()); }, L"no INF in"},
        {L"syntax", [](const std::wstring &, const std::wstring &inf) { Replace(inf, L"[Manufacturer]", L"[Manufacturer"); },
         L"TLXC500.INF line 12"},
        {L"no signature",
         [](const std::wstring &, const std::wstring &inf) { Replace(inf, L"Signature=\"$Windows NT$\"\r\n", L""); },
         L"TLXC500.INF: the setup library refuses it"},
        {L"two models",
         [](const std::wstring &, const std::wstring &inf) {
             Replace(inf, L"[TLXC500]", L"[Talix.NTamd64]\r\n\"Talix C500 Twin\"=TLXC500\r\n\r\n[TLXC500]");
         },
         L"offers several models; choose one with --model:\n  \"Talix C500 Colour\" (Talix)\n  \"Talix C500 Twin\""},
        {L"no 64-bit models", [](const std::wstring &, const std::wstring &inf) { Replace(inf, L",NTamd64\r\n", L"\r\n"); },
         L"TLXC500.INF line 13 ([Manufacturer] %Manufacturer%=Talix): no models for 64-bit Windows"},
        {L"no install section",
         [](const std::wstring &, const std::wstring &inf) { Replace(inf, L"[TLXC500]", L"[TLXC500_OLD]"); },
         L"the install section [TLXC500] of \"Talix C500 Colour\" is missing"},
        {L"no copy list",
         [](const std::wstring &, const std::wstring &inf) { Replace(inf, L"[TLXC500_FILES]", L"[TLXC500_LIST]"); },
         L"TLXC500.INF line 19 ([TLXC500] CopyFiles=TLXC500_FILES): the section [TLXC500_FILES] is missing"},
        {L"missing file", [](const std::wstring &dir, const std::wstring &) { DeleteFileW((dir + L"TLXY.bmp").c_str()); },
         L"TLXY.bmp is missing"},
        {L"no source entry", [](const std::wstring &, const std::wstring &inf) { Replace(inf, L"TLXEN.DAT=1\r\n", L""); },
         L"TLXEN.DAT has no [SourceDisksFiles] entry"},
        {L"outside the folder",
         [](const std::wstring &, const std::wstring &inf) { Replace(inf, L"TLXEN.DAT=1\r\n", L"TLXEN.DAT=1,..\\talix_c500\r\n"); },
         L"copies ..\\talix_c500\\TLXEN.DAT from outside the package folder"},
        {L"elsewhere", [](const std::wstring &, const std::wstring &inf) { Replace(inf, L"DefaultDestDir=66000", L"DefaultDestDir=11"); },
         L"([DestinationDirs] DefaultDestDir=11): files go to the printer-driver folder (66000) only"},
        {L"wrong needs", [](const std::wstring &, const std::wstring &inf) { Replace(inf, L"Needs=UNIDRV.OEM", L"Needs=PSCRIPT.OEM"); },
         L"([TLXC500] Needs=PSCRIPT.OEM): a GPD data file needs UNIDRV.OEM"},
        {L"no data file", [](const std::wstring &, const std::wstring &inf) { Replace(inf, L"DataFile=TLXC500.GPD\r\n", L""); },
         L"[TLXC500] has no DataFile="},
        {L"no UI plug-in",
         [](const std::wstring &dir, const std::wstring &) {
             WritePrivateProfileStringW(L"OEMFiles", L"OEMConfigFile1", nullptr, (dir + L"TLXC500u.INI").c_str());
         },
         L"no INI among the copied files names a UI plug-in ([OEMFiles] OEMConfigFile1)"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(Narrow(c.name));
        const std::wstring dir = CopyOfPackage(L"talix_c500", L"broken");
        c.breakIt(dir, dir + L"TLXC500.INF");
        InstalledPrinter installed;
        std::wstring error;
        EXPECT_FALSE(InstallFromInf({dir, L"", kPrinter, L""}, &installed, nullptr, &error));
        EXPECT_NE(error.find(c.error), std::wstring::npos) << Narrow(error);
        EXPECT_FALSE(PrinterExists(kPrinter));
        EXPECT_FALSE(DriverInstalled(kDriver));
        EXPECT_EQ(DriverFolderFiles(), before);
    }
}

TEST_F(InfInstall, ModelChoiceNameTakenAndUnwritableFolder) {
    const std::wstring dir = CopyOfPackage(L"talix_c500", L"choice");
    Replace(dir + L"TLXC500.INF", L"[TLXC500]", L"[Talix.NTamd64]\r\n\"Talix C500 Twin\"=TLXC500\r\n\r\n[TLXC500]");
    std::wstring error;
    EXPECT_FALSE(InstallFromInf({dir, L"Talix C600", kPrinter, L""}, nullptr, nullptr, &error));
    EXPECT_NE(error.find(L"has no model \"Talix C600\"; it offers:"), std::wstring::npos) << Narrow(error);

    // --model picks one; the driver is named after it.
    InstalledPrinter installed;
    InfDriver driver;
    ASSERT_TRUE(InstallFromInf({dir + L"TLXC500.INF", L"talix c500 colour", kPrinter, L""}, &installed, &driver, &error))
        << Narrow(error);
    EXPECT_EQ(installed.driverName, kDriver);
    EXPECT_EQ(driver.dataFile, L"TLXC500.GPD");
    EXPECT_EQ(driver.uiPluginIni, L"TLXC500u.INI");
    // The model's files and the pair, no more.
    EXPECT_EQ(installed.copiedFiles.size(), FilesOf(SampleModelsDirectory() + L"talix_c500\\").size() + 2);
    const std::vector<std::wstring> installedFiles = DriverFolderFiles();

    // The printer's name is taken: refused, the installed one untouched.
    EXPECT_FALSE(InstallFromInf({dir, L"Talix C500 Twin", kPrinter, L""}, nullptr, nullptr, &error));
    EXPECT_NE(error.find(L"a printer named \"Package Test Printer\" already exists"), std::wstring::npos) << Narrow(error);
    EXPECT_TRUE(DriverInstalled(kDriver));
    EXPECT_FALSE(DriverInstalled(L"Talix C500 Twin"));
    EXPECT_EQ(DriverFolderFiles(), installedFiles);
    UninstallModelPrinter(kPrinter, kDriver);
    EXPECT_EQ(DriverFolderFiles(), before);

    // A file of the driver folder cannot be written (a folder in its place):
    // the files already copied go again.
    const std::wstring blocked = installed.dataFile.substr(0, installed.dataFile.find_last_of(L'\\') + 1) + L"TLXl.bmp";
    ASSERT_TRUE(CreateDirectoryW(blocked.c_str(), nullptr));
    EXPECT_FALSE(InstallFromInf({dir, L"Talix C500 Colour", kPrinter, L""}, nullptr, nullptr, &error));
    RemoveDirectoryW(blocked.c_str());
    EXPECT_NE(error.find(L"copying TLXl.bmp into"), std::wstring::npos) << Narrow(error);
    EXPECT_FALSE(PrinterExists(kPrinter));
    EXPECT_FALSE(DriverInstalled(kDriver));
    EXPECT_EQ(DriverFolderFiles(), before);
}

}  // namespace
}  // namespace oemuihost
