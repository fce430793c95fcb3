#include "ui/html_help.h"

#include "common/bounded_format.h"
#include "common/handles.h"
#include "settings/model_config.h"

namespace oemui {
namespace {

using HtmlHelpFn = HWND(WINAPI *)(HWND, LPCWSTR, UINT, DWORD_PTR);

constexpr wchar_t kHelpControlKey[] = L"CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";
constexpr wchar_t kHelpLibraryName[] = L"hhctrl.ocx";
constexpr WORD kHtmlHelpOrdinal = 15;  // HtmlHelpW
constexpr DWORD kMaxRegisteredPathBytes = MAX_PATH * sizeof(wchar_t);

// Loaded at the first help request and kept for the life of the process;
// a failed load is not tried again.
struct HtmlHelpLoader {
    HMODULE hLibrary = nullptr;
    HtmlHelpFn pfnEntry = nullptr;
    bool bFailed = false;
};
HtmlHelpLoader g_loader;

// A path the loader takes as it stands: a drive letter with its root
// ("C:\...") or a UNC path ("\\server\share\..."). Anything else (a bare name,
// a path relative to the current folder or drive) leaves the choice of the
// library to the loader's search order.
bool IsAbsolutePath(const wchar_t *pszPath) {
    const wchar_t ch = pszPath[0];
    const bool bDrive = ((ch >= L'A' && ch <= L'Z') || (ch >= L'a' && ch <= L'z')) && pszPath[1] == L':' &&
                        pszPath[2] == L'\\';
    const bool bUnc = ch == L'\\' && pszPath[1] == L'\\' && pszPath[2] != L'\0' && pszPath[2] != L'\\';
    return bDrive || bUnc;
}

// The registered path of the help control. The value need not be
// terminated, and an expandable one names its folder through variables.
bool ReadRegisteredLibraryPath(wchar_t *pszPath, size_t cchPath) {
    wchar_t szRaw[MAX_PATH + 1] = {};
    DWORD dwType = 0;
    DWORD cb = kMaxRegisteredPathBytes;
    LONG lResult = ERROR_FILE_NOT_FOUND;
    {
        RegKey key;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, kHelpControlKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return false;
        lResult = RegQueryValueExW(key.get(), nullptr, nullptr, &dwType, reinterpret_cast<BYTE *>(szRaw), &cb);
    }
    if (lResult != ERROR_SUCCESS || (dwType != REG_SZ && dwType != REG_EXPAND_SZ)) return false;
    szRaw[cb / sizeof(wchar_t)] = L'\0';
    if (szRaw[0] == L'\0') return false;
    // A cut path could name another file: one that does not fit is not used.
    if (LengthCchW(szRaw, cchPath) >= cchPath) return false;
    if (dwType == REG_SZ) return CopyCchW(pszPath, cchPath, szRaw) > 0 && IsAbsolutePath(pszPath);
    const DWORD cchNeeded = ExpandEnvironmentStringsW(szRaw, pszPath, static_cast<DWORD>(cchPath));
    return cchNeeded != 0 && cchNeeded <= cchPath && IsAbsolutePath(pszPath);
}

// The by-name fallback comes from the system folder only: loaded by bare
// name it could be planted in the application's folder.
HMODULE LoadSystemHelpLibrary() {
    wchar_t szPath[MAX_PATH];
    const UINT cch = GetSystemDirectoryW(szPath, MAX_PATH);
    if (cch == 0 || cch >= MAX_PATH) return nullptr;
    if (FormatCchW(szPath + cch, MAX_PATH - cch, L"\\%s", kHelpLibraryName) != S_OK) return nullptr;
    return LoadLibraryW(szPath);
}

HtmlHelpFn HtmlHelpEntry() {
    if (g_loader.bFailed) return nullptr;
    if (g_loader.hLibrary == nullptr) {
        wchar_t szPath[MAX_PATH];
        if (ReadRegisteredLibraryPath(szPath, MAX_PATH)) g_loader.hLibrary = LoadLibraryW(szPath);
        if (g_loader.hLibrary == nullptr) g_loader.hLibrary = LoadSystemHelpLibrary();
        if (g_loader.hLibrary == nullptr) {
            g_loader.bFailed = true;
            return nullptr;
        }
    }
    if (g_loader.pfnEntry == nullptr) {
        g_loader.pfnEntry = reinterpret_cast<HtmlHelpFn>(
            reinterpret_cast<void *>(GetProcAddress(g_loader.hLibrary, MAKEINTRESOURCEA(kHtmlHelpOrdinal))));
        if (g_loader.pfnEntry == nullptr) g_loader.bFailed = true;
    }
    return g_loader.pfnEntry;
}

}  // namespace

HWND OpenHtmlHelp(HWND hOwner, const wchar_t *pszAddress, UINT uCommand, DWORD_PTR dwData) {
    HtmlHelpFn pfnEntry = HtmlHelpEntry();
    if (pfnEntry == nullptr) return nullptr;
    return pfnEntry(hOwner, pszAddress, uCommand, dwData);
}

void BuildHelpAddress(wchar_t *pszDest, size_t cchDest, const ModelConfig *pConfig,
                      const wchar_t *pszFolder, const wchar_t *pszTopic) {
    if (pszDest == nullptr || cchDest == 0) return;
    pszDest[0] = L'\0';
    if (pConfig == nullptr) return;
    FormatCchW(pszDest, cchDest, L"%s%s.chm::\\%s\\%s", pConfig->szDriverDir, pConfig->szOemPrefix,
               pszFolder, pszTopic);
}

void ShowHelpTopic(HWND hOwner, const ModelConfig *pConfig, const wchar_t *pszFolder,
                   const wchar_t *pszTopic) {
    wchar_t szAddress[MAX_PATH];
    BuildHelpAddress(szAddress, MAX_PATH, pConfig, pszFolder, pszTopic);
    OpenHtmlHelp(hOwner, szAddress, kHelpDisplayTopic, 0);
}

}  // namespace oemui
