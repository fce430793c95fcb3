// The fields of the plug-in's private block by name, for dumps, expect
// steps and seeding a stored block.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

#include "settings/private_devmode.h"

namespace oemuihost {

enum class FieldType { Dword, Long, Short, Byte, Text, Pointer };

struct DevModeField {
    const wchar_t *name;
    size_t offset;
    FieldType type;
    size_t cch;   // Text: characters in the slot
    bool hex;     // shown in hexadecimal
};

// Null when the block has no such field (names as in the layout, e.g. "bLockFlags").
const DevModeField *FindDevModeField(const std::wstring &name);
// Every named field, in layout order; *pCount receives the count.
const DevModeField *DevModeFields(size_t *pCount);

// The field's value as the dumps show it (texts quoted).
std::wstring ReadDevModeField(const oemui::PrivateDevMode &dm, const DevModeField &field);
// value: a number (decimal or 0x...) or a text; false when it does not fit the field.
bool WriteDevModeField(oemui::PrivateDevMode *pdm, const DevModeField &field, const std::wstring &value,
                       std::wstring *pError);

}  // namespace oemuihost
