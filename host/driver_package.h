// Driver packages: one folder per model holding an INF for 64-bit Windows,
// the model's files, the plug-in and its network library, ready for the
// platform's printer-driver installation (and for "oemuihost install").
#pragma once

#include <string>
#include <vector>

#include <windows.h>

namespace oemuihost {

// The build's pair that a package carries: the plug-in and the network
// library it loads from its own folder ("%sN.DLL").
struct PluginPair {
    std::wstring pluginDll;   // .../OEMUI.DLL
    std::wstring networkDll;  // .../OEMUN.DLL, shipped under the name the plug-in derives
};

struct DriverPackage {
    std::wstring folder;                // with a trailing backslash
    std::wstring infName;               // <stem>.INF
    std::wstring modelName;             // the model INI's [Common] Caption
    std::vector<std::wstring> files;    // every file the INF copies, sorted
};

// The file name a plug-in gives its network library: the plug-in's name
// without its last five characters, then "N.DLL" (OEMUI.DLL -> OEMUN.DLL).
std::wstring NetworkLibraryName(const std::wstring &pluginFileName);

// "a.b.c.d" of a module's fixed file version (VS_FIXEDFILEINFO).
bool ReadFileVersion(const std::wstring &path, std::wstring *pVersion, std::wstring *pError);

// The IEEE 1284 device identifier's hardware ID: manufacturer and model,
// blanks as underscores, cut to 20 characters, then the CRC-16 of the
// unchanged manufacturer and model as four hexadecimal digits.
std::wstring Ieee1284HardwareId(const std::wstring &manufacturer, const std::wstring &model);

// What the INF says about one model: everything the text is made from.
struct InfDescription {
    std::wstring stem;           // data-file stem: install section, INF and catalog name
    std::wstring dataFile;       // <stem>.GPD or <stem>.PPD
    std::wstring modelName;      // Caption
    std::wstring manufacturer;   // the caption's first word
    std::wstring driverVer;      // mm/dd/yyyy,a.b.c.d
    std::vector<std::wstring> files;  // sorted, data file included
};

// The INF text (CRLF line ends); equal descriptions give equal texts.
std::wstring DriverPackageInf(const InfDescription &inf);

// Writes <outRoot><model folder name>\ from a model folder (its one .GPD or
// .PPD file and every other file in it) and the pair. An existing package
// folder is emptied first so that it holds only what the INF copies.
bool BuildDriverPackage(const std::wstring &modelDir, const std::wstring &outRoot, const PluginPair &pair,
                        DriverPackage *pPackage, std::wstring *pError);

// A whole file's bytes; false when it cannot be read.
bool ReadWholeFile(const std::wstring &path, std::string *pBytes);
// UTF-16LE text with a byte-order mark (or 8-bit text) as text.
std::wstring DecodeText(const std::string &bytes);

// The plain files of a folder (with a trailing backslash), sorted.
std::vector<std::wstring> FilesOf(const std::wstring &dir);

// Forward slashes become backslashes and a Unix path gets Wine's Z: drive.
std::wstring ToWindowsPath(std::wstring path);
std::wstring WithBackslash(std::wstring path);
std::wstring FileNameOf(const std::wstring &path);
bool HasDataFileExtension(const std::wstring &name);

}  // namespace oemuihost
