// oemuihost show: a real property sheet for a printer, for people (and for
// screenshots): the core's options page plus every page the plug-in adds.
#pragma once

#include <string>

namespace oemuihost {

struct ShowOptions {
    std::wstring dllPath;
    std::wstring target;          // a model folder (installed for the run) or a printer name
    bool properties = false;      // printer properties instead of printing preferences
    std::wstring screenshotPath;  // save the sheet as a BMP, then press OK
};

// Prints the report and the resulting device mode; returns the exit code.
int ShowSheet(const ShowOptions &options);

}  // namespace oemuihost
