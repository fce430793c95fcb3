// Model file sets grown to a multiple of the Talix C500 sample, for timing
// how the plug-in's paths grow with the size of what a vendor ships.
#pragma once

#include <string>

namespace bench {

struct ModelVariant {
    std::wstring dir;  // a folder of its own under %TEMP%, with a trailing backslash
    int nFactor;
    int nStringKeys;   // keys added to the English string table
    int nPpdOptions;   // options of the generated features of the PPD
    int nIniSections;  // sections added to the model INI
};

// Writes the variant nFactor (1, 10, 100) of the sample in sampleDir:
//   string table TLXEN.DAT: 100 * nFactor keys nobody reads, a quarter of
//     them at the top of the sections the dialogs and the page read, the
//     rest in sections of their own ahead of those;
//   driver data: a PPD in place of the GPD, with the installable options
//     (hard disk installed) and 30 * nFactor options in features of 30;
//   model INI: 10 * nFactor sections of 10 keys ahead of the model's own,
//     and auto-configuration off (the network library is timed on its own).
// Everything else is copied as it is.
bool BuildVariant(const std::wstring &sampleDir, int nFactor, ModelVariant *pVariant, std::wstring *pError);

// Deletes the variant's files and folder.
void RemoveVariant(const ModelVariant &variant);

}  // namespace bench
