// The context record filled from installed printers' model files, the
// per-user language code, and what happens when the spooler, the heap or the
// files misbehave.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <windows.h>
#include <winspool.h>

#include "common/handles.h"
#include "integration/settings_rig.h"
#include "settings/driver_info.h"
#include "settings/printer_values.h"
#include "settings/user_store.h"
#include "support/import_patch.h"

using namespace settingsrig;
using testsupport::ImportPatch;

namespace {

class InstalledPrinters : public ::testing::Environment {
public:
    void SetUp() override {
        std::wstring error;
        ASSERT_TRUE(InstallAll(&error)) << std::string(error.begin(), error.end());
    }
    void TearDown() override { UninstallAll(); }
};
[[maybe_unused]] auto *const g_printers = ::testing::AddGlobalTestEnvironment(new InstalledPrinters);

HMODULE Self() { return GetModuleHandleW(nullptr); }

LANGID g_userLang = 0x0409;
LANGID WINAPI FakeUserLang() { return g_userLang; }

// Answers the user-language query for the lifetime of the object.
struct UserLanguage {
    explicit UserLanguage(LANGID lang) { g_userLang = lang; }
    ImportPatch patch{Self(), "KERNEL32.dll", "GetUserDefaultLangID", reinterpret_cast<void *>(&FakeUserLang)};
};

std::wstring StoredCode(const wchar_t *printer) {
    wchar_t code[260];
    return oemui::ReadLanguageCode(printer, code, 260) ? std::wstring(code) : std::wstring(L"<none>");
}

class ModelConfigTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const wchar_t *p : {kTalix, kKorvant, kSecure, kMero, kScratch}) ForgetLanguage(p);
        ResetScratch();
    }
    void TearDown() override {
        SetUp();
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Qvprint");  // only when nothing is left in it
    }
    const std::wstring dir = DriverFilesDir();
};

TEST_F(ModelConfigTest, SampleModelsFillTheRecord) {
    UserLanguage english(0x0409);
    struct Case {
        const wchar_t *printer;
        SHORT brand;
        DWORD isPpd;
        const wchar_t *stem, *prefix, *dat, *hin;
        DWORD copies, hdd, installedHdd;
        LONG grayEnh;
        SHORT secure;
        DWORD jobAccounting;
    } cases[] = {
        {kTalix, 1, 0, L"TLXC500", L"TLX", L"TLXEN.DAT", L"TLXC500.hin", 1, 1, 0, 1, 0, 1},
        {kKorvant, 0, 0, L"KVK30", L"KVT", L"KVT.DAT", L"", 0, 0, 0, 0, 0, 0},
        {kSecure, 0, 0, L"KVK45S", L"KVS", L"KVS.DAT", L"", 0, 0, 0, 0, 1, 0},
        {kMero, 2, 1, L"MRP45", L"MRO", L"MRP45u.INI", L"", 0, 1, 0, 0, 0, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::wstring(c.printer).c_str());
        const Loaded l = LoadFor(c.printer);
        EXPECT_EQ(l.sBrand, c.brand);
        EXPECT_EQ(l.dwIsPpd, c.isPpd);
        EXPECT_EQ(l.driverDir, dir);
        EXPECT_EQ(l.prefix, c.prefix);
        EXPECT_EQ(l.iniPath, dir + c.stem + L"u.INI");
        EXPECT_EQ(l.verPath, dir + c.stem + L".VER");
        EXPECT_EQ(l.datPath, dir + c.dat);
        EXPECT_EQ(l.hinPath, c.hin[0] ? dir + c.hin : std::wstring());
        if (c.brand == 1) {
            EXPECT_EQ(l.hinSection, L"TROUBLE_PAGE");
        }
        EXPECT_EQ(l.dwGraphicsCopiesSetting, c.copies);
        EXPECT_EQ(l.dwPrinterHDD, c.hdd);
        EXPECT_EQ(l.dwPrinterInstalledHDD, c.installedHdd);
        EXPECT_EQ(l.lGrayscaleEnh, c.grayEnh);
        EXPECT_EQ(l.sExtrasSecurePrint, c.secure);
        EXPECT_EQ(l.dwPrinterJobAccounting, c.jobAccounting);
    }
    // Only the language-dependent model touches the per-user store.
    EXPECT_EQ(StoredCode(kTalix), L"EN");
    EXPECT_EQ(StoredCode(kKorvant), L"<none>");
    EXPECT_EQ(StoredCode(kMero), L"<none>");
}

TEST_F(ModelConfigTest, StoredLanguageCodeWinsOverALaterUserLanguage) {
    {
        UserLanguage french(0x040C);
        const Loaded first = LoadFor(kTalix);
        EXPECT_EQ(first.languageCode, L"FN");
        EXPECT_EQ(first.datPath, dir + L"TLXFN.DAT");
    }
    EXPECT_EQ(StoredCode(kTalix), L"FN");
    UserLanguage english(0x0409);
    EXPECT_EQ(LoadFor(kTalix).datPath, dir + L"TLXFN.DAT");
}

TEST_F(ModelConfigTest, StoredCodeOfOddShapesIsUsedOrReplaced) {
    UserLanguage english(0x0409);
    const std::wstring key = std::wstring(L"Software\\Qvprint\\") + kTalix;
    oemui::RegKey k;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, k.put(), nullptr),
              ERROR_SUCCESS);
    // The value's type is not examined: a DWORD whose bytes spell "GR" is that code.
    const DWORD gr = 'G' | ('R' << 16);
    RegSetValueExW(k.get(), L"DrvCntCode", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&gr), sizeof(gr));
    EXPECT_EQ(LoadFor(kTalix).datPath, dir + L"TLXGR.DAT");

    // Too long for the reader, or empty: no usable code, so one is derived and stored.
    const std::wstring longCode(400, L'Q');
    const std::wstring empty;
    for (const std::wstring *value : {&longCode, &empty}) {
        RegSetValueExW(k.get(), L"DrvCntCode", 0, REG_SZ, reinterpret_cast<const BYTE *>(value->c_str()),
                       static_cast<DWORD>((value->size() + 1) * sizeof(wchar_t)));
        EXPECT_EQ(LoadFor(kTalix).datPath, dir + L"TLXEN.DAT");
        EXPECT_EQ(StoredCode(kTalix), L"EN");
    }
}

TEST_F(ModelConfigTest, UnstorableLanguageCodeIsDerivedEachTime) {
    // A volatile parent refuses the non-volatile printer key.
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Qvprint");
    oemui::RegKey parent;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Qvprint", 0, nullptr, REG_OPTION_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, parent.put(), nullptr),
              ERROR_SUCCESS);
    {
        UserLanguage german(0x0407);
        EXPECT_EQ(LoadFor(kTalix).datPath, dir + L"TLXGR.DAT");
    }
    UserLanguage french(0x040C);
    EXPECT_EQ(LoadFor(kTalix).datPath, dir + L"TLXFN.DAT");
    parent.reset();
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Qvprint");

    // A printer name too long for the key path gets no key, never a cut one.
    const std::wstring longName(300, L'T');
    EXPECT_EQ(LoadFor(kTalix, longName.c_str()).datPath, dir + L"TLXFN.DAT");
    oemui::RegKey probe;
    EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Qvprint", 0, KEY_READ, probe.put()), ERROR_SUCCESS);
}

TEST_F(ModelConfigTest, BrandComesFromTheUpperCasedCaptionInOrder) {
    struct Case {
        const char *common;
        SHORT brand;
    } cases[] = {
        {"Caption=the talix c9 in Mixed Case\r\n", 1},
        {"Caption=Korvant made by Talix\r\n", 0},
        {"Caption=Talix for Mero\r\n", 1},
        {"Caption=mero p1\r\n", 2},
        {"Caption=\r\n", 0},
        {"PrinterHDD=1\r\n", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.common);
        const std::string ini = std::string("[OEMFiles]\r\nOEMPrefix=SCR\r\n[Common]\r\n") + c.common;
        WriteScratchText(L"SCRATCHu.INI", ini.c_str());
        const Loaded l = LoadFor(kScratch);
        EXPECT_EQ(l.sBrand, c.brand);
        EXPECT_EQ(l.datPath, c.brand == 2 ? dir + L"SCRATCHu.INI" : dir + L"SCR.DAT");
        EXPECT_EQ(l.hinPath, c.brand == 1 ? dir + L"SCRATCH.hin" : std::wstring());
    }
}

TEST_F(ModelConfigTest, StringTablePathRules) {
    UserLanguage english(0x0409);
    // No prefix: the key's own name stands in.
    WriteScratchText(L"SCRATCHu.INI", "[Common]\r\nCaption=Korvant\r\n");
    EXPECT_EQ(LoadFor(kScratch).datPath, dir + L"OEMPrefix.DAT");
    // Language dependent with a stored code.
    WriteScratchText(L"SCRATCHu.INI", "[OEMFiles]\r\nOEMPrefix=XY\r\n[Common]\r\nCaption=Talix\r\n");
    WriteScratchText(L"SCRATCH.VER", "[Version]\r\nLanguageDependent=1\r\n");
    oemui::WriteLanguageCode(kScratch, L"FN");
    EXPECT_EQ(LoadFor(kScratch).datPath, dir + L"XYFN.DAT");
    // Brand 2 reads its texts from the model INI even when language dependent,
    // but the code is still decided and kept.
    ForgetLanguage(kScratch);
    WriteScratchText(L"SCRATCHu.INI", "[OEMFiles]\r\nOEMPrefix=XY\r\n[Common]\r\nCaption=Mero\r\n");
    EXPECT_EQ(LoadFor(kScratch).datPath, dir + L"SCRATCHu.INI");
    EXPECT_EQ(StoredCode(kScratch), L"EN");
    // Only exactly 1 selects per-language tables.
    WriteScratchText(L"SCRATCHu.INI", "[OEMFiles]\r\nOEMPrefix=XY\r\n[Common]\r\nCaption=Talix\r\n");
    WriteScratchText(L"SCRATCH.VER", "[Version]\r\nLanguageDependent=2\r\n");
    EXPECT_EQ(LoadFor(kScratch).datPath, dir + L"XY.DAT");
}

TEST_F(ModelConfigTest, BadModelFilesGiveDefaultsWithoutOverrun) {
    const std::string longLine = "Caption=" + std::string(300, 'x') + "TALIX\r\nOEMPrefix=" + std::string(5000, 'P') + "\r\n";
    const std::string garbage = [] {
        std::string g;
        for (int i = 0; i < 4096; ++i) g += static_cast<char>((i * 131 + 7) & 0xFF);
        return g;
    }();
    struct Case {
        const char *name;
        std::string ini;  // empty with deleteIni: the file is missing
        bool deleteIni;
        SHORT brand;
        DWORD hdd;
    } cases[] = {
        {"missing", "", true, 0, 0},
        {"empty", "", false, 0, 0},
        {"garbage", garbage, false, 0, 0},
        {"long lines", "[OEMFiles]\r\n" + longLine + "[Common]\r\n" + longLine, false, 0, 0},
        {"marker value", "[Common]\r\nCaption=Talix\r\nPrinterHDD=305419896\r\n", false, 1, 0},
        {"negative", "[Common]\r\nPrinterHDD=-1\r\n", false, 0, 0xFFFFFFFF},
        // The profile API reads the first of two sections of one name only.
        {"repeated sections", "[Common]\r\nPrinterHDD=1\r\n[Common]\r\nPrinterHDD=0\r\nCaption=Mero\r\n", false, 0, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.deleteIni)
            WriteScratchFile(L"SCRATCHu.INI", nullptr, 0);
        else
            WriteScratchFile(L"SCRATCHu.INI", c.ini.data(), c.ini.size());
        const Loaded l = LoadFor(kScratch);
        EXPECT_EQ(l.sBrand, c.brand);
        EXPECT_EQ(l.dwPrinterHDD, c.hdd);
        EXPECT_LT(l.prefix.size(), 256u);
        EXPECT_LT(l.datPath.size(), static_cast<size_t>(MAX_PATH));
        EXPECT_EQ(l.iniPath, dir + L"SCRATCHu.INI");
    }
    // A huge number is whatever the platform makes of it, never the absent marker.
    WriteScratchText(L"SCRATCHu.INI", "[Common]\r\nPrinterHDD=99999999999999\r\n");
    const UINT platform = GetPrivateProfileIntW(L"Common", L"PrinterHDD", 0, (dir + L"SCRATCHu.INI").c_str());
    EXPECT_EQ(LoadFor(kScratch).dwPrinterHDD, platform == 0x12345678u ? 0u : platform);
}

TEST_F(ModelConfigTest, DataFileNameRulesWithAStandInSpooler) {
    ImportPatch fake(Self(), "WINSPOOL.DRV", "GetPrinterDriverW", reinterpret_cast<void *>(&FakeDriver::GetPrinterDriverW));
    ASSERT_TRUE(fake.Active());
    const std::wstring longDir = L"C:\\" + std::wstring(290, L'd') + L"\\ABC.GPD";
    struct Case {
        std::wstring dataFile;
        DWORD isPpd;
        std::wstring ini, ver;
    } cases[] = {
        {L"C:\\models\\ABC.GPD", 0, L"C:\\models\\ABCu.INI", L"C:\\models\\ABC.VER"},
        {L"C:\\models\\ABC.PPD", 1, L"C:\\models\\ABCu.INI", L"C:\\models\\ABC.VER"},
        {L"C:\\models\\ABC.ppd", 0, L"C:\\models\\ABCu.INI", L"C:\\models\\ABC.VER"},
        // The stem ends at the first dot of the whole path.
        {L"C:\\drv.v2\\ABC.GPD", 0, L"C:\\drvu.INI", L"C:\\drv.VER"},
        // Too long for a path: no file is named rather than a cut one.
        {longDir, 0, L"", L""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.dataFile.begin(), c.dataFile.end()));
        FakeDriver::dataFile = c.dataFile;
        const Loaded l = LoadFor(kKorvant);
        EXPECT_EQ(l.dwIsPpd, c.isPpd);
        EXPECT_EQ(l.iniPath, c.ini);
        EXPECT_EQ(l.verPath, c.ver);
    }
}

// ---- fault injection --------------------------------------------------------

int g_driverCalls = 0;
BOOL WINAPI FailingGetPrinterDriver(HANDLE, LPWSTR, DWORD, LPBYTE, DWORD, LPDWORD pcbNeeded) {
    ++g_driverCalls;
    if (pcbNeeded != nullptr) *pcbNeeded = 0;
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}

void ExpectDefaults(const Loaded &l) {
    EXPECT_EQ(l.sBrand, 0);
    EXPECT_EQ(l.dwIsPpd, 0u);
    EXPECT_EQ(l.prefix, L"OEMPrefix");
    EXPECT_EQ(l.iniPath, L"");
    EXPECT_EQ(l.verPath, L"");
    EXPECT_EQ(l.datPath, L"");
    EXPECT_EQ(l.hinPath, L"");
    EXPECT_EQ(l.languageCode, L"");
    EXPECT_EQ(l.dwGraphicsCopiesSetting + l.dwPrinterHDD + l.dwPrinterInstalledHDD + l.dwPrinterJobAccounting, 0u);
    EXPECT_EQ(l.lGrayscaleEnh, 0);
    EXPECT_EQ(l.sExtrasSecurePrint, 0);
}

TEST_F(ModelConfigTest, DriverInformationNeverAvailableGivesDefaultsAfterFiveCalls) {
    ImportPatch failing(Self(), "WINSPOOL.DRV", "GetPrinterDriverW", reinterpret_cast<void *>(&FailingGetPrinterDriver));
    ASSERT_TRUE(failing.Active());
    g_driverCalls = 0;
    const Loaded l = LoadFor(kTalix);
    EXPECT_EQ(g_driverCalls, 5);
    ExpectDefaults(l);
    EXPECT_EQ(l.driverDir, dir);
    EXPECT_EQ(StoredCode(kTalix), L"<none>");
}

// The spooler asks for more room on every call while the heap refuses to
// grow the block: no call may be told of more room than the block has.
HANDLE g_faultHeap = nullptr;
bool g_failAlloc = false, g_failReAlloc = false;
int g_oversizedCalls = 0, g_growCalls = 0;
decltype(&HeapAlloc) g_realHeapAlloc = nullptr;
decltype(&HeapReAlloc) g_realHeapReAlloc = nullptr;

LPVOID WINAPI MaybeHeapAlloc(HANDLE h, DWORD flags, SIZE_T cb) {
    if (h == g_faultHeap && g_failAlloc) return nullptr;
    return g_realHeapAlloc(h, flags, cb);
}
LPVOID WINAPI MaybeHeapReAlloc(HANDLE h, DWORD flags, LPVOID p, SIZE_T cb) {
    if (h == g_faultHeap && g_failReAlloc) return nullptr;
    return g_realHeapReAlloc(h, flags, p, cb);
}
BOOL WINAPI GreedyGetPrinterDriver(HANDLE, LPWSTR, DWORD, LPBYTE pBuf, DWORD cbBuf, LPDWORD pcbNeeded) {
    ++g_growCalls;
    const SIZE_T cbBlock = pBuf != nullptr ? HeapSize(g_faultHeap, 0, pBuf) : 0;
    if (cbBuf > cbBlock) ++g_oversizedCalls;
    if (pBuf != nullptr && cbBuf != 0) pBuf[cbBuf - 1] = 0xAB;  // the spooler may write anywhere it was offered
    *pcbNeeded = cbBuf + 256;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
}

TEST_F(ModelConfigTest, QueryDriverInfoNeverOffersMoreThanTheBlock) {
    ImportPatch alloc(Self(), "KERNEL32.dll", "HeapAlloc", reinterpret_cast<void *>(&MaybeHeapAlloc));
    ImportPatch realloc(Self(), "KERNEL32.dll", "HeapReAlloc", reinterpret_cast<void *>(&MaybeHeapReAlloc));
    ImportPatch greedy(Self(), "WINSPOOL.DRV", "GetPrinterDriverW", reinterpret_cast<void *>(&GreedyGetPrinterDriver));
    g_realHeapAlloc = alloc.OriginalAs<decltype(&HeapAlloc)>();
    g_realHeapReAlloc = realloc.OriginalAs<decltype(&HeapReAlloc)>();
    ASSERT_TRUE(alloc.Active() && realloc.Active() && greedy.Active());
    g_faultHeap = HeapCreate(0, 0, 0);
    struct Case {
        const char *name;
        bool failAlloc, failReAlloc;
    } cases[] = {{"growing always works", false, false}, {"no first block", true, true}, {"block cannot grow", false, true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        g_failAlloc = c.failAlloc;
        g_failReAlloc = c.failReAlloc;
        g_oversizedCalls = g_growCalls = 0;
        EXPECT_EQ(oemui::QueryDriverInfo(g_faultHeap, nullptr, 2), nullptr);
        EXPECT_EQ(g_growCalls, 5);
        EXPECT_EQ(g_oversizedCalls, 0);
    }
    g_failAlloc = g_failReAlloc = false;
    EXPECT_TRUE(HeapValidate(g_faultHeap, 0, nullptr));
    HeapDestroy(g_faultHeap);
    g_faultHeap = nullptr;
}

TEST_F(ModelConfigTest, OutOfMemoryWhileCreatingOrLoading) {
    ImportPatch alloc(Self(), "KERNEL32.dll", "HeapAlloc", reinterpret_cast<void *>(&MaybeHeapAlloc));
    g_realHeapAlloc = alloc.OriginalAs<decltype(&HeapAlloc)>();
    ASSERT_TRUE(alloc.Active());
    g_faultHeap = HeapCreate(0, 0, 0);
    g_failAlloc = true;
    EXPECT_EQ(oemui::CreateModelConfig(g_faultHeap), nullptr);
    OEMCUIPPARAM param = {};
    param.hOEMHeap = g_faultHeap;
    param.pPrinterName = const_cast<PWSTR>(kTalix);
    g_failAlloc = false;
    oemui::ModelConfig *pConfig = oemui::CreateModelConfig(g_faultHeap);
    ASSERT_NE(pConfig, nullptr);
    g_failAlloc = true;  // neither the temporary record nor the driver information
    EXPECT_EQ(oemui::OpenOptionTreeContext(pConfig, &param), 0);
    EXPECT_EQ(pConfig->pPsParam, nullptr);
    g_failAlloc = false;
    oemui::FreeModelConfig(g_faultHeap, pConfig);
    EXPECT_TRUE(HeapValidate(g_faultHeap, 0, nullptr));
    HeapDestroy(g_faultHeap);
    g_faultHeap = nullptr;
}

BOOL WINAPI FailingDriverDirectory(LPWSTR, LPWSTR, DWORD, LPBYTE pBuf, DWORD cbBuf, LPDWORD) {
    if (pBuf != nullptr && cbBuf >= 4) {
        pBuf[0] = 'X';  // whatever a failed call left behind must not survive
        pBuf[1] = 0;
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

TEST_F(ModelConfigTest, DriverDirectoryUnavailableLeavesOnlyTheSubdirectory) {
    ImportPatch failing(Self(), "WINSPOOL.DRV", "GetPrinterDriverDirectoryW",
                        reinterpret_cast<void *>(&FailingDriverDirectory));
    ASSERT_TRUE(failing.Active());
    const Loaded l = LoadFor(kKorvant);
    EXPECT_EQ(l.driverDir, L"\\3\\");
    EXPECT_EQ(l.datPath, L"\\3\\KVT.DAT");
    EXPECT_EQ(l.iniPath, dir + L"KVK30u.INI");  // the data file's own path still names the INI
}

TEST_F(ModelConfigTest, OptionTreeContextReturnsAutoConfigurationAndDropsItsRecord) {
    HANDLE hHeap = HeapCreate(0, 0, 0);
    struct Case {
        const wchar_t *printer;
        int autoConfiguration;
        SHORT brand;
    } cases[] = {{kTalix, 1, 1}, {kKorvant, 0, 0}, {kMero, 1, 2}, {L"No Such Printer", 0, 0}};
    for (const Case &c : cases) {
        SCOPED_TRACE(std::wstring(c.printer).c_str());
        HANDLE hPrinter = nullptr;
        OpenPrinterW(const_cast<LPWSTR>(c.printer), &hPrinter, nullptr);
        oemui::ModelConfig *pConfig = oemui::CreateModelConfig(hHeap);
        ASSERT_NE(pConfig, nullptr);
        pConfig->lChanged = 1;
        pConfig->pHin->SetPath(L"C:\\left\\over.hin");  // readers start empty again
        OEMCUIPPARAM param = {};
        param.cbSize = sizeof(param);
        param.hPrinter = hPrinter;
        param.pPrinterName = const_cast<PWSTR>(c.printer);
        param.hOEMHeap = hHeap;
        EXPECT_EQ(oemui::OpenOptionTreeContext(pConfig, &param), c.autoConfiguration);
        EXPECT_EQ(pConfig->pPsParam, nullptr);
        EXPECT_EQ(pConfig->hPrinter, hPrinter);
        EXPECT_EQ(pConfig->lChanged, 0);
        EXPECT_EQ(pConfig->sBrand, c.brand);
        EXPECT_STREQ(pConfig->pHin->Path(), c.brand == 1 ? (dir + L"TLXC500.hin").c_str() : L"");
        oemui::FreeModelConfig(hHeap, pConfig);
        if (hPrinter != nullptr) ClosePrinter(hPrinter);
    }
    EXPECT_EQ(oemui::OpenOptionTreeContext(nullptr, nullptr), 0);
    EXPECT_TRUE(HeapValidate(hHeap, 0, nullptr));
    HeapDestroy(hHeap);
}

}  // namespace

// Every printer-data number the plug-in keeps is a 4-byte REG_DWORD; a value
// of the same size but another type (a two-character string) is no number,
// and neither is a DWORD-typed value of another size.
TEST_F(ModelConfigTest, PrinterDwordTakesOnlyAFourByteDword) {
    HANDLE hPrinter = nullptr;
    ASSERT_TRUE(OpenPrinterW(const_cast<LPWSTR>(kScratch), &hPrinter, nullptr));
    const struct {
        DWORD dwType;
        std::vector<BYTE> data;
        bool bRead;
    } cases[] = {
        {REG_DWORD, {0x2A, 0, 0, 0}, true},
        {REG_BINARY, {0x2A, 0, 0, 0}, false},
        {REG_SZ, {'a', 0, 'b', 0}, false},
        {REG_DWORD, {0x2A, 0, 0, 0, 0, 0, 0, 0}, false},
        {REG_DWORD, {0x2A, 0}, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.dwType << ", " << c.data.size() << " bytes");
        ASSERT_EQ(SetPrinterDataW(hPrinter, const_cast<LPWSTR>(L"OEMUI_TEST_DWORD"), c.dwType,
                                  const_cast<BYTE *>(c.data.data()), static_cast<DWORD>(c.data.size())),
                  static_cast<DWORD>(ERROR_SUCCESS));
        DWORD dw = 0xdeadbeef;
        EXPECT_EQ(oemui::GetPrinterDword(hPrinter, L"OEMUI_TEST_DWORD", &dw), c.bRead);
        EXPECT_EQ(dw, c.bRead ? 0x2Au : 0xdeadbeefu);
    }
    DWORD dw = 0xdeadbeef;
    EXPECT_FALSE(oemui::GetPrinterDword(hPrinter, L"OEMUI_NO_SUCH_VALUE", &dw));
    EXPECT_EQ(dw, 0xdeadbeefu);
    oemui::SetPrinterDword(hPrinter, L"OEMUI_TEST_DWORD", 7);
    EXPECT_TRUE(oemui::GetPrinterDword(hPrinter, L"OEMUI_TEST_DWORD", &dw));
    EXPECT_EQ(dw, 7u);
    ClosePrinter(hPrinter);
}
