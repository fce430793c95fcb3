// The driver data file as the emulated driver core sees it: feature keywords,
// their options and defaults, and which features are installable options of
// the printer. Only as much of the GPD and PPD grammars is understood as the
// option tree needs; anything else in the file is skipped.
#pragma once

#include <string>
#include <vector>

namespace oemuihost {

struct ModelOption {
    std::string keyword;       // ASCII, as the plug-in compares it
    std::wstring displayName;  // falls back to the keyword
};

struct ModelFeature {
    std::string keyword;
    std::wstring displayName;
    std::vector<ModelOption> options;
    int defaultIndex = 0;
    bool installable = false;  // a printer property, kept per printer

    int FindOption(const std::string &optionKeyword) const;
};

enum class DataFileKind { Unknown, Gpd, Ppd };

struct ModelData {
    DataFileKind kind = DataFileKind::Unknown;
    std::vector<ModelFeature> features;
    bool colorDevice = false;
    // Things the reader skipped or did not understand; never fatal.
    std::vector<std::wstring> warnings;

    int FindFeature(const std::string &keyword) const;
};

// Limits that keep a damaged or hostile file from growing the tree without end.
constexpr size_t kMaxFeatures = 256;
constexpr size_t kMaxOptions = 256;
constexpr size_t kMaxKeywordLength = 64;
constexpr size_t kMaxDataFileBytes = 4u << 20;

// kindHint Unknown: decided from the text ("*PPD-Adobe" or GPD keywords).
ModelData ParseModelData(const std::string &text, DataFileKind kindHint);

// Reads the file (kind from its extension, else from its text). A file that
// cannot be read or is not understood gives no features and a warning.
ModelData LoadModelData(const std::wstring &path);

}  // namespace oemuihost
