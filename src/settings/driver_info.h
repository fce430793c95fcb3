// The printer's driver information and the model files derived from it.
#pragma once

#include <windows.h>

namespace oemui {

// The printer's driver information (GetPrinterDriverW, default environment)
// in a zero-filled block from hHeap. The block grows to the size the spooler
// reports; after five failed calls it is freed and null returned. The caller
// frees the block with HeapFree(hHeap, ...).
BYTE *QueryDriverInfo(HANDLE hHeap, HANDLE hPrinter, DWORD dwLevel);

// The data-file path cut at its first "." (a dot in a directory name cuts
// there too), at most cchStem - 1 characters. Returns false for a null path.
bool DataFileStem(const wchar_t *pszDataFile, wchar_t *pszStem, size_t cchStem);

// The installed model INI of the printer ("<data-file stem>u.INI") into a
// buffer of MAX_PATH characters; false when the driver information cannot be
// had or the path does not fit whole.
bool ModelIniPathForPrinter(HANDLE hPrinter, wchar_t *pszPath);

}  // namespace oemui
