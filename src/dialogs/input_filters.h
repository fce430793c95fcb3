// Edit fields that refuse, as they are typed or pasted, characters their
// dialog would not accept: user and job names, numeric passcodes, account
// IDs and account passwords. The dialogs still check the values on OK.
#pragma once

#include <windows.h>

namespace oemui {

enum class InputFilter {
    Name,             // U+0001..U+007F without "/" and "\"
    Passcode,         // digits; pasted text must have an allowed length
    AccountId,        // letters, digits, "@", "_", "-", "."
    AccountPassword,  // printable ASCII without space; pasted text length-checked
};

// Limits the field to cchLimit characters (at least 1) and puts the filter in
// front of its window procedure. The length-checked filters find the limits
// in the context record held in the owning dialog's DWLP_USER slot, so the
// dialog stores the record there first.
void AttachInputFilter(HWND hDlg, int id, InputFilter filter, int cchLimit);

}  // namespace oemui
