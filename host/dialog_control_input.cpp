// Controls changed the way a user changes them: text set, buttons clicked
// (anything else clicked with the mouse), list and combo box entries chosen,
// date/time pickers set; the parent is told as a user's change tells it.
#include "host/dialog_driver.h"

#include <commctrl.h>

#include "host/word_match.h"

namespace oemuihost {
namespace {

bool ParseUnsigned(const std::wstring &s, size_t from, size_t count, int *pValue) {
    if (from + count > s.size()) return false;
    int v = 0;
    for (size_t i = from; i < from + count; ++i) {
        if (s[i] < L'0' || s[i] > L'9') return false;
        v = v * 10 + (s[i] - L'0');
    }
    *pValue = v;
    return true;
}

}  // namespace

bool SetControlText(HWND hCtrl, const std::wstring &text, std::wstring *pError) {
    if (!SendMessageW(hCtrl, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()))) {
        *pError = L"the control refused the text";
        return false;
    }
    return true;
}

bool ClickControl(HWND hCtrl, std::wstring *pError) {
    if (!IsWindowVisible(hCtrl)) {
        *pError = L"the control is hidden";
        return false;
    }
    if (!IsWindowEnabled(hCtrl)) {
        *pError = L"the control is disabled";
        return false;
    }
    const std::wstring cls = WindowClass(hCtrl);
    if (Is(cls, L"Button")) {
        SendMessageW(hCtrl, BM_CLICK, 0, 0);
        return true;
    }
    // Anything else (a link, a static with notify) is clicked with the mouse.
    RECT rc = {};
    GetClientRect(hCtrl, &rc);
    const LPARAM at = MAKELPARAM((rc.right - rc.left) / 2, (rc.bottom - rc.top) / 2);
    SendMessageW(hCtrl, WM_LBUTTONDOWN, MK_LBUTTON, at);
    if (IsWindow(hCtrl)) SendMessageW(hCtrl, WM_LBUTTONUP, 0, at);
    return true;
}

bool ChooseEntry(HWND hCtrl, const std::wstring &entry, std::wstring *pError) {
    const std::wstring cls = WindowClass(hCtrl);
    const bool combo = Is(cls, L"ComboBox");
    if (!combo && !Is(cls, L"ListBox")) {
        *pError = L"the control is a " + cls + L", not a list";
        return false;
    }
    if (!IsWindowEnabled(hCtrl)) {
        *pError = L"the control is disabled";
        return false;
    }
    const LRESULT count = SendMessageW(hCtrl, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
    LRESULT index = -1;
    if (entry.size() > 1 && entry[0] == L'#') {
        index = _wtoi(entry.c_str() + 1);
        if (index < 0 || index >= count) index = -1;
    } else {
        index = SendMessageW(hCtrl, combo ? CB_FINDSTRINGEXACT : LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                             reinterpret_cast<LPARAM>(entry.c_str()));
    }
    if (index < 0) {
        std::wstring entries;
        for (LRESULT i = 0; i < count && i < 32; ++i) {
            wchar_t sz[256] = {};
            const LRESULT len = SendMessageW(hCtrl, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
            if (len >= 0 && len < 256)
                SendMessageW(hCtrl, combo ? CB_GETLBTEXT : LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(sz));
            entries += (i ? L", \"" : L"\"") + std::wstring(sz) + L"\"";
        }
        *pError = L"the list has no entry \"" + entry + L"\" (" + std::to_wstring(count) + L" entries: " + entries + L")";
        return false;
    }
    SendMessageW(hCtrl, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    // Setting the selection in code notifies nobody; a user's choice does.
    const WORD code = combo ? CBN_SELCHANGE : LBN_SELCHANGE;
    SendMessageW(GetParent(hCtrl), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hCtrl), code), reinterpret_cast<LPARAM>(hCtrl));
    if (combo && IsWindow(hCtrl))
        SendMessageW(GetParent(hCtrl), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hCtrl), CBN_SELENDOK),
                     reinterpret_cast<LPARAM>(hCtrl));
    return true;
}

bool SetDateTime(HWND hCtrl, const std::wstring &date, const std::wstring &time, std::wstring *pError) {
    if (!Is(WindowClass(hCtrl), DATETIMEPICK_CLASSW)) {
        *pError = L"the control is a " + WindowClass(hCtrl) + L", not a date/time picker";
        return false;
    }
    NMDATETIMECHANGE change = {};
    change.nmhdr.hwndFrom = hCtrl;
    change.nmhdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(hCtrl));
    change.nmhdr.code = DTN_DATETIMECHANGE;
    if (Is(date, L"none")) {
        change.dwFlags = GDT_NONE;
    } else {
        int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
        const bool dateOk = date.size() == 10 && date[4] == L'-' && date[7] == L'-' && ParseUnsigned(date, 0, 4, &y) &&
                            ParseUnsigned(date, 5, 2, &mo) && ParseUnsigned(date, 8, 2, &d);
        const bool timeOk = time.empty() || ((time.size() == 5 || (time.size() == 8 && time[5] == L':')) &&
                                             time[2] == L':' && ParseUnsigned(time, 0, 2, &h) &&
                                             ParseUnsigned(time, 3, 2, &mi) &&
                                             (time.size() == 5 || ParseUnsigned(time, 6, 2, &s)));
        if (!dateOk || !timeOk) {
            *pError = L"a date is YYYY-MM-DD and a time HH:MM or HH:MM:SS";
            return false;
        }
        change.dwFlags = GDT_VALID;
        change.st.wYear = static_cast<WORD>(y);
        change.st.wMonth = static_cast<WORD>(mo);
        change.st.wDay = static_cast<WORD>(d);
        change.st.wHour = static_cast<WORD>(h);
        change.st.wMinute = static_cast<WORD>(mi);
        change.st.wSecond = static_cast<WORD>(s);
        // The day of the week, as the picker's calendar would give it.
        FILETIME ft;
        if (!SystemTimeToFileTime(&change.st, &ft) || !FileTimeToSystemTime(&ft, &change.st)) {
            *pError = L"\"" + date + L" " + time + L"\" is not a real date and time";
            return false;
        }
    }
    if (!SendMessageW(hCtrl, DTM_SETSYSTEMTIME, change.dwFlags, reinterpret_cast<LPARAM>(&change.st))) {
        *pError = L"the picker refused the value";
        return false;
    }
    SendMessageW(GetParent(hCtrl), WM_NOTIFY, change.nmhdr.idFrom, reinterpret_cast<LPARAM>(&change));
    return true;
}

}  // namespace oemuihost
