// Copies Setting: splits the job's copies into greyscale copies, which the
// user edits, and colour copies, the rest. OK leaves both in the context
// record; the option callback carries them into the device mode.
#pragma once

#include <windows.h>

namespace oemui {

struct ModelConfig;

// Runs template 3042 (3503 on right-to-left systems) owned by hOwner on the
// document sheet's context record. The option tree needs no update:
// returns CPSUICB_ACTION_NONE.
LONG ShowCopiesSettingDialog(HWND hOwner, ModelConfig *pConfig);

}  // namespace oemui
