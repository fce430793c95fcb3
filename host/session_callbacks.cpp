// The plug-in's callbacks while the sheet is open: the options page's
// notifications (set-active, kill-active) reach the installed
// OEMCUIPCallback, push buttons call their OPTPARAM.pData callback, and the
// items the plug-in marked changed are taken over into the core's state.
#include "host/session.h"

#include "host/options_page.h"
#include "host/session_internal.h"

namespace oemuihost {
namespace {

constexpr ReasonName kItemReasons[] = {
    {CPSUICB_REASON_SEL_CHANGED, L"CPSUICB_REASON_SEL_CHANGED"},
    {CPSUICB_REASON_PUSHBUTTON, L"CPSUICB_REASON_PUSHBUTTON"},
    {CPSUICB_REASON_ECB_CHANGED, L"CPSUICB_REASON_ECB_CHANGED"},
    {CPSUICB_REASON_APPLYNOW, L"CPSUICB_REASON_APPLYNOW"},
    {CPSUICB_REASON_SETACTIVE, L"CPSUICB_REASON_SETACTIVE"},
    {CPSUICB_REASON_KILLACTIVE, L"CPSUICB_REASON_KILLACTIVE"},
};

}  // namespace

void Session::OnPageCreated(HWND hPage) {
    m_hOptionsPage = hPage;
    RefreshPage();
}

void Session::OnPageDestroyed(HWND hPage) {
    if (m_hOptionsPage == hPage) m_hOptionsPage = nullptr;
}

void Session::RefreshPage() {
    if (m_hOptionsPage != nullptr) RefreshOptionsPage(m_hOptionsPage, *this);
}

CPSUICBPARAM Session::CallbackParam(WORD reason, POPTITEM pCur, LONG oldSel, HWND hDlg) {
    CPSUICBPARAM cb = {};
    cb.cbSize = sizeof(cb);
    cb.Reason = reason;
    cb.hDlg = hDlg;
    cb.pOptItem = m_tree.Items();
    cb.cOptItem = static_cast<WORD>(m_tree.Count());
    cb.pCurItem = pCur;
    cb.OldSel = oldSel;
    return cb;
}

LONG Session::CallItemCallback(WORD reason, POPTITEM pCur, LONG oldSel, HWND hDlg) {
    if (m_cuip.OEMCUIPCallback == nullptr) return CPSUICB_ACTION_NONE;
    CPSUICBPARAM cb = CallbackParam(reason, pCur, oldSel, hDlg);
    SetLastError(0);
    const LONG action = m_cuip.OEMCUIPCallback(&cb, &m_cuip);
    std::wstring text = L"OEMCUIPCallback(" + NameOf(kItemReasons, reason);
    if (pCur != nullptr) {
        const int index = m_tree.IndexOf(pCur);
        text += L", " + (index >= 0 ? m_tree.Caption(static_cast<DWORD>(index)) : std::wstring(L"?"));
    }
    m_env.pReport->Add(L"callback", text + L") -> " + std::to_wstring(action));
    TakeChangedItems(L"plug-in");
    return action;
}

// Items the plug-in marked changed: the core takes their selections over
// into its state and clears the mark, as it does when it redraws them.
void Session::TakeChangedItems(const wchar_t *who) {
    for (DWORD i = 0; i < m_tree.Count(); ++i) {
        OPTITEM &item = m_tree.Items()[i];
        if (!(item.Flags & OPTIF_CHANGED)) continue;
        item.Flags &= ~static_cast<DWORD>(OPTIF_CHANGED);
        if (i < m_tree.DriverCount()) {
            if (!m_tree.SelInRange(i, item.Sel)) {
                m_env.pReport->Add(L"error", std::wstring(L"the ") + who + L" set \"" + m_tree.Caption(i) +
                                                 L"\" to selection " + std::to_wstring(item.Sel) +
                                                 L", which it does not have");
                continue;
            }
            m_tree.StoreItem(i, m_devmode.Public(), m_devmode.Core(), &m_installed);
        }
        m_env.pReport->Add(L"item", std::wstring(who) + L" changed " + ItemLine(i));
    }
    RefreshPage();
}

void Session::OnSetActive(HWND hPage) {
    const LONG action = CallItemCallback(CPSUICB_REASON_SETACTIVE, nullptr, 0, hPage);
    (void)action;
}

void Session::OnKillActive(HWND hPage) { CallItemCallback(CPSUICB_REASON_KILLACTIVE, nullptr, 0, hPage); }

bool Session::Press(const std::wstring &caption, std::wstring *pError) {
    if (!m_open) {
        *pError = L"no sheet is open";
        return false;
    }
    const int index = m_tree.FindPluginItem(caption);
    if (index < 0) {
        std::wstring captions;
        for (DWORD i = m_tree.DriverCount(); i < m_tree.Count(); ++i)
            captions += (captions.empty() ? L"\"" : L", \"") + m_tree.Caption(i) + L"\"";
        *pError = L"the plug-in has no item \"" + caption + L"\"" +
                  (captions.empty() ? std::wstring(L" (it added no items)") : L" (items: " + captions + L")");
        return false;
    }
    return PressIndex(static_cast<DWORD>(index), pError);
}

bool Session::PressIndex(DWORD index, std::wstring *pError) {
    if (index < m_tree.DriverCount() || index >= m_tree.Count()) {
        *pError = L"not one of the plug-in's items";
        return false;
    }
    std::wstring why;
    if (!ItemUsable(index, &why)) {
        *pError = L"\"" + m_tree.Caption(index) + L"\": " + why;
        return false;
    }
    OPTITEM &item = m_tree.Items()[index];
    const OPTTYPE *pType = item.pOptType;
    if (pType->Type != TVOT_PUSHBUTTON || pType->pOptParam == nullptr || pType->Count < 1) {
        *pError = L"\"" + m_tree.Caption(index) + L"\" is not a push button";
        return false;
    }
    const OPTPARAM &param = pType->pOptParam[0];
    if (param.Style != PUSHBUTTON_TYPE_CALLBACK || param.pData == nullptr) {
        *pError = L"\"" + m_tree.Caption(index) + L"\" has no push-button callback (style " +
                  std::to_wstring(param.Style) + L")";
        return false;
    }
    auto pfn = reinterpret_cast<_CPSUICALLBACK>(reinterpret_cast<void *>(param.pData));
    CPSUICBPARAM cb = CallbackParam(CPSUICB_REASON_PUSHBUTTON, &item, item.Sel, m_hOptionsPage);
    cb.UserData = item.UserData;
    const std::wstring caption = m_tree.Caption(index);
    SetLastError(0);
    const LONG action = pfn(&cb);
    m_env.pReport->Add(L"callback", L"push button \"" + caption + L"\" (CPSUICB_REASON_PUSHBUTTON) -> " +
                                        std::to_wstring(action));
    TakeChangedItems(L"plug-in");
    return true;
}

}  // namespace oemuihost
