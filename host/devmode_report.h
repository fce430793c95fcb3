// Readable dumps of the plug-in's private device-mode block.
#pragma once

#include <string>

#include "host/report.h"
#include "settings/private_devmode.h"

namespace oemuihost {

// One "name = value" pair per field, in layout order (names carry the offset).
ReportFields DescribePrivateDevModeFields(const oemui::PrivateDevMode &dm);

// The same as indented text lines.
std::wstring DescribePrivateDevMode(const oemui::PrivateDevMode &dm);

}  // namespace oemuihost
