#include "settings.h"

#include <cwchar>

#include "common/bounded_format.h"

namespace oemun {
namespace {

constexpr wchar_t kSection[] = L"SNMP";

// A decimal integer; false for anything else. Values beyond 64 bits
// saturate, which the bounds then clamp.
bool ParseNumber(const wchar_t *pszValue, long long *pllValue) {
    wchar_t *pEnd = nullptr;
    const long long ll = std::wcstoll(pszValue, &pEnd, 10);
    if (pEnd == pszValue) return false;
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

constexpr const wchar_t *kKeys[] = {L"Community", L"Port", L"Timeout", L"Retries"};

}  // namespace

void DefaultSettings(Settings *pSettings) {
    oemui::CopyCchA(pSettings->szCommunity, sizeof(pSettings->szCommunity), "public");
    pSettings->wPort = kDefaultPort;
    pSettings->dwTimeoutMs = kDefaultTimeoutMs;
    pSettings->dwRetries = kDefaultRetries;
}

void ApplySetting(Settings *pSettings, const wchar_t *pszKey, const wchar_t *pszValue) {
    if (pSettings == nullptr || pszKey == nullptr || pszValue == nullptr) return;
    long long ll = 0;
    if (lstrcmpiW(pszKey, L"Community") == 0) {
        // The community goes on the wire as it stands: only printable ASCII
        // of a sane length is taken.
        size_t cch = 0;
        while (pszValue[cch] != L'\0' && cch <= kMaxCommunity) {
            if (pszValue[cch] < 0x21 || pszValue[cch] > 0x7E) return;
            ++cch;
        }
        if (cch == 0 || cch > kMaxCommunity) return;
        for (size_t i = 0; i <= cch; ++i) pSettings->szCommunity[i] = static_cast<char>(pszValue[i]);
    } else if (lstrcmpiW(pszKey, L"Port") == 0) {
        if (ParseNumber(pszValue, &ll) && ll >= 1 && ll <= 65535) pSettings->wPort = static_cast<WORD>(ll);
    } else if (lstrcmpiW(pszKey, L"Timeout") == 0) {
        if (ParseNumber(pszValue, &ll)) pSettings->dwTimeoutMs = Clamp(ll, kMinTimeoutMs, kMaxTimeoutMs);
    } else if (lstrcmpiW(pszKey, L"Retries") == 0) {
        if (ParseNumber(pszValue, &ll)) pSettings->dwRetries = Clamp(ll, 0, kMaxRetries);
    }
}

void LoadSettings(const wchar_t *pszIniPath, Settings *pSettings) {
    DefaultSettings(pSettings);
    if (pszIniPath == nullptr) return;
    for (const wchar_t *pszKey : kKeys) {
        wchar_t szValue[64] = {};
        if (GetPrivateProfileStringW(kSection, pszKey, L"", szValue, 64, pszIniPath) != 0)
            ApplySetting(pSettings, pszKey, szValue);
    }
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
