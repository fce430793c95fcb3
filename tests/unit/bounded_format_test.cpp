#include <gtest/gtest.h>

#include <cstring>

#include "common/bounded_format.h"

using namespace oemui;

namespace {

constexpr HRESULT kTruncated = static_cast<HRESULT>(0x8007007A);
constexpr wchar_t kGuardW = 0xBEEF;
constexpr char kGuardA = 0x5A;

TEST(BoundedFormat, RefusesBoundsOutsideTheirRanges) {
    wchar_t w[4];
    char a[4];
    EXPECT_EQ(FormatCbW(w, 0, L"x"), E_INVALIDARG);
    EXPECT_EQ(FormatCbW(w, 1, L"x"), E_INVALIDARG);
    EXPECT_EQ(FormatCbW(w, 0x100000000ull, L"x"), E_INVALIDARG);
    EXPECT_EQ(FormatCchW(w, 0, L"x"), E_INVALIDARG);
    EXPECT_EQ(FormatCchW(w, 0x80000000ull, L"x"), E_INVALIDARG);
    EXPECT_EQ(FormatCbA(a, 0, "x"), E_INVALIDARG);
    EXPECT_EQ(FormatCbA(a, 0x80000000ull, "x"), E_INVALIDARG);
}

TEST(BoundedFormat, WideCharBoundCutsAndTerminatesWithoutOverrun) {
    struct Case {
        size_t cch;
        const wchar_t *expected;
        HRESULT hr;
    } cases[] = {
        {1, L"", kTruncated}, {2, L"a", kTruncated}, {6, L"abc-4", kTruncated},
        {7, L"abc-42", S_OK}, {8, L"abc-42", S_OK},
    };
    for (const Case &c : cases) {
        wchar_t buf[16];
        for (wchar_t &ch : buf) ch = kGuardW;
        EXPECT_EQ(FormatCchW(buf, c.cch, L"%s-%d", L"abc", 42), c.hr) << c.cch;
        EXPECT_STREQ(buf, c.expected) << c.cch;
        for (size_t i = c.cch; i < 16; ++i) ASSERT_EQ(buf[i], kGuardW) << "overrun at " << i;
    }
}

TEST(BoundedFormat, WideByteBoundUsesWholeCharacters) {
    wchar_t buf[8];
    for (wchar_t &ch : buf) ch = kGuardW;
    // 7 bytes hold three whole characters: two of text and the terminator.
    EXPECT_EQ(FormatCbW(buf, 7, L"%ls", L"hello"), kTruncated);
    EXPECT_STREQ(buf, L"he");
    EXPECT_EQ(buf[3], kGuardW);
    EXPECT_EQ(FormatCbW(buf, 2, L"%d", 5), kTruncated);
    EXPECT_STREQ(buf, L"");
    EXPECT_EQ(FormatCbW(buf, sizeof(buf), L"%s\\%s", L"a", L"b"), S_OK);
    EXPECT_STREQ(buf, L"a\\b");
}

TEST(BoundedFormat, EightBitByteBound) {
    char buf[8];
    std::memset(buf, kGuardA, sizeof(buf));
    EXPECT_EQ(FormatCbA(buf, 4, "%s", "abcdef"), kTruncated);
    EXPECT_STREQ(buf, "abc");
    EXPECT_EQ(buf[4], kGuardA);
    EXPECT_EQ(FormatCbA(buf, 7, "%s%d", "ab", 1234), S_OK);
    EXPECT_STREQ(buf, "ab1234");
}

TEST(BoundedFormat, WideStringArgumentIsWide) {
    // %s in a wide format must take a wide string, as on the platform's compiler.
    wchar_t buf[32];
    EXPECT_EQ(FormatCchW(buf, 32, L"%s Dialog", L"Troubleshooting"), S_OK);
    EXPECT_STREQ(buf, L"Troubleshooting Dialog");
}

TEST(BoundedCopy, CopiesAtMostTheBound) {
    wchar_t buf[4];
    EXPECT_EQ(CopyCchW(buf, 4, L"abcdef"), 3u);
    EXPECT_STREQ(buf, L"abc");
    EXPECT_EQ(CopyCchW(buf, 4, nullptr), 0u);
    EXPECT_STREQ(buf, L"");
    EXPECT_EQ(LengthCchW(L"abcdef", 4), 4u);
}

}  // namespace
