#include "host/session.h"

#include <prsht.h>

#include <cstring>

#include "common/bounded_format.h"
#include "host/options_page.h"
#include "host/scripted_answers.h"
#include "host/screenshot.h"

namespace oemuihost {
namespace {

struct ReasonName {
    WORD reason;
    const wchar_t *name;
};
constexpr ReasonName kItemReasons[] = {
    {CPSUICB_REASON_SEL_CHANGED, L"CPSUICB_REASON_SEL_CHANGED"},
    {CPSUICB_REASON_PUSHBUTTON, L"CPSUICB_REASON_PUSHBUTTON"},
    {CPSUICB_REASON_ECB_CHANGED, L"CPSUICB_REASON_ECB_CHANGED"},
    {CPSUICB_REASON_APPLYNOW, L"CPSUICB_REASON_APPLYNOW"},
    {CPSUICB_REASON_SETACTIVE, L"CPSUICB_REASON_SETACTIVE"},
    {CPSUICB_REASON_KILLACTIVE, L"CPSUICB_REASON_KILLACTIVE"},
};
constexpr ReasonName kSheetReasons[] = {
    {PROPSHEETUI_REASON_INIT, L"PROPSHEETUI_REASON_INIT"},
    {PROPSHEETUI_REASON_GET_INFO_HEADER, L"PROPSHEETUI_REASON_GET_INFO_HEADER"},
    {PROPSHEETUI_REASON_DESTROY, L"PROPSHEETUI_REASON_DESTROY"},
    {PROPSHEETUI_REASON_SET_RESULT, L"PROPSHEETUI_REASON_SET_RESULT"},
};

template <size_t N>
std::wstring NameOf(const ReasonName (&table)[N], WORD reason) {
    for (const ReasonName &r : table)
        if (r.reason == reason) return r.name;
    return L"reason " + std::to_wstring(reason);
}

std::wstring Widen(const std::string &s) { return std::wstring(s.begin(), s.end()); }
std::string Narrow(const std::wstring &s) {
    std::string out;
    for (wchar_t c : s) out += (c < 0x80) ? static_cast<char>(c) : '?';
    return out;
}

std::wstring BoundedText(const wchar_t *psz, size_t cchMax) {
    if (psz == nullptr || IS_INTRESOURCE(psz)) return std::wstring();
    return std::wstring(psz, oemui::LengthCchW(psz, cchMax));
}

constexpr wchar_t kInstalledPrefix[] = L"InstallableOption.";

// Only one session is open at a time; the sheet callback checks its handle against it.
Session *g_pOpenSession = nullptr;

}  // namespace

HWND OpenSheetWindow() { return g_pOpenSession != nullptr ? g_pOpenSession->SheetWindow() : nullptr; }

Session::~Session() {
    if (m_open) Close(false);
}

bool Session::Open(const std::wstring &printerName, SheetKind kind, bool modal, std::wstring *pError) {
    Report &report = *m_env.pReport;
    if (m_open || g_pOpenSession != nullptr) {
        *pError = L"a sheet is already open";
        return false;
    }
    m_kind = kind;
    m_printerName = printerName;
    const bool document = kind == SheetKind::Document;

    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (!OpenPrinterW(const_cast<LPWSTR>(printerName.c_str()), m_printer.put(), &defaults) &&
        !OpenPrinterW(const_cast<LPWSTR>(printerName.c_str()), m_printer.put(), nullptr)) {
        *pError = L"cannot open printer \"" + printerName + L"\" (error " + std::to_wstring(GetLastError()) + L")";
        return false;
    }
    DWORD cbNeeded = 0;
    GetPrinterDriverW(m_printer.get(), nullptr, 2, nullptr, 0, &cbNeeded);
    std::vector<BYTE> info(cbNeeded + sizeof(DRIVER_INFO_2W), 0);
    if (cbNeeded != 0 && GetPrinterDriverW(m_printer.get(), nullptr, 2, info.data(), cbNeeded, &cbNeeded)) {
        m_dataFile = BoundedText(reinterpret_cast<DRIVER_INFO_2W *>(info.data())->pDataFile, MAX_PATH);
    } else {
        report.Add(L"warning", L"the printer's driver information cannot be read (error " +
                                   std::to_wstring(GetLastError()) + L")");
    }
    m_model = m_dataFile.empty() ? ModelData() : LoadModelData(m_dataFile);
    for (const std::wstring &w : m_model.warnings) report.Add(L"warning", L"data file: " + w);
    report.Add(L"sheet", std::wstring(document ? L"printing preferences" : L"printer properties") + L" of \"" +
                             printerName + L"\", data file " + m_dataFile + L", " +
                             std::to_wstring(m_model.features.size()) + L" features");
    LoadInstalled();

    m_hHeap = HeapCreate(0, 0, 0);
    m_heapDiscarded = false;
    m_uiObj.cbSize = sizeof(m_uiObj);
    m_uiObj.pOemUIProcs = nullptr;

    if (document) {
        std::vector<BYTE> stored;
        const bool haveStored = LoadStoredDevMode(printerName, &stored);
        if (haveStored) report.Add(L"sheet", L"stored device mode found (" + std::to_wstring(stored.size()) + L" bytes)");
        OpenDevMode(m_env.pPlugin, m_printer.get(), printerName, m_model, haveStored ? &stored : nullptr, &m_devmode,
                    report);
    } else {
        m_devmode.Allocate(0);
        FillPublicDefaults(m_model, printerName, m_devmode.Public());
        FillCoreDefaults(m_model, m_devmode.Core());
    }
    m_tree.Build(m_model, kind, *m_devmode.Public(), *m_devmode.Core(), m_installed);
    g_pOpenSession = this;
    m_open = true;
    m_env.pHelper->SetTarget(this);

    // The option tree: the count pass, then the fill pass.
    m_cuip = {};
    m_cuip.cbSize = sizeof(m_cuip);
    m_cuip.poemuiobj = &m_uiObj;
    m_cuip.hPrinter = m_printer.get();
    m_cuip.pPrinterName = const_cast<PWSTR>(m_printerName.c_str());
    m_cuip.hModule = m_env.hPlugin;
    m_cuip.hOEMHeap = m_hHeap;
    if (document && m_devmode.PluginSize() != 0) {
        m_cuip.pPublicDM = m_devmode.Public();
        m_cuip.pOEMDM = m_devmode.PluginBlock();
    }
    m_cuip.pDrvOptItems = m_tree.Items();
    m_cuip.cDrvOptItems = m_tree.DriverCount();
    const DWORD dwMode = document ? OEMCUIP_DOCPROP : OEMCUIP_PRNPROP;
    const std::wstring modeName = document ? L"OEMCUIP_DOCPROP" : L"OEMCUIP_PRNPROP";
    SetLastError(0);
    HRESULT hr = m_env.pPlugin->CommonUIProp(dwMode, &m_cuip);
    report.AddCall(L"CommonUIProp(" + modeName + L", pOEMOptItems null)", hr, GetLastError(),
                   L"cOEMOptItems " + std::to_wstring(m_cuip.cOEMOptItems));
    DWORD cPlugin = SUCCEEDED(hr) ? m_cuip.cOEMOptItems : 0;
    if (cPlugin > kMaxPluginItems) {
        report.Add(L"error", L"the plug-in asks for " + std::to_wstring(cPlugin) + L" items; more than " +
                                 std::to_wstring(kMaxPluginItems) + L" are refused");
        cPlugin = 0;
    }
    if (FAILED(hr)) report.Add(L"warning", L"CommonUIProp failed: the sheet shows no plug-in items");
    if (cPlugin != 0) {
        m_tree.AddPluginItems(cPlugin);
        m_cuip.pDrvOptItems = m_tree.Items();
        m_cuip.cDrvOptItems = m_tree.DriverCount();
        m_cuip.pOEMOptItems = m_tree.PluginItems();
        m_cuip.cOEMOptItems = cPlugin;
        SetLastError(0);
        hr = m_env.pPlugin->CommonUIProp(dwMode, &m_cuip);
        report.AddCall(L"CommonUIProp(" + modeName + L", " + std::to_wstring(cPlugin) + L" items)", hr, GetLastError(),
                       m_cuip.OEMCUIPCallback != nullptr ? L"callback installed" : L"no callback");
        if (FAILED(hr)) {
            report.Add(L"warning", L"CommonUIProp fill pass failed: the plug-in's items are dropped");
            m_tree.AddPluginItems(0);
            m_cuip.pOEMOptItems = nullptr;
            m_cuip.cOEMOptItems = 0;
            m_cuip.OEMCUIPCallback = nullptr;
        }
    }
    CheckPluginItems();

    // The property-sheet protocol: INIT and GET_INFO_HEADER.
    m_psParam = {};
    m_psParam.cbSize = sizeof(m_psParam);
    m_psParam.poemuiobj = &m_uiObj;
    m_psParam.hPrinter = m_printer.get();
    m_psParam.pPrinterName = const_cast<PWSTR>(m_printerName.c_str());
    m_psParam.hModule = m_env.hPlugin;
    m_psParam.hOEMHeap = m_hHeap;
    m_psParam.pPublicDM = m_cuip.pPublicDM;
    m_psParam.pOEMDM = m_cuip.pOEMDM;
    m_psui = {};
    m_psui.cbSize = sizeof(m_psui);
    m_psui.Version = PROPSHEETUI_INFO_VERSION;
    m_psui.hComPropSheet = reinterpret_cast<HANDLE>(this);
    m_psui.pfnComPropSheet = &Session::ComPropSheet;
    m_psui.lParamInit = reinterpret_cast<LPARAM>(&m_psParam);

    // The core's options page comes first.
    m_pageTemplate = BuildOptionsPageTemplate();
    PROPSHEETPAGEW page = {};
    page.dwSize = sizeof(page);
    page.dwFlags = PSP_DLGINDIRECT | PSP_USETITLE;
    page.hInstance = GetModuleHandleW(nullptr);
    page.pResource = reinterpret_cast<LPCDLGTEMPLATEW>(m_pageTemplate.data());
    page.pszTitle = document ? L"Options" : L"Device Options";
    page.pfnDlgProc = &OptionsPageProc;
    page.lParam = reinterpret_cast<LPARAM>(this);
    HPROPSHEETPAGE hOwnPage = CreatePropertySheetPageW(&page);
    if (hOwnPage != nullptr) {
        m_pages.push_back(hOwnPage);
        m_pageTitles.push_back(page.pszTitle);
    } else {
        report.Add(L"warning", L"the options page cannot be created (error " + std::to_wstring(GetLastError()) + L")");
    }
    m_pagesOwnedBySheet = false;

    CallSheets(PROPSHEETUI_REASON_INIT, 0);
    PROPSHEETUI_INFO_HEADER header = {};
    header.cbSize = sizeof(header);
    header.hInst = GetModuleHandleW(nullptr);
    CallSheets(PROPSHEETUI_REASON_GET_INFO_HEADER, reinterpret_cast<LPARAM>(&header));
    m_title = BoundedText(header.pTitle, 256);
    if (!m_title.empty()) report.Add(L"sheet", L"header title \"" + m_title + L"\"");
    if (m_title.empty()) m_title = m_printerName + (document ? L" Printing Preferences" : L" Properties");

    if (!modal) {
        std::wstring error;
        if (!CreateSheet(true, &error)) report.Add(L"warning", error + L"; the session goes on without windows");
    }
    return true;
}

void Session::CheckPluginItems() {
    Report &report = *m_env.pReport;
    m_pluginItemOk.assign(m_tree.PluginCount(), true);
    for (DWORD i = 0; i < m_tree.PluginCount(); ++i) {
        const OPTITEM &item = m_tree.PluginItems()[i];
        std::wstring fault;
        if (item.cbSize != sizeof(OPTITEM))
            fault = L"cbSize " + std::to_wstring(item.cbSize);
        else if (item.pName == nullptr)
            fault = L"no caption";
        else if (item.pOptType == nullptr)
            fault = L"no option type";
        if (!fault.empty()) {
            m_pluginItemOk[i] = false;
            report.Add(L"warning", L"plug-in item " + std::to_wstring(i) + L" is not usable: " + fault);
        }
    }
}

HRESULT Session::CallSheets(WORD reason, LPARAM lParam) {
    m_psui.Reason = reason;
    const std::wstring method = m_kind == SheetKind::Document ? L"DocumentPropertySheets" : L"DevicePropertySheets";
    SetLastError(0);
    const HRESULT hr = m_kind == SheetKind::Document ? m_env.pPlugin->DocumentPropertySheets(&m_psui, lParam)
                                                     : m_env.pPlugin->DevicePropertySheets(&m_psui, lParam);
    m_env.pReport->AddCall(method + L"(" + NameOf(kSheetReasons, reason) + L")", hr, GetLastError(),
                           L"Result " + std::to_wstring(static_cast<LONG_PTR>(m_psui.Result)));
    return hr;
}

LONG_PTR CALLBACK Session::ComPropSheet(HANDLE hComPropSheet, UINT Function, LPARAM lParam1, LPARAM lParam2) {
    Session *pSession = reinterpret_cast<Session *>(hComPropSheet);
    if (pSession == nullptr || pSession != g_pOpenSession) {
        if (g_pOpenSession != nullptr)
            g_pOpenSession->m_env.pReport->Add(L"error", L"the sheet callback was given a handle that is not the sheet's");
        return 0;
    }
    return pSession->OnComPropSheet(Function, lParam1, lParam2);
}

LONG_PTR Session::OnComPropSheet(UINT Function, LPARAM lParam1, LPARAM lParam2) {
    Report &report = *m_env.pReport;
    switch (Function) {
    case CPSFUNC_ADD_PROPSHEETPAGEW: {
        const auto *pPage = reinterpret_cast<const PROPSHEETPAGEW *>(lParam1);
        if (pPage == nullptr || pPage->dwSize < PROPSHEETPAGEW_V1_SIZE || pPage->dwSize > sizeof(PROPSHEETPAGEW)) {
            report.Add(L"sheet", L"CPSFUNC_ADD_PROPSHEETPAGEW refused: no page or dwSize " +
                                     std::to_wstring(pPage ? pPage->dwSize : 0));
            return 0;
        }
        std::wstring title = (pPage->dwFlags & PSP_USETITLE) ? BoundedText(pPage->pszTitle, 260) : std::wstring();
        SetLastError(0);
        HPROPSHEETPAGE hPage = CreatePropertySheetPageW(pPage);
        const DWORD err = GetLastError();
        if (hPage == nullptr) {
            report.Add(L"sheet", L"CPSFUNC_ADD_PROPSHEETPAGEW \"" + title + L"\": CreatePropertySheetPageW failed, error " +
                                     std::to_wstring(err));
            return 0;
        }
        if (m_hSheet != nullptr) {
            PropSheet_AddPage(m_hSheet, hPage);
        } else {
            m_pages.push_back(hPage);
        }
        m_pageTitles.push_back(title);
        report.Add(L"sheet", L"CPSFUNC_ADD_PROPSHEETPAGEW \"" + title + L"\" (dwSize " + std::to_wstring(pPage->dwSize) +
                                 L", flags " + Hex32(pPage->dwFlags) + L") -> page " +
                                 std::to_wstring(m_pageTitles.size() - 1));
        return reinterpret_cast<LONG_PTR>(hPage);
    }
    case CPSFUNC_SET_RESULT:
        report.Add(L"sheet", L"CPSFUNC_SET_RESULT(" + std::to_wstring(static_cast<LONG_PTR>(lParam2)) + L") -> 1");
        return 1;
    default:
        report.Add(L"sheet", L"function " + std::to_wstring(Function) + L" (" + Hex32(static_cast<unsigned long>(lParam1)) +
                                 L", " + Hex32(static_cast<unsigned long>(lParam2)) + L") is not emulated -> 0");
        return 0;
    }
}

bool Session::CreateSheet(bool modeless, std::wstring *pError) {
    if (m_pages.empty()) {
        *pError = L"no page to show";
        return false;
    }
    PROPSHEETHEADERW psh = {};
    psh.dwSize = sizeof(psh);
    psh.dwFlags = modeless ? PSH_MODELESS : 0;
    psh.hInstance = GetModuleHandleW(nullptr);
    psh.pszCaption = m_title.c_str();
    psh.nPages = static_cast<UINT>(m_pages.size());
    psh.phpage = m_pages.data();
    m_pagesOwnedBySheet = true;  // the sheet destroys its pages, even when it fails
    SetLastError(0);
    const INT_PTR result = PropertySheetW(&psh);
    if (modeless) {
        m_hSheet = reinterpret_cast<HWND>(result);
        if (m_hSheet == nullptr || result == -1) {
            m_hSheet = nullptr;
            *pError = L"the property sheet cannot be created (error " + std::to_wstring(GetLastError()) + L")";
            return false;
        }
        PumpMessages();
    }
    return true;
}

void Session::PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (m_hSheet != nullptr && PropSheet_IsDialogMessage(m_hSheet, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// A page may finish opening once it has painted: work nothing on screen
// waits for, run from a timer, which the system delivers only after every
// paint. Pumps until the queue has stayed quiet for longer than the shortest
// timer, so that the next step sees the page as a user would a moment later.
void Session::SettleMessages() {
    constexpr DWORD kQuietMs = 3 * USER_TIMER_MINIMUM;
    constexpr DWORD kLimitMs = 1000;
    const DWORD start = GetTickCount();
    PumpMessages();
    while (GetTickCount() - start < kLimitMs &&
           MsgWaitForMultipleObjects(0, nullptr, FALSE, kQuietMs, QS_ALLINPUT) != WAIT_TIMEOUT)
        PumpMessages();
}

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

LONG Session::CallItemCallback(WORD reason, POPTITEM pCur, LONG oldSel, HWND hDlg) {
    if (m_cuip.OEMCUIPCallback == nullptr) return CPSUICB_ACTION_NONE;
    CPSUICBPARAM cb = {};
    cb.cbSize = sizeof(cb);
    cb.Reason = reason;
    cb.hDlg = hDlg;
    cb.pOptItem = m_tree.Items();
    cb.cOptItem = static_cast<WORD>(m_tree.Count());
    cb.pCurItem = pCur;
    cb.OldSel = oldSel;
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

void Session::StoreAllItems() {
    for (DWORD i = 0; i < m_tree.DriverCount(); ++i)
        m_tree.StoreItem(i, m_devmode.Public(), m_devmode.Core(), &m_installed);
}

void Session::OnApply(HWND hPage) {
    // The core's own items go into the device mode first, so that the
    // plug-in sees the settings it is asked to apply.
    StoreAllItems();
    CallItemCallback(CPSUICB_REASON_APPLYNOW, nullptr, 0, hPage);
    m_applied = true;
    if (m_kind == SheetKind::Document) {
        if (SaveStoredDevMode(m_printerName, m_devmode.Bytes()))
            m_env.pReport->Add(L"sheet", L"device mode stored as the user's defaults (" +
                                             std::to_wstring(m_devmode.Bytes().size()) + L" bytes)");
    } else {
        PersistInstalled();
    }
}

void Session::LoadInstalled() {
    m_installed.assign(m_model.features.size(), -1);
    for (size_t f = 0; f < m_model.features.size(); ++f) {
        const ModelFeature &feature = m_model.features[f];
        if (!feature.installable) continue;
        const std::wstring name = kInstalledPrefix + Widen(feature.keyword);
        wchar_t sz[kMaxKeywordLength + 1] = {};
        DWORD type = 0, cb = 0;
        if (GetPrinterDataW(m_printer.get(), const_cast<LPWSTR>(name.c_str()), &type, reinterpret_cast<BYTE *>(sz),
                            sizeof(sz) - sizeof(wchar_t), &cb) != ERROR_SUCCESS ||
            type != REG_SZ)
            continue;
        m_installed[f] = feature.FindOption(Narrow(sz));
    }
}

void Session::PersistInstalled() {
    for (size_t f = 0; f < m_model.features.size(); ++f) {
        const ModelFeature &feature = m_model.features[f];
        if (!feature.installable || m_installed[f] < 0) continue;
        const std::wstring name = kInstalledPrefix + Widen(feature.keyword);
        const std::wstring value = Widen(feature.options[static_cast<size_t>(m_installed[f])].keyword);
        SetPrinterDataW(m_printer.get(), const_cast<LPWSTR>(name.c_str()), REG_SZ,
                        reinterpret_cast<BYTE *>(const_cast<wchar_t *>(value.c_str())),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
}

bool Session::ItemUsable(DWORD index, std::wstring *pWhyNot) const {
    if (index >= m_tree.Count()) {
        *pWhyNot = L"no such item";
        return false;
    }
    const OPTITEM &item = const_cast<OptionTree &>(m_tree).Items()[index];
    if (index >= m_tree.DriverCount() && !m_pluginItemOk[index - m_tree.DriverCount()]) {
        *pWhyNot = L"the plug-in's item is malformed";
        return false;
    }
    if (item.Flags & OPTIF_HIDE) {
        *pWhyNot = L"the item is hidden";
        return false;
    }
    if (item.Flags & OPTIF_DISABLED) {
        *pWhyNot = L"the item is disabled";
        return false;
    }
    return true;
}

bool Session::Select(const std::wstring &itemName, const std::wstring &option, std::wstring *pError) {
    if (!m_open) {
        *pError = L"no sheet is open";
        return false;
    }
    if (lstrcmpiW(itemName.c_str(), L"collate") == 0) {
        if (m_kind != SheetKind::Document || m_tree.FindDriverItem(L"copies") < 0) {
            *pError = L"this sheet has no collate box";
            return false;
        }
        const bool on = lstrcmpiW(option.c_str(), L"on") == 0;
        if (!on && lstrcmpiW(option.c_str(), L"off") != 0) {
            *pError = L"collate takes on or off";
            return false;
        }
        const DWORD index = static_cast<DWORD>(m_tree.FindDriverItem(L"copies"));
        std::wstring why;
        if (!ItemUsable(index, &why)) {
            *pError = L"\"" + m_tree.Caption(index) + L"\": " + why;
            return false;
        }
        m_tree.SetCollate(on);
        m_tree.StoreItem(index, m_devmode.Public(), m_devmode.Core(), &m_installed);
        m_env.pReport->Add(L"item", L"core changed collate to " + option);
        CallItemCallback(CPSUICB_REASON_ECB_CHANGED, &m_tree.Items()[index], m_tree.Items()[index].Sel,
                         m_hOptionsPage);
        return true;
    }
    const int index = m_tree.FindDriverItem(itemName);
    if (index < 0) {
        *pError = L"this sheet has no driver item \"" + itemName + L"\"";
        return false;
    }
    const LONG sel = m_tree.ParseOption(static_cast<DWORD>(index), option);
    if (sel < 0) {
        std::wstring choices;
        const LONG n = m_tree.OptionCount(static_cast<DWORD>(index));
        for (LONG i = 0; i < n; ++i) choices += (i ? L", " : L"") + Widen(m_tree.OptionKeyword(static_cast<DWORD>(index), i));
        *pError = L"\"" + itemName + L"\" has no option \"" + option + L"\"" +
                  (n > 0 ? L" (options: " + choices + L")" : L" (a number from 1 to 999)");
        return false;
    }
    return SelectIndex(static_cast<DWORD>(index), sel, pError);
}

bool Session::SelectIndex(DWORD index, LONG sel, std::wstring *pError) {
    if (!m_open || index >= m_tree.DriverCount() || !m_tree.SelInRange(index, sel)) {
        *pError = L"no such item or option";
        return false;
    }
    std::wstring why;
    if (!ItemUsable(index, &why)) {
        *pError = L"\"" + m_tree.Caption(index) + L"\": " + why;
        return false;
    }
    OPTITEM &item = m_tree.Items()[index];
    const LONG oldSel = item.Sel;
    item.Sel = sel;
    m_tree.StoreItem(index, m_devmode.Public(), m_devmode.Core(), &m_installed);
    m_env.pReport->Add(L"item", L"core changed " + ItemLine(index));
    CallItemCallback(CPSUICB_REASON_SEL_CHANGED, &m_tree.Items()[index], oldSel, m_hOptionsPage);
    RefreshPage();
    return true;
}

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
    CPSUICBPARAM cb = {};
    cb.cbSize = sizeof(cb);
    cb.Reason = CPSUICB_REASON_PUSHBUTTON;
    cb.hDlg = m_hOptionsPage;
    cb.pOptItem = m_tree.Items();
    cb.cOptItem = static_cast<WORD>(m_tree.Count());
    cb.pCurItem = &item;
    cb.OldSel = item.Sel;
    cb.UserData = item.UserData;
    const std::wstring caption = m_tree.Caption(index);
    SetLastError(0);
    const LONG action = pfn(&cb);
    m_env.pReport->Add(L"callback", L"push button \"" + caption + L"\" (CPSUICB_REASON_PUSHBUTTON) -> " +
                                        std::to_wstring(action));
    TakeChangedItems(L"plug-in");
    return true;
}

bool Session::SwitchPage(const std::wstring &pageName, std::wstring *pError, bool settle) {
    if (!m_open) {
        *pError = L"no sheet is open";
        return false;
    }
    if (m_hSheet == nullptr) {
        *pError = L"the session has no sheet window to switch pages in";
        return false;
    }
    int target = -1;
    for (size_t i = 0; i < m_pageTitles.size(); ++i)
        if (lstrcmpiW(m_pageTitles[i].c_str(), pageName.c_str()) == 0) target = static_cast<int>(i);
    if (target < 0 && !pageName.empty() && pageName.find_first_not_of(L"0123456789") == std::wstring::npos &&
        pageName.size() < 4)
        target = _wtoi(pageName.c_str());
    if (target < 0 || static_cast<size_t>(target) >= m_pageTitles.size()) {
        std::wstring titles;
        for (size_t i = 0; i < m_pageTitles.size(); ++i) titles += (i ? L", " : L"") + std::to_wstring(i) + L" \"" + m_pageTitles[i] + L"\"";
        *pError = L"no page \"" + pageName + L"\" (pages: " + titles + L")";
        return false;
    }
    SendMessageW(m_hSheet, PSM_SETCURSEL, static_cast<WPARAM>(target), 0);
    if (settle) SettleMessages();
    m_env.pReport->Add(L"sheet", L"page " + std::to_wstring(target) + L" \"" + m_pageTitles[static_cast<size_t>(target)] + L"\" is current");
    return true;
}

bool Session::Apply(std::wstring *pError) {
    if (!m_open) {
        *pError = L"no sheet is open";
        return false;
    }
    if (m_hSheet != nullptr) {
        SendMessageW(m_hSheet, PSM_APPLY, 0, 0);
        PumpMessages();
    } else {
        OnKillActive(nullptr);
        OnApply(nullptr);
        OnSetActive(nullptr);
    }
    return true;
}

bool Session::RunModal(const std::wstring &screenshotPath, std::wstring *pError) {
    if (!m_open) {
        *pError = L"no sheet is open";
        return false;
    }
    if (!screenshotPath.empty()) ArmScreenshot(screenshotPath, m_env.pReport);
    m_applied = false;
    const bool shown = CreateSheet(false, pError);
    DisarmScreenshot();
    Close(m_applied);
    return shown;
}

void Session::Close(bool ok) {
    if (!m_open) return;
    Report &report = *m_env.pReport;
    if (m_hSheet != nullptr) {
        SendMessageW(m_hSheet, PSM_PRESSBUTTON, ok ? PSBTN_OK : PSBTN_CANCEL, 0);
        PumpMessages();
        if (IsWindow(m_hSheet)) DestroyWindow(m_hSheet);
        m_hSheet = nullptr;
        PumpMessages();
    } else if (ok && !m_pagesOwnedBySheet) {
        // No window was ever made: the core still applies what was set.
        OnKillActive(nullptr);
        OnApply(nullptr);
    }
    SETRESULT_INFO result = {};
    result.cbSize = sizeof(result);
    result.hSetResult = reinterpret_cast<HANDLE>(this);
    result.Result = ok ? CPSUI_OK : CPSUI_CANCEL;
    CallSheets(PROPSHEETUI_REASON_SET_RESULT, reinterpret_cast<LPARAM>(&result));
    CallSheets(PROPSHEETUI_REASON_DESTROY, ok ? 1 : 0);
    if (!m_pagesOwnedBySheet)
        for (HPROPSHEETPAGE hPage : m_pages) DestroyPropertySheetPage(hPage);
    m_pages.clear();
    m_env.pHelper->SetTarget(nullptr);
    // Everything the plug-in allocated for the sheet goes with the heap.
    const BOOL destroyed = HeapDestroy(m_hHeap);
    m_heapDiscarded = destroyed != FALSE;
    report.Add(L"sheet", std::wstring(L"closed with ") + (ok ? L"OK" : L"Cancel") + L"; per-sheet heap " +
                             (m_heapDiscarded ? L"discarded" : L"could not be discarded"));
    m_cuip.OEMCUIPCallback = nullptr;
    m_printer.reset();
    m_open = false;
    g_pOpenSession = nullptr;
}

bool Session::CurrentOption(const std::string &feature, std::string *pOption) const {
    const int f = m_model.FindFeature(feature);
    if (f < 0) return false;
    const ModelFeature &mf = m_model.features[static_cast<size_t>(f)];
    OptionTree &tree = const_cast<OptionTree &>(m_tree);
    for (DWORD i = 0; i < tree.DriverCount(); ++i) {
        if (tree.FeatureOf(i) != f) continue;
        *pOption = tree.OptionKeyword(i, tree.Items()[i].Sel);
        return !pOption->empty();
    }
    LONG sel = mf.defaultIndex;
    if (mf.installable && m_installed[static_cast<size_t>(f)] >= 0) sel = m_installed[static_cast<size_t>(f)];
    if (!mf.installable && !m_devmode.Empty() && static_cast<size_t>(f) < kMaxFeatures &&
        m_devmode.Public() != nullptr) {
        const BYTE stored = const_cast<DriverDevMode &>(m_devmode).Core()->abFeatureSel[f];
        if (stored < mf.options.size()) sel = stored;
    }
    *pOption = mf.options[static_cast<size_t>(sel)].keyword;
    return true;
}

HRESULT Session::UpdateFromItem(const void *pOptItem, DWORD dwMode, std::wstring *pDetail) {
    const int index = m_tree.IndexOf(pOptItem);
    if (index < 0 || static_cast<DWORD>(index) >= m_tree.DriverCount()) {
        *pDetail = L"not one of the driver's items";
        return E_INVALIDARG;
    }
    const DWORD expected = m_kind == SheetKind::Document ? OEMCUIP_DOCPROP : OEMCUIP_PRNPROP;
    if (dwMode != expected) m_env.pReport->Add(L"warning", L"DrvUpdateUISetting with the other sheet's mode");
    const OPTITEM &item = m_tree.Items()[index];
    if (!m_tree.SelInRange(static_cast<DWORD>(index), item.Sel)) {
        *pDetail = L"\"" + m_tree.Caption(static_cast<DWORD>(index)) + L"\" has no selection " + std::to_wstring(item.Sel);
        return E_INVALIDARG;
    }
    m_tree.StoreItem(static_cast<DWORD>(index), m_devmode.Public(), m_devmode.Core(), &m_installed);
    *pDetail = ItemLine(static_cast<DWORD>(index));
    RefreshPage();
    return S_OK;
}

HRESULT Session::UpgradeInstallable(const std::string &feature, const std::string &option, std::wstring *pDetail) {
    const int f = m_model.FindFeature(feature);
    if (f < 0 || !m_model.features[static_cast<size_t>(f)].installable) {
        *pDetail = L"no installable option \"" + Widen(feature) + L"\"";
        return E_INVALIDARG;
    }
    const ModelFeature &mf = m_model.features[static_cast<size_t>(f)];
    const int sel = mf.FindOption(option);
    if (sel < 0) {
        *pDetail = L"\"" + Widen(feature) + L"\" has no option \"" + Widen(option) + L"\"";
        return E_INVALIDARG;
    }
    m_installed[static_cast<size_t>(f)] = sel;
    const std::wstring name = kInstalledPrefix + Widen(feature);
    const std::wstring value = Widen(option);
    const DWORD err = SetPrinterDataW(m_printer.get(), const_cast<LPWSTR>(name.c_str()), REG_SZ,
                                      reinterpret_cast<BYTE *>(const_cast<wchar_t *>(value.c_str())),
                                      static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    if (err != ERROR_SUCCESS) {
        *pDetail = L"SetPrinterDataW failed, error " + std::to_wstring(err);
        return HRESULT_FROM_WIN32(err);
    }
    for (DWORD i = 0; i < m_tree.DriverCount(); ++i)
        if (m_tree.FeatureOf(i) == f) m_tree.Items()[i].Sel = sel;
    *pDetail = L"stored " + name + L" = " + value;
    RefreshPage();
    return S_OK;
}

std::wstring Session::ItemLine(DWORD index) const {
    OptionTree &tree = const_cast<OptionTree &>(m_tree);
    const OPTITEM &item = tree.Items()[index];
    std::wstring line = tree.Caption(index);
    if (index < tree.DriverCount()) {
        line += L" = " + tree.OptionName(index, item.Sel);
        if (tree.IsCopies(index)) line += tree.Collate() ? L", collated" : L", not collated";
    } else if (item.pOptType != nullptr && item.pOptType->Type == TVOT_PUSHBUTTON) {
        line += L" [push button]";
    }
    if (item.Flags & OPTIF_HIDE) line += L" [hidden]";
    if (item.Flags & OPTIF_DISABLED) line += L" [disabled]";
    return line;
}

ReportFields Session::DescribeItems() {
    ReportFields fields;
    for (DWORD i = 0; i < m_tree.Count(); ++i) {
        std::wstring name;
        if (i < m_tree.DriverCount()) {
            const int f = m_tree.FeatureOf(i);
            const PublicItem *pub = m_tree.PublicOf(i);
            name = f >= 0 ? Widen(m_model.features[static_cast<size_t>(f)].keyword) : std::wstring(pub->def->word);
        } else {
            name = L"plug-in " + std::to_wstring(i - m_tree.DriverCount());
        }
        const OPTITEM &item = m_tree.Items()[i];
        std::wstring value = ItemLine(i) + L" (Sel " + std::to_wstring(item.Sel);
        if (item.DMPubID != DMPUB_NONE) value += L", DMPubID " + std::to_wstring(item.DMPubID);
        value += L", Flags " + Hex32(item.Flags) + L")";
        fields.emplace_back(name, value);
    }
    return fields;
}

}  // namespace oemuihost
