// Translation of a dialog's texts from the model's string table, and the
// hover hints of its controls.
#pragma once

#include <windows.h>

#include "settings/profile_reader.h"

namespace oemui {

struct ModelConfig;
class SectionTexts;

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
    ~PendingHints();
    PendingHints(const PendingHints &) = delete;
    PendingHints &operator=(const PendingHints &) = delete;

    // Keeps a copy of the hint (cut to 255 characters); false without memory.
    bool Add(HWND hControl, const wchar_t *pszHint);
    // Registers every kept hint with hTooltip under hDlg as the pass would
    // have, in the order kept; a static control hidden by now gets an empty
    // hint area. Controls destroyed meanwhile are skipped. Keeps nothing after.
    void AttachTo(HWND hDlg, HWND hTooltip);
    UINT Count() const { return m_cEntries; }

private:
    struct Entry {
        HWND hControl;
        wchar_t szHint[kProfileTextCch];
    };
    Entry *m_pEntries = nullptr;
    UINT m_cEntries = 0;
    UINT m_cCapacity = 0;
};

// The pass of TranslateDialog without a hint window: szDialogName =
// pszDialogName, texts from section (loaded by the caller from the dialog's
// section; read key by key when it is not loaded), hints kept in *pHints.
// hTooltip is left as it is.
void TranslateDialogTexts(HWND hDlg, ModelConfig *pConfig, const wchar_t *pszDialogName, const SectionTexts &section,
                          PendingHints *pHints);

}  // namespace oemui
