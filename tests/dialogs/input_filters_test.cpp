// The four input filters on real edit controls: the typed character sets
// and clipboard contents a scenario cannot put there. The paste routes and
// their checks are played in the scenarios of host/scenarios/.
#include <gtest/gtest.h>

#include "dialogs/dialog_rig.h"
#include "dialogs/input_filters.h"

namespace dialogtest {
namespace {

using oemui::AttachInputFilter;
using oemui::InputFilter;

constexpr int kField = 1066;

struct FilterFixture : ::testing::Test {
    // A fresh field (the previous one goes) behind the filter.
    void Attach(InputFilter filter, int limit, SHORT sMin = 4, SHORT sMax = 8) {
        DestroyWindow(GetDlgItem(rig.Dialog(), kField));
        rig.config.sMinPassLen = sMin;
        rig.config.sMaxPassLen = sMax;
        ASSERT_NE(rig.AddEdit(kField), nullptr);
        AttachInputFilter(rig.Dialog(), kField, filter, limit);
    }
    DialogRig rig;
};

TEST_F(FilterFixture, TypedCharactersPerFilter) {
    struct Case {
        InputFilter filter;
        const wchar_t *typed;
        const wchar_t *kept;
        int beeps;
    };
    const Case cases[] = {
        {InputFilter::Name, L"a b/c\\d\x00E9" L"e", L"a bcde", 3},
        {InputFilter::Passcode, L"12a3 4", L"1234", 2},
        {InputFilter::Passcode, L"123\b9", L"129", 0},
        {InputFilter::AccountId, L"ab c@d_e-f.g", L"abc@d_e-f.g", 1},
        {InputFilter::AccountId, L"x/y\\z\x00FC", L"xyz", 3},
        {InputFilter::AccountPassword, L"p w!~\x007F\x00E9q", L"pw!~q", 3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(c.filter) << " typed");
        DialogRig::beeps = 0;
        Attach(c.filter, 64);
        rig.Type(kField, c.typed);
        EXPECT_EQ(rig.Text(kField), c.kept);
        EXPECT_EQ(DialogRig::beeps, c.beeps);
    }
}

TEST_F(FilterFixture, HostileClipboardTexts) {
    Attach(InputFilter::Name, 64);
    // 300 characters: the field's limit cuts the insertion.
    SetClipboardText(rig.Dialog(), std::string(300, 'k'));
    rig.ControlV(kField, ControlKey::Left);
    EXPECT_EQ(rig.Text(kField), std::wstring(64, L'k'));

    // A block without a NUL inside its size: nothing beyond its bytes is
    // read (the system's own text conversion may drop the last one).
    rig.SetText(kField, L"");
    SetClipboardBytes(rig.Dialog(), "NONUL");
    rig.ControlV(kField, ControlKey::Left);
    const std::wstring pasted = rig.Text(kField);
    EXPECT_GE(pasted.size(), 4u);
    EXPECT_EQ(std::wstring(L"NONUL").substr(0, pasted.size()), pasted);

    // A 300-digit passcode is outside the limits and is refused whole.
    Attach(InputFilter::Passcode, 8);
    SetClipboardText(rig.Dialog(), std::string(300, '1'));
    rig.ControlV(kField, ControlKey::Left);
    EXPECT_EQ(rig.Text(kField), L"");
}

}  // namespace
}  // namespace dialogtest
