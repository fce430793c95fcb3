#include <gtest/gtest.h>

#include "common/handles.h"
#include "optiontree/common_ui_prop.h"
#include "optiontree/fake_driver.h"
#include "optiontree/option_callback.h"
#include "settings/model_config.h"

using namespace oemui;
using namespace optiontest;

namespace {

int g_boxes = 0;
int g_answer = IDNO;
int WINAPI FakeMessageBoxW(HWND, LPCWSTR text, LPCWSTR caption, UINT) {
    ++g_boxes;
    EXPECT_STREQ(text, L"Drop the split?");
    EXPECT_STREQ(caption, L"Warning");  // absent from the table: the key's name
    return g_answer;
}

const std::string kModel = "[Common]\r\nGraphicsCopiesSetting=1\r\nGraphicsGrayscaleEnh=1\r\nPrinterJobAccounting=1\r\n"
                           "Graphics1200Res=1\r\nGraphics600Res=1\r\nGraphics300Res=1\r\n";

class CallbackTest : public OptionTreeTest {
protected:
    // The option tree as CommonUIProp builds it, and the sheet's own record
    // as the printing preferences link it to the device mode.
    ModelConfig *Open(DWORD mode, const std::string &ini = kModel, IPrintOemDriverUI *pDriverUI = nullptr) {
        printer.WriteModel(ini, "[Paper Dialog]\r\nCopiesChangedMsg=Drop the split?\r\n");
        EXPECT_EQ(HandleCommonUIProp(mode, &Param(mode == OEMCUIP_DOCPROP ? 2 : 1), pDriverUI), S_OK);
        if (mode == OEMCUIP_PRNPROP) return static_cast<ModelConfig *>(param.pOEMUserData);
        psParam = {sizeof(psParam), &uiObject, printer.Handle(), printer.name, nullptr, heap, nullptr, nullptr, nullptr, 0, nullptr};
        ModelConfig *pConfig = CreateModelConfig(heap);
        pConfig->pPsParam = &psParam;
        pConfig->pDriverUI = pDriverUI;
        LoadModelConfig(pConfig);
        pdm.pContext = pConfig;
        return pConfig;
    }
    LONG Call(WORD reason, POPTITEM pCur = nullptr, LONG oldSel = 0) {
        CPSUICBPARAM cb = {};
        cb.Reason = reason;
        cb.pCurItem = pCur;
        cb.OldSel = oldSel;
        return param.OEMCUIPCallback(&cb, &param);
    }
    OEMUIPSPARAM psParam = {};
    testsupport::ImportPatch box{GetModuleHandleW(nullptr), nullptr, "MessageBoxW",
                                 reinterpret_cast<void *>(FakeMessageBoxW)};
};

TEST_F(CallbackTest, ResolutionTableWalksTheBitSets) {
    struct Case {
        const char *keys;
        std::vector<LONG> expected;
    } const cases[] = {
        {"Graphics1200Res=257", {1, 1200}},
        {"Graphics1200Res=33", {1}},  // 33 is not below 22 when bit 0x1 is reached
        {"Graphics600Res=6", {2400, 1200}},
        {"Graphics1200Res=3855\r\nGraphics600Res=3855", {8, 4, 2, 1, 9600, 4800, 2400, 1200, 8, 4}},  // 10 at most
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.keys);
        ModelConfig *pConfig = Open(OEMCUIP_DOCPROP, std::string("[Common]\r\n") + c.keys + "\r\n");
        LoadResolutionTable(pConfig);
        EXPECT_EQ(std::vector<LONG>(pConfig->alResolution, pConfig->alResolution + pConfig->lResolutionCount),
                  c.expected);
    }
}

TEST_F(CallbackTest, ChangingCopiesAsksBeforeDroppingTheSplit) {
    struct Case {
        LONG gray;
        int answer, boxes;
        LONG sel, copies, grayOut, colorOut;
    } const cases[] = {
        {1, IDYES, 1, 5, 5, 0, 5},
        {1, IDNO, 1, 3, 3, 1, 2},
        {0, IDYES, 0, 5, 3, 0, 3},  // no greyscale copies: nothing to lose
    };
    for (const Case &c : cases) {
        driver = DriverItems();
        driver.Add("Copies", DMPUB_COPIES_COLLATE, 5);
        ModelConfig *pConfig = Open(OEMCUIP_DOCPROP);
        publicDM.dmCopies = 3;
        pConfig->lGrayCopiesWork = c.gray;
        pConfig->dwColorCopiesWork = 3 - c.gray;
        g_boxes = 0;
        g_answer = c.answer;
        EXPECT_EQ(Call(CPSUICB_REASON_SEL_CHANGED, &driver.items[0], 3), 0);
        EXPECT_EQ(g_boxes, c.boxes);
        EXPECT_EQ(driver.items[0].Sel, c.sel);
        EXPECT_EQ(publicDM.dmCopies, c.copies);
        EXPECT_EQ(pdm.lGrayCopies, c.grayOut);
        EXPECT_EQ(pdm.lColorCopies, c.colorOut);
    }
}

TEST_F(CallbackTest, ColourSwitchDrivesColorModeCopiesAndGreyEnhancement) {
    driver.Add("ColorMode", 0, 1);
    driver.Add("JCLEnhanceGray", 0, 3);
    driver.Add("Color", DMPUB_COLOR);
    Open(OEMCUIP_DOCPROP, kModel, &driverUI);
    for (bool colour : {false, true}) {
        publicDM.dmColor = colour ? DMCOLOR_COLOR : DMCOLOR_MONOCHROME;
        driverUI.updates.clear();
        Call(CPSUICB_REASON_SEL_CHANGED, &driver.items[2]);
        EXPECT_EQ(driver.items[0].Sel, colour ? 1 : 0);
        ASSERT_EQ(driverUI.updates.size(), 1u);
        EXPECT_EQ(driverUI.updates[0], std::make_pair(&driver.items[0], OEMCUIP_DOCPROP));
        EXPECT_EQ(driverUI.lastPci, &uiObject);
        EXPECT_EQ((items[1].Flags & OPTIF_DISABLED) != 0, !colour);
        EXPECT_EQ((driver.items[1].Flags & OPTIF_DISABLED) != 0, colour);
        EXPECT_EQ(driver.items[1].Sel, colour ? 0 : 3);
    }
}

TEST_F(CallbackTest, PageSwitchesRestoreAndSaveThePageState) {
    driver.Add("JCLRegionColor", 0, 1);
    driver.Add("StapleLocation", 0, 2);
    ModelConfig *pConfig = Open(OEMCUIP_DOCPROP, kModel, &driverUI);
    pdm.lHoldSel = 4;
    pdm.bRegionColor = 3;
    EXPECT_EQ(Call(CPSUICB_REASON_SETACTIVE), 1);
    EXPECT_EQ(items[0].Sel, 4);
    EXPECT_EQ(items[1].UserData, reinterpret_cast<ULONG_PTR>(pConfig));
    EXPECT_EQ(driver.items[0].Sel, 3);
    EXPECT_EQ(driverUI.updates.size(), 1u);
    items[0].Sel = 9;
    driver.items[0].Sel = 0x102;
    EXPECT_EQ(Call(CPSUICB_REASON_KILLACTIVE), 0);
    EXPECT_EQ(pdm.lHoldSel, 9);
    EXPECT_EQ(pdm.sStapling, 1);
    EXPECT_EQ(pdm.bRegionColor, 2);
}

TEST_F(CallbackTest, ApplyStoresCopiesResolutionAndPagesPerSheet) {
    struct Case {
        short color, collate, curCopies;
        LONG grayWork, qualitySel, nupSel, grayOut;
        SHORT resolution, nup;
    } const cases[] = {
        {DMCOLOR_COLOR, DMCOLLATE_TRUE, 5, 2, 1, 6, 2, 600, 1},
        {DMCOLOR_COLOR, DMCOLLATE_TRUE, 2, 3, 2, 5, 0, 300, 0},  // fewer copies than greyscale ones
        {DMCOLOR_MONOCHROME, DMCOLLATE_TRUE, 5, 2, 0, 6, 0, 1200, 1},
        {DMCOLOR_COLOR, DMCOLLATE_FALSE, 5, 2, 3, 6, 0, 150, 1},  // no table entry: kept
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.qualitySel);
        driver = DriverItems();
        driver.Add("Quality", 0, c.qualitySel);
        driver.Add("N", DMPUB_NUP, c.nupSel);
        ModelConfig *pConfig = Open(OEMCUIP_DOCPROP);  // no driver helper at all
        LoadResolutionTable(pConfig);
        pdm.sResolution = 150;
        publicDM.dmColor = c.color;
        publicDM.dmCollate = c.collate;
        pConfig->sCurCopies = c.curCopies;
        pConfig->lGrayCopiesWork = c.grayWork;
        EXPECT_EQ(Call(CPSUICB_REASON_APPLYNOW), 0);
        EXPECT_EQ(pdm.lGrayCopies, c.grayOut);
        EXPECT_EQ(pdm.sResolution, c.resolution);
        EXPECT_EQ(pdm.sNupFlag, c.nup);
    }
}

TEST_F(CallbackTest, ApplyRecordsTheUserIdForTheJobMonitor) {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\OemuiTest");
    Open(OEMCUIP_DOCPROP, "JobMointor=1\r\nJobMointorPath=Software\\OemuiTest\\Mon\r\n" + kModel);
    // A user ID filling its field has no terminator; nothing after it is taken.
    for (int i = 0; i < 20; ++i) pdm.szUserId[i] = static_cast<wchar_t>(L'A' + i);
    pdm.szJobName[0] = L'J';
    Call(CPSUICB_REASON_APPLYNOW);
    RegKey key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\OemuiTest\\Mon", 0, KEY_READ, key.put()), ERROR_SUCCESS);
    DWORD type = 0, cb = 100;
    wchar_t value[50] = {};
    ASSERT_EQ(RegQueryValueExW(key.get(), printer.name, nullptr, &type, reinterpret_cast<BYTE *>(value), &cb), 0);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::wstring(value, cb / 2), std::wstring(pdm.szUserId, 20));
    key.reset();
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\OemuiTest");
    // Switched on without a key named: nothing is written anywhere.
    Open(OEMCUIP_DOCPROP, "JobMointor=1\r\n" + kModel);
    Call(CPSUICB_REASON_APPLYNOW);
    EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, L"JobMointorPath", 0, KEY_READ, key.put()), ERROR_SUCCESS);
}

TEST_F(CallbackTest, CallbacksWithoutTheirRecordDoNoHarm) {
    driver.Add("Copies", DMPUB_COPIES_COLLATE, 4);
    Open(OEMCUIP_DOCPROP);
    pdm.pContext = nullptr;
    g_boxes = 0;
    for (WORD reason : {0, 6, 10, 11}) Call(reason, &driver.items[0], 2);
    EXPECT_EQ(g_boxes, 0);
    Open(OEMCUIP_PRNPROP);
    param.pOEMUserData = nullptr;
    printer.data.clear();
    for (WORD reason : {0, 6, 7, 10, 11}) EXPECT_EQ(Call(reason), 0) << reason;
    EXPECT_TRUE(printer.data.empty());
}

TEST_F(CallbackTest, PrinterApplyKeepsStoredCredentialsUntilTheDialogWasUsed) {
    driver.Add("PrinterHardDisk", 0, 0);
    driver.Add("Option4", 0, 1);
    ModelConfig *pConfig = Open(OEMCUIP_PRNPROP);
    const BYTE stored[] = {'u', 0, '1', 0};
    printer.data[L"JOBACCOUNT_ID"] = printer.data[L"JOBACCOUNT_PW"] = {REG_SZ, {stored, stored + 4}};
    pConfig->szJobAccountIdKept[0] = L'k';
    items[0].Sel = 3;
    EXPECT_EQ(Call(CPSUICB_REASON_SETACTIVE), 1);
    EXPECT_EQ(items[0].UserData, reinterpret_cast<ULONG_PTR>(pConfig));
    EXPECT_EQ(Call(CPSUICB_REASON_APPLYNOW), 1);
    EXPECT_EQ(printer.Text(L"JOBACCOUNT_ID"), L"u1");
    EXPECT_EQ(printer.Text(L"JOBACCOUNT_PW"), L"u1");
    EXPECT_EQ(pConfig->szJobAccountIdKept[0], L'\0');
    EXPECT_EQ(printer.Dword(L"HDD_SETTING"), 1u);  // "Option4" before "PrinterHardDisk"
    EXPECT_EQ(printer.Dword(L"OEMUI_VALUE"), 3u);
    lstrcpynW(pConfig->szJobAccountIdEntered, L"alice", kJobAccountCch);
    pConfig->lJobAccountEdited = 1;
    EXPECT_EQ(Call(CPSUICB_REASON_APPLYNOW), 1);
    EXPECT_EQ(printer.Text(L"JOBACCOUNT_ID"), L"alice");
    EXPECT_EQ(printer.Text(L"JOBACCOUNT_PW"), L"");
    EXPECT_EQ(Call(CPSUICB_REASON_KILLACTIVE), 1);
}

}  // namespace
