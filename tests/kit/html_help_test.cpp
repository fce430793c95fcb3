// The HTML Help loader keeps what it found for the life of the process, so
// each loader case runs in a process of its own (CTest runs this program once
// per case with a filter). The registry, the loader and the entry lookup are
// the test program's own imports, replaced here.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/bounded_format.h"
#include "settings/model_config.h"
#include "support/import_patch.h"
#include "ui/html_help.h"

using namespace oemui;

namespace {

const HMODULE kFakeLibrary = reinterpret_cast<HMODULE>(static_cast<ULONG_PTR>(0x7A5000));

struct Registered {
    DWORD type = REG_SZ;
    std::vector<BYTE> data;  // exactly what the value holds, terminator or not
    bool present = true;
};
Registered g_value;
int g_keyOpens = 0;
std::vector<std::wstring> g_loads;
std::wstring g_loadableFile;  // the one file name that loads
std::vector<std::wstring> g_helpCalls;
using GetProcAddressFn = FARPROC(WINAPI *)(HMODULE, LPCSTR);
GetProcAddressFn g_realGetProcAddress = nullptr;

LSTATUS WINAPI FakeRegOpenKeyExW(HKEY, LPCWSTR pszKey, DWORD, REGSAM, PHKEY phKey) {
    ++g_keyOpens;
    EXPECT_STREQ(pszKey, L"CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32");
    if (!g_value.present) return ERROR_FILE_NOT_FOUND;
    *phKey = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x4B4559));
    return ERROR_SUCCESS;
}

LSTATUS WINAPI FakeRegQueryValueExW(HKEY, LPCWSTR pszName, LPDWORD, LPDWORD pType, LPBYTE pData, LPDWORD pcb) {
    EXPECT_TRUE(pszName == nullptr || *pszName == L'\0');
    *pType = g_value.type;
    const DWORD cbRoom = *pcb;
    *pcb = static_cast<DWORD>(g_value.data.size());
    if (cbRoom < g_value.data.size()) return ERROR_MORE_DATA;
    memcpy(pData, g_value.data.data(), g_value.data.size());
    return ERROR_SUCCESS;
}

LSTATUS WINAPI FakeRegCloseKey(HKEY) { return ERROR_SUCCESS; }

HMODULE WINAPI FakeLoadLibraryW(LPCWSTR pszPath) {
    g_loads.emplace_back(pszPath);
    return g_loads.back() == g_loadableFile ? kFakeLibrary : nullptr;
}

HWND WINAPI FakeHtmlHelpW(HWND hOwner, LPCWSTR pszFile, UINT uCommand, DWORD_PTR dwData) {
    EXPECT_EQ(hOwner, nullptr);
    EXPECT_EQ(uCommand, 0u);
    EXPECT_EQ(dwData, 0u);
    g_helpCalls.emplace_back(pszFile);
    return nullptr;
}

FARPROC WINAPI FakeGetProcAddress(HMODULE hModule, LPCSTR pszName) {
    if (hModule != kFakeLibrary) return g_realGetProcAddress(hModule, pszName);
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(pszName), 15u);  // by ordinal
    return reinterpret_cast<FARPROC>(reinterpret_cast<void *>(FakeHtmlHelpW));
}

Registered Text(DWORD type, const std::wstring &text, bool terminated = true) {
    Registered r;
    r.type = type;
    const BYTE *p = reinterpret_cast<const BYTE *>(text.c_str());
    r.data.assign(p, p + (text.size() + (terminated ? 1 : 0)) * sizeof(wchar_t));
    return r;
}

std::wstring SystemHelpLibrary() {
    wchar_t sz[MAX_PATH];
    GetSystemDirectoryW(sz, MAX_PATH);
    return std::wstring(sz) + L"\\hhctrl.ocx";
}

class HtmlHelpLoaderTest : public ::testing::Test {
protected:
    HtmlHelpLoaderTest()
        : exe(GetModuleHandleW(nullptr)),
          p1(exe, "advapi32.dll", "RegOpenKeyExW", reinterpret_cast<void *>(FakeRegOpenKeyExW)),
          p2(exe, "advapi32.dll", "RegQueryValueExW", reinterpret_cast<void *>(FakeRegQueryValueExW)),
          p3(exe, "advapi32.dll", "RegCloseKey", reinterpret_cast<void *>(FakeRegCloseKey)),
          p4(exe, "kernel32.dll", "LoadLibraryW", reinterpret_cast<void *>(FakeLoadLibraryW)),
          p5(exe, "kernel32.dll", "GetProcAddress", reinterpret_cast<void *>(FakeGetProcAddress)) {
        g_realGetProcAddress = p5.OriginalAs<GetProcAddressFn>();
        CopyCchW(config.szDriverDir, MAX_PATH, L"C:\\windows\\system32\\spool\\drivers\\x64\\3\\");
        CopyCchW(config.szOemPrefix, MAX_PATH, L"TLX");
    }
    void SetUp() override { ASSERT_TRUE(p1.Active() && p2.Active() && p3.Active() && p4.Active() && p5.Active()); }

    HMODULE exe;
    testsupport::ImportPatch p1, p2, p3, p4, p5;
    ModelConfig config{};
};

TEST_F(HtmlHelpLoaderTest, ExpandablePathIsExpandedAndTheLibraryKept) {
    SetEnvironmentVariableW(L"KIT_HELP_DIR", L"C:\\helpers");
    g_value = Text(REG_EXPAND_SZ, L"%KIT_HELP_DIR%\\help.ocx");
    g_loadableFile = L"C:\\helpers\\help.ocx";
    ShowHelpTopic(nullptr, &config, L"Html", L"Color Copies Setting.htm");
    ShowHelpTopic(nullptr, &config, L"troublesh_tab", L"troubleshooting_tab.htm");
    ASSERT_EQ(g_loads.size(), 1u);
    EXPECT_EQ(g_loads[0], g_loadableFile);
    EXPECT_EQ(g_keyOpens, 1);
    ASSERT_EQ(g_helpCalls.size(), 2u);
    EXPECT_EQ(g_helpCalls[0], L"C:\\windows\\system32\\spool\\drivers\\x64\\3\\TLX.chm::\\Html\\Color Copies Setting.htm");
    EXPECT_EQ(g_helpCalls[1],
              L"C:\\windows\\system32\\spool\\drivers\\x64\\3\\TLX.chm::\\troublesh_tab\\troubleshooting_tab.htm");
}

TEST_F(HtmlHelpLoaderTest, UnterminatedValueIsTerminated) {
    g_value = Text(REG_SZ, L"C:\\reg\\help.ocx", false);
    g_loadableFile = L"C:\\reg\\help.ocx";
    OpenHtmlHelp(nullptr, L"x.chm", 0, 0);
    ASSERT_EQ(g_loads.size(), 1u);
    EXPECT_EQ(g_loads[0], g_loadableFile);
    EXPECT_EQ(g_helpCalls.size(), 1u);
}

// A value that fills the whole buffer without a terminator is no usable
// path; the fallback then comes from the system folder, never by bare name.
TEST_F(HtmlHelpLoaderTest, OverlongValueFallsBackToTheSystemFolder) {
    g_value = Text(REG_SZ, std::wstring(MAX_PATH, L'A'), false);
    g_loadableFile = SystemHelpLibrary();
    OpenHtmlHelp(nullptr, L"x.chm", 0, 0);
    ASSERT_EQ(g_loads.size(), 1u);
    EXPECT_EQ(g_loads[0], g_loadableFile);
    ASSERT_EQ(g_helpCalls.size(), 1u);
}

TEST_F(HtmlHelpLoaderTest, ValueOfAnotherTypeIsNotUsedAsAPath) {
    g_value = Text(REG_BINARY, L"C:\\planted\\help.ocx");
    g_loadableFile = SystemHelpLibrary();
    OpenHtmlHelp(nullptr, L"x.chm", 0, 0);
    ASSERT_EQ(g_loads.size(), 1u);
    EXPECT_EQ(g_loads[0], g_loadableFile);
}

// Without any help library a request does nothing, and later requests give
// up at once without looking again.
TEST_F(HtmlHelpLoaderTest, NoLibraryAtAllDoesNothingAndIsNotRetried) {
    g_value.present = false;
    g_loadableFile = L"";
    EXPECT_EQ(OpenHtmlHelp(nullptr, L"x.chm", 0, 0), nullptr);
    ShowHelpTopic(nullptr, &config, L"Html", L"Job Accounting.htm");
    ShowHelpTopic(nullptr, nullptr, L"Html", L"Job Accounting.htm");
    EXPECT_EQ(g_keyOpens, 1);
    ASSERT_EQ(g_loads.size(), 1u);
    EXPECT_EQ(g_loads[0], SystemHelpLibrary());
    EXPECT_TRUE(g_helpCalls.empty());
}

// Only a path the loader takes as it stands is loaded from the registry; any
// other leaves the choice to the loader's search order (the current folder,
// the application's), so the fallback from the system folder is taken.
struct PathCase {
    const char *pszWhat;
    DWORD type;
    const wchar_t *pszValue;
    const wchar_t *pszLoaded;  // null: the system folder's library
};
const PathCase kPathCases[] = {
    {"a bare name", REG_SZ, L"hhctrl.ocx", nullptr},
    {"relative to the current folder", REG_SZ, L"helpers\\help.ocx", nullptr},
    {"dot-relative", REG_SZ, L".\\help.ocx", nullptr},
    {"rooted on the current drive", REG_SZ, L"\\helpers\\help.ocx", nullptr},
    {"relative to a drive's current folder", REG_SZ, L"C:help.ocx", nullptr},
    {"expanding to a relative path", REG_EXPAND_SZ, L"%KIT_HELP_REL%\\help.ocx", nullptr},
    {"a UNC path", REG_SZ, L"\\\\server\\share\\help.ocx", L"\\\\server\\share\\help.ocx"},
    {"a drive path", REG_SZ, L"d:\\help\\help.ocx", L"d:\\help\\help.ocx"},
};

class RegisteredPathTest : public HtmlHelpLoaderTest, public ::testing::WithParamInterface<PathCase> {};

TEST_P(RegisteredPathTest, OnlyAnAbsolutePathIsLoaded) {
    const PathCase &c = GetParam();
    SCOPED_TRACE(c.pszWhat);
    SetEnvironmentVariableW(L"KIT_HELP_REL", L"helpers");
    g_value = Text(c.type, c.pszValue);
    const std::wstring expected = c.pszLoaded != nullptr ? std::wstring(c.pszLoaded) : SystemHelpLibrary();
    // Whatever else were tried would load: only the expected file may be asked for.
    g_loadableFile = expected;
    OpenHtmlHelp(nullptr, L"x.chm", 0, 0);
    ASSERT_FALSE(g_loads.empty());
    EXPECT_EQ(g_loads[0], expected);
    EXPECT_EQ(g_loads.size(), 1u);
    EXPECT_EQ(g_helpCalls.size(), 1u);
}

// One process per row: tests/CMakeLists.txt runs rows 0 to 7.
static_assert(sizeof(kPathCases) / sizeof(kPathCases[0]) == 8, "keep tests/CMakeLists.txt in step");
INSTANTIATE_TEST_SUITE_P(Paths, RegisteredPathTest, ::testing::ValuesIn(kPathCases));

}  // namespace
