// Stand-in network library. A real one asks the printer behind the port which
// installable options are fitted; this one answers from an INI file beside
// itself (the module's own name with ".INI" in place of ".DLL"), one section
// per port name, so tests and the emulator can script the printer's answers.

#include <windows.h>

#include <cwchar>

#include "optiontree/auto_config.h"
#include "settings.h"

namespace {

constexpr DWORD kValueCch = 32;

// A signed integer key; false when the key is absent or not a number.
bool ReadAnswer(const wchar_t *pszSection, const wchar_t *pszKey, const wchar_t *pszPath, long *plValue) {
    wchar_t szValue[kValueCch] = {};
    if (GetPrivateProfileStringW(pszSection, pszKey, L"", szValue, kValueCch, pszPath) == 0) return false;
    wchar_t *pEnd = nullptr;
    const long lValue = std::wcstol(szValue, &pEnd, 0);
    if (pEnd == szValue) return false;
    *plValue = lValue;
    return true;
}

void WriteNumber(const wchar_t *pszSection, const wchar_t *pszKey, long lValue, const wchar_t *pszPath) {
    wchar_t szValue[kValueCch];
    wchar_t *p = szValue + kValueCch - 1;
    *p = L'\0';
    const bool bNegative = lValue < 0;
    unsigned long ulValue = bNegative ? 0UL - static_cast<unsigned long>(lValue) : static_cast<unsigned long>(lValue);
    do {
        *--p = static_cast<wchar_t>(L'0' + ulValue % 10);
        ulValue /= 10;
    } while (ulValue != 0);
    if (bNegative) *--p = L'-';
    WritePrivateProfileStringW(pszSection, pszKey, p, pszPath);
}

// Keeps what the caller sent, so a test can check the request it built.
void RecordRequest(const wchar_t *pszSection, const oemui::NetLibRecord &record, SHORT sFlag,
                   DWORD dwReserved, const wchar_t *pszPath) {
    static const wchar_t kHex[] = L"0123456789ABCDEF";
    wchar_t szHex[sizeof(record) * 2 + 1];
    const auto *pBytes = reinterpret_cast<const BYTE *>(&record);
    for (size_t i = 0; i < sizeof(record); ++i) {
        szHex[i * 2] = kHex[pBytes[i] >> 4];
        szHex[i * 2 + 1] = kHex[pBytes[i] & 0x0F];
    }
    szHex[sizeof(record) * 2] = L'\0';
    WritePrivateProfileStringW(pszSection, L"LastRequest", szHex, pszPath);
    WriteNumber(pszSection, L"LastFlag", sFlag, pszPath);
    WriteNumber(pszSection, L"LastReserved", static_cast<long>(dwReserved), pszPath);
}

struct AnswerField {
    const wchar_t *pszKey;
    SHORT oemui::NetLibRecord::*pWord;
};
constexpr AnswerField kAnswerFields[] = {
    {L"TrayConfig", &oemui::NetLibRecord::sTrayConfig},
    {L"DuplexUnit", &oemui::NetLibRecord::sDuplexUnit},
    {L"HardDisk", &oemui::NetLibRecord::sHardDisk},
    {L"Finisher", &oemui::NetLibRecord::sFinisher},
};

}  // namespace

extern "C" SHORT WINAPI SNMP_AutoUpdate(LPCSTR pszPortName, oemui::NetLibRecord *pRecord, SHORT *psFlag,
                                        DWORD dwReserved) {
    if (pszPortName == nullptr || pRecord == nullptr) return 0;
    wchar_t szPath[MAX_PATH];
    if (!oemun::SettingsPathBeside(oemun::ModuleOfThisCode(), szPath, MAX_PATH)) return 0;
    wchar_t szSection[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, pszPortName, -1, szSection, MAX_PATH) <= 0) return 0;

    // A port without a section (or with an empty one) is not configured.
    wchar_t szKeys[4];
    if (GetPrivateProfileStringW(szSection, nullptr, L"", szKeys, 4, szPath) == 0) return 0;

    RecordRequest(szSection, *pRecord, psFlag != nullptr ? *psFlag : 0, dwReserved, szPath);

    // A field the configuration names is answered as written (even when it
    // was not asked, so tests can send any answer); a field that was asked
    // (request word 0) and is not named gets -1, "unknown".
    for (const AnswerField &field : kAnswerFields) {
        long lValue = 0;
        if (ReadAnswer(szSection, field.pszKey, szPath, &lValue))
            pRecord->*field.pWord = static_cast<SHORT>(lValue);
        else if (pRecord->*field.pWord == 0)
            pRecord->*field.pWord = -1;
    }
    long lResult = 1;
    ReadAnswer(szSection, L"Result", szPath, &lResult);
    return static_cast<SHORT>(lResult);
}
