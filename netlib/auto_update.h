// One auto-update run as the plug-in asks for it: find the printer behind a
// port, read its tables and answer the asked words of the request record.
// The exported entry point and the support tool both go through here.
#pragma once

#include <winsock2.h>

#include "optiontree/auto_config.h"
#include "printer_query.h"
#include "settings.h"

namespace oemun {

// Longest port name taken, in bytes without the NUL.
constexpr size_t kMaxPortName = 255;

// The printer's IPv4 address for a port name in the system ANSI code page,
// looked up in the port monitors' configuration the way the plug-in finds
// its web link. A port without a network address (FILE:, LPT1:, USB001),
// a name over kMaxPortName bytes, or an address that is neither dotted IPv4
// nor a well-formed host name gives false without any network traffic.
// A host name is resolved within oemui::kResolveWaitMs (one lookup at most).
bool ResolvePortTarget(const char *pszPortName, in_addr *pAddr, TraceFn pfnTrace, void *pTraceContext);

// Asks the printer at addr and writes the answers into the words the record
// asks for (request word 0). Returns 1 when at least one asked word got an
// answer, else 0 with the record untouched. Starts and stops Winsock itself.
SHORT RunAutoUpdate(const in_addr &addr, const Settings &settings, oemui::NetLibRecord *pRecord, TraceFn pfnTrace,
                    void *pTraceContext);

}  // namespace oemun
