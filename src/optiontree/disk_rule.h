// The printer's optional hard disk as the option tree sees it: whether the
// driver reports it installed, whether the Print and Hold item shows, and the
// disk setting kept in the printer data.
#pragma once

#include "kit/oemkit.h"

namespace oemui {

struct ModelConfig;

// Asks the driver for its disk option ("Option4", or "PrinterHardDisk" when
// the driver does not know the first keyword); true when it is "True".
// False without a driver helper.
bool IsDiskInstalled(const OEMCUIPPARAM *pParam, IPrintOemDriverUI *pDriverUI);

// Print and Hold needs somewhere to keep jobs: it hides on models without a
// disk and on models whose optional disk is not installed, unless the model
// prints securely without one. The driver is asked only for optional disks.
bool IsPrintAndHoldHidden(const ModelConfig &config, const OEMCUIPPARAM *pParam,
                          IPrintOemDriverUI *pDriverUI);

// Writes the selection of the driver's disk option item as printer data
// "HDD_SETTING"; nothing when the driver offers no such item.
void StoreDiskSetting(const OEMCUIPPARAM *pParam);

}  // namespace oemui
