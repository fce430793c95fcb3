#include "settings/user_store.h"

#include <shlwapi.h>

#include "common/bounded_format.h"
#include "common/handles.h"

namespace oemui {
namespace {

constexpr wchar_t kCodeValue[] = L"DrvCntCode";
constexpr DWORD kMaxCodeBytes = 260;

struct LanguageRow {
    WORD wPrimary;  // all 10 bits: user-defined languages lie above 0xFF
    BYTE bSub;  // kAnySub matches every sub-language
    const wchar_t *pszCode;
};
constexpr BYTE kAnySub = 0xFF;
constexpr LanguageRow kLanguageTable[] = {
    {0x04, 0x01, L"CT"}, {0x04, 0x02, L"CP"}, {0x04, kAnySub, L"EN"},
    {0x06, kAnySub, L"DN"}, {0x07, kAnySub, L"GR"}, {0x0A, kAnySub, L"SP"},
    {0x0B, kAnySub, L"FI"}, {0x0C, kAnySub, L"FN"}, {0x10, kAnySub, L"IT"},
    {0x11, kAnySub, L"JP"}, {0x12, kAnySub, L"KR"}, {0x13, kAnySub, L"DT"},
    {0x14, kAnySub, L"NR"}, {0x16, kAnySub, L"PT"}, {0x19, kAnySub, L"RU"},
    {0x1D, kAnySub, L"SW"},
};
constexpr wchar_t kLanguageOther[] = L"EN";

// Forms the key path; false when the name does not fit whole.
bool UserKeyPath(const wchar_t *pszFormat, const wchar_t *pszName, wchar_t *pszPath) {
    if (pszName == nullptr) return false;
    return FormatCchW(pszPath, kUserKeyPathCch, pszFormat, pszName) == S_OK;
}

}  // namespace

const wchar_t *LanguageCodeForLangId(LANGID langId) {
    const WORD primary = PRIMARYLANGID(langId);
    const BYTE sub = static_cast<BYTE>(SUBLANGID(langId));
    for (const LanguageRow &row : kLanguageTable) {
        if (row.wPrimary == primary && (row.bSub == kAnySub || row.bSub == sub)) return row.pszCode;
    }
    return kLanguageOther;
}

void DeriveLanguageCode(wchar_t *pszCode, size_t cchCode) {
    CopyCchW(pszCode, cchCode, LanguageCodeForLangId(GetUserDefaultLangID()));
}

int ReadLanguageCode(const wchar_t *pszPrinterName, wchar_t *pszCode, size_t cchCode) {
    if (pszCode == nullptr || cchCode == 0) return 0;
    pszCode[0] = L'\0';
    wchar_t szPath[kUserKeyPathCch];
    if (!UserKeyPath(L"Software\\Qvprint\\%s", pszPrinterName, szPath)) return 0;
    RegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, szPath, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return 0;
    DWORD cbRoom = static_cast<DWORD>((cchCode - 1) * sizeof(wchar_t));
    if (cbRoom > kMaxCodeBytes) cbRoom = kMaxCodeBytes;
    DWORD cb = cbRoom;
    DWORD dwType = 0;
    if (RegQueryValueExW(key.get(), kCodeValue, nullptr, &dwType, reinterpret_cast<BYTE *>(pszCode),
                         &cb) != ERROR_SUCCESS) {
        pszCode[0] = L'\0';
        return 0;
    }
    pszCode[cb / sizeof(wchar_t)] = L'\0';
    return 1;
}

void WriteLanguageCode(const wchar_t *pszPrinterName, const wchar_t *pszCode) {
    wchar_t szPath[kUserKeyPathCch];
    if (pszCode == nullptr || !UserKeyPath(L"Software\\Qvprint\\%s", pszPrinterName, szPath)) return;
    RegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, szPath, 0, KEY_ALL_ACCESS, key.put()) != ERROR_SUCCESS &&
        RegCreateKeyExW(HKEY_CURRENT_USER, szPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, key.put(), nullptr) != ERROR_SUCCESS) {
        return;
    }
    const DWORD cb = static_cast<DWORD>((LengthCchW(pszCode, kMaxCodeBytes / 2 - 1) + 1) * sizeof(wchar_t));
    RegSetValueExW(key.get(), kCodeValue, 0, REG_SZ, reinterpret_cast<const BYTE *>(pszCode), cb);
}

int RemoveUserKey(const wchar_t *pszDriverName) {
    RegKey hkcu;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, nullptr, 0, KEY_WRITE, hkcu.put()) != ERROR_SUCCESS) return 0;
    wchar_t szPath[kUserKeyPathCch];
    // A name too long for the path never had a key written for it; deleting a
    // cut path could remove another printer's key instead.
    if (UserKeyPath(L"Software\\QvPrint\\%s\\", pszDriverName, szPath)) RegDeleteKeyW(hkcu.get(), szPath);
    SHDeleteEmptyKeyW(hkcu.get(), L"Software\\QvPrint");
    return 1;
}

}  // namespace oemui
