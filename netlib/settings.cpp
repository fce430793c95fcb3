#include "settings.h"

#include <cwchar>

#include "common/bounded_format.h"

namespace oemun {
namespace {

constexpr wchar_t kSection[] = L"SNMP";

// A decimal integer value; false when the key is absent or holds anything
// else. Values beyond 64 bits saturate, which the clamps then bound.
bool ReadNumber(const wchar_t *pszIniPath, const wchar_t *pszKey, long long *pllValue) {
    wchar_t szValue[32] = {};
    if (GetPrivateProfileStringW(kSection, pszKey, L"", szValue, 32, pszIniPath) == 0) return false;
    wchar_t *pEnd = nullptr;
    const long long ll = std::wcstoll(szValue, &pEnd, 10);
    if (pEnd == szValue) return false;
    while (*pEnd == L' ' || *pEnd == L'\t') ++pEnd;
    if (*pEnd != L'\0') return false;
    *pllValue = ll;
    return true;
}

DWORD Clamp(long long ll, DWORD dwMin, DWORD dwMax) {
    if (ll < static_cast<long long>(dwMin)) return dwMin;
    if (ll > static_cast<long long>(dwMax)) return dwMax;
    return static_cast<DWORD>(ll);
}

}  // namespace

void DefaultSettings(Settings *pSettings) {
    oemui::CopyCchA(pSettings->szCommunity, sizeof(pSettings->szCommunity), "public");
    pSettings->wPort = kDefaultPort;
    pSettings->dwTimeoutMs = kDefaultTimeoutMs;
    pSettings->dwRetries = kDefaultRetries;
}

void LoadSettings(const wchar_t *pszIniPath, Settings *pSettings) {
    DefaultSettings(pSettings);
    if (pszIniPath == nullptr) return;

    // The community goes on the wire as it stands: only printable ASCII of a
    // sane length is taken, anything else keeps "public".
    wchar_t szCommunity[kMaxCommunity + 2] = {};
    const DWORD cch = GetPrivateProfileStringW(kSection, L"Community", L"", szCommunity, kMaxCommunity + 2, pszIniPath);
    bool bUsable = cch != 0 && cch <= kMaxCommunity;
    for (DWORD i = 0; bUsable && i < cch; ++i) bUsable = szCommunity[i] >= 0x21 && szCommunity[i] <= 0x7E;
    if (bUsable) {
        for (DWORD i = 0; i <= cch; ++i) pSettings->szCommunity[i] = static_cast<char>(szCommunity[i]);
    }

    long long ll = 0;
    if (ReadNumber(pszIniPath, L"Port", &ll) && ll >= 1 && ll <= 65535) pSettings->wPort = static_cast<WORD>(ll);
    if (ReadNumber(pszIniPath, L"Timeout", &ll)) pSettings->dwTimeoutMs = Clamp(ll, kMinTimeoutMs, kMaxTimeoutMs);
    if (ReadNumber(pszIniPath, L"Retries", &ll)) pSettings->dwRetries = Clamp(ll, 0, kMaxRetries);
}

HMODULE ModuleOfThisCode() {
    HMODULE hModule = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ModuleOfThisCode), &hModule);
    return hModule;
}

bool SettingsPathBeside(HMODULE hModule, wchar_t *pszPath, DWORD cchPath) {
    if (hModule == nullptr || pszPath == nullptr) return false;
    const DWORD cch = GetModuleFileNameW(hModule, pszPath, cchPath);
    if (cch == 0 || cch >= cchPath) return false;
    wchar_t *pDot = std::wcsrchr(pszPath, L'.');
    const wchar_t *pSlash = std::wcsrchr(pszPath, L'\\');
    if (pDot == nullptr || (pSlash != nullptr && pDot < pSlash)) return false;
    if (static_cast<DWORD>(pDot - pszPath) + 5 > cchPath) return false;
    oemui::CopyCchW(pDot, cchPath - static_cast<DWORD>(pDot - pszPath), L".INI");
    return true;
}

ULONGLONG RunBudgetMs(const Settings &settings) {
    return 4ULL * settings.dwTimeoutMs * (settings.dwRetries + 1ULL);
}

}  // namespace oemun
