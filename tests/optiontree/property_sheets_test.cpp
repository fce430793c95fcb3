#include <gtest/gtest.h>

#include "optiontree/fake_driver.h"
#include "plugin/property_sheets.h"
#include "resources/resource_ids.h"
#include "settings/model_config.h"
#include "support/plugin_fixture.h"
#include "troubleshooting/trouble_page.h"

using namespace oemui;
using namespace optiontest;

namespace {

LANGID g_systemLanguage = 0x0409;
LANGID WINAPI FakeGetSystemDefaultLangID() { return g_systemLanguage; }

class PropertySheetsTest : public OptionTreeTest {
protected:
    void SetUp() override {
        OptionTreeTest::SetUp();
        psParam = {sizeof(psParam), &uiObject, printer.Handle(), printer.name, nullptr, heap, &publicDM, &pdm, nullptr, 0, nullptr};
        info.Version = 0x0100;
        info.pfnComPropSheet = RecordingComPropSheet;
        info.lParamInit = reinterpret_cast<LPARAM>(&psParam);
    }
    HRESULT Call(SheetKind kind, WORD reason, LPARAM lParam = 0) {
        info.Reason = reason;
        return HandlePropertySheets(kind, &info, lParam, &driverUI);
    }
    ModelConfig *Record() const { return static_cast<ModelConfig *>(psParam.pOEMUserData); }

    OEMUIPSPARAM psParam = {};
    PROPSHEETUI_INFO info = {};
    testsupport::ImportPatch language{GetModuleHandleW(nullptr), nullptr, "GetSystemDefaultLangID",
                                      reinterpret_cast<void *>(FakeGetSystemDefaultLangID)};
};

TEST_F(PropertySheetsTest, WrongVersionFailsAndLeavesTheResult) {
    info.Version = 0x0101;
    info.Result = 1234;
    SetLastError(0);
    EXPECT_EQ(Call(SheetKind::Document, PROPSHEETUI_REASON_INIT), E_FAIL);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(info.Result, 1234);
    EXPECT_EQ(HandlePropertySheets(SheetKind::Device, nullptr, 0, &driverUI), E_FAIL);
}

TEST_F(PropertySheetsTest, DestroyReportsChangesToTheSheet) {
    printer.WriteModel("");
    ASSERT_EQ(Call(SheetKind::Document, PROPSHEETUI_REASON_INIT), S_OK);
    g_sheetCalls.clear();
    EXPECT_EQ(Call(SheetKind::Document, PROPSHEETUI_REASON_DESTROY), S_OK);
    EXPECT_EQ(info.Result, 1);
    EXPECT_TRUE(g_sheetCalls.empty());
    Record()->lChanged = 1;
    g_sheetNextResult = 0x2222;
    EXPECT_EQ(Call(SheetKind::Document, PROPSHEETUI_REASON_DESTROY), S_OK);
    EXPECT_EQ(info.Result, 0x2222);
    Record()->lChanged = 0;
    EXPECT_EQ(Call(SheetKind::Device, PROPSHEETUI_REASON_DESTROY), S_OK);
    EXPECT_EQ(info.Result, 0x2223);
    ASSERT_EQ(g_sheetCalls.size(), 2u);
    EXPECT_EQ(g_sheetCalls[1].uFunction, static_cast<UINT>(CPSFUNC_SET_RESULT));
}

TEST_F(PropertySheetsTest, InitLinksTheRecordAndPreparesTheCopySplit) {
    struct Case {
        short copies;
        LONG color, gray;
        DWORD colorWork;
        LONG grayWork;
    } const cases[] = {{5, 2, 3, 2, 3}, {4, 2, 3, 4, 0}, {3, 0x10001, 2, 0x10001, 2}};  // low 16 bits add up
    for (const Case &c : cases) {
        SCOPED_TRACE(c.copies);
        printer.WriteModel("[Common]\r\nGraphics600Res=1\r\n");
        publicDM.dmCopies = c.copies;
        pdm.lColorCopies = c.color;
        pdm.lGrayCopies = c.gray;
        pdm.sResolution = 600;
        psParam.dwFlags = DM_NOPERMISSION;
        ASSERT_EQ(Call(SheetKind::Document, PROPSHEETUI_REASON_INIT), S_OK);
        EXPECT_EQ(info.Result, 0);
        ModelConfig *pConfig = Record();
        ASSERT_NE(pConfig, nullptr);
        EXPECT_EQ(info.UserData, reinterpret_cast<ULONG_PTR>(pConfig));
        EXPECT_EQ(pdm.pContext, pConfig);
        EXPECT_EQ(pConfig->pDriverUI, &driverUI);
        EXPECT_EQ(pConfig->lNoPermission, 1);
        EXPECT_EQ(pConfig->dwColorCopiesWork, c.colorWork);
        EXPECT_EQ(pConfig->lGrayCopiesWork, c.grayWork);
        EXPECT_EQ(pConfig->sCurCopies, c.copies);
        EXPECT_EQ(pConfig->lResolutionCount, 1);
    }
    pdm.pContext = nullptr;
    ASSERT_EQ(Call(SheetKind::Device, PROPSHEETUI_REASON_INIT), S_OK);
    EXPECT_EQ(info.Result, 1);
    EXPECT_EQ(pdm.pContext, nullptr);  // only the document sheet links the device mode
    // Each sheet kind has its own no-permission flag.
    ASSERT_NE(Record(), nullptr);
    EXPECT_EQ(Record()->lNoPermission, 0);
    psParam.dwFlags = DPS_NOPERMISSION;
    ASSERT_EQ(Call(SheetKind::Device, PROPSHEETUI_REASON_INIT), S_OK);
    ASSERT_NE(Record(), nullptr);
    EXPECT_EQ(Record()->lNoPermission, 1);
    ASSERT_EQ(Call(SheetKind::Document, PROPSHEETUI_REASON_INIT), S_OK);
    ASSERT_NE(Record(), nullptr);
    EXPECT_EQ(Record()->lNoPermission, 0);
}

TEST_F(PropertySheetsTest, ModelIniListsTheTroubleshootingPage) {
    const char kTitled[] = "[Troubleshooting Dialog]\r\nCaption=Fehlersuche\r\n";
    struct Case {
        const char *caption, *tabs, *dat;
        LANGID language;
        size_t pages;
        const wchar_t *title;
        WORD templateId;
    } const cases[] = {
        {"Talix C", "TabNumber=3\r\nTab0=1\r\nTab1=12\r\n", kTitled, 0x0409, 1, L"Fehlersuche", 3023},
        {"talix c", "TabNumber=1\r\nTab0=12\r\n", kTitled, 0x0401, 1, L"Fehlersuche", 3501},
        {"Talix C", "TabNumber=1\r\nTab0=12\r\n", kTitled, 0x040D, 1, L"Fehlersuche", 3501},
        {"Talix C", "TabNumber=1\r\nTab0=12\r\n", kTitled, 0x0429, 1, L"Fehlersuche", 3023},  // Persian
        {"Talix C", "TabNumber=2\r\nTab0=12\r\nTab1=12\r\n", "", 0x0409, 2, L"Caption", 3023},
        {"Talix C", "Tab0=12\r\n", kTitled, 0x0409, 0, nullptr, 0},
        {"Korvant", "TabNumber=1\r\nTab0=12\r\n", kTitled, 0x0409, 0, nullptr, 0},
        {"Mero", "TabNumber=1\r\nTab0=12\r\n", kTitled, 0x0409, 0, nullptr, 0},
        {"Talix C", "TabNumber=2000000000\r\nTab0=12\r\n", kTitled, 0x0409, 1, L"Fehlersuche", 3023},
    };
    for (SheetKind kind : {SheetKind::Document, SheetKind::Device}) {
        for (const Case &c : cases) {
            SCOPED_TRACE(testing::Message() << c.caption << " / " << c.tabs << " / " << c.language);
            printer.WriteModel(std::string("[Common]\r\nCaption=") + c.caption + "\r\n[TABNUMBER]\r\n" + c.tabs, c.dat);
            g_systemLanguage = c.language;
            g_sheetCalls.clear();
            ASSERT_EQ(Call(kind, PROPSHEETUI_REASON_INIT), S_OK);
            ASSERT_EQ(g_sheetCalls.size(), c.pages);
            for (const SheetCall &call : g_sheetCalls) {
                EXPECT_EQ(call.uFunction, static_cast<UINT>(CPSFUNC_ADD_PROPSHEETPAGEW));
                EXPECT_EQ(call.page.dwSize, 96u);
                EXPECT_EQ(call.page.dwFlags & ~static_cast<DWORD>(PSP_USEFUSIONCONTEXT), static_cast<DWORD>(PSP_USETITLE));
                EXPECT_EQ(reinterpret_cast<ULONG_PTR>(call.page.pszTemplate), c.templateId);
                EXPECT_EQ(call.page.pfnDlgProc, TroubleshootingPageProc);
                EXPECT_EQ(call.page.lParam, reinterpret_cast<LPARAM>(Record()));
                EXPECT_EQ(call.title, c.title);
            }
            if (c.pages != 0) {
                EXPECT_EQ(Record()->hPage, reinterpret_cast<HANDLE>(g_sheetNextResult - 1));
            }
        }
    }
}

TEST_F(PropertySheetsTest, NoRecordMeansNoPagesAndNoStaleLink) {
    printer.WriteModel("[Common]\r\nCaption=Talix\r\n[TABNUMBER]\r\nTabNumber=1\r\nTab0=12\r\n");
    psParam.hOEMHeap = nullptr;
    pdm.pContext = reinterpret_cast<ModelConfig *>(static_cast<ULONG_PTR>(0xDEAD));
    ASSERT_EQ(Call(SheetKind::Document, PROPSHEETUI_REASON_INIT), S_OK);
    EXPECT_EQ(info.Result, 0);
    EXPECT_EQ(pdm.pContext, nullptr);
    EXPECT_TRUE(g_sheetCalls.empty());
    EXPECT_EQ(Call(SheetKind::Document, PROPSHEETUI_REASON_DESTROY), S_OK);
    EXPECT_EQ(info.Result, 1);
}

// The plug-in's own templates make a real page (a child of the sheet) that
// keeps the record it was created with; the twin is mirrored.
TEST(TroubleshootingPage, TemplatesCreateAPageThatKeepsItsRecord) {
    HMODULE hPlugin = testsupport::PluginModule();
    ASSERT_NE(hPlugin, nullptr);
    HWND hSheet = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED, 0, 0, 600, 500, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hSheet, nullptr);
    int record = 0;
    PROPSHEETPAGEW page = {};
    page.lParam = reinterpret_cast<LPARAM>(&record);
    for (WORD id : {IDD_TROUBLESHOOTING, IDD_TROUBLESHOOTING_RTL}) {
        HWND hPage = CreateDialogParamW(hPlugin, MAKEINTRESOURCEW(id), hSheet, TroubleshootingPageProc,
                                        reinterpret_cast<LPARAM>(&page));
        ASSERT_NE(hPage, nullptr) << id;
        EXPECT_EQ(TroubleshootingPageContext(hPage), reinterpret_cast<ModelConfig *>(&record));
        EXPECT_NE(GetDlgItem(hPage, IDC_TS_DIAG_LIST), nullptr);
        EXPECT_EQ((GetWindowLongPtrW(hPage, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0, id == IDD_TROUBLESHOOTING_RTL);
        DestroyWindow(hPage);
    }
    DestroyWindow(hSheet);
}

}  // namespace
