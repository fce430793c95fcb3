// Installs a sample model as a real printer in the Wine prefix, for the tests
// and the emulator: the model's files are copied into the printer-driver
// directory ("\3\" below GetPrinterDriverDirectoryW), a driver is added with
// the data file and every other file of the set as dependent files, and a
// printer is added on a port. Also small helpers for printer data and
// registry values.
#pragma once

#include <string>
#include <vector>

#include <windows.h>

namespace oemuihost {

struct InstalledPrinter {
    std::wstring printerName;
    std::wstring driverName;
    std::wstring dataFile;   // full path in the driver directory
    std::vector<std::wstring> copiedFiles;
};

// A driver's files: each file's name in the driver folder and where it comes
// from; the data file is one of them, every other one a dependent file.
struct DriverFileSet {
    std::wstring driverName;
    std::wstring dataFile;
    std::vector<std::wstring> names;
    std::vector<std::wstring> sources;
};

// Copies the files into the printer-driver directory, adds the driver and a
// printer on the port (FILE: when empty). On failure nothing of it is left:
// no printer, no driver it added, no file that no other driver lists.
bool InstallDriverFiles(const DriverFileSet &set, const std::wstring &printerName, const std::wstring &portName,
                        InstalledPrinter *pInstalled, std::wstring *pError);

bool PrinterExists(const std::wstring &printerName);

// modelDir: a folder of models/ (a Windows path, or a Unix path under Wine's
// Z: drive). The data file is the folder's one .GPD or .PPD file. Empty
// driverName means the printer name. The build's plug-in and the stand-in
// network library beside the emulator go into the driver folder too, so the
// plug-in the model INI names is there. Returns false and fills *pError on
// failure.
bool InstallModelPrinter(const std::wstring &modelDir, const std::wstring &printerName,
                         const std::wstring &portName, const std::wstring &driverName,
                         InstalledPrinter *pInstalled, std::wstring *pError);

// Deletes the printer, then the driver, then the copied files. Missing parts
// are no error.
bool UninstallModelPrinter(const std::wstring &printerName, const std::wstring &driverName);

// The folder of the sample models (<source tree>/models/), as a Windows path.
std::wstring SampleModelsDirectory();

// The printer's port name (level 2 printer information).
bool GetPrinterPort(const std::wstring &printerName, std::wstring *pPort);

// Printer data through an opened printer.
bool GetPrinterDword(const std::wstring &printerName, const std::wstring &valueName, DWORD *pValue);
bool SetPrinterDword(const std::wstring &printerName, const std::wstring &valueName, DWORD value);
bool GetPrinterString(const std::wstring &printerName, const std::wstring &valueName, std::wstring *pValue);
bool SetPrinterString(const std::wstring &printerName, const std::wstring &valueName, const std::wstring &value);
bool DeletePrinterValue(const std::wstring &printerName, const std::wstring &valueName);

// Registry values (REG_SZ and REG_DWORD); keys are created on write.
bool ReadRegString(HKEY root, const std::wstring &key, const std::wstring &value, std::wstring *pData);
bool WriteRegString(HKEY root, const std::wstring &key, const std::wstring &value, const std::wstring &data);
bool ReadRegDword(HKEY root, const std::wstring &key, const std::wstring &value, DWORD *pData);
bool WriteRegDword(HKEY root, const std::wstring &key, const std::wstring &value, DWORD data);
bool DeleteRegTree(HKEY root, const std::wstring &key);

}  // namespace oemuihost
