// Readable dumps of the plug-in's private device-mode block.
#pragma once

#include <string>

#include "settings/private_devmode.h"

namespace oemuihost {

// One "name = value" line per field, in layout order.
std::wstring DescribePrivateDevMode(const oemui::PrivateDevMode &dm);

}  // namespace oemuihost
