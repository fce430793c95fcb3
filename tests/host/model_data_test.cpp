// The emulator's reading of driver data files: the sample models as shipped,
// and files it must survive without a crash.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/model_data.h"
#include "host/printer_install.h"

namespace oemuihost {
namespace {

struct SampleCase {
    const wchar_t *file;
    DataFileKind kind;
    size_t features;
    size_t installable;
    bool color;
    const char *feature;         // a feature to check in detail
    const char *defaultOption;   // its default option keyword
    size_t optionCount;
};

const SampleCase kSamples[] = {
    {L"talix_c500\\TLXC500.GPD", DataFileKind::Gpd, 18, 7, true, "JCLRegionColor", "Default", 5},
    {L"korvant_k30\\KVK30.GPD", DataFileKind::Gpd, 10, 3, false, "Duplex", "NONE", 3},
    {L"korvant_k45s\\KVK45S.GPD", DataFileKind::Gpd, 9, 2, false, "Option2", "False", 2},
    {L"mero_p45ps\\MRP45.PPD", DataFileKind::Ppd, 10, 5, false, "JCLMediaType", "Plain", 3},
};

TEST(ModelData, SampleDataFiles) {
    for (const SampleCase &c : kSamples) {
        SCOPED_TRACE(testing::Message() << std::string(c.file, c.file + wcslen(c.file)));
        const ModelData data = LoadModelData(SampleModelsDirectory() + c.file);
        EXPECT_TRUE(data.warnings.empty());
        EXPECT_EQ(data.kind, c.kind);
        EXPECT_EQ(data.features.size(), c.features);
        size_t installable = 0;
        for (const ModelFeature &f : data.features) installable += f.installable;
        EXPECT_EQ(installable, c.installable);
        EXPECT_EQ(data.colorDevice, c.color);
        const int index = data.FindFeature(c.feature);
        ASSERT_GE(index, 0);
        const ModelFeature &f = data.features[static_cast<size_t>(index)];
        EXPECT_EQ(f.options.size(), c.optionCount);
        EXPECT_EQ(f.options[static_cast<size_t>(f.defaultIndex)].keyword, c.defaultOption);
    }
}

TEST(ModelData, OptionOrderAndNamesFollowTheFile) {
    const ModelData gpd = LoadModelData(SampleModelsDirectory() + L"talix_c500\\TLXC500.GPD");
    ASSERT_GE(gpd.FindFeature("Quality"), 0);
    const ModelFeature &quality = gpd.features[static_cast<size_t>(gpd.FindFeature("Quality"))];
    ASSERT_EQ(quality.options.size(), 3u);
    EXPECT_EQ(quality.options[0].keyword, "Fine");
    EXPECT_EQ(quality.options[2].displayName, L"Draft (300 dpi)");
    EXPECT_EQ(quality.displayName, L"Print Quality");

    const ModelData ppd = LoadModelData(SampleModelsDirectory() + L"mero_p45ps\\MRP45.PPD");
    ASSERT_GE(ppd.FindFeature("PrinterHardDisk"), 0);
    ASSERT_GE(ppd.FindFeature("PageSize"), 0);
    const ModelFeature &disk = ppd.features[static_cast<size_t>(ppd.FindFeature("PrinterHardDisk"))];
    EXPECT_TRUE(disk.installable);
    EXPECT_EQ(disk.options[1].keyword, "True");
    EXPECT_EQ(disk.displayName, L"Hard Disk");
    EXPECT_FALSE(ppd.features[static_cast<size_t>(ppd.FindFeature("PageSize"))].installable);
}

struct DamagedCase {
    const char *name;
    std::string text;
    DataFileKind hint;
    size_t features;  // what survives
};

TEST(ModelData, DamagedFilesGiveWarningsNotCrashes) {
    std::string manyOptions = "*OpenUI *Big/Big: PickOne\n";
    for (int i = 0; i < 300; ++i) manyOptions += "*Big O" + std::to_string(i) + "/x: \"\"\n";
    manyOptions += "*CloseUI: *Big\n";
    const DamagedCase cases[] = {
        {"binary", std::string("\x00\x01\x02*Feature: X", 14), DataFileKind::Unknown, 0},
        {"neither kind", "hello world\n", DataFileKind::Unknown, 0},
        {"gpd unbalanced braces", "*Feature: A\n{\n*Option: X\n{\n}\n}\n}\n}\n*Feature: B\n{\n*Option: Y\n{\n}\n}\n",
         DataFileKind::Gpd, 2},
        {"gpd feature without options", "*Feature: A\n{\n*DefaultOption: X\n}\n", DataFileKind::Gpd, 0},
        {"gpd default not an option", "*Feature: A\n{\n*DefaultOption: Z\n*Option: X\n{\n}\n}\n", DataFileKind::Gpd, 1},
        {"ppd never closed", "*PPD-Adobe: \"4.3\"\n*OpenUI *A/A: PickOne\n*A X/X: \"\"\n", DataFileKind::Unknown, 1},
        {"ppd OpenUI inside a quoted value",
         "*PPD-Adobe: \"4.3\"\n*Foo: \"first\n*OpenUI *Bad/Bad: PickOne\n*Bad X/X: \"\"\n\"\n", DataFileKind::Ppd, 0},
        {"ppd keyword with blanks", "*OpenUI *A B/A: PickOne\n*CloseUI: *A B\n", DataFileKind::Ppd, 0},
        {"ppd too many options", manyOptions, DataFileKind::Ppd, 1},
        {"ppd empty feature closed by the next OpenUI",
         "*PPD-Adobe: \"4.3\"\n*OpenUI *ColorMode/Color: PickOne\n*DefaultColorMode: Color\n"
         "*OpenUI *Resolution/Res: PickOne\n*DefaultResolution: 600dpi\n*Resolution 600dpi/600: \"\"\n"
         "*CloseUI: *Resolution\n",
         DataFileKind::Ppd, 1},
        {"ppd empty public features closed by the next OpenUI",
         "*PPD-Adobe: \"4.3\"\n*OpenUI *Duplex/Duplex: PickOne\n*DefaultDuplex: None\n"
         "*OpenUI *InputSlot/Source: PickOne\n*DefaultInputSlot: Tray1\n"
         "*OpenUI *MediaType/Media: PickOne\n*DefaultMediaType: Plain\n*JCLOpenUI *JCLX/X: PickOne\n",
         DataFileKind::Ppd, 0},
    };
    for (const DamagedCase &c : cases) {
        SCOPED_TRACE(c.name);
        const ModelData data = ParseModelData(c.text, c.hint);
        EXPECT_EQ(data.features.size(), c.features);
        EXPECT_FALSE(data.warnings.empty());
        for (const ModelFeature &f : data.features) {
            EXPECT_LE(f.options.size(), kMaxOptions);
            EXPECT_LT(static_cast<size_t>(f.defaultIndex), f.options.size());
        }
    }
}

// A comment may hold anything, an odd number of quotes included, and the
// statements after it are still read.
TEST(ModelData, PpdCommentsWithQuotesEndNothing) {
    const std::string text =
        "*PPD-Adobe: \"4.3\"\n"
        "*OpenUI *Staple/Staple: PickOne\n*DefaultStaple: None\n*Staple None/None: \"\"\n"
        "*% the option \"Top is a comment, not a value\"\n"
        "*CloseUI: *Staple\n"
        "*OpenUI *Mailbox/Mailbox: PickOne\n*DefaultMailbox: Bin1\n*Mailbox Bin1/Bin 1: \"\n"
        "  multi-line value\n\"\n"
        "    *% indented \" comment\n"
        "*Mailbox Bin2/Bin 2: \"\"\n*CloseUI: *Mailbox\n";
    const ModelData data = ParseModelData(text, DataFileKind::Unknown);
    EXPECT_TRUE(data.warnings.empty()) << (data.warnings.empty() ? std::string() : std::string(data.warnings[0].begin(), data.warnings[0].end()));
    ASSERT_EQ(data.features.size(), 2u);
    EXPECT_EQ(data.features[1].keyword, "Mailbox");
    EXPECT_EQ(data.features[1].options.size(), 2u);
}

// The format's lexical rules as real files use them: each case loses a whole
// feature (or nests the next one) when the reader gets it wrong.
struct LexicalCase {
    const char *name;
    std::string body;         // between the header and the closing Last feature
    const char *feature;      // must be read with these options
    std::vector<std::string> options;
};

TEST(ModelData, PpdLexicalRules) {
    const LexicalCase cases[] = {
        {"tab between main and option keyword",
         "*OpenUI *Resolution/Resolution: PickOne\n*DefaultResolution: 600dpi\n"
         "*Resolution\t600dpi/600 dpi: \"<</HWResolution[600 600]>>setpagedevice\"\n"
         "*Resolution \t 1200dpi/1200 dpi: \"<</HWResolution[1200 1200]>>setpagedevice\"\n*CloseUI: *Resolution\n",
         "Resolution", {"600dpi", "1200dpi"}},
        {"quote in a translation string, multi-line value",
         "*OpenUI *PageRegion/Page Region: PickOne\n*DefaultPageRegion: Letter\n"
         "*PageRegion Letter/Letter: \"<</PageSize[612 792]>>setpagedevice\"\n"
         "*PageRegion Ledger/Ledger (11 x 17\"): \"\n  <</PageSize[792 1224]\n  >>setpagedevice\"\n*End\n"
         "*PageRegion Legal/Legal (8.5 x 14\"): \"<</PageSize[612 1008]>>setpagedevice\"\n*CloseUI: *PageRegion\n",
         "PageRegion", {"Letter", "Ledger", "Legal"}},
        {"continuation lines hold statements, comments and *End",
         "*OpenUI *Staple/Staple: PickOne\n*DefaultStaple: None\n*Staple None/None: \"\n"
         "*OpenUI *Inner/Inner: PickOne\n*% not a comment here\n*CloseUI: *Staple\n*End\n  %% PostScript\"\n*End\n"
         "*Staple One/One: \"\n*DefaultStaple: One\n\"\n*End\n*CloseUI: *Staple\n",
         "Staple", {"None", "One"}},
    };
    for (const LexicalCase &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string text = "*PPD-Adobe: \"4.3\"\n" + c.body +
                                 "*OpenUI *Last/Last: PickOne\n*DefaultLast: A\n*Last A/A: \"\"\n*CloseUI: *Last\n";
        const ModelData data = ParseModelData(text, DataFileKind::Ppd);
        EXPECT_TRUE(data.warnings.empty())
            << (data.warnings.empty() ? std::string() : std::string(data.warnings[0].begin(), data.warnings[0].end()));
        EXPECT_EQ(data.features.size(), 2u);
        if (data.features.size() != 2u) continue;
        const ModelFeature &f = data.features[0];
        EXPECT_EQ(f.keyword, c.feature);
        std::vector<std::string> options;
        for (const ModelOption &option : f.options) options.push_back(option.keyword);
        EXPECT_EQ(options, c.options);
        EXPECT_EQ(data.features[1].keyword, "Last");
    }
}

TEST(ModelData, MissingFileIsAWarning) {
    const ModelData data = LoadModelData(L"C:\\no\\such\\file.GPD");
    EXPECT_TRUE(data.features.empty());
    ASSERT_EQ(data.warnings.size(), 1u);
}

}  // namespace
}  // namespace oemuihost
