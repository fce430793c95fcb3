#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "common/model_text.h"

using namespace oemui;

namespace {

constexpr wchar_t kGuard = 0xBEEF;

TEST(ModelText, SubstitutesOnlyWhatTheFeatureDefines) {
    const int two[] = {4, 8};
    const int one[] = {7};
    const int extremes[] = {INT_MIN, -5};
    struct Case {
        const wchar_t *tmpl;
        const int *ints;
        size_t cInts;
        const wchar_t *str;
        const wchar_t *expected;
    } const cases[] = {
        {L"(%d-%d digits)", two, 2, nullptr, L"(4-8 digits)"},
        {L"(%d digits)", two, 2, nullptr, L"(4 digits)"},
        {L"%d-%d-%d", two, 2, nullptr, L"4-8-%d"},            // a third %d stays literal
        {L"%s and %d", two, 2, nullptr, L"%s and 4"},          // no string defined
        {L"http://%s/x", nullptr, 0, L"10.0.0.5", L"http://10.0.0.5/x"},
        {L"%s%s", nullptr, 0, L"a", L"a%s"},                   // one string only
        {L"%n%*d%x%ld%", one, 1, nullptr, L"%n%*d%x%ld%"},    // never a format
        {L"100%% %d%%", one, 1, nullptr, L"100% 7%"},
        {L"%%d", one, 1, nullptr, L"%d"},
        {L"%d %d", extremes, 2, nullptr, L"-2147483648 -5"},
        {L"", two, 2, L"x", L""},
        {nullptr, two, 2, L"x", L""},
        {L"%d", nullptr, 3, nullptr, L"%d"},                   // no array, no integers
    };
    for (const Case &c : cases) {
        wchar_t buf[64];
        const size_t n = FormatModelText(buf, 64, c.tmpl, c.ints, c.cInts, c.str);
        EXPECT_STREQ(buf, c.expected) << (c.tmpl ? c.tmpl : L"(null)");
        EXPECT_EQ(n, std::wstring(c.expected).size());
    }
}

TEST(ModelText, CutsAtTheBoundAndAlwaysTerminates) {
    const int big[] = {123456};
    struct Case {
        size_t cch;
        const wchar_t *expected;
    } const cases[] = {{1, L""}, {2, L"a"}, {4, L"a12"}, {8, L"a123456"}, {9, L"a123456b"}, {12, L"a123456bxyz"}};
    for (const Case &c : cases) {
        wchar_t buf[16];
        for (wchar_t &ch : buf) ch = kGuard;
        FormatModelText(buf, c.cch, L"a%db%s", big, 1, L"xyz");
        EXPECT_STREQ(buf, c.expected) << c.cch;
        for (size_t i = c.cch; i < 16; ++i) ASSERT_EQ(buf[i], kGuard) << "overrun at " << i << " for " << c.cch;
    }
    wchar_t untouched = kGuard;
    EXPECT_EQ(FormatModelText(&untouched, 0, L"x", nullptr, 0), 0u);
    EXPECT_EQ(untouched, kGuard);
}

TEST(ModelText, LongHostileTemplateStaysBounded) {
    std::wstring tmpl;
    for (int i = 0; i < 100; ++i) tmpl += L"%s%n%d";
    const int ints[] = {1, 2};
    wchar_t buf[256];
    buf[255] = kGuard;
    const size_t n = FormatModelText(buf, 255, tmpl.c_str(), ints, 2, L"S");
    EXPECT_EQ(n, 254u);
    EXPECT_EQ(buf[254], L'\0');
    EXPECT_EQ(buf[255], kGuard);
    EXPECT_EQ(std::wstring(buf).substr(0, 12), L"S%n1%s%n2%s%");
}

}  // namespace
