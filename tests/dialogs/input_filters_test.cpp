// The four input filters on real edit controls: typed characters, the
// left-Control paste with its checks, the paste routes that reach the edit
// as WM_PASTE, and hostile clipboard contents.
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

TEST_F(FilterFixture, LeftControlPasteChecksTheText) {
    struct Case {
        InputFilter filter;
        const char *clip;
        const wchar_t *field;
        int beeps;  // the Control-V character that follows
    };
    const Case cases[] = {
        {InputFilter::Name, "Job 7", L"Job 7", 0},
        {InputFilter::Name, "a\\b", L"", 0},
        {InputFilter::Name, "a/b", L"", 0},
        {InputFilter::Name, "caf\xE9", L"", 0},
        {InputFilter::Passcode, "1234", L"1234", 1},
        {InputFilter::Passcode, "123", L"", 1},
        {InputFilter::Passcode, "123456789", L"", 1},
        {InputFilter::Passcode, "12a4", L"", 1},
        {InputFilter::AccountId, "user.name@x", L"user.name@x", 0},
        {InputFilter::AccountId, "user name", L"", 0},
        {InputFilter::AccountPassword, "s3cr!t", L"s3cr!t", 1},
        {InputFilter::AccountPassword, "s3 cr", L"", 1},
        {InputFilter::AccountPassword, "abc", L"", 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.clip);
        Attach(c.filter, 64);
        SetClipboardText(rig.Dialog(), c.clip);
        DialogRig::beeps = 0;
        rig.ControlV(kField, ControlKey::Left);
        EXPECT_EQ(rig.Text(kField), c.field);
        EXPECT_EQ(DialogRig::beeps, c.beeps);
    }
}

// The context menu's Paste, Shift+Insert and right Control+V reach the edit
// as WM_PASTE; they must meet the same checks as the left-Control paste.
TEST_F(FilterFixture, OtherPasteRoutesAreChecked) {
    struct Case {
        InputFilter filter;
        const char *clip;
        const wchar_t *field;
    };
    const Case cases[] = {
        {InputFilter::Passcode, "abcd", L""},
        {InputFilter::Passcode, "5678", L"5678"},
        {InputFilter::Name, "x/y", L""},
        {InputFilter::AccountId, "a/b", L""},
        {InputFilter::AccountId, "\xC4rger", L""},
        {InputFilter::AccountPassword, "ok!ok", L"ok!ok"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.clip);
        Attach(c.filter, 64);
        SetClipboardText(rig.Dialog(), c.clip);
        SendDlgItemMessageW(rig.Dialog(), kField, WM_PASTE, 0, 0);
        EXPECT_EQ(rig.Text(kField), c.field) << "WM_PASTE";
        rig.SetText(kField, L"");
        // Only the name filter lets the Control-V character reach the edit;
        // the others refuse it with a beep, so nothing is pasted at all.
        rig.ControlV(kField, ControlKey::Right);
        EXPECT_EQ(rig.Text(kField), c.filter == InputFilter::Name ? c.field : L"") << "right Control+V";
        rig.SetText(kField, L"");
        SetControlKey(ControlKey::None);
        BYTE state[256];
        GetKeyboardState(state);
        state[VK_SHIFT] = 0x80;
        SetKeyboardState(state);
        SendDlgItemMessageW(rig.Dialog(), kField, WM_KEYDOWN, VK_INSERT, 1);
        state[VK_SHIFT] = 0;
        SetKeyboardState(state);
        EXPECT_EQ(rig.Text(kField), c.field) << "Shift+Insert";
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
