// The printer's internal and diagnostic pages: the list the page offers and
// the short PJL job that asks the printer to print one of them.
#pragma once

#include <windows.h>

namespace oemui {

struct ModelConfig;
class ProfileSection;

// One built-in diagnostic page: the string-table key that names it (also the
// text shown when the table has none) and the PJL command that prints it.
struct DiagnosticEntry {
    const wchar_t *pszDisplayKey;
    const wchar_t *pszCommand;
};

// Number of built-in entries; "TestPages" numbers them from 1.
constexpr int kDiagnosticEntryCount = 9;

// The entry numbered n (1 .. kDiagnosticEntryCount), or null for any other n.
const DiagnosticEntry *DiagnosticEntryAt(int n);

// An entry number from one "TestPages" token: decimal digits only, 1 .. 9;
// 0 for anything else (empty, signs, letters, out of range).
int ParseTestPageToken(const wchar_t *pszToken);

// Size of the job buffer; the job is cut to one byte less.
constexpr size_t kDiagnosticJobCb = 260;

// Builds the job: exit sequence, "@PJL" CR LF, the command in the system ANSI
// code page, CR LF, exit sequence, without a terminator in the count.
// Returns the byte count (0 when the command cannot be converted).
size_t BuildDiagnosticJob(const wchar_t *pszCommand, char *pJob, size_t cbJob);

// Fills control 1238 of hPage with the entries "TestPages" names and selects
// item nSelect. Tokens that do not name an entry are left out. A caller that
// has read the sections already passes them: the page's string-table section
// in pTexts, the model INI's [Common] in pCommon.
void FillDiagnosticList(HWND hPage, ModelConfig *pConfig, int nSelect, const ProfileSection *pTexts = nullptr,
                        const ProfileSection *pCommon = nullptr);

// Sends the job for the list item selected on hPage. False when nothing is
// selected, the selection names no entry, or the spooler refused the job.
bool PrintSelectedDiagnosticPage(HWND hPage, ModelConfig *pConfig);

// One RAW spooler document "Printer Diagnostic Pages" on the caller's printer
// handle. False with last error 87 (no data), 3003 (no document) or 29 (a
// write failed or made no progress); a null handle fails without an error code.
bool SendRawJob(HANDLE hPrinter, const void *pData, DWORD cbData);

}  // namespace oemui
