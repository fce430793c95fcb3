#include "troubleshooting/diagnostic_pages.h"

#include <winspool.h>

#include "common/bounded_format.h"
#include "resources/resource_ids.h"
#include "settings/model_config.h"
#include "settings/profile_section.h"

namespace oemui {
namespace {

// The printer's own pages; the model files choose and name them but cannot
// add commands. No blank before "=": some printers refuse the command then.
constexpr DiagnosticEntry kDiagnosticEntries[kDiagnosticEntryCount] = {
    {L"Config Page", L"@PJL TEST PRINT=CONFIG"},
    {L"Connection Page", L"@PJL TEST PRINT=CONNECTION"},
    {L"Menu Map", L"@PJL TEST PRINT=MENUMAP"},
    {L"PCL Font List", L"@PJL TEST PRINT=PCLFONT"},
    {L"PS Font List", L"@PJL TEST PRINT=PSFONT"},
    {L"Flash Directory", L"@PJL TEST PRINT=PSFSFONT"},
    {L"Office Demo", L"@PJL TEST PRINT=DEMO"},
    {L"2-Sided Demo", L"@PJL TEST PRINT=DUPLEXDEMO"},
    {L"Test Print", L"@PJL TEST PRINT=PATTERN"},
};

constexpr char kExitLanguage[] = "\x1B%-12345X";
constexpr wchar_t kDocumentName[] = L"Printer Diagnostic Pages";
constexpr wchar_t kRawDataType[] = L"RAW";
constexpr size_t kTextCch = MAX_PATH;

// Highest list index the page prints from, by driver kind (PostScript
// drivers offer one page fewer).
constexpr LRESULT kLastIndexPpd = 8;
constexpr LRESULT kLastIndexOther = 9;

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

void ReadDisplayText(const ModelConfig *pConfig, const DiagnosticEntry &entry, wchar_t *pszText,
                     const ProfileSection *pTexts = nullptr) {
    if (pTexts != nullptr)
        pTexts->ReadText(entry.pszDisplayKey, pszText);
    else
        pConfig->pDat->ReadText(entry.pszDisplayKey, pszText);
}

}  // namespace

const DiagnosticEntry *DiagnosticEntryAt(int n) {
    if (n < 1 || n > kDiagnosticEntryCount) return nullptr;
    return &kDiagnosticEntries[n - 1];
}

int ParseTestPageToken(const wchar_t *pszToken) {
    if (pszToken == nullptr) return 0;
    while (IsBlank(*pszToken)) ++pszToken;
    int n = 0;
    int cDigits = 0;
    for (; *pszToken >= L'0' && *pszToken <= L'9'; ++pszToken) {
        // Two digits already exceed the table; stop before the value can grow.
        if (++cDigits > 2) return 0;
        n = n * 10 + (*pszToken - L'0');
    }
    while (IsBlank(*pszToken)) ++pszToken;
    if (cDigits == 0 || *pszToken != L'\0') return 0;
    return DiagnosticEntryAt(n) != nullptr ? n : 0;
}

size_t BuildDiagnosticJob(const wchar_t *pszCommand, char *pJob, size_t cbJob) {
    if (pszCommand == nullptr || pJob == nullptr || cbJob == 0) return 0;
    pJob[0] = '\0';
    // No more of the command can reach the job than fits in it; a double-byte
    // code page may need two bytes per character.
    wchar_t szWide[kDiagnosticJobCb];
    CopyCchW(szWide, kDiagnosticJobCb, pszCommand);
    char szCommand[kDiagnosticJobCb * 2] = {};
    if (szWide[0] != L'\0' &&
        WideCharToMultiByte(CP_ACP, 0, szWide, -1, szCommand, sizeof(szCommand) - 1, nullptr, nullptr) == 0) {
        return 0;
    }
    // A cut job is still sent as it stands, like any other too-long text.
    FormatCbA(pJob, cbJob, "%s@PJL\r\n%s\r\n%s", kExitLanguage, szCommand, kExitLanguage);
    return lstrlenA(pJob);
}

void FillDiagnosticList(HWND hPage, ModelConfig *pConfig, int nSelect, const ProfileSection *pTexts,
                        const ProfileSection *pCommon) {
    if (pConfig == nullptr || pConfig->pDat == nullptr || pConfig->pIni == nullptr) return;
    pConfig->pDat->SetDialogSection(L"Troubleshooting");
    pConfig->pIni->SetSection(L"Common");
    wchar_t szPages[kProfileTextCch];
    if (pCommon != nullptr)
        pCommon->ReadText(L"TestPages", szPages);
    else
        pConfig->pIni->ReadText(L"TestPages", szPages);

    HWND hList = GetDlgItem(hPage, IDC_TS_DIAG_LIST);
    if (hList == nullptr) return;

    // One scroll-bar update and redraw for the whole list, not one per entry.
    SendMessageW(hList, WM_SETREDRAW, FALSE, 0);
    // Tokens end at commas; empty ones are skipped so that a list such as
    // "1,,2" still names pages 1 and 2.
    wchar_t *pszToken = szPages;
    bool bAdded = false;
    for (wchar_t *p = szPages;; ++p) {
        const bool bEnd = *p == L'\0';
        if (*p != L',' && !bEnd) continue;
        *p = L'\0';
        const DiagnosticEntry *pEntry = DiagnosticEntryAt(ParseTestPageToken(pszToken));
        if (pEntry != nullptr) {
            wchar_t szText[kProfileTextCch];
            ReadDisplayText(pConfig, *pEntry, szText, pTexts);
            SendMessageW(hList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(szText));
            bAdded = true;
        }
        if (bEnd) break;
        pszToken = p + 1;
    }
    // Selecting once at the end leaves the list as selecting after every
    // addition would, without redrawing it each time.
    if (bAdded) SendMessageW(hList, CB_SETCURSEL, static_cast<WPARAM>(nSelect), 0);
    SendMessageW(hList, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hList, nullptr, TRUE);
}

bool PrintSelectedDiagnosticPage(HWND hPage, ModelConfig *pConfig) {
    if (pConfig == nullptr || pConfig->pDat == nullptr) return false;
    HWND hList = GetDlgItem(hPage, IDC_TS_DIAG_LIST);
    if (hList == nullptr) return false;
    const LRESULT nIndex = SendMessageW(hList, CB_GETCURSEL, 0, 0);
    const LRESULT nLast = pConfig->dwIsPpd == 1 ? kLastIndexPpd : kLastIndexOther;
    if (nIndex < 0 || nIndex > nLast) return false;
    wchar_t szSelected[kTextCch] = {};
    GetWindowTextW(hList, szSelected, kTextCch);

    pConfig->pDat->SetDialogSection(L"Troubleshooting");
    // Two entries may share a text in a string table; the later one wins:
    // string tables written for this driver count on that.
    const wchar_t *pszCommand = nullptr;
    for (int n = 1; n <= kDiagnosticEntryCount; ++n) {
        wchar_t szText[kProfileTextCch];
        ReadDisplayText(pConfig, *DiagnosticEntryAt(n), szText);
        if (lstrcmpW(szText, szSelected) == 0) pszCommand = DiagnosticEntryAt(n)->pszCommand;
    }
    // A job without a command would only make the printer reset itself.
    if (pszCommand == nullptr) return false;

    char job[kDiagnosticJobCb];
    const size_t cbJob = BuildDiagnosticJob(pszCommand, job, sizeof(job));
    if (cbJob == 0) return false;
    return SendRawJob(pConfig->hPrinter, job, static_cast<DWORD>(cbJob));
}

bool SendRawJob(HANDLE hPrinter, const void *pData, DWORD cbData) {
    if (hPrinter == nullptr) return false;
    if (pData == nullptr || cbData == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    DOC_INFO_1W doc = {};
    doc.pDocName = const_cast<LPWSTR>(kDocumentName);
    doc.pOutputFile = nullptr;
    doc.pDatatype = const_cast<LPWSTR>(kRawDataType);
    if (StartDocPrinterW(hPrinter, 1, reinterpret_cast<BYTE *>(&doc)) == 0) {
        SetLastError(ERROR_SPL_NO_STARTDOC);
        return false;
    }
    StartPagePrinter(hPrinter);

    const BYTE *pNext = static_cast<const BYTE *>(pData);
    DWORD cbLeft = cbData;
    bool bWritten = true;
    while (cbLeft > 0) {
        DWORD cbWritten = 0;
        // A failed call, or one that claims no progress, ends the job: trying
        // again could hang the page or send the same bytes twice.
        if (!WritePrinter(hPrinter, const_cast<BYTE *>(pNext), cbLeft, &cbWritten) || cbWritten == 0) {
            bWritten = false;
            break;
        }
        if (cbWritten > cbLeft) cbWritten = cbLeft;
        pNext += cbWritten;
        cbLeft -= cbWritten;
    }
    EndPagePrinter(hPrinter);
    EndDocPrinter(hPrinter);
    if (!bWritten) {
        SetLastError(ERROR_WRITE_FAULT);
        return false;
    }
    return true;
}

}  // namespace oemui
