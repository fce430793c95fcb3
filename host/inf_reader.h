// Reads a printer-driver INF with the platform's setup library the way the
// print system's installer walks it: [Manufacturer], the models section
// decorated for 64-bit Windows, the model's install section with its
// CopyFiles lists, DataFile, DataSection, Include and Needs, and the source
// of every file. Nothing is installed here; every fault is found before
// anything is copied.
#pragma once

#include <string>
#include <vector>

namespace oemuihost {

struct InfModelEntry {
    std::wstring manufacturer;
    std::wstring name;            // the printer model, which becomes the driver's name
    std::wstring installSection;  // as written on the models line
};

struct InfDriver {
    std::wstring infPath;
    std::wstring folder;                 // the INF's folder, with a trailing backslash
    InfModelEntry model;
    std::wstring dataFile;               // file name in the driver folder
    std::vector<std::wstring> files;     // every file copied into the driver folder, data file included
    std::vector<std::wstring> sources;   // full source path of each, same order
    std::wstring uiPlugin;               // [OEMFiles] OEMConfigFile1 of an INI among the files
    std::wstring uiPluginIni;            // the INI that names it
};

// Reads the INF. modelChoice picks one model when the INF offers several
// (compared without case); empty takes the only one. On failure *pError says
// what is wrong, naming the INF line ("NAME.INF line N: ...") or the file.
bool ReadInfDriver(const std::wstring &infPath, const std::wstring &modelChoice, InfDriver *pDriver,
                   std::wstring *pError);

// The one INF of a package folder; a folder without one (or with several) is
// an error.
bool FindPackageInf(const std::wstring &folder, std::wstring *pInfPath, std::wstring *pError);

// [OEMFiles] OEMConfigFile1 of the first INI among the files that names one,
// read with the plug-in's own profile reader. False when none does.
bool FindUiPluginEntry(const std::wstring &directory, const std::vector<std::wstring> &files,
                       std::wstring *pPlugin, std::wstring *pIni);

}  // namespace oemuihost
