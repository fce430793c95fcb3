#include "host/options_page.h"

#include <commctrl.h>
#include <prsht.h>

#include <string>

#include "host/session.h"

namespace oemuihost {
namespace {

constexpr WORD kClassButton = 0x0080;
constexpr WORD kClassStatic = 0x0082;
constexpr WORD kClassListBox = 0x0083;
constexpr WORD kClassComboBox = 0x0085;

class TemplateWriter {
public:
    void Align() {
        while (m_bytes.size() % 4) m_bytes.push_back(0);
    }
    void Word(WORD w) {
        m_bytes.push_back(static_cast<BYTE>(w & 0xFF));
        m_bytes.push_back(static_cast<BYTE>(w >> 8));
    }
    void Dword(DWORD d) {
        Word(static_cast<WORD>(d & 0xFFFF));
        Word(static_cast<WORD>(d >> 16));
    }
    void Text(const wchar_t *psz) {
        for (; *psz; ++psz) Word(static_cast<WORD>(*psz));
        Word(0);
    }
    void Control(WORD cls, const wchar_t *text, DWORD style, short x, short y, short cx, short cy, WORD id) {
        Align();
        Dword(style | WS_CHILD | WS_VISIBLE);
        Dword(0);
        Word(static_cast<WORD>(x));
        Word(static_cast<WORD>(y));
        Word(static_cast<WORD>(cx));
        Word(static_cast<WORD>(cy));
        Word(id);
        Word(0xFFFF);
        Word(cls);
        Text(text);
        Word(0);
    }
    std::vector<BYTE> m_bytes;
};

Session *SessionOf(HWND hDlg) { return reinterpret_cast<Session *>(GetWindowLongPtrW(hDlg, DWLP_USER)); }

LRESULT ListData(HWND hList, LRESULT i) { return SendMessageW(hList, LB_GETITEMDATA, static_cast<WPARAM>(i), 0); }

void FillOptions(HWND hDlg, Session &session) {
    HWND hList = GetDlgItem(hDlg, kIdcItems);
    HWND hCombo = GetDlgItem(hDlg, kIdcOptions);
    SendMessageW(hCombo, CB_RESETCONTENT, 0, 0);
    const LRESULT cur = SendMessageW(hList, LB_GETCURSEL, 0, 0);
    if (cur == LB_ERR) return;
    const DWORD index = static_cast<DWORD>(ListData(hList, cur));
    OptionTree &tree = session.Tree();
    const LONG sel = tree.Items()[index].Sel;
    if (tree.IsCopies(index)) {
        const LONG last = sel > 20 ? sel : 20;
        for (LONG n = 1; n <= last; ++n)
            SendMessageW(hCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::to_wstring(n).c_str()));
        SendMessageW(hCombo, CB_SETCURSEL, static_cast<WPARAM>(sel - 1), 0);
    } else {
        const LONG n = tree.OptionCount(index);
        for (LONG i = 0; i < n; ++i)
            SendMessageW(hCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(tree.OptionName(index, i).c_str()));
        SendMessageW(hCombo, CB_SETCURSEL, static_cast<WPARAM>(sel), 0);
    }
    std::wstring why;
    EnableWindow(hCombo, session.ItemUsable(index, &why));
}

void OnOptionChosen(HWND hDlg, Session &session) {
    HWND hList = GetDlgItem(hDlg, kIdcItems);
    const LRESULT cur = SendMessageW(hList, LB_GETCURSEL, 0, 0);
    const LRESULT choice = SendMessageW(GetDlgItem(hDlg, kIdcOptions), CB_GETCURSEL, 0, 0);
    if (cur == LB_ERR || choice == CB_ERR) return;
    const DWORD index = static_cast<DWORD>(ListData(hList, cur));
    const LONG sel = session.Tree().IsCopies(index) ? static_cast<LONG>(choice) + 1 : static_cast<LONG>(choice);
    std::wstring error;
    if (!session.SelectIndex(index, sel, &error)) MessageBoxW(hDlg, error.c_str(), L"oemuihost", MB_OK);
}

void OnPress(HWND hDlg, Session &session) {
    HWND hButtons = GetDlgItem(hDlg, kIdcButtons);
    const LRESULT cur = SendMessageW(hButtons, LB_GETCURSEL, 0, 0);
    if (cur == LB_ERR) return;
    std::wstring error;
    if (!session.PressIndex(static_cast<DWORD>(ListData(hButtons, cur)), &error))
        MessageBoxW(hDlg, error.c_str(), L"oemuihost", MB_OK);
}

}  // namespace

std::vector<BYTE> BuildOptionsPageTemplate() {
    TemplateWriter w;
    w.Dword(WS_CHILD | WS_CAPTION | DS_SETFONT | DS_3DLOOK | DS_CONTROL);
    w.Dword(0);
    w.Word(9);  // controls
    w.Word(0);
    w.Word(0);
    w.Word(332);
    w.Word(186);
    w.Word(0);  // no menu
    w.Word(0);  // standard class
    w.Text(L"Options");
    w.Word(8);
    w.Text(L"MS Shell Dlg");
    w.Control(kClassStatic, L"Driver items", SS_LEFT, 7, 4, 200, 10, 0xFFFF);
    w.Control(kClassListBox, L"", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 7, 15, 200,
              140, kIdcItems);
    w.Control(kClassStatic, L"Option", SS_LEFT, 7, 162, 40, 10, 0xFFFF);
    w.Control(kClassComboBox, L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 50, 160, 157, 120, kIdcOptions);
    w.Control(kClassStatic, L"Plug-in items", SS_LEFT, 215, 4, 110, 10, 0xFFFF);
    w.Control(kClassListBox, L"", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 215, 15,
              110, 100, kIdcButtons);
    w.Control(kClassButton, L"Press", BS_PUSHBUTTON | WS_TABSTOP, 215, 120, 50, 14, kIdcPress);
    w.Control(kClassButton, L"Collate", BS_AUTOCHECKBOX | WS_TABSTOP, 215, 142, 100, 10, kIdcCollate);
    w.Control(kClassStatic, L"", SS_LEFT, 215, 158, 110, 20, 0xFFFF);
    w.Align();
    return w.m_bytes;
}

void RefreshOptionsPage(HWND hPage, Session &session) {
    if (hPage == nullptr) return;
    HWND hList = GetDlgItem(hPage, kIdcItems);
    HWND hButtons = GetDlgItem(hPage, kIdcButtons);
    const LRESULT cur = SendMessageW(hList, LB_GETCURSEL, 0, 0);
    SendMessageW(hList, LB_RESETCONTENT, 0, 0);
    SendMessageW(hButtons, LB_RESETCONTENT, 0, 0);
    OptionTree &tree = session.Tree();
    for (DWORD i = 0; i < tree.Count(); ++i) {
        std::wstring why;
        const bool plugin = i >= tree.DriverCount();
        if (plugin && (tree.Items()[i].Flags & OPTIF_HIDE)) continue;
        HWND hTarget = plugin ? hButtons : hList;
        const LRESULT pos = SendMessageW(hTarget, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(session.ItemLine(i).c_str()));
        if (pos >= 0) SendMessageW(hTarget, LB_SETITEMDATA, static_cast<WPARAM>(pos), static_cast<LPARAM>(i));
    }
    if (cur != LB_ERR) SendMessageW(hList, LB_SETCURSEL, static_cast<WPARAM>(cur), 0);
    CheckDlgButton(hPage, kIdcCollate, tree.Collate() ? BST_CHECKED : BST_UNCHECKED);
    EnableWindow(GetDlgItem(hPage, kIdcCollate), session.Kind() == SheetKind::Document);
    FillOptions(hPage, session);
}

INT_PTR CALLBACK OptionsPageProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == WM_INITDIALOG) {
        const auto *psp = reinterpret_cast<const PROPSHEETPAGEW *>(lParam);
        auto *pSession = reinterpret_cast<Session *>(psp->lParam);
        SetWindowLongPtrW(hDlg, DWLP_USER, reinterpret_cast<LONG_PTR>(pSession));
        pSession->OnPageCreated(hDlg);
        return TRUE;
    }
    Session *pSession = SessionOf(hDlg);
    if (pSession == nullptr) return FALSE;
    switch (uMsg) {
    case WM_NOTIFY: {
        const auto *pHdr = reinterpret_cast<const NMHDR *>(lParam);
        switch (pHdr->code) {
        case PSN_SETACTIVE:
            pSession->OnSetActive(hDlg);
            SetWindowLongPtrW(hDlg, DWLP_MSGRESULT, 0);
            return TRUE;
        case PSN_KILLACTIVE:
            pSession->OnKillActive(hDlg);
            SetWindowLongPtrW(hDlg, DWLP_MSGRESULT, FALSE);
            return TRUE;
        case PSN_APPLY:
            pSession->OnApply(hDlg);
            SetWindowLongPtrW(hDlg, DWLP_MSGRESULT, PSNRET_NOERROR);
            return TRUE;
        default:
            return FALSE;
        }
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == kIdcItems && HIWORD(wParam) == LBN_SELCHANGE) FillOptions(hDlg, *pSession);
        if (LOWORD(wParam) == kIdcOptions && HIWORD(wParam) == CBN_SELCHANGE) OnOptionChosen(hDlg, *pSession);
        if (LOWORD(wParam) == kIdcPress && HIWORD(wParam) == BN_CLICKED) OnPress(hDlg, *pSession);
        if (LOWORD(wParam) == kIdcCollate && HIWORD(wParam) == BN_CLICKED) {
            std::wstring error;
            pSession->Select(L"collate", IsDlgButtonChecked(hDlg, kIdcCollate) == BST_CHECKED ? L"on" : L"off", &error);
        }
        return FALSE;
    case WM_DESTROY:
        pSession->OnPageDestroyed(hDlg);
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace oemuihost
