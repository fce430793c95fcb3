// "oemuihost probe": shows support staff what the driver package's network
// library reads from a printer: each request and the names it asks, every
// answer, and the record the library would hand the plug-in.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace oemuihost {

struct ProbeOptions {
    std::wstring target;        // a port name (looked up like the library does) or a dotted IPv4 address
    std::wstring settingsPath;  // the library's INI to take the settings from; empty: defaults
    // Settings given on the command line (key as in the INI, value), applied
    // over the INI's with the same bounds.
    std::vector<std::pair<std::wstring, std::wstring>> overrides;
};

// 0 when the record would hold answers, 1 otherwise.
int RunProbe(const ProbeOptions &options);

}  // namespace oemuihost
