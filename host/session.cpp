// A session's life: the printer and its model are opened, the device mode
// and option tree built, the plug-in's items counted and filled, the
// property-sheet protocol played (INIT, GET_INFO_HEADER, pages through the
// sheet callback), the sheet window created and pumped, pages switched and
// applied, and at the end SET_RESULT, DESTROY and the per-sheet heap.
#include "host/session.h"

#include <prsht.h>

#include "common/bounded_format.h"
#include "host/options_page.h"
#include "host/screenshot.h"
#include "host/session_internal.h"

namespace oemuihost {
namespace {

constexpr ReasonName kSheetReasons[] = {
    {PROPSHEETUI_REASON_INIT, L"PROPSHEETUI_REASON_INIT"},
    {PROPSHEETUI_REASON_GET_INFO_HEADER, L"PROPSHEETUI_REASON_GET_INFO_HEADER"},
    {PROPSHEETUI_REASON_DESTROY, L"PROPSHEETUI_REASON_DESTROY"},
    {PROPSHEETUI_REASON_SET_RESULT, L"PROPSHEETUI_REASON_SET_RESULT"},
};

std::wstring BoundedText(const wchar_t *psz, size_t cchMax) {
    if (psz == nullptr || IS_INTRESOURCE(psz)) return std::wstring();
    return std::wstring(psz, oemui::LengthCchW(psz, cchMax));
}

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
    // A driver that names no UI plug-in: the core's own items and page only.
    HRESULT hr = m_env.pPlugin != nullptr ? m_env.pPlugin->CommonUIProp(dwMode, &m_cuip) : S_OK;
    if (m_env.pPlugin != nullptr)
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

HRESULT Session::CallSheets(WORD reason, LPARAM lParam) {
    m_psui.Reason = reason;
    if (m_env.pPlugin == nullptr) return S_OK;
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

}  // namespace oemuihost
