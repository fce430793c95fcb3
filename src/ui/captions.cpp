#include "ui/captions.h"

#include <commctrl.h>
#include <cwchar>

#include "common/bounded_format.h"
#include "common/model_text.h"
#include "module/activation_context.h"
#include "module/module_state.h"
#include "resources/resource_ids.h"
#include "settings/model_config.h"
#include "settings/profile_section.h"
#include "ui/dialog_texts.h"
#include "ui/language.h"
#include "ui/layout.h"

namespace oemui {
namespace {

constexpr int kClassNameCch = 64;
// A key is a caption of up to 255 characters plus a suffix such as
// " tooltip"; the buffer holds the longest with room to spare.
constexpr size_t kKeyCch = 2 * kProfileTextCch;


template <size_t N>
bool ClassIsOneOf(const wchar_t *pszClass, const wchar_t *const (&table)[N]) {
    for (const wchar_t *psz : table) {
        if (std::wcscmp(pszClass, psz) == 0) return true;
    }
    return false;
}

template <size_t N>
bool IdIsOneOf(int id, const int (&table)[N]) {
    for (int entry : table) {
        if (entry == id) return true;
    }
    return false;
}

// Where the pass finds its texts: the dialog's section read once when the
// whole dialog is translated, else the string table key by key.
// Hints go to the hint window at once, or are kept for one made later.
struct TextLookup {
    ModelConfig &config;
    const ProfileSection *pSection;
    PendingHints *pPending;

    // The entry, or the key itself when there is none.
    void Entry(const wchar_t *pszKey, wchar_t *pszDest) const {
        if (pSection != nullptr) {
            pSection->ReadText(pszKey, pszDest);
        } else if (config.pDat != nullptr) {
            config.pDat->ReadText(pszKey, pszDest);
        } else {
            CopyCchW(pszDest, kProfileTextCch, pszKey);
        }
    }
    // The entry, or an empty text when there is none.
    void Optional(const wchar_t *pszKey, wchar_t *pszDest) const {
        pszDest[0] = L'\0';
        if (pSection != nullptr) {
            pSection->ReadTextOr(pszKey, pszDest, kProfileTextCch, L"");
        } else if (config.pDat != nullptr) {
            config.pDat->ReadTextOr(pszKey, pszDest, kProfileTextCch, L"");
        }
    }
};

void AttachHint(const TextLookup &texts, HWND hDlg, HWND hControl, const wchar_t *pszHint) {
    if (texts.pPending != nullptr)
        texts.pPending->Add(hControl, pszHint);
    else
        AddControlHint(hDlg, hControl, texts.config.hTooltip, pszHint);
}

// The hint of a captioned control; empty when the table has none.
void ReadHint(const TextLookup &texts, const wchar_t *pszKey, wchar_t *pszHint) {
    wchar_t szHintKey[kKeyCch];
    FormatCchW(szHintKey, kKeyCch, L"%s%s", pszKey, kHintKeySuffix);
    texts.Optional(szHintKey, pszHint);
}

// The passcode-length labels read "(0)" when the length is fixed and that
// entry exists, else "(0-9)".
const wchar_t *PassLengthKey(const TextLookup &texts, wchar_t *pszCaption) {
    if (texts.config.sMaxPassLen == texts.config.sMinPassLen) {
        texts.Entry(L"(0)", pszCaption);
        if (std::wcscmp(pszCaption, L"(0)") != 0) return L"(0)";
    }
    texts.Entry(L"(0-9)", pszCaption);
    return L"(0-9)";
}

bool IsPrintAndHoldTemplate(DWORD dwTemplate) {
    return dwTemplate == IDD_PRINT_AND_HOLD || dwTemplate == IDD_PRINT_AND_HOLD_RTL;
}

// The model's texts are data: only the two lengths are substituted, any
// other "%" sequence stays as written.
void FormatPassLengths(const ModelConfig &config, wchar_t *pszText) {
    const int anLengths[] = {config.sMinPassLen, config.sMaxPassLen};
    wchar_t szTemplate[kProfileTextCch];
    CopyCchW(szTemplate, kProfileTextCch, pszText);
    FormatModelText(pszText, kProfileTextCch, szTemplate, anLengths, 2);
}

void TranslateCaption(const TextLookup &texts, HWND hDlg, HWND hControl, int id, const wchar_t *pszText) {
    ModelConfig &config = texts.config;
    wchar_t szCaption[kProfileTextCch];
    const wchar_t *pszKey = pszText;
    if (IdIsOneOf(id, kPassLengthLabels)) {
        pszKey = PassLengthKey(texts, szCaption);
    } else {
        texts.Entry(pszKey, szCaption);
    }
    wchar_t szHint[kProfileTextCch];
    ReadHint(texts, pszKey, szHint);
    if (IsPrintAndHoldTemplate(config.dwCurrentTemplate) && IdIsOneOf(id, kPassLengthFormatted)) {
        FormatPassLengths(config, szCaption);
        FormatPassLengths(config, szHint);
    }
    if (config.sBrand == kBrandTalix && id == kBrandedPaperControl && config.pDat != nullptr) {
        // This brand keeps the control's wording with its paper texts.
        config.pDat->SetDialogSection(kCustomPaperDialogName);
        config.pDat->ReadText(pszKey, szCaption);
    }
    // Most captions of an English table read as their keys: setting the same
    // text again would only redraw the control. A text as long as the buffer
    // may have been cut on reading, and is set.
    if (std::wcscmp(pszText, szCaption) != 0 || std::wcslen(pszText) >= kProfileTextCch - 1)
        SetWindowTextW(hControl, szCaption);
    AttachHint(texts, hDlg, hControl, szHint);
}

void AttachInputHint(const TextLookup &texts, HWND hDlg, HWND hControl, int id, const wchar_t *pszClass) {
    wchar_t szKey[kKeyCch];
    FormatCchW(szKey, kKeyCch, L"%s:%d%s", pszClass, id, kHintKeySuffix);
    wchar_t szHint[kProfileTextCch];
    texts.Entry(szKey, szHint);
    if (std::wcscmp(szHint, szKey) != 0) AttachHint(texts, hDlg, hControl, szHint);
}

// Under no permission every control is disabled, except that a modal
// dialog keeps Cancel: without it the close box cannot close the dialog.
bool KeepsEnabledWithoutPermission(HWND hDlg, HWND hControl, int id) {
    if (id != IDCANCEL || GetParent(hControl) != hDlg) return false;
    return (GetWindowLongW(hDlg, GWL_STYLE) & WS_CHILD) == 0;
}

// One control of the pass; see ApplyCaptionsAndHints.
void ApplyToControl(HWND hControl, const TextLookup &texts) {
    ModelConfig &config = texts.config;
    HWND hDlg = config.hCurrentDlg != nullptr ? config.hCurrentDlg : GetParent(hControl);
    const int id = static_cast<int>(GetWindowLongW(hControl, GWL_ID));

    wchar_t szClass[kClassNameCch] = {};
    GetClassNameW(hControl, szClass, kClassNameCch);
    if (texts.pSection == nullptr && config.pDat != nullptr) config.pDat->SetDialogSection(config.szDialogName);

    wchar_t szText[kProfileTextCch] = {};
    GetWindowTextW(hControl, szText, kProfileTextCch);
    if (szText[0] != L'\0' && !ClassIsOneOf(szClass, kUntranslatedClasses))
        TranslateCaption(texts, hDlg, hControl, id, szText);
    if (ClassIsOneOf(szClass, kInputClasses)) AttachInputHint(texts, hDlg, hControl, id, szClass);

    if (config.lNoPermission != 0 && !KeepsEnabledWithoutPermission(hDlg, hControl, id))
        EnableWindow(hControl, FALSE);
}

BOOL CALLBACK ApplyWithSection(HWND hControl, LPARAM lParam) {
    ApplyToControl(hControl, *reinterpret_cast<const TextLookup *>(lParam));
    return TRUE;
}

}  // namespace

HWND CreateHintWindow(HWND hDlg) {
    INITCOMMONCONTROLSEX icc{sizeof(icc), 0xFF};
    InitCommonControlsEx(&icc);
    HWND hTooltip = nullptr;
    {
        ActivationScope scope;
        hTooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hDlg, nullptr,
                                   ModuleInstance(), nullptr);
    }
    if (hTooltip == nullptr) return nullptr;
    if (IsRightToLeftLanguage()) {
        const LONG_PTR exStyle = GetWindowLongPtrW(hTooltip, GWL_EXSTYLE);
        SetWindowLongPtrW(hTooltip, GWL_EXSTYLE, exStyle ^ WS_EX_LAYOUTRTL);
    }
    SetWindowPos(hTooltip, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return hTooltip;
}

BOOL CALLBACK ApplyCaptionsAndHints(HWND hControl, LPARAM lParam) {
    auto *pConfig = reinterpret_cast<ModelConfig *>(lParam);
    if (pConfig == nullptr || hControl == nullptr) return TRUE;
    ApplyToControl(hControl, TextLookup{*pConfig, nullptr, nullptr});
    return TRUE;
}

void TranslateDialog(HWND hDlg, ModelConfig *pConfig, const wchar_t *pszDialogName) {
    if (pConfig == nullptr) return;
    pConfig->hTooltip = CreateHintWindow(hDlg);
    CopyCchW(pConfig->szDialogName, ARRAYSIZE(pConfig->szDialogName), pszDialogName);
    if (pConfig->pDat == nullptr) {
        EnumChildWindows(hDlg, ApplyCaptionsAndHints, reinterpret_cast<LPARAM>(pConfig));
        return;
    }
    pConfig->pDat->SetDialogSection(pConfig->szDialogName);
    ProfileSection section;
    section.Load(*pConfig->pDat);
    TextLookup texts{*pConfig, &section, nullptr};
    EnumChildWindows(hDlg, ApplyWithSection, reinterpret_cast<LPARAM>(&texts));
    // A branded caption may have selected another section on the way.
    pConfig->pDat->SetDialogSection(pConfig->szDialogName);
}

void TranslateDialogTexts(const DialogControls &controls, ModelConfig *pConfig, const wchar_t *pszDialogName,
                          const ProfileSection &section, PendingHints *pHints) {
    if (pConfig == nullptr || pHints == nullptr) return;
    CopyCchW(pConfig->szDialogName, ARRAYSIZE(pConfig->szDialogName), pszDialogName);
    if (pConfig->pDat != nullptr) pConfig->pDat->SetDialogSection(pConfig->szDialogName);
    TextLookup texts{*pConfig, &section, pHints};
    if (controls.Complete()) {
        for (UINT i = 0; i < controls.Count(); ++i) ApplyToControl(controls.At(i), texts);
    } else {
        EnumChildWindows(controls.Dialog(), ApplyWithSection, reinterpret_cast<LPARAM>(&texts));
    }
    if (pConfig->pDat != nullptr) pConfig->pDat->SetDialogSection(pConfig->szDialogName);
}

bool PendingHints::Add(HWND hControl, const wchar_t *pszHint) {
    Entry *pEntry = m_entries.Add();
    if (pEntry == nullptr) return false;
    pEntry->hControl = hControl;
    CopyCchW(pEntry->szHint, kProfileTextCch, pszHint != nullptr ? pszHint : L"");
    return true;
}

void PendingHints::AttachTo(HWND hDlg, HWND hTooltip) {
    for (UINT i = 0; i < m_entries.Count(); ++i) {
        HWND hControl = m_entries[i].hControl;
        if (!IsWindow(hControl)) continue;
        AddControlHint(hDlg, hControl, hTooltip, m_entries[i].szHint);
        // Hidden before its hint existed: no area over the place it left.
        if ((GetWindowLongW(hControl, GWL_STYLE) & WS_VISIBLE) == 0) UpdateStaticHintArea(hDlg, hControl, hTooltip, false);
    }
    m_entries.Clear();
}

DialogControls::DialogControls(HWND hDlg) : m_hDlg(hDlg) {
    EnumChildWindows(
        hDlg,
        [](HWND hControl, LPARAM lParam) -> BOOL {
            auto *pSelf = reinterpret_cast<DialogControls *>(lParam);
            Control *pControl = pSelf->m_controls.Add();
            if (pControl == nullptr) {
                pSelf->m_bComplete = false;
                return FALSE;
            }
            pControl->hWnd = hControl;
            pControl->id = static_cast<int>(GetWindowLongW(hControl, GWL_ID));
            pControl->bDirect = GetAncestor(hControl, GA_PARENT) == pSelf->m_hDlg;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(this));
}

HWND DialogControls::Find(int id) const {
    if (!m_bComplete) return GetDlgItem(m_hDlg, id);
    for (UINT i = 0; i < m_controls.Count(); ++i)
        if (m_controls[i].bDirect && m_controls[i].id == id) return m_controls[i].hWnd;
    return nullptr;
}

}  // namespace oemui
