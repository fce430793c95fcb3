// Installable-options auto-configuration: asks the model's network library
// about the printer behind the port and sets the driver's installable-option
// items (trays, duplex unit, hard disk, finisher) to what it reports.
#pragma once

#include "kit/oemkit.h"

namespace oemui {

struct ModelConfig;

// One run; pConfig is the call's context record (model settings and readers),
// pDriverUI may be null (then nothing that needs it is done).
void AutoConfigureOptions(POEMCUIPPARAM pParam, ModelConfig *pConfig, IPrintOemDriverUI *pDriverUI);

}  // namespace oemui
