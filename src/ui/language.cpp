#include "ui/language.h"

namespace oemui {
namespace {

// Primary languages whose dialogs are mirrored. Persian and Urdu are also
// written right to left, but the models ship no mirrored texts for them.
constexpr WORD kRightToLeftPrimaryLanguages[] = {
    0x01,  // Arabic
    0x0D,  // Hebrew
};

}  // namespace

bool IsRightToLeftLangId(LANGID langId) {
    const WORD primary = PRIMARYLANGID(langId);
    for (WORD rtl : kRightToLeftPrimaryLanguages) {
        if (primary == rtl) return true;
    }
    return false;
}

bool IsRightToLeftLanguage() { return IsRightToLeftLangId(GetSystemDefaultLangID()); }

}  // namespace oemui
