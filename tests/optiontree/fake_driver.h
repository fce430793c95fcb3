// Stand-ins for what a driver's UI core lends the option-tree code: its items
// and helper interface, its heap, the common property sheet's callback, and
// a printer whose model files sit in a temporary driver directory and whose
// printer data lives in memory (spooler imports of the test exe replaced).
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kit/oemkit.h"
#include "settings/private_devmode.h"
#include "support/import_patch.h"

namespace optiontest {

struct DriverItems {
    // A null keyword gives a USERDATA without one; bare gives no USERDATA.
    void Add(const char *keyword, BYTE pubId = 0, LONG sel = 0, bool bare = false);
    std::vector<OPTITEM> items;
    std::deque<USERDATA> users;
    std::deque<std::string> keywords;
};

struct FakeDriverUI : IPrintOemDriverUI {
    std::map<std::string, std::string> settings;  // keywords the driver knows
    std::vector<std::string> asked;
    std::vector<std::pair<POPTITEM, DWORD>> updates;  // item, mode
    PVOID lastPci = nullptr;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void **ppv) override { *ppv = this; return S_OK; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE DrvGetDriverSetting(PVOID, PCSTR, PVOID, DWORD, PDWORD, PDWORD) override;
    HRESULT STDMETHODCALLTYPE DrvUpgradeRegistrySetting(HANDLE, PCSTR, PCSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DrvUpdateUISetting(PVOID pci, PVOID pItem, DWORD, DWORD dwMode) override {
        lastPci = pci;
        updates.emplace_back(static_cast<POPTITEM>(pItem), dwMode);
        return S_OK;
    }
};

struct PrinterValue {
    DWORD type;
    std::vector<BYTE> data;
};

// Every WriteModel uses fresh file names, so no cached profile is reused.
class FakePrinter {
public:
    FakePrinter();
    ~FakePrinter();
    void WriteModel(const std::string &oemFilesAndIni, const std::string &dat = "");
    HANDLE Handle() const { return reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(0x5A5A)); }
    std::map<std::wstring, PrinterValue> data;
    void SetDword(const wchar_t *name, DWORD value);
    DWORD Dword(const wchar_t *name) const;  // fails the test unless a 4-byte REG_DWORD
    std::wstring Text(const wchar_t *name) const;
    wchar_t name[16] = L"Fake Printer";

private:
    std::wstring dir_;
    std::vector<std::unique_ptr<testsupport::ImportPatch>> patches_;
};

struct SheetCall {
    UINT uFunction;
    PROPSHEETPAGEW page;
    std::wstring title;
};
extern std::vector<SheetCall> g_sheetCalls;
extern LONG_PTR g_sheetNextResult;  // returned by the next call, then incremented
LONG_PTR CALLBACK RecordingComPropSheet(HANDLE, UINT uFunction, LPARAM lParam1, LPARAM lParam2);

class OptionTreeTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override { HeapDestroy(heap); }
    // The second-pass block with room for n plug-in items and two guard
    // items after them that nothing may touch.
    OEMCUIPPARAM &Param(DWORD n);
    bool GuardsIntact() const;

    HANDLE heap = nullptr;
    FakePrinter printer;
    FakeDriverUI driverUI;
    DriverItems driver;
    DEVMODEW publicDM = {};
    oemui::PrivateDevMode pdm = {};
    std::vector<OPTITEM> items;
    OEMCUIPPARAM param = {};
    OEMUIOBJ uiObject = {};
};

}  // namespace optiontest
