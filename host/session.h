// One printing-preferences or printer-properties session, played the way a
// driver core plays it against the plug-in:
//   open:  device mode (DevMode SIZE/DEFAULT, MERGE or CONVERT of the stored
//          one), the option tree, CommonUIProp count pass and fill pass,
//          Document/DevicePropertySheets INIT and GET_INFO_HEADER (pages come
//          in through the common-property-sheet callback), then a real
//          property sheet: the core's options page first, the plug-in's after;
//   while open: the installed OEMCUIPCallback on set-active, selection
//          change, kill-active and apply; push buttons through their
//          OPTPARAM.pData callback;
//   close: SET_RESULT and DESTROY, then the per-sheet heap is discarded.
// Every plug-in call is reported with its HRESULT and last-error code.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "common/handles.h"
#include "host/driver_devmode.h"
#include "host/driver_helper.h"
#include "host/model_data.h"
#include "host/option_tree.h"
#include "host/report.h"
#include "kit/oemkit.h"

namespace oemuihost {

class ScriptedAnswers;

struct SessionEnv {
    IPrintOemUI *pPlugin = nullptr;
    HMODULE hPlugin = nullptr;
    DriverHelper *pHelper = nullptr;
    Report *pReport = nullptr;
    ScriptedAnswers *pAnswers = nullptr;  // null in interactive use
};

// The window of the open session's sheet, or null.
HWND OpenSheetWindow();

// Most plug-in items a sheet takes; a larger count is refused as a fault.
constexpr DWORD kMaxPluginItems = 64;

class Session : public HelperTarget {
public:
    explicit Session(const SessionEnv &env) : m_env(env) {}
    ~Session() override;
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    // modal: the sheet is shown by RunModal (interactive); otherwise a
    // modeless sheet is created at once and driven by the steps.
    bool Open(const std::wstring &printerName, SheetKind kind, bool modal, std::wstring *pError);
    bool IsOpen() const { return m_open; }
    SheetKind Kind() const { return m_kind; }

    bool Select(const std::wstring &item, const std::wstring &option, std::wstring *pError);
    bool Press(const std::wstring &caption, std::wstring *pError);
    // Makes a page current and, with settle, lets it finish opening (what a
    // page does once it has painted) before returning.
    bool SwitchPage(const std::wstring &page, std::wstring *pError, bool settle = true);
    bool Apply(std::wstring *pError);
    void Close(bool ok);
    // Interactive: shows the sheet modally; closes the session when it ends.
    // screenshotPath non-empty: saves the sheet as a BMP, then presses OK.
    bool RunModal(const std::wstring &screenshotPath, std::wstring *pError);

    ReportFields DescribeItems();
    const DriverDevMode &DevMode() const { return m_devmode; }
    DriverDevMode &DevMode() { return m_devmode; }
    const std::wstring &PrinterName() const { return m_printerName; }
    HANDLE Heap() const { return m_hHeap; }
    bool HeapDiscarded() const { return m_heapDiscarded; }
    const std::vector<std::wstring> &PageTitles() const { return m_pageTitles; }
    OptionTree &Tree() { return m_tree; }
    HWND SheetWindow() const { return m_hSheet; }
    // The object the core hands the plug-in as poemuiobj.
    POEMUIOBJ UiObject() { return &m_uiObj; }

    // HelperTarget
    bool OwnsUiObject(const void *pci) const override { return m_open && pci == &m_uiObj; }
    HANDLE PrinterHandle() const override { return m_printer.get(); }
    bool CurrentOption(const std::string &feature, std::string *pOption) const override;
    HRESULT UpdateFromItem(const void *pOptItem, DWORD dwMode, std::wstring *pDetail) override;
    HRESULT UpgradeInstallable(const std::string &feature, const std::string &option, std::wstring *pDetail) override;

    // The options page's notifications and controls.
    void OnSetActive(HWND hPage);
    void OnKillActive(HWND hPage);
    void OnApply(HWND hPage);
    void OnPageCreated(HWND hPage);
    void OnPageDestroyed(HWND hPage);
    bool SelectIndex(DWORD index, LONG sel, std::wstring *pError);
    bool PressIndex(DWORD index, std::wstring *pError);
    bool ItemUsable(DWORD index, std::wstring *pWhyNot) const;
    std::wstring ItemLine(DWORD index) const;

    static LONG_PTR CALLBACK ComPropSheet(HANDLE hComPropSheet, UINT Function, LPARAM lParam1, LPARAM lParam2);

private:
    LONG_PTR OnComPropSheet(UINT Function, LPARAM lParam1, LPARAM lParam2);
    HRESULT CallSheets(WORD reason, LPARAM lParam);
    LONG CallItemCallback(WORD reason, POPTITEM pCur, LONG oldSel, HWND hDlg);
    // The record a core hands an item callback: the whole tree, the item, its
    // previous selection.
    CPSUICBPARAM CallbackParam(WORD reason, POPTITEM pCur, LONG oldSel, HWND hDlg);
    void TakeChangedItems(const wchar_t *who);
    void CheckPluginItems();
    void StoreAllItems();
    void PersistInstalled();
    void LoadInstalled();
    bool CreateSheet(bool modeless, std::wstring *pError);
    void PumpMessages();
    void SettleMessages();
    void RefreshPage();

    SessionEnv m_env;
    bool m_open = false;
    SheetKind m_kind = SheetKind::Document;
    std::wstring m_printerName;
    oemui::PrinterHandle m_printer;
    std::wstring m_dataFile;
    ModelData m_model;
    std::vector<int> m_installed;
    HANDLE m_hHeap = nullptr;
    bool m_heapDiscarded = false;
    DriverDevMode m_devmode;
    OptionTree m_tree;
    std::vector<bool> m_pluginItemOk;
    OEMUIOBJ m_uiObj = {};
    OEMCUIPPARAM m_cuip = {};
    OEMUIPSPARAM m_psParam = {};
    PROPSHEETUI_INFO m_psui = {};
    std::wstring m_title;
    std::vector<HPROPSHEETPAGE> m_pages;  // [0] is the core's options page
    std::vector<std::wstring> m_pageTitles;
    bool m_pagesOwnedBySheet = false;
    std::vector<BYTE> m_pageTemplate;
    HWND m_hSheet = nullptr;
    HWND m_hOptionsPage = nullptr;
    bool m_applied = false;
};

}  // namespace oemuihost
