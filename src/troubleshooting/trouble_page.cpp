#include "troubleshooting/trouble_page.h"

#include <prsht.h>

#include <new>

#include "about/about_dialog.h"
#include "common/bounded_format.h"
#include "resources/resource_ids.h"
#include "settings/host_address.h"
#include "settings/model_config.h"
#include "settings/port_address.h"
#include "settings/profile_section.h"
#include "troubleshooting/diagnostic_pages.h"
#include "troubleshooting/outrider_settings.h"
#include "troubleshooting/web_links.h"
#include "ui/captions.h"
#include "ui/dpi_scale.h"
#include "ui/dialog_texts.h"
#include "ui/gdi_handles.h"
#include "ui/language.h"
#include "ui/layout.h"

namespace oemui {
namespace {

// Control groups, each ended by 0 (the alert group is in the header).
constexpr int kDiagnosticGroup[] = {IDC_TS_DIAG_GROUP, IDC_TS_DIAG_TEXT, IDC_TS_DIAG_LIST, IDC_TS_DIAG_PRINT, 0};
constexpr int kLinkGroup[] = {IDC_TS_LINK_GROUP, IDC_TS_LINK_1, IDC_TS_LINK_2, IDC_TS_LINK_3,
                              IDC_TS_LINK_4,     IDC_TS_LINK_5, IDC_TS_LINK_6, 0};

// The controls that behave as links: the last alert topic, then the six web
// links in the order of their "Ref_URL_n" keys.
constexpr int kLinkControls[] = {IDC_TS_OUTRIDER_LAST_TOPIC, IDC_TS_LINK_1, IDC_TS_LINK_2, IDC_TS_LINK_3,
                                 IDC_TS_LINK_4,              IDC_TS_LINK_5, IDC_TS_LINK_6};
constexpr int kWebLinkCount = 6;
// Web link n is entry n of the table.
static_assert(kLinkControls[1] == IDC_TS_LINK_1 && kLinkControls[kWebLinkCount] == IDC_TS_LINK_6 &&
                  IDC_TS_LINK_6 - IDC_TS_LINK_1 == kWebLinkCount - 1,
              "web links follow the last-topic link in order");

// Alert switch values of the model INI's "TroubleOutrider".
constexpr int kAlertGroupRemoved = 0;
constexpr int kAlertGroupChecked = 1;

constexpr LONG kLinkFontWeight = 600;
constexpr int kLinkTextCch = MAX_PATH;

constexpr const wchar_t *kPageName = kTroubleshootingDialogName;
constexpr wchar_t kPageStateProperty[] = L"OemuiTroubleshootingPage";
// Fires once the page has shown and painted: timers come after every paint.
constexpr UINT_PTR kFinishTimer = 1;

// A link control and the place that fits it to its text.
struct LinkPlace {
    HWND hLink = nullptr;
    RECT rc = {};
    bool bPlaced = false;
};

// What one page keeps for itself: the shared record is also written by every
// other page and dialog of the sheet, so the page's own values live here.
struct PageState {
    int nAlertSwitch = kAlertGroupRemoved;
    HWND hTooltip = nullptr;
    // The controls of kLinkControls, looked up once: each lookup lists the
    // page's children anew.
    HWND hLinks[ARRAYSIZE(kLinkControls)] = {};
    GdiFont linkFont;
    // What the user cannot see is finished once the page has painted: the
    // hint window with its hints, and links shrunk to their texts.
    bool bFinishPending = false;
    PendingHints hints;
    LinkPlace links[ARRAYSIZE(kLinkControls)];
};

PageState *GetPageState(HWND hDlg) { return static_cast<PageState *>(GetPropW(hDlg, kPageStateProperty)); }

int WebLinkControl(int n) { return IDC_TS_LINK_1 + n - 1; }

bool UsesLinkFont(const PageState &state, int id) {
    return id != IDC_TS_OUTRIDER_LAST_TOPIC || state.nAlertSwitch == kAlertGroupChecked;
}

DWORD PageTemplate() { return IsRightToLeftLanguage() ? IDD_TROUBLESHOOTING_RTL : IDD_TROUBLESHOOTING; }

// Makes the page the current dialog of the shared record again, with its own
// hint window and string-table section.
void RestorePageRecord(HWND hDlg, ModelConfig *pConfig, const PageState *pState) {
    pConfig->hCurrentDlg = hDlg;
    pConfig->dwCurrentTemplate = PageTemplate();
    if (pState != nullptr) pConfig->hTooltip = pState->hTooltip;
    CopyCchW(pConfig->szDialogName, ARRAYSIZE(pConfig->szDialogName), kPageName);
    if (pConfig->pDat != nullptr) pConfig->pDat->SetDialogSection(kPageName);
}

// Without the alert tool the diagnostic group takes the alert group's place
// and the links the diagnostic group's; the bottom row stays.
void RemoveAlertGroup(HWND hDlg, const ModelConfig *pConfig) {
    const POINT ptDiagnostic = ControlOffset(hDlg, IDC_TS_OUTRIDER_GROUP, IDC_TS_DIAG_GROUP);
    const POINT ptLinks = ControlOffset(hDlg, IDC_TS_DIAG_GROUP, IDC_TS_LINK_GROUP);
    ShowOrMoveGroup(hDlg, kAlertGroup, kHide, nullptr, pConfig);
    ShowOrMoveGroup(hDlg, kDiagnosticGroup, kShow, &ptDiagnostic, pConfig);
    ShowOrMoveGroup(hDlg, kLinkGroup, kShow, &ptLinks, pConfig);
}

// The printer's address for the embedded web page, or an empty text when it
// is unknown: no port entry, an empty address, or one that is no host name.
void FindPrinterAddress(ModelConfig *pConfig) {
    ZeroMemory(pConfig->szPrinterAddress, sizeof(pConfig->szPrinterAddress));
    if (GetPrinterAddress(pConfig->hPrinter, pConfig->szPrinterAddress) == 0 ||
        ClassifyHostAddress(pConfig->szPrinterAddress) == HostAddressKind::kNone) {
        ZeroMemory(pConfig->szPrinterAddress, sizeof(pConfig->szPrinterAddress));
    }
}

void FindLinks(const DialogControls &controls, PageState *pState) {
    for (size_t i = 0; i < ARRAYSIZE(kLinkControls); ++i) pState->hLinks[i] = controls.Find(kLinkControls[i]);
}

HWND WebLink(const PageState &state, int n) { return state.hLinks[n]; }

void CreateLinkFont(HWND hDlg, PageState *pState) {
    HWND hFirstLink = WebLink(*pState, 1);
    if (hFirstLink == nullptr) return;
    const auto hFont = reinterpret_cast<HFONT>(SendMessageW(hFirstLink, WM_GETFONT, 0, 0));
    LOGFONTW lf = {};
    if (hFont == nullptr || GetObjectW(hFont, sizeof(lf), &lf) == 0) return;
    if (lf.lfUnderline) return;
    lf.lfUnderline = TRUE;
    lf.lfWeight = kLinkFontWeight;
    pState->linkFont.reset(CreateFontIndirectW(&lf));
    if (!pState->linkFont) return;
    // The page is not shown yet and paints every control when it is: a
    // redraw per control now would only be work for nothing.
    const BOOL bRedraw = IsWindowVisible(hDlg);
    for (size_t i = 0; i < ARRAYSIZE(kLinkControls); ++i) {
        if (pState->hLinks[i] == nullptr || !UsesLinkFont(*pState, kLinkControls[i])) continue;
        SendMessageW(pState->hLinks[i], WM_SETFONT, reinterpret_cast<WPARAM>(pState->linkFont.get()), bRedraw);
    }
}

// Measures each link's text in the control's own font: the link is to shrink
// to its text, centred where the template put it, so that only the text
// reacts to the mouse. A text wider than its control is fitted at once, since
// the control would show it wrapped; the others are fitted unseen later, as
// centred text stays where it is.
void MeasureLinks(HWND hDlg, PageState *pState) {
    // A memory context like the screen measures as the page's own would,
    // without asking the window system for the page's visible region.
    MemoryDC dc(nullptr);
    if (dc.get() == nullptr) return;
    for (size_t i = 0; i < ARRAYSIZE(kLinkControls); ++i) {
        LinkPlace &place = pState->links[i];
        place = LinkPlace();
        if (!UsesLinkFont(*pState, kLinkControls[i])) continue;
        HWND hLink = pState->hLinks[i];
        if (hLink == nullptr) continue;
        wchar_t szText[kLinkTextCch] = {};
        GetWindowTextW(hLink, szText, kLinkTextCch);
        SIZE size = {};
        {
            GdiSelection font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(hLink, WM_GETFONT, 0, 0)));
            if (!GetTextExtentPoint32W(dc.get(), szText, lstrlenW(szText), &size)) continue;
        }
        RECT rc = {};
        GetWindowRect(hLink, &rc);
        MapWindowPoints(nullptr, hDlg, reinterpret_cast<POINT *>(&rc), 2);
        const LONG cxTemplate = rc.right - rc.left;
        const LONG x = rc.left + (cxTemplate - size.cx) / 2;
        place.hLink = hLink;
        SetRect(&place.rc, x, rc.top, x + size.cx, rc.top + size.cy);
        if (size.cx > cxTemplate) {
            MoveWindow(hLink, x, rc.top, size.cx, size.cy, TRUE);
            place.bPlaced = true;
        }
    }
}

// Moves the links measured by MeasureLinks that are not in place yet.
void PlaceLinks(PageState *pState) {
    // One batch: the page moves its links once instead of seven times.
    HDWP hMoves = BeginDeferWindowPos(ARRAYSIZE(kLinkControls));
    for (LinkPlace &place : pState->links) {
        if (place.hLink == nullptr || place.bPlaced || !IsWindow(place.hLink)) continue;
        place.bPlaced = true;
        const RECT &rc = place.rc;
        if (hMoves != nullptr)
            hMoves = DeferWindowPos(hMoves, place.hLink, nullptr, rc.left, rc.top, rc.right - rc.left,
                                    rc.bottom - rc.top, SWP_NOZORDER | SWP_NOACTIVATE);
        else
            MoveWindow(place.hLink, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
    }
    if (hMoves != nullptr) EndDeferWindowPos(hMoves);
}

// A link is hidden without a target, disabled when its target is no web
// address or needs a printer address that is not known.
void ApplyLinkTargets(HWND hDlg, ModelConfig *pConfig, const PageState &state, const ProfileSection &texts) {
    if (pConfig->pDat == nullptr) return;
    pConfig->pDat->SetDialogSection(kPageName);
    const bool bAddressKnown = pConfig->szPrinterAddress[0] != L'\0';
    for (int n = 1; n <= kWebLinkCount; ++n) {
        wchar_t szKey[16];
        FormatCchW(szKey, ARRAYSIZE(szKey), L"Ref_URL_%d", n);
        wchar_t szTarget[kProfileTextCch];
        texts.ReadText(szKey, szTarget);
        const int id = WebLinkControl(n);
        if (lstrcmpW(szTarget, szKey) == 0) {
            ShowOrMoveControl(hDlg, id, kHide, nullptr, pConfig);
        } else if (!IsWebTarget(szTarget) || (IsEmbeddedPageTarget(szTarget) && !bAddressKnown)) {
            EnableWindow(WebLink(state, n), FALSE);
        }
    }
}

// The part of opening that nothing on screen waits for: run from the page's
// timer, or at once when the user reaches for a control before it fired.
void FinishPage(HWND hDlg, ModelConfig *pConfig, PageState *pState) {
    if (pState == nullptr || !pState->bFinishPending) return;
    pState->bFinishPending = false;
    KillTimer(hDlg, kFinishTimer);
    PlaceLinks(pState);
    // The hints go on after the links have moved, so that they find the
    // controls at their final places.
    pState->hTooltip = CreateHintWindow(hDlg);
    pState->hints.AttachTo(hDlg, pState->hTooltip);
    // Unless a dialog opened from the sheet has taken the record over.
    if (pConfig != nullptr && pConfig->hCurrentDlg == hDlg) pConfig->hTooltip = pState->hTooltip;
}

BOOL OnInitDialog(HWND hDlg, const PROPSHEETPAGEW *pPage) {
    ModelConfig *pConfig = pPage != nullptr ? reinterpret_cast<ModelConfig *>(pPage->lParam) : nullptr;
    SetWindowLongPtrW(hDlg, DWLP_USER, reinterpret_cast<LONG_PTR>(pConfig));
    if (pConfig == nullptr || pConfig->pIni == nullptr || pConfig->pDat == nullptr) return TRUE;
    auto *pState = new (std::nothrow) PageState;
    if (pState == nullptr) return TRUE;
    if (!SetPropW(hDlg, kPageStateProperty, pState)) {
        delete pState;
        return TRUE;
    }

    // Listed once for the lookups below and the caption pass.
    const DialogControls controls(hDlg);
    FindLinks(controls, pState);
    // The switch and the diagnostic list both come from the INI's [Common].
    pConfig->pIni->SetSection(L"Common");
    ProfileSection common;
    common.Load(*pConfig->pIni);
    pState->nAlertSwitch = common.ReadInt(L"TroubleOutrider", kAlertGroupRemoved);
    // The record may still name another dialog's hint window; the page's own
    // comes with its texts, after the moves, and picks up the new places then.
    pConfig->hTooltip = nullptr;
    if (pState->nAlertSwitch == kAlertGroupRemoved) RemoveAlertGroup(hDlg, pConfig);

    // The logo is a picture, never mirrored with the page.
    HWND hLogo = controls.Find(IDC_TS_LOGO);
    if (hLogo != nullptr && IsRightToLeftLanguage())
        SetWindowLongPtrW(hLogo, GWL_EXSTYLE, GetWindowLongPtrW(hLogo, GWL_EXSTYLE) & ~WS_EX_LAYOUTRTL);

    pConfig->pDat->SetDialogSection(kPageName);
    pConfig->hCurrentDlg = hDlg;
    pConfig->dwCurrentTemplate = PageTemplate();
    // Captions, list entries and link targets all come from the page's
    // section: one read of the file serves them all.
    ProfileSection texts;
    texts.Load(*pConfig->pDat);
    TranslateDialogTexts(controls, pConfig, kPageName, texts, &pState->hints);

    pConfig->pDat->SetDialogSection(kPageName);
    FindPrinterAddress(pConfig);
    if (pState->nAlertSwitch == kAlertGroupChecked) {
        wchar_t szTopic[kLinkAddressCch];
        if (!ReadLastAlertTopic(pConfig->hPrinter, szTopic))
            EnableWindow(pState->hLinks[0], FALSE);
    }
    FillDiagnosticList(hDlg, pConfig, 0, &texts, &common);
    CreateLinkFont(hDlg, pState);
    MeasureLinks(hDlg, pState);
    ApplyLinkTargets(hDlg, pConfig, *pState, texts);
    pState->bFinishPending = SetTimer(hDlg, kFinishTimer, USER_TIMER_MINIMUM, nullptr) != 0;
    if (!pState->bFinishPending) {
        pState->bFinishPending = true;
        FinishPage(hDlg, pConfig, pState);
    }
    return TRUE;
}

void OnDestroy(HWND hDlg) {
    delete static_cast<PageState *>(RemovePropW(hDlg, kPageStateProperty));
}

bool IsUsableControl(HWND hDlg, int id) {
    HWND hControl = GetDlgItem(hDlg, id);
    return hControl != nullptr && IsWindowEnabled(hControl);
}

void RunSubDialog(HWND hDlg, ModelConfig *pConfig, INT_PTR (*pfnRun)(HWND, ModelConfig *)) {
    pfnRun(hDlg, pConfig);
    RestorePageRecord(hDlg, pConfig, GetPageState(hDlg));
}

void OnCommand(HWND hDlg, ModelConfig *pConfig, int id, WORD wCode) {
    FinishPage(hDlg, pConfig, GetPageState(hDlg));
    switch (id) {
    case IDC_TS_HELP:
        ShowPageHelp(pConfig);
        break;
    case IDC_TS_DIAG_PRINT:
        PrintSelectedDiagnosticPage(hDlg, pConfig);
        break;
    case IDC_TS_OUTRIDER_SETTINGS:
        RunSubDialog(hDlg, pConfig, RunOutriderSettingsDialog);
        break;
    case IDC_TS_ABOUT:
        RunSubDialog(hDlg, pConfig, RunAboutDialog);
        break;
    case IDC_TS_OUTRIDER_LAST_TOPIC:
        // A double click would otherwise open the topic twice.
        if (wCode == STN_CLICKED && IsUsableControl(hDlg, id)) ShowLastAlertTopic(pConfig);
        break;
    default:
        if (id >= IDC_TS_LINK_1 && id < IDC_TS_LINK_1 + kWebLinkCount && wCode == STN_CLICKED &&
            IsUsableControl(hDlg, id)) {
            OpenWebLink(pConfig, id - IDC_TS_LINK_1 + 1);
        }
        break;
    }
}

void OnNotify(HWND hDlg, ModelConfig *pConfig, const NMHDR *pHeader) {
    if (pHeader == nullptr) return;
    if (pHeader->code == static_cast<UINT>(PSN_HELP)) {
        ShowPageHelp(pConfig);
    } else if (pHeader->code == static_cast<UINT>(PSN_SETACTIVE)) {
        // Another page's dialogs may have taken the record over meanwhile.
        RestorePageRecord(hDlg, pConfig, GetPageState(hDlg));
    }
}

// The hand over a usable link. Set per message, so that no window class of
// the host application is changed.
BOOL OnSetCursor(HWND hDlg, ModelConfig *pConfig) {
    PageState *pState = GetPageState(hDlg);
    if (pState == nullptr) return FALSE;
    FinishPage(hDlg, pConfig, pState);
    POINT pt = {};
    GetCursorPos(&pt);
    for (HWND hLink : pState->hLinks) {
        if (hLink == nullptr || !IsWindowVisible(hLink) || !IsWindowEnabled(hLink)) continue;
        RECT rc = {};
        GetWindowRect(hLink, &rc);
        if (!PtInRect(&rc, pt)) continue;
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        SetWindowLongPtrW(hDlg, DWLP_MSGRESULT, TRUE);
        return TRUE;
    }
    return FALSE;
}

void DrawLogo(HDC hdc, HWND hLogo, const ModelConfig *pConfig) {
    wchar_t szPath[MAX_PATH];
    FormatCchW(szPath, MAX_PATH, L"%s%sl.bmp", pConfig->szDriverDir, pConfig->szOemPrefix);
    GdiBitmap bitmap(
        static_cast<HBITMAP>(LoadImageW(nullptr, szPath, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE)));
    BITMAP info = {};
    if (!bitmap || GetObjectW(bitmap.get(), sizeof(info), &info) == 0) return;
    // A device context taken before the control lost its mirroring would
    // still draw the picture the wrong way round.
    const DWORD dwLayout = SetLayout(hdc, 0);
    // The logo is drawn for 96 DPI: on a finer screen it grows with the page.
    GdiBitmap scaled(StretchBitmapForDpi(hdc, bitmap.get(), DeviceDpi(hdc)));
    if (scaled && GetObjectW(scaled.get(), sizeof(info), &info) != 0) bitmap.reset(scaled.release());
    RECT rc = {};
    GetClientRect(hLogo, &rc);
    if (info.bmWidth > rc.right || info.bmHeight > rc.bottom)
        SetWindowPos(hLogo, nullptr, 0, 0, info.bmWidth, info.bmHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    TransparentBlit(hdc, bitmap.get(), 0, 0);
    if (dwLayout != GDI_ERROR) SetLayout(hdc, dwLayout);
}

INT_PTR CALLBACK PageProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == WM_INITDIALOG) return OnInitDialog(hDlg, reinterpret_cast<const PROPSHEETPAGEW *>(lParam));
    ModelConfig *pConfig = TroubleshootingPageContext(hDlg);
    if (pConfig == nullptr) return FALSE;
    switch (uMsg) {
    case WM_COMMAND:
        OnCommand(hDlg, pConfig, LOWORD(wParam), HIWORD(wParam));
        return FALSE;
    case WM_NOTIFY:
        OnNotify(hDlg, pConfig, reinterpret_cast<const NMHDR *>(lParam));
        return FALSE;
    case WM_SETCURSOR:
        return OnSetCursor(hDlg, pConfig);
    case WM_CTLCOLORSTATIC:
        if (GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == IDC_TS_LOGO)
            DrawLogo(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), pConfig);
        return FALSE;
    case WM_TIMER:
        if (wParam == kFinishTimer) FinishPage(hDlg, pConfig, GetPageState(hDlg));
        return FALSE;
    case WM_DESTROY:
        OnDestroy(hDlg);
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

ModelConfig *TroubleshootingPageContext(HWND hDlg) {
    return reinterpret_cast<ModelConfig *>(GetWindowLongPtrW(hDlg, DWLP_USER));
}

INT_PTR CALLBACK TroubleshootingPageProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return PageProc(hDlg, uMsg, wParam, lParam);
}

}  // namespace oemui
