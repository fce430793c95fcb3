#include <gtest/gtest.h>

#include "dialogs/push_buttons.h"
#include "optiontree/common_ui_prop.h"
#include "optiontree/fake_driver.h"
#include "optiontree/option_callback.h"
#include "settings/model_config.h"

using namespace oemui;
using namespace optiontest;

namespace {

constexpr char kDat[] = "[Hold Dialog]\r\nCaption=Print and Hold\r\n[Copies Dialog]\r\nCaption=Copies Setting\r\n"
                        "[Job Accounting Dialog]\r\nCaption=Job Accounting\r\n";

// [Common] of a model: copies split, optional disk, built-in disk, secure print, job accounting.
std::string Common(int copies, int hdd, int installed, int secure, int account) {
    char sz[256];
    std::snprintf(sz, sizeof(sz),
                  "[Common]\r\nGraphicsCopiesSetting=%d\r\nPrinterHDD=%d\r\nPrinterInstalledHDD=%d\r\n"
                  "ExtrasSecurePrint=%d\r\nPrinterJobAccounting=%d\r\n",
                  copies, hdd, installed, secure, account);
    return sz;
}

using CommonUIPropTest = OptionTreeTest;

TEST_F(CommonUIPropTest, FirstPassCountsAndUnknownModesFail) {
    for (DWORD mode : {OEMCUIP_DOCPROP, OEMCUIP_PRNPROP}) {
        OEMCUIPPARAM &p = Param(0);
        p.pOEMOptItems = nullptr;
        EXPECT_EQ(HandleCommonUIProp(mode, &p, &driverUI), S_OK);
        EXPECT_EQ(p.cOEMOptItems, mode == OEMCUIP_DOCPROP ? 2u : 1u);
        EXPECT_EQ(p.OEMCUIPCallback, nullptr);
    }
    SetLastError(0);
    EXPECT_EQ(HandleCommonUIProp(3, &Param(2), &driverUI), E_FAIL);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(CommonUIPropTest, DocumentItemsArePushButtonsInTheDriverHeap) {
    printer.WriteModel(Common(1, 3, 1, 0, 0), kDat);
    driverUI.settings["Option4"] = "True";
    OEMCUIPPARAM &p = Param(2);
    ASSERT_EQ(HandleCommonUIProp(OEMCUIP_DOCPROP, &p, &driverUI), S_OK);
    EXPECT_EQ(p.OEMCUIPCallback, DocumentItemCallback);
    EXPECT_EQ(pdm.sDiskInstalled, 1);
    EXPECT_EQ(pdm.sColorCopiesEnabled, 1);
    EXPECT_EQ(pdm.sOptionalDisk, 3);
    const wchar_t *captions[] = {L"Print and Hold", L"Copies Setting"};
    const _CPSUICALLBACK pushes[] = {PrintAndHoldButtonCallback, CopiesButtonCallback};
    for (int i = 0; i < 2; ++i) {
        const OPTITEM &item = items[i];
        EXPECT_EQ(item.Flags, static_cast<DWORD>(OPTIF_COLLAPSE));
        EXPECT_EQ(item.Level, 2);
        EXPECT_EQ(item.DMPubID, DMPUB_USER);
        EXPECT_STREQ(item.pName, captions[i]);
        ASSERT_TRUE(HeapValidate(heap, 0, item.pName) && HeapValidate(heap, 0, item.pOptType) &&
                    HeapValidate(heap, 0, item.pOptType->pOptParam));
        EXPECT_EQ(item.pOptType->Type, TVOT_PUSHBUTTON);
        EXPECT_EQ(item.pOptType->Style, OTS_PUSH_ENABLE_ALWAYS);
        EXPECT_EQ(item.pOptType->pOptParam->Style, PUSHBUTTON_TYPE_CALLBACK);
        EXPECT_EQ(reinterpret_cast<_CPSUICALLBACK>(item.pOptType->pOptParam->pData), pushes[i]);
        EXPECT_EQ(item.pOptType->pOptParam->IconID, 64074u);
    }
}

TEST_F(CommonUIPropTest, PrintAndHoldFollowsTheDiskRule) {
    struct Case {
        int secure, installed, optional;
        const char *option4, *hardDisk;  // null: the driver does not know the keyword
        bool hidden;
        size_t asked;
    } const cases[] = {
        {0, 0, 0, "True", "True", true, 0},   {0, 1, 0, nullptr, nullptr, false, 0},
        {0, 0, 1, "True", nullptr, false, 1}, {0, 0, 1, "False", "True", true, 1},
        {0, 0, 1, nullptr, "True", false, 2}, {0, 0, 1, nullptr, nullptr, true, 2},
        {0, 0, 1, "Truer", nullptr, true, 1}, {1, 0, 0, nullptr, nullptr, false, 0},
        {1, 0, 1, "False", nullptr, false, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.secure << c.installed << c.optional << (c.option4 ? c.option4 : "-"));
        printer.WriteModel(Common(0, c.optional, c.installed, c.secure, 0), kDat);
        driverUI.settings.clear();
        driverUI.asked.clear();
        if (c.option4) driverUI.settings["Option4"] = c.option4;
        if (c.hardDisk) driverUI.settings["PrinterHardDisk"] = c.hardDisk;
        ASSERT_EQ(HandleCommonUIProp(OEMCUIP_DOCPROP, &Param(2), &driverUI), S_OK);
        EXPECT_EQ((items[0].Flags & OPTIF_HIDE) != 0, c.hidden);
        EXPECT_EQ(driverUI.asked.size(), c.asked);
        EXPECT_NE(items[1].Flags & OPTIF_HIDE, 0u);  // no copies split on this model
    }
    // Without a driver helper an optional disk counts as absent.
    printer.WriteModel(Common(1, 1, 0, 0, 0), kDat);
    ASSERT_EQ(HandleCommonUIProp(OEMCUIP_DOCPROP, &Param(2), nullptr), S_OK);
    EXPECT_NE(items[0].Flags & OPTIF_HIDE, 0u);
    EXPECT_EQ(items[1].Flags & OPTIF_HIDE, 0u);
}

TEST_F(CommonUIPropTest, LockFlagsDisableTheFirstMatchingDriverItems) {
    driver.Add(nullptr, 0, 0, true);  // no USERDATA
    driver.Add(nullptr);              // USERDATA without keyword
    driver.Add("JCLMediaType");       // 2: ahead of the media-type item, so it is the one
    driver.Add("C1", DMPUB_COLOR);
    driver.Add("C2", DMPUB_COLOR);    // 4: only the first colour item
    driver.Add("D", DMPUB_DUPLEX);
    driver.Add("S", DMPUB_DEFSOURCE);
    driver.Add("M", DMPUB_MEDIATYPE);
    driver.Add("JCLMediaType");       // 8: duplicate keyword
    printer.WriteModel(Common(1, 0, 1, 0, 0), kDat);
    pdm.bLockFlags = 0x0F;
    ASSERT_EQ(HandleCommonUIProp(OEMCUIP_DOCPROP, &Param(2), &driverUI), S_OK);
    const DWORD L = OPTIF_DISABLED | OPTIF_CHANGED;
    const DWORD expected[] = {0, 0, L, L, 0, L, L, 0, 0};
    for (size_t i = 0; i < ARRAYSIZE(expected); ++i) EXPECT_EQ(driver.items[i].Flags, expected[i]) << i;

    DriverItems other;  // media-type item first: it wins; bits without items do nothing
    other.Add("M", DMPUB_MEDIATYPE);
    other.Add("JCLMediaType");
    pdm.bLockFlags = 0x09;
    OEMCUIPPARAM &q = Param(2);
    q.pDrvOptItems = other.items.data();
    q.cDrvOptItems = 2;
    ASSERT_EQ(HandleCommonUIProp(OEMCUIP_DOCPROP, &q, &driverUI), S_OK);
    EXPECT_EQ(other.items[0].Flags, L);
    EXPECT_EQ(other.items[1].Flags, 0u);
}

TEST_F(CommonUIPropTest, ShortItemArraysAreFilledOnlyAsFarAsTheyGo) {
    printer.WriteModel(Common(1, 0, 1, 0, 1), kDat);
    ASSERT_EQ(HandleCommonUIProp(OEMCUIP_DOCPROP, &Param(1), &driverUI), S_OK);
    EXPECT_STREQ(items[0].pName, L"Print and Hold");
    EXPECT_TRUE(GuardsIntact());
    for (DWORD mode : {OEMCUIP_DOCPROP, OEMCUIP_PRNPROP}) {
        ASSERT_EQ(HandleCommonUIProp(mode, &Param(0), &driverUI), S_OK);
        EXPECT_TRUE(GuardsIntact());
    }
    // No heap, no record: the items stay as the driver gave them.
    OEMCUIPPARAM &p = Param(1);
    p.hOEMHeap = nullptr;
    ASSERT_EQ(HandleCommonUIProp(OEMCUIP_PRNPROP, &p, &driverUI), S_OK);
    EXPECT_EQ(p.pOEMUserData, nullptr);
    EXPECT_EQ(items[0].cbSize, 0xABABu);
}

TEST_F(CommonUIPropTest, HddSettingIsCreatedOnlyWithoutBuiltInDisk) {
    printer.WriteModel(Common(0, 1, 1, 0, 0), kDat);
    ASSERT_EQ(HandleCommonUIProp(OEMCUIP_DOCPROP, &Param(2), &driverUI), S_OK);
    EXPECT_EQ(printer.data.count(L"HDD_SETTING"), 0u);
    printer.WriteModel(Common(0, 1, 0, 0, 0), "");
    ASSERT_EQ(HandleCommonUIProp(OEMCUIP_DOCPROP, &Param(2), &driverUI), S_OK);
    EXPECT_EQ(printer.Dword(L"HDD_SETTING"), 0u);
    EXPECT_STREQ(items[0].pName, L"Caption");  // no string table entry
    printer.SetDword(L"HDD_SETTING", 1);
    ASSERT_EQ(HandleCommonUIProp(OEMCUIP_DOCPROP, &Param(2), &driverUI), S_OK);
    EXPECT_EQ(printer.Dword(L"HDD_SETTING"), 1u);
}

// A value of another type or size is as good as missing: the rendering side
// reads a 4-byte number.
TEST_F(CommonUIPropTest, DamagedHddSettingIsReplacedByADword) {
    printer.WriteModel(Common(0, 1, 0, 0, 0), kDat);
    struct Case {
        DWORD type;
        size_t cb;
    } const cases[] = {{REG_SZ, 16}, {REG_BINARY, 4}, {REG_DWORD, 2}, {REG_DWORD, 8}};
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.type << "/" << c.cb);
        printer.data[L"HDD_SETTING"] = PrinterValue{c.type, std::vector<BYTE>(c.cb, 0x31)};
        ASSERT_EQ(HandleCommonUIProp(OEMCUIP_DOCPROP, &Param(2), &driverUI), S_OK);
        EXPECT_EQ(printer.Dword(L"HDD_SETTING"), 0u);
    }
}

TEST_F(CommonUIPropTest, PrinterItemKeepsItsRecordAndShowsTheStoredSelection) {
    struct Case {
        int account;
        const wchar_t *stored;
        DWORD value;
        LONG sel;
    } const cases[] = {{1, nullptr, 0, 0}, {1, L"OEMUI_VALUE", 42, 42}, {1, L"OEMUI_VALUE", 101, 0}, {0, L"OEMUI_VALUE", 7, 7}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.value);
        printer.WriteModel(Common(0, 0, 0, 0, c.account), kDat);
        printer.data.clear();
        if (c.stored) printer.SetDword(c.stored, c.value);
        OEMCUIPPARAM &p = Param(1);
        ASSERT_EQ(HandleCommonUIProp(OEMCUIP_PRNPROP, &p, &driverUI), S_OK);
        EXPECT_EQ(p.OEMCUIPCallback, PrinterItemCallback);
        auto *pConfig = static_cast<ModelConfig *>(p.pOEMUserData);
        ASSERT_TRUE(pConfig != nullptr && HeapValidate(heap, 0, pConfig));
        EXPECT_EQ(pConfig->pDriverUI, &driverUI);
        EXPECT_STREQ(items[0].pName, L"Job Accounting");
        EXPECT_EQ(items[0].Level, 1);
        EXPECT_EQ(items[0].Sel, c.sel);
        EXPECT_EQ((items[0].Flags & OPTIF_HIDE) != 0, c.account == 0);
        EXPECT_EQ(reinterpret_cast<_CPSUICALLBACK>(items[0].pOptType->pOptParam->pData), JobAccountingButtonCallback);
    }
}

}  // namespace
