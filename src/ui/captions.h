// Translation of a dialog's texts from the model's string table, and the
// hover hints of its controls.
#pragma once

#include <windows.h>

#include "common/heap_array.h"
#include "resources/resource_ids.h"
#include "settings/profile_reader.h"

namespace oemui {

struct ModelConfig;
class ProfileSection;

// Controls whose text the user types: never translated.
inline constexpr const wchar_t *kUntranslatedClasses[] = {L"Edit", L"SysDateTimePick32"};
// Input controls that get a hint by class and identifier ("<class>:<id> tooltip").
inline constexpr const wchar_t *kInputClasses[] = {L"ComboBox", L"Edit", L"SysDateTimePick32", L"ListBox",
                                                   L"msctls_updown32"};
// Passcode-length labels: their caption depends on whether the length is fixed.
inline constexpr int kPassLengthLabels[] = {IDC_PH_PASSCODE_HINT_EQUAL, IDC_PH_CONFIRM_HINT_EQUAL};
// Print and Hold texts that carry the minimum and maximum passcode length.
inline constexpr int kPassLengthFormatted[] = {IDC_PH_PASSCODE_HINT_EQUAL, IDC_PH_CONFIRM_HINT_EQUAL,
                                               IDC_PH_PASSCODE_HINT_RANGE, IDC_PH_CONFIRM_HINT_RANGE};
// The Troubleshooting page's Help button, captioned from "Custom Paper Dialog" on brand 1.
inline constexpr int kBrandedPaperControl = IDC_TS_HELP;
// Suffix of a control's hint key ("<caption> tooltip", "<class>:<id> tooltip").
inline constexpr wchar_t kHintKeySuffix[] = L" tooltip";

// The dialog's hint window (topmost, mirrored on right-to-left systems), or
// null when it could not be created.
HWND CreateHintWindow(HWND hDlg);

// EnumChildWindows procedure, lParam the context record: replaces one
// control's caption from the section "<szDialogName> Dialog", attaches its
// hint, and disables it when the sheet has no permission. Always TRUE.
BOOL CALLBACK ApplyCaptionsAndHints(HWND hControl, LPARAM lParam);

// What every page and dialog does when it opens: hTooltip = CreateHintWindow,
// szDialogName = pszDialogName, then the caption-and-hint pass over every
// child of hDlg. hCurrentDlg and dwCurrentTemplate are the caller's to set
// first.
void TranslateDialog(HWND hDlg, ModelConfig *pConfig, const wchar_t *pszDialogName);

// Hints that a caption pass keeps for a hint window made after the dialog
// has shown: making a top-level window and registering every control with
// it costs more than the rest of the pass.
class PendingHints {
public:
    PendingHints() = default;
    ~PendingHints() = default;
    PendingHints(const PendingHints &) = delete;
    PendingHints &operator=(const PendingHints &) = delete;

    // Keeps a copy of the hint (cut to 255 characters); false without memory.
    bool Add(HWND hControl, const wchar_t *pszHint);
    // Registers every kept hint with hTooltip under hDlg as the pass would
    // have, in the order kept; a static control hidden by now gets an empty
    // hint area. Controls destroyed meanwhile are skipped. Keeps nothing after.
    void AttachTo(HWND hDlg, HWND hTooltip);
    UINT Count() const { return m_entries.Count(); }

private:
    struct Entry {
        HWND hControl;
        wchar_t szHint[kProfileTextCch];
    };
    HeapArray<Entry> m_entries;
};

// Every control of a dialog, nested ones included, listed once in the order
// EnumChildWindows gives them. Under Wine each GetDlgItem lists the dialog's
// children again with a round trip to the server.
class DialogControls {
public:
    explicit DialogControls(HWND hDlg);
    DialogControls(const DialogControls &) = delete;
    DialogControls &operator=(const DialogControls &) = delete;

    // As GetDlgItem: the dialog's own child with that identifier, or null.
    HWND Find(int id) const;
    HWND Dialog() const { return m_hDlg; }
    // False when the list could not be made whole (no memory); Find then
    // asks the system.
    bool Complete() const { return m_bComplete; }
    UINT Count() const { return m_controls.Count(); }
    HWND At(UINT i) const { return m_controls[i].hWnd; }

private:
    struct Control {
        HWND hWnd;
        int id;
        bool bDirect;
    };
    HWND m_hDlg;
    bool m_bComplete = true;
    HeapArray<Control> m_controls;
};

// The pass of TranslateDialog without a hint window, over the listed
// controls: szDialogName = pszDialogName, texts from section (the caller's
// read of the dialog's section, shared with the dialog's own lookups), hints
// kept in *pHints. hTooltip is left as it is.
void TranslateDialogTexts(const DialogControls &controls, ModelConfig *pConfig, const wchar_t *pszDialogName,
                          const ProfileSection &section, PendingHints *pHints);

}  // namespace oemui
