#include "about/about_dialog.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <new>

#include "about/about_layout.h"
#include "common/bounded_format.h"
#include "resources/resource_ids.h"
#include "settings/model_config.h"
#include "settings/profile_section.h"
#include "ui/captions.h"
#include "ui/gdi_handles.h"
#include "ui/language.h"
#include "ui/layout.h"
#include "ui/modal_dialog.h"
#include "ui/dialog_texts.h"

namespace oemui {
namespace {

constexpr int kDetailLines = 10;

// A placeholder an "M_Info" line may hold and the version-file key whose
// value replaces it, in the order they are tried.
struct Placeholder {
    const wchar_t *pszPlaceholder;
    const wchar_t *pszVersionKey;
};
constexpr Placeholder kPlaceholders[] = {
    {L"$DESCRIPTION", L"Description"},
    {L"%s", L"MainVersion"},
    {L"$MAINVERSION", L"MainVersion"},
    {L"$DRIVERNAME", L"DriverName"},
    {L"$COMPANY", L"CompanyName"},
    {L"$DRIVERCOPYRIGHT", L"DRIVERCOPYRIGHT"},
    {L"$COMMENT", L"Comments"},
};

// What the open dialog keeps: the sheet's record and the picture, read once
// when the dialog opens and drawn from memory at every paint.
struct AboutState {
    ModelConfig *pConfig;
    GdiBitmap picture;
};

AboutState *DialogState(HWND hDlg) { return reinterpret_cast<AboutState *>(GetWindowLongPtrW(hDlg, GWLP_USERDATA)); }

ModelConfig *DialogContext(HWND hDlg) {
    const AboutState *pState = DialogState(hDlg);
    return pState != nullptr ? pState->pConfig : nullptr;
}

// Appends as much of pszText as fits.
void Append(wchar_t *pszDest, size_t cchDest, const wchar_t *pszText) {
    const size_t cchUsed = LengthCchW(pszDest, cchDest);
    if (cchUsed + 1 >= cchDest) return;
    CopyCchW(pszDest + cchUsed, cchDest - cchUsed, pszText);
}

// The line with its first known placeholder replaced; empty when the line
// has none or the version file lacks the value.
void ExpandDetailLine(const ProfileSection &version, const wchar_t *pszLine, wchar_t *pszOut, size_t cchOut) {
    pszOut[0] = L'\0';
    for (const Placeholder &p : kPlaceholders) {
        const wchar_t *pszAt = StrStrW(pszLine, p.pszPlaceholder);
        if (pszAt == nullptr) continue;
        wchar_t szValue[kProfileTextCch];
        version.ReadText(p.pszVersionKey, szValue);
        if (StrCmpW(szValue, p.pszVersionKey) == 0) return;
        const size_t cchBefore = static_cast<size_t>(pszAt - pszLine) + 1;
        CopyCchW(pszOut, cchBefore < cchOut ? cchBefore : cchOut, pszLine);
        Append(pszOut, cchOut, szValue);
        Append(pszOut, cchOut, pszAt + lstrlenW(p.pszPlaceholder));
        return;
    }
}

HBITMAP LoadBackground(const ModelConfig *pConfig) {
    wchar_t szPath[MAX_PATH];
    FormatCchW(szPath, MAX_PATH, L"%s%s%s", pConfig->szDriverDir, pConfig->szOemPrefix, L"Y.bmp");
    return static_cast<HBITMAP>(LoadImageW(nullptr, szPath, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE));
}

void PlaceControlAt(HWND hDlg, int id, const RECT &rc) {
    const POINT pt = {rc.left, rc.top};
    const SIZE size = {rc.right - rc.left, rc.bottom - rc.top};
    PlaceControl(hDlg, id, &pt, &size);
}

// Sizes the dialog to the picture and places OK and the details over it.
// Without a picture the template's own layout stays: it is usable as it is.
void FitToBackground(HWND hDlg, HBITMAP hPicture) {
    BITMAP info = {};
    if (hPicture == nullptr || GetObjectW(hPicture, sizeof(info), &info) == 0 || info.bmWidth <= 0 ||
        info.bmHeight <= 0)
        return;
    const AboutLayout layout = ComputeAboutLayout({info.bmWidth, info.bmHeight}, WindowDpi(hDlg));
    RECT rcWindow = {};
    RECT rcClient = {};
    GetWindowRect(hDlg, &rcWindow);
    GetClientRect(hDlg, &rcClient);
    const int cxFrame = (rcWindow.right - rcWindow.left) - rcClient.right;
    const int cyFrame = (rcWindow.bottom - rcWindow.top) - rcClient.bottom;
    SetWindowPos(hDlg, nullptr, 0, 0, layout.client.cx + cxFrame, layout.client.cy + cyFrame,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
    PlaceControlAt(hDlg, IDOK, layout.okButton);
    PlaceControlAt(hDlg, IDC_AB_DETAILS, layout.details);
}

// On a mirrored dialog the details start at the leading edge.
void MoveDetailsToLeadingEdge(HWND hDlg) {
    HWND hDetails = GetDlgItem(hDlg, IDC_AB_DETAILS);
    if (hDetails == nullptr) return;
    RECT rc = {};
    GetWindowRect(hDetails, &rc);
    MapWindowPoints(nullptr, hDlg, reinterpret_cast<POINT *>(&rc), 2);
    MoveWindow(hDetails, 0, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
}

BOOL OnInitDialog(HWND hDlg, ModelConfig *pConfig) {
    if (pConfig == nullptr) return FALSE;
    auto *pState = new (std::nothrow) AboutState{pConfig, GdiBitmap()};
    if (pState == nullptr) return FALSE;
    SetWindowLongPtrW(hDlg, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pState));
    pConfig->hCurrentDlg = hDlg;
    pConfig->dwCurrentTemplate = IDD_ABOUT;
    const bool bRtl = IsRightToLeftLanguage();
    if (bRtl) SetWindowLongPtrW(hDlg, GWL_EXSTYLE, GetWindowLongPtrW(hDlg, GWL_EXSTYLE) ^ WS_EX_LAYOUTRTL);

    if (pConfig->pDat != nullptr) pConfig->pDat->SetDialogSection(kAboutDialogName);
    if (pConfig->pVer != nullptr) pConfig->pVer->SetSection(L"Version");
    if (pConfig->pDat != nullptr) {
        wchar_t szCaption[kProfileTextCch];
        pConfig->pDat->ReadText(L"Caption", szCaption);
        SetWindowTextW(hDlg, szCaption);
    }
    // The hint areas are taken from where the controls are when the pass
    // registers them: the controls go to their places first.
    pState->picture.reset(LoadBackground(pConfig));
    FitToBackground(hDlg, pState->picture.get());
    if (bRtl) MoveDetailsToLeadingEdge(hDlg);
    TranslateDialog(hDlg, pConfig, kAboutDialogName);
    if (pConfig->pDat != nullptr) pConfig->pDat->SetDialogSection(kAboutDialogName);
    // The details go over the template's text after the caption pass, which
    // would otherwise look their lines up as captions.
    wchar_t szDetails[kAboutDetailsCch];
    BuildAboutDetails(pConfig, szDetails);
    SetDlgItemTextW(hDlg, IDC_AB_DETAILS, szDetails);

    SetForegroundWindow(hDlg);
    CenterOnParent(hDlg);
    return FALSE;
}

// The whole picture at the size the layout gives it, clipped to the update
// area. A mirrored dialog would show it the wrong way round: it is handed
// over flipped, so that the mirroring puts it right again.
void DrawBackground(HDC hdc, HDC hdcPicture, const BITMAP &info) {
    const AboutLayout layout = ComputeAboutLayout({info.bmWidth, info.bmHeight}, DeviceDpi(hdc));
    const SIZE &size = layout.picture;
    if (size.cx == info.bmWidth && size.cy == info.bmHeight && !(GetLayout(hdc) & LAYOUT_RTL)) {
        BitBlt(hdc, 0, 0, size.cx, size.cy, hdcPicture, 0, 0, SRCCOPY);
        return;
    }
    // Averaged rather than dropped or doubled pixels when the picture grows.
    const int nOldMode = SetStretchBltMode(hdc, HALFTONE);
    POINT ptOldOrigin = {};
    SetBrushOrgEx(hdc, 0, 0, &ptOldOrigin);
    if (GetLayout(hdc) & LAYOUT_RTL)
        StretchBlt(hdc, 0, 0, size.cx, size.cy, hdcPicture, info.bmWidth - 1, 0, -info.bmWidth, info.bmHeight,
                   SRCCOPY);
    else
        StretchBlt(hdc, 0, 0, size.cx, size.cy, hdcPicture, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    SetBrushOrgEx(hdc, ptOldOrigin.x, ptOldOrigin.y, nullptr);
    if (nOldMode != 0) SetStretchBltMode(hdc, nOldMode);
}

void OnPaint(HWND hDlg, HBITMAP hPicture) {
    PAINTSTRUCT ps = {};
    HDC hdc = BeginPaint(hDlg, &ps);
    if (hdc == nullptr) return;
    {
        GdiSelection brush(hdc, GetStockObject(WHITE_BRUSH));
        const int nOldMode = SetBkMode(hdc, TRANSPARENT);
        RECT rcClient = {};
        GetClientRect(hDlg, &rcClient);
        PatBlt(hdc, 0, 0, rcClient.right, rcClient.bottom, PATCOPY);

        if (hPicture != nullptr) {
            MemoryDC memory(hdc);
            if (memory) {
                GdiSelection picture(memory.get(), hPicture);
                BITMAP info = {};
                GetObjectW(hPicture, sizeof(info), &info);
                DrawBackground(hdc, memory.get(), info);
            }
        }
        SetBkMode(hdc, nOldMode);
    }
    EndPaint(hDlg, &ps);
}

void RelayToHints(HWND hDlg, const ModelConfig *pConfig, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (pConfig->hTooltip == nullptr) return;
    MSG msg = {};
    msg.hwnd = hDlg;
    msg.message = uMsg;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = static_cast<DWORD>(GetMessageTime());
    GetCursorPos(&msg.pt);
    SendMessageW(pConfig->hTooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
}

INT_PTR CALLBACK AboutDialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == WM_INITDIALOG) return OnInitDialog(hDlg, reinterpret_cast<ModelConfig *>(lParam));
    ModelConfig *pConfig = DialogContext(hDlg);
    if (pConfig == nullptr) return FALSE;
    switch (uMsg) {
    case WM_PAINT:
        OnPaint(hDlg, DialogState(hDlg)->picture.get());
        return TRUE;
    case WM_CTLCOLORSTATIC:
        if (GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) != IDC_AB_DETAILS) return FALSE;
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
    case WM_COMMAND:
        if (HIWORD(wParam) != 0) return FALSE;
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(hDlg, LOWORD(wParam));
        return TRUE;
    case WM_MOUSEMOVE:
        RelayToHints(hDlg, pConfig, uMsg, wParam, lParam);
        return TRUE;
    case WM_DESTROY:
        delete DialogState(hDlg);
        SetWindowLongPtrW(hDlg, GWLP_USERDATA, 0);
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

void BuildAboutDetails(const ModelConfig *pConfig, wchar_t *pszDetails) {
    if (pszDetails == nullptr) return;
    pszDetails[0] = L'\0';
    if (pConfig == nullptr || pConfig->pDat == nullptr || pConfig->pVer == nullptr) return;
    // Both sections read whole once: the profile API opens the file anew for
    // every key, and the ten lines take up to twenty.
    ProfileSection lines;
    lines.Load(*pConfig->pDat);
    ProfileSection version;
    version.Load(*pConfig->pVer);
    for (int i = 1; i <= kDetailLines; ++i) {
        wchar_t szKey[16];
        FormatCchW(szKey, ARRAYSIZE(szKey), L"M_Info%d", i);
        wchar_t szLine[kProfileTextCch];
        lines.ReadText(szKey, szLine);
        if (StrCmpW(szLine, szKey) != 0) {
            wchar_t szExpanded[kAboutDetailsCch];
            ExpandDetailLine(version, szLine, szExpanded, kAboutDetailsCch);
            Append(pszDetails, kAboutDetailsCch, szExpanded);
        }
        Append(pszDetails, kAboutDetailsCch, L"\r\n");
    }
}

INT_PTR RunAboutDialog(HWND hOwner, ModelConfig *pConfig) {
    return RunPluginDialog(IDD_ABOUT, IDD_ABOUT, hOwner, AboutDialogProc, pConfig);
}

}  // namespace oemui
