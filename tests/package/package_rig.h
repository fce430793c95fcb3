// Helpers of the package tests: where the build's packages are, scratch
// copies to break, and text and byte comparisons of files.
#pragma once

#include <string>
#include <vector>

#include "host/driver_install.h"

namespace oemuihost {

inline std::string Narrow(const std::wstring &s) { return std::string(s.begin(), s.end()); }

// <build>/packages/, written by the test package_build.
std::wstring PackagesDirectory();
// The folder names under models/.
std::vector<std::wstring> SampleModelFolders();
// The one INF of a model's package.
std::wstring PackageInf(const std::wstring &model);
// An empty folder under the system's temporary folder, with a backslash.
std::wstring ScratchDirectory(const std::wstring &name);
// A copy of a model's package in a scratch folder.
std::wstring CopyOfPackage(const std::wstring &model, const std::wstring &scratchName);

// Text of a UTF-16LE (with byte-order mark) or 8-bit file; written back as
// UTF-16LE with a byte-order mark.
std::wstring ReadText(const std::wstring &path);
void WriteText(const std::wstring &path, const std::wstring &text);
// Replaces the first `from` in a text file with `to`; a test failure when the file has no `from`.
void Replace(const std::wstring &path, const std::wstring &from, const std::wstring &to);
bool SameFileBytes(const std::wstring &a, const std::wstring &b);

inline PluginPair DriverPackagePairForTests() { return DriverPackagePair(); }

// Files of the printer-driver folder ("\3\"), sorted.
std::vector<std::wstring> DriverFolderFiles();
bool DriverInstalled(const std::wstring &driverName);
// A printer an earlier run left behind, with its driver and files.
void RemovePrinterAndDriver(const std::wstring &printerName);

}  // namespace oemuihost
