// Finding a control by id or text, and reading what a control shows: text,
// class, check state, rectangle in pixels and dialog units, hint text and
// style flags; a whole dialog described for dumps.
#include "host/dialog_driver.h"

#include <commctrl.h>

#include <iterator>

#include "host/word_match.h"

namespace oemuihost {
namespace {

std::wstring WithoutAmpersands(const std::wstring &text) {
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&' && i + 1 < text.size()) ++i;
        out += text[i];
    }
    return out;
}

struct ControlSearch {
    int id;
    const std::wstring *pText;
    HWND hFound;
    int matches;
};

BOOL CALLBACK MatchControl(HWND hWnd, LPARAM lParam) {
    auto *s = reinterpret_cast<ControlSearch *>(lParam);
    const bool hit = s->pText == nullptr ? GetDlgCtrlID(hWnd) == s->id
                                         : lstrcmpiW(WithoutAmpersands(WindowText(hWnd)).c_str(),
                                                     WithoutAmpersands(*s->pText).c_str()) == 0;
    if (hit) {
        if (s->hFound == nullptr) s->hFound = hWnd;
        ++s->matches;
    }
    return TRUE;
}

struct StyleName {
    DWORD bits;
    const wchar_t *name;
};
// Flags shown in dumps come first; the rest only name flags for expect.
constexpr size_t kShownStyles = 6;
constexpr StyleName kStyles[] = {
    {WS_VISIBLE, L"WS_VISIBLE"}, {WS_DISABLED, L"WS_DISABLED"}, {WS_TABSTOP, L"WS_TABSTOP"},
    {WS_GROUP, L"WS_GROUP"}, {WS_BORDER, L"WS_BORDER"}, {WS_VSCROLL, L"WS_VSCROLL"}, {WS_HSCROLL, L"WS_HSCROLL"},
    {WS_CAPTION, L"WS_CAPTION"}, {WS_SYSMENU, L"WS_SYSMENU"}, {WS_POPUP, L"WS_POPUP"}, {WS_CHILD, L"WS_CHILD"},
    {DS_MODALFRAME, L"DS_MODALFRAME"}, {DS_SETFONT, L"DS_SETFONT"}, {DS_CENTER, L"DS_CENTER"},
    {ES_PASSWORD, L"ES_PASSWORD"}, {ES_NUMBER, L"ES_NUMBER"}, {ES_READONLY, L"ES_READONLY"},
    {ES_AUTOHSCROLL, L"ES_AUTOHSCROLL"}, {ES_UPPERCASE, L"ES_UPPERCASE"}, {ES_MULTILINE, L"ES_MULTILINE"},
    {ES_RIGHT, L"ES_RIGHT"}, {ES_CENTER, L"ES_CENTER"}, {SS_NOTIFY, L"SS_NOTIFY"}, {BS_RIGHT, L"BS_RIGHT"},
    {BS_LEFTTEXT, L"BS_LEFTTEXT"}, {CBS_DROPDOWNLIST, L"CBS_DROPDOWNLIST"}, {CBS_SORT, L"CBS_SORT"},
};
constexpr StyleName kExStyles[] = {
    {WS_EX_LAYOUTRTL, L"WS_EX_LAYOUTRTL"}, {WS_EX_RTLREADING, L"WS_EX_RTLREADING"}, {WS_EX_RIGHT, L"WS_EX_RIGHT"},
    {WS_EX_LEFTSCROLLBAR, L"WS_EX_LEFTSCROLLBAR"}, {WS_EX_CONTEXTHELP, L"WS_EX_CONTEXTHELP"},
    {WS_EX_DLGMODALFRAME, L"WS_EX_DLGMODALFRAME"}, {WS_EX_TOPMOST, L"WS_EX_TOPMOST"},
    {WS_EX_NOINHERITLAYOUT, L"WS_EX_NOINHERITLAYOUT"}, {WS_EX_CONTROLPARENT, L"WS_EX_CONTROLPARENT"},
    {WS_EX_TRANSPARENT, L"WS_EX_TRANSPARENT"}, {WS_EX_WINDOWEDGE, L"WS_EX_WINDOWEDGE"},
    {WS_EX_CLIENTEDGE, L"WS_EX_CLIENTEDGE"}, {WS_EX_STATICEDGE, L"WS_EX_STATICEDGE"},
};

}  // namespace

std::wstring WindowText(HWND hWnd) {
    const int n = GetWindowTextLengthW(hWnd);
    if (n <= 0) return std::wstring();
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    const int got = GetWindowTextW(hWnd, &text[0], n + 1);
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

std::wstring WindowClass(HWND hWnd) {
    wchar_t sz[64] = {};
    GetClassNameW(hWnd, sz, 64);
    return sz;
}

HWND FindControl(HWND hParent, const std::wstring &ref, std::wstring *pError) {
    if (hParent == nullptr) {
        *pError = L"no dialog or page is open";
        return nullptr;
    }
    ControlSearch search = {0, &ref, nullptr, 0};
    const bool numeric = !ref.empty() && ref.size() < 7 && ref.find_first_not_of(L"0123456789") == std::wstring::npos;
    if (numeric) {
        search.id = _wtoi(ref.c_str());
        search.pText = nullptr;
    }
    // The dialog's own controls first: a combo box's edit field has an id
    // of its own (1001) that may also be a button's of the dialog.
    for (HWND h = GetWindow(hParent, GW_CHILD); h != nullptr && search.hFound == nullptr; h = GetWindow(h, GW_HWNDNEXT))
        MatchControl(h, reinterpret_cast<LPARAM>(&search));
    if (search.hFound == nullptr) EnumChildWindows(hParent, &MatchControl, reinterpret_cast<LPARAM>(&search));
    if (search.hFound == nullptr) {
        *pError = L"\"" + WindowText(hParent) + L"\" has no control " + (numeric ? ref : L"\"" + ref + L"\"");
        return nullptr;
    }
    return search.hFound;
}

int CheckState(HWND hCtrl) {
    if (!Is(WindowClass(hCtrl), L"Button")) return -1;
    const LONG type = GetWindowLongW(hCtrl, GWL_STYLE) & BS_TYPEMASK;
    switch (type) {
    case BS_CHECKBOX: case BS_AUTOCHECKBOX: case BS_3STATE: case BS_AUTO3STATE: case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
        return static_cast<int>(SendMessageW(hCtrl, BM_GETCHECK, 0, 0));
    default:
        return -1;
    }
}

RECT ControlRect(HWND hCtrl) {
    RECT rc = {};
    GetWindowRect(hCtrl, &rc);
    MapWindowPoints(nullptr, GetParent(hCtrl), reinterpret_cast<POINT *>(&rc), 2);
    // Mirrored parents map right-to-left; keep left < right.
    if (rc.left > rc.right) std::swap(rc.left, rc.right);
    return rc;
}

RECT ControlRectDlu(HWND hCtrl) {
    RECT unit = {0, 0, 400, 800};
    MapDialogRect(GetParent(hCtrl), &unit);
    const RECT px = ControlRect(hCtrl);
    auto toDlu = [](LONG v, LONG perUnits, LONG units) {
        return perUnits == 0 ? 0 : static_cast<LONG>((static_cast<long long>(v) * units + perUnits / 2) / perUnits);
    };
    return RECT{toDlu(px.left, unit.right, 400), toDlu(px.top, unit.bottom, 800), toDlu(px.right, unit.right, 400),
                toDlu(px.bottom, unit.bottom, 800)};
}

namespace {

struct HintSearch {
    HWND hDlg;
    HWND hRoot;
    std::vector<HWND> tips;
};

// Hint windows are top-level windows of the thread owned by the dialog; a
// page's are owned by its sheet (a pop-up's owner is always top-level).
std::vector<HWND> HintWindows(HWND hDlg) {
    HintSearch search = {hDlg, GetAncestor(hDlg, GA_ROOT), {}};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hWnd, LPARAM lParam) -> BOOL {
            auto *s = reinterpret_cast<HintSearch *>(lParam);
            const HWND hOwner = GetWindow(hWnd, GW_OWNER);
            if (Is(WindowClass(hWnd), TOOLTIPS_CLASSW) && (hOwner == s->hDlg || hOwner == s->hRoot))
                s->tips.push_back(hWnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.tips;
}

std::wstring ToolText(HWND hTip, TTTOOLINFOW &info) {
    wchar_t sz[1024] = {};
    info.lpszText = sz;
    SendMessageW(hTip, TTM_GETTEXTW, 1024, reinterpret_cast<LPARAM>(&info));
    return sz;
}

struct HintTool {
    HWND hCtrl;  // the control, for a tool named by its window
    UINT_PTR id;
    std::wstring text;
};

// Every tool of every hint window of the dialog, with its text.
std::vector<HintTool> HintTools(HWND hDlg) {
    std::vector<HintTool> tools;
    for (HWND hTip : HintWindows(hDlg)) {
        const LRESULT count = SendMessageW(hTip, TTM_GETTOOLCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            TTTOOLINFOW info = {};
            info.cbSize = sizeof(info);
            if (!SendMessageW(hTip, TTM_ENUMTOOLSW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&info))) continue;
            HWND hCtrl = (info.uFlags & TTF_IDISHWND) ? reinterpret_cast<HWND>(info.uId) : nullptr;
            const UINT_PTR id = hCtrl != nullptr ? static_cast<UINT_PTR>(GetDlgCtrlID(hCtrl)) : info.uId;
            tools.push_back(HintTool{hCtrl, id, ToolText(hTip, info)});
        }
    }
    return tools;
}

std::wstring StyleText(DWORD style) {
    std::wstring out = Hex32(style);
    for (size_t i = 0; i < kShownStyles; ++i)
        if (style & kStyles[i].bits) out += L" " + std::wstring(kStyles[i].name);
    return out;
}

std::wstring RectText(const RECT &rc) {
    return std::to_wstring(rc.left) + L"," + std::to_wstring(rc.top) + L" " + std::to_wstring(rc.right - rc.left) +
           L"x" + std::to_wstring(rc.bottom - rc.top);
}

}  // namespace

bool StyleFlagBits(const std::wstring &name, bool extended, DWORD *pBits) {
    const StyleName *first = extended ? std::begin(kExStyles) : std::begin(kStyles);
    const StyleName *last = extended ? std::end(kExStyles) : std::end(kStyles);
    for (const StyleName *p = first; p != last; ++p)
        if (Is(name, p->name)) {
            *pBits = p->bits;
            return true;
        }
    return false;
}

bool HintText(HWND hDlg, HWND hCtrl, std::wstring *pText) {
    const UINT_PTR id = static_cast<UINT_PTR>(GetDlgCtrlID(hCtrl));
    for (const HintTool &tool : HintTools(hDlg)) {
        if (tool.hCtrl != nullptr ? tool.hCtrl != hCtrl : tool.id != id) continue;
        *pText = tool.text;
        return true;
    }
    return false;
}

ReportFields DescribeDialog(HWND hDlg) {
    ReportFields fields;
    fields.emplace_back(L"title", L"\"" + WindowText(hDlg) + L"\"");
    fields.emplace_back(L"style", StyleText(static_cast<DWORD>(GetWindowLongW(hDlg, GWL_STYLE))));
    fields.emplace_back(L"extended style", Hex32(static_cast<DWORD>(GetWindowLongW(hDlg, GWL_EXSTYLE))));
    struct Walk {
        HWND hDlg;
        ReportFields *pFields;
    } walk = {hDlg, &fields};
    EnumChildWindows(
        hDlg,
        [](HWND hCtrl, LPARAM lParam) -> BOOL {
            auto *w = reinterpret_cast<Walk *>(lParam);
            const int check = CheckState(hCtrl);
            std::wstring value = WindowClass(hCtrl) + L" \"" + WindowText(hCtrl) + L"\"";
            value += IsWindowVisible(hCtrl) ? L", visible" : L", hidden";
            value += IsWindowEnabled(hCtrl) ? L", enabled" : L", disabled";
            if (check >= 0) value += check == BST_CHECKED ? L", checked" : check == BST_INDETERMINATE ? L", indeterminate" : L", unchecked";
            value += L", " + RectText(ControlRect(hCtrl)) + L" px, " + RectText(ControlRectDlu(hCtrl)) + L" dlu";
            value += L", style " + StyleText(static_cast<DWORD>(GetWindowLongW(hCtrl, GWL_STYLE)));
            w->pFields->emplace_back(L"control " + std::to_wstring(GetDlgCtrlID(hCtrl)), value);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&walk));
    for (const HintTool &tool : HintTools(hDlg))
        fields.emplace_back(L"hint " + std::to_wstring(tool.id), L"\"" + tool.text + L"\"");
    return fields;
}

}  // namespace oemuihost
