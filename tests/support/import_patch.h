// Tests replace the plug-in's imports (language queries, message boxes,
// spooler and heap calls for fault injection) with the emulator's own import
// patcher, so there is one implementation of the technique.
#pragma once

#include "host/import_patch.h"

namespace testsupport {
using oemuihost::ImportPatch;
}  // namespace testsupport
