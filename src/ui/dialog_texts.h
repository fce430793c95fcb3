// Where the pages and dialogs find their texts: the template pair of each and
// the name that forms its string-table section ("<name> Dialog"), and the
// keys the code reads besides the template texts. The dialogs and the model
// checker both read them from here, so the two cannot drift apart.
#pragma once

#include <windows.h>

#include "resources/resource_ids.h"

namespace oemui {

inline constexpr wchar_t kHoldDialogName[] = L"Hold";
inline constexpr wchar_t kCopiesDialogName[] = L"Copies";
inline constexpr wchar_t kJobAccountingDialogName[] = L"Job Accounting";
inline constexpr wchar_t kTroubleshootingDialogName[] = L"Troubleshooting";
inline constexpr wchar_t kOutriderDialogName[] = L"Outrider";
inline constexpr wchar_t kAboutDialogName[] = L"About";
// The copy-count question of the printing preferences has no template.
inline constexpr wchar_t kPaperDialogName[] = L"Paper";
// Brand 1 keeps the page's Help caption with its paper texts.
inline constexpr wchar_t kCustomPaperDialogName[] = L"Custom Paper";

// Title of a page or dialog, and caption of its option item.
inline constexpr wchar_t kCaptionKey[] = L"Caption";

// The passcode message of Print and Hold and Job Accounting: a title and two
// texts that may hold "%d" twice (shortest, longest length).
inline constexpr wchar_t kInvalidPasscodeTitleKey[] = L"Invalid Passcode";
inline constexpr wchar_t kInvalidPasscodeRangeKey[] = L"InvalidPasscodeMsg";
inline constexpr wchar_t kInvalidPasscodeEqualKey[] = L"InvalidPasscode2Msg";

// The copy-count question ("Paper Dialog").
inline constexpr wchar_t kCopiesWarningTitleKey[] = L"Warning";
inline constexpr wchar_t kCopiesChangedKey[] = L"CopiesChangedMsg";

struct DialogTexts {
    WORD wTemplate;
    WORD wTemplateRtl;  // equal to wTemplate when the dialog mirrors itself
    const wchar_t *pszName;
};

inline constexpr DialogTexts kDialogTexts[] = {
    {IDD_PRINT_AND_HOLD, IDD_PRINT_AND_HOLD_RTL, kHoldDialogName},
    {IDD_COPIES_SETTING, IDD_COPIES_SETTING_RTL, kCopiesDialogName},
    {IDD_JOB_ACCOUNTING, IDD_JOB_ACCOUNTING_RTL, kJobAccountingDialogName},
    {IDD_TROUBLESHOOTING, IDD_TROUBLESHOOTING_RTL, kTroubleshootingDialogName},
    {IDD_OUTRIDER_SETTINGS, IDD_OUTRIDER_SETTINGS_RTL, kOutriderDialogName},
    {IDD_ABOUT, IDD_ABOUT, kAboutDialogName},
};

}  // namespace oemui
