// The printer's network address, for the link to its embedded web page: read
// from the configuration the port monitors keep in the registry, resolving a
// host name to a dotted IPv4 address where the port is set up by name.
#pragma once

#include <windows.h>
#include <winspool.h>

#include "common/handles.h"

namespace oemui {

// The printer's PRINTER_INFO_2W, in a block the caller owns; an empty block
// when the spooler gives nothing. Asked once into a block that fits any usual
// printer, and again only when that is too small: every call makes the
// spooler read the printer's whole configuration.
GlobalMemory ReadPrinterInfo2(HANDLE hPrinter);

// Size, in characters, of every address buffer below (terminator included).
constexpr DWORD kAddressCch = MAX_PATH;

// 1 when the printer's port was found in a port monitor's configuration,
// else 0. pszAddress (kAddressCch characters, zero-filled by the caller)
// receives the address text, or stays as it was when none could be read:
// callers test the text, not only the result.
int GetPrinterAddress(HANDLE hPrinter, wchar_t *pszAddress);

// The registry part alone, for a port name.
int LookupPortAddress(const wchar_t *pszPortName, wchar_t *pszAddress);

// Resolves a host name to the dotted form of the last IPv4 address the
// resolver lists; leaves pszAddress as it was when there is none.
void ResolveHostName(const wchar_t *pszHostName, wchar_t *pszAddress);

// How long a port lookup waits for the resolver. The lookup runs on the
// thread of the user interface that asks, and a name server that does not
// answer would hold it for the resolver's whole timeout (ten seconds and
// more); a name that takes longer counts as unknown.
constexpr DWORD kResolveWaitMs = 1000;

// ResolveHostName on a thread of its own, waited for at most dwWaitMs. Past
// that, pszAddress stays as it was and the resolver ends on its own, keeping
// the module loaded until it has.
void ResolveHostNameWithin(const wchar_t *pszHostName, wchar_t *pszAddress, DWORD dwWaitMs);

}  // namespace oemui
