// The emulated core's option tree and its binding to the device mode,
// without the plug-in: what the plug-in will find when it looks for items.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "host/driver_devmode.h"
#include "host/option_tree.h"
#include "host/printer_install.h"
#include "host/report.h"

namespace oemuihost {
namespace {

class TreeTest : public ::testing::Test {
protected:
    void Load(const wchar_t *file) {
        model = LoadModelData(SampleModelsDirectory() + file);
        ASSERT_FALSE(model.features.empty());
        std::memset(&dm, 0, sizeof(dm));
        FillPublicDefaults(model, L"test", &dm);
        FillCoreDefaults(model, &core);
        installed.assign(model.features.size(), -1);
    }
    const char *Keyword(DWORD i) {
        const auto *pUser = reinterpret_cast<const USERDATA *>(tree.Items()[i].UserData);
        return pUser == nullptr ? nullptr : pUser->pKeyWordName;
    }
    ModelData model;
    DEVMODEW dm;
    HostPrivate core;
    std::vector<int> installed;
    OptionTree tree;
};

TEST_F(TreeTest, DocumentTreeHasPublicItemsThenDocumentFeatures) {
    Load(L"talix_c500\\TLXC500.GPD");
    tree.Build(model, SheetKind::Document, dm, core, installed);
    const BYTE expectedPublic[] = {DMPUB_COPIES_COLLATE, DMPUB_COLOR, DMPUB_DUPLEX, DMPUB_DEFSOURCE, DMPUB_MEDIATYPE, DMPUB_NUP};
    for (DWORD i = 0; i < 6; ++i) EXPECT_EQ(tree.Items()[i].DMPubID, expectedPublic[i]) << i;
    // Features shown through a public item keep their keyword and are not listed twice.
    EXPECT_STREQ(Keyword(2), "Duplex");
    EXPECT_STREQ(Keyword(3), "InputBin");
    EXPECT_EQ(Keyword(0), nullptr);
    int duplexItems = 0;
    for (DWORD i = 0; i < tree.DriverCount(); ++i) {
        const char *kw = Keyword(i);
        duplexItems += kw != nullptr && std::strcmp(kw, "Duplex") == 0;
        EXPECT_FALSE(kw != nullptr && std::strcmp(kw, "Option4") == 0) << "installable option in the document tree";
        EXPECT_EQ(tree.Items()[i].cbSize, sizeof(OPTITEM));
        ASSERT_NE(tree.Items()[i].pOptType, nullptr);
    }
    EXPECT_EQ(duplexItems, 1);
    // Selections start at the data file's defaults.
    const int region = tree.FindDriverItem(L"JCLRegionColor");
    ASSERT_GE(region, 0);
    EXPECT_EQ(tree.Items()[region].Sel, 1);
    EXPECT_EQ(tree.Items()[region].pOptType->Count, 5);
    EXPECT_EQ(tree.FindDriverItem(L"regional color"), region);  // by caption too
    EXPECT_EQ(tree.Items()[tree.FindDriverItem(L"color")].Sel, 1);
}

TEST_F(TreeTest, DeviceTreeHoldsTheInstallableOptionsWithStoredSelections) {
    Load(L"mero_p45ps\\MRP45.PPD");
    installed[static_cast<size_t>(model.FindFeature("PrinterHardDisk"))] = 1;
    tree.Build(model, SheetKind::Device, dm, core, installed);
    EXPECT_EQ(tree.DriverCount(), 5u);
    const int disk = tree.FindDriverItem(L"PrinterHardDisk");
    ASSERT_GE(disk, 0);
    EXPECT_EQ(tree.Items()[disk].Sel, 1);
    EXPECT_EQ(tree.FindDriverItem(L"copies"), -1);
    tree.Items()[disk].Sel = 0;
    tree.StoreItem(static_cast<DWORD>(disk), &dm, &core, &installed);
    EXPECT_EQ(installed[static_cast<size_t>(model.FindFeature("PrinterHardDisk"))], 0);
}

TEST_F(TreeTest, MonochromeModelHasNoColourItem) {
    Load(L"korvant_k30\\KVK30.GPD");
    tree.Build(model, SheetKind::Document, dm, core, installed);
    EXPECT_EQ(tree.FindDriverItem(L"color"), -1);
    EXPECT_EQ(dm.dmColor, DMCOLOR_MONOCHROME);
}

TEST_F(TreeTest, PublicSelectionsGoToTheDeviceModeAndBack) {
    Load(L"talix_c500\\TLXC500.GPD");
    tree.Build(model, SheetKind::Document, dm, core, installed);
    struct Case {
        const wchar_t *item;
        const wchar_t *option;
        LONG sel;
        short DEVMODEW::*field;
        short value;
    };
    const Case cases[] = {
        {L"copies", L"12", 12, &DEVMODEW::dmCopies, 12},
        {L"color", L"Monochrome", 0, &DEVMODEW::dmColor, DMCOLOR_MONOCHROME},
        {L"duplex", L"HORIZONTAL", 2, &DEVMODEW::dmDuplex, DMDUP_HORIZONTAL},
        {L"source", L"Tray 2", 2, &DEVMODEW::dmDefaultSource, DMBIN_USER + 2},
        {L"source", L"AUTO", 0, &DEVMODEW::dmDefaultSource, DMBIN_AUTO},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << std::wstring(c.item).size() << " " << c.sel);
        const int index = tree.FindDriverItem(c.item);
        ASSERT_GE(index, 0);
        const LONG sel = tree.ParseOption(static_cast<DWORD>(index), c.option);
        ASSERT_EQ(sel, c.sel);
        tree.Items()[index].Sel = sel;
        tree.StoreItem(static_cast<DWORD>(index), &dm, &core, &installed);
        EXPECT_EQ(dm.*(c.field), c.value);
        EXPECT_EQ(PublicSel(*tree.PublicOf(static_cast<DWORD>(index)), dm, core), sel);
    }
    const int copies = tree.FindDriverItem(L"copies");
    EXPECT_EQ(tree.ParseOption(static_cast<DWORD>(copies), L"0"), -1);
    EXPECT_EQ(tree.ParseOption(static_cast<DWORD>(copies), L"1000"), -1);
    EXPECT_EQ(tree.ParseOption(static_cast<DWORD>(tree.FindDriverItem(L"ColorMode")), L"Purple"), -1);
    // Only the start of an item counts as the item.
    EXPECT_EQ(tree.IndexOf(reinterpret_cast<BYTE *>(tree.Items()) + 4), -1);
    OPTITEM stranger = {};
    EXPECT_EQ(tree.IndexOf(&stranger), -1);
}

TEST(Report, JsonEscapesEverythingItCarries) {
    Report report;
    report.SetLine(7);
    report.Add(L"dump", L"a \"quoted\"\nline\\", {{L"tab\t", std::wstring(1, L'\x01')}});
    const std::string json = report.RenderJson(L"C:\\x.scn", 2);
    EXPECT_NE(json.find("\"C:\\\\x.scn\""), std::string::npos);
    EXPECT_NE(json.find("\"a \\\"quoted\\\"\\nline\\\\\""), std::string::npos);
    EXPECT_NE(json.find("\"tab\\t\": \"\\u0001\""), std::string::npos);
    EXPECT_NE(json.find("\"line\": 7"), std::string::npos);
    EXPECT_NE(json.find("\"exitCode\": 2"), std::string::npos);
}

}  // namespace
}  // namespace oemuihost
