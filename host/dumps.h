// The dumps a scenario can ask for: the device mode, the printer's printer
// data, and the per-user registry values the plug-in keeps for a printer.
#pragma once

#include <windows.h>

#include <string>

#include "host/driver_devmode.h"
#include "host/report.h"

namespace oemuihost {

// Public part, the emulated core's part and the plug-in's block, decoded.
ReportFields DescribeDevMode(const DriverDevMode &devmode);

// Every printer-data value of the printer (EnumPrinterDataW).
bool DescribePrinterData(const std::wstring &printerName, ReportFields *pFields, std::wstring *pError);

// The model INI installed beside the printer's data file ("<stem>u.INI"),
// or empty.
std::wstring ModelIniPath(HANDLE hPrinter);

// The string-table language key and the job-monitor value (its key comes
// from the installed model INI).
ReportFields DescribeUserRegistry(const std::wstring &printerName);

}  // namespace oemuihost
