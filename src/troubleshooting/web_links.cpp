#include "troubleshooting/web_links.h"

#include <shellapi.h>
#include <shlwapi.h>
#include <winspool.h>

#include "common/bounded_format.h"
#include "common/model_text.h"
#include "settings/model_config.h"
#include "ui/html_help.h"

namespace oemui {
namespace {

constexpr wchar_t kWebPrefixes[][9] = {L"http://", L"https://"};
constexpr wchar_t kFallbackBrowser[] = L"IEXPLORE.EXE";
constexpr wchar_t kLastTopicValue[] = L"POutrider_LastInfo";
// What the alert tool's value is read into; the text keeps one less.
constexpr DWORD kLastTopicCb = 520;

bool HasQuoteOrControl(const wchar_t *psz) {
    for (; *psz != L'\0'; ++psz)
        if (*psz == L'"' || *psz < 0x20 || *psz == 0x7F) return true;
    return false;
}

// Appends the literal text [pszFrom, pszTo) to the output, with "%%" read as
// one "%" like every model text; other "%" sequences stay as written.
size_t AppendLiteral(wchar_t *pszDest, size_t cchDest, size_t cchUsed, const wchar_t *pszFrom,
                     const wchar_t *pszTo) {
    wchar_t szPart[kLinkAddressCch];
    const size_t cchPart = static_cast<size_t>(pszTo - pszFrom) + 1;
    CopyCchW(szPart, cchPart < kLinkAddressCch ? cchPart : kLinkAddressCch, pszFrom);
    return cchUsed + FormatModelText(pszDest + cchUsed, cchDest - cchUsed, szPart, nullptr, 0, nullptr);
}

}  // namespace

bool IsEmbeddedPageTarget(const wchar_t *pszTarget) {
    return pszTarget != nullptr && StrStrW(pszTarget, kEmbeddedPageMarker) != nullptr;
}

bool IsWebTarget(const wchar_t *pszTarget) {
    if (pszTarget == nullptr) return false;
    for (const wchar_t *pszPrefix : kWebPrefixes)
        if (StrCmpNIW(pszTarget, pszPrefix, lstrlenW(pszPrefix)) == 0) return true;
    return false;
}

void BuildLinkAddress(const wchar_t *pszTarget, const wchar_t *pszPrinterAddress, wchar_t *pszDest,
                      size_t cchDest) {
    if (pszDest == nullptr || cchDest == 0) return;
    pszDest[0] = L'\0';
    if (pszTarget == nullptr) return;
    const wchar_t *pszMarker = StrStrW(pszTarget, kEmbeddedPageMarker);
    if (pszMarker == nullptr) {
        CopyCchW(pszDest, cchDest, pszTarget);
        return;
    }
    // The target is model data: only the marker's own "%s" is substituted.
    size_t cch = AppendLiteral(pszDest, cchDest, 0, pszTarget, pszMarker);
    const wchar_t *pszAfterScheme = pszMarker + lstrlenW(L"http://");
    cch = AppendLiteral(pszDest, cchDest, cch, pszMarker, pszAfterScheme);
    if (pszPrinterAddress != nullptr) cch += CopyCchW(pszDest + cch, cchDest - cch, pszPrinterAddress);
    const wchar_t *pszRest = pszAfterScheme + 2;
    AppendLiteral(pszDest, cchDest, cch, pszRest, pszRest + lstrlenW(pszRest));
}

void OpenBrowser(const wchar_t *pszAddress, int nShowCommand) {
    if (!IsWebTarget(pszAddress)) return;
    const auto hResult = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", pszAddress, nullptr, nullptr, nShowCommand));
    if (hResult > 32) return;
    // The browser takes the address as one argument: a quote would end it
    // early and let the rest of the text become further arguments.
    if (HasQuoteOrControl(pszAddress)) return;
    wchar_t szArgument[kLinkAddressCch + 2];
    if (FormatCchW(szArgument, ARRAYSIZE(szArgument), L"\"%s\"", pszAddress) != S_OK) return;
    ShellExecuteW(nullptr, L"open", kFallbackBrowser, szArgument, nullptr, nShowCommand);
}

void OpenWebLink(const ModelConfig *pConfig, int n) {
    if (pConfig == nullptr || pConfig->pDat == nullptr || n < 1 || n > 6) return;
    wchar_t szKey[16];
    FormatCchW(szKey, ARRAYSIZE(szKey), L"Ref_URL_%d", n);
    pConfig->pDat->SetDialogSection(L"Troubleshooting");
    wchar_t szTarget[kProfileTextCch];
    pConfig->pDat->ReadText(szKey, szTarget);
    if (lstrcmpW(szTarget, szKey) == 0) return;
    wchar_t szAddress[kLinkAddressCch];
    BuildLinkAddress(szTarget, pConfig->szPrinterAddress, szAddress, kLinkAddressCch);
    OpenBrowser(szAddress, SW_SHOW);
}

void ShowPageHelp(const ModelConfig *pConfig) {
    ShowHelpTopic(nullptr, pConfig, L"troublesh_tab", L"troubleshooting_tab.htm");
}

bool ReadLastAlertTopic(HANDLE hPrinter, wchar_t *pszTopic) {
    if (pszTopic == nullptr) return false;
    pszTopic[0] = L'\0';
    if (hPrinter == nullptr) return false;
    DWORD dwType = 0;
    DWORD cbNeeded = 0;
    if (GetPrinterDataW(hPrinter, const_cast<LPWSTR>(kLastTopicValue), &dwType, reinterpret_cast<BYTE *>(pszTopic),
                        kLastTopicCb, &cbNeeded) != ERROR_SUCCESS) {
        pszTopic[0] = L'\0';
        return false;
    }
    // The spooler returns the stored bytes as they are: a value written
    // without a terminator, or as another type, must not run past the buffer.
    const size_t cchRead = cbNeeded / sizeof(wchar_t);
    pszTopic[cchRead < kLinkAddressCch - 1 ? cchRead : kLinkAddressCch - 1] = L'\0';
    return true;
}

void ShowLastAlertTopic(const ModelConfig *pConfig) {
    if (pConfig == nullptr) return;
    wchar_t szTopic[kLinkAddressCch];
    if (!ReadLastAlertTopic(pConfig->hPrinter, szTopic)) return;
    wchar_t szAddress[kLinkAddressCch];
    FormatCchW(szAddress, kLinkAddressCch, L"%s%s", pConfig->szDriverDir, szTopic);
    OpenHtmlHelp(nullptr, szAddress, kHelpDisplayTopic, 0);
}

}  // namespace oemui
