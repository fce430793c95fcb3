#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "kit/kit_windows.h"
#include "settings/model_config.h"
#include "support/import_patch.h"
#include "ui/captions.h"
#include "ui/dpi_scale.h"
#include "ui/layout.h"

using namespace oemui;
using kittest::RectInParent;
using kittest::Shown;
using kittest::TestDialog;

namespace {

TEST(Layout, CentresOverTheOwnerRoundingTowardZero) {
    struct Case {
        RECT owner;
        int cx, cy;
        POINT expected;
    } const cases[] = {
        {{0, 0, 300, 200}, 101, 51, {100, 75}},
        {{-301, -101, 0, 0}, 101, 51, {-200, -75}},  // (-301 + 0) / 2 is -150, not -151
        {{10, 20, 110, 60}, 200, 100, {-40, -10}},   // larger than the owner
    };
    for (const Case &c : cases) {
        TestDialog owner(0, nullptr, false, c.owner);
        TestDialog dlg(0, owner.hwnd(), false, RECT{500, 500, 500 + c.cx, 500 + c.cy});
        CenterOnParent(dlg.hwnd());
        RECT rc{};
        GetWindowRect(dlg.hwnd(), &rc);
        EXPECT_EQ(rc.left, c.expected.x) << c.owner.left;
        EXPECT_EQ(rc.top, c.expected.y) << c.owner.left;
        EXPECT_EQ(rc.right - rc.left, c.cx);
    }
}

// Moving B by the offset from B to A must put B exactly where A is on the
// screen, in a mirrored dialog as in an ordinary one.
TEST(Layout, OffsetMovesOneControlOntoAnotherInBothLayouts) {
    for (DWORD exStyle : {0ul, static_cast<unsigned long>(WS_EX_LAYOUTRTL)}) {
        SCOPED_TRACE(exStyle);
        TestDialog dlg(exStyle);
        HWND hA = dlg.Add(L"BUTTON", L"A", 101, 10, 15, 60, 20);
        HWND hB = dlg.Add(L"BUTTON", L"B", 102, 150, 90, 40, 25);
        const POINT offset = ControlOffset(dlg.hwnd(), 101, 102);
        ShowOrMoveControl(dlg.hwnd(), 102, kShow, &offset, nullptr);
        EXPECT_EQ(RectInParent(hB).left, RectInParent(hA).left);
        EXPECT_EQ(RectInParent(hB).top, RectInParent(hA).top);
        // On screen the dialog's leading edge is the right one when mirrored.
        RECT rcA{}, rcB{};
        GetWindowRect(hA, &rcA);
        GetWindowRect(hB, &rcB);
        if (exStyle != 0) {
            EXPECT_EQ(rcB.right, rcA.right);
        } else {
            EXPECT_EQ(rcB.left, rcA.left);
        }
        EXPECT_EQ(rcB.top, rcA.top);
        EXPECT_EQ(rcB.right - rcB.left, 40);  // size kept
        EXPECT_TRUE(Shown(hB));
        const POINT none = ControlOffset(dlg.hwnd(), 101, 999);
        EXPECT_EQ(none.x, 0);
        EXPECT_EQ(none.y, 0);
    }
}

TOOLINFOW ToolInfo(HWND hTooltip, HWND hOwner, UINT_PTR uId, wchar_t *pszText = nullptr) {
    TOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.hwnd = hOwner;
    ti.uId = uId;
    ti.lpszText = pszText;
    EXPECT_TRUE(SendMessageW(hTooltip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&ti))) << uId;
    return ti;
}

bool SameRect(const RECT &a, const RECT &b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// The group walk skips a missing id and goes on; hidden statics lose their
// hint area, other controls' hints are left alone, and showing a moved
// static gives its hint the new area.
TEST(Layout, GroupHideAndShowKeepStaticHintAreasInStep) {
    TestDialog dlg;
    HWND hLabel = dlg.Add(L"STATIC", L"Label", 201, 10, 10, 80, 16);
    HWND hEdit = dlg.Add(L"EDIT", L"", 202, 100, 10, 80, 20);
    HWND hOther = dlg.Add(L"STATIC", L"Other", 203, 10, 40, 80, 16);
    ModelConfig config{};
    config.hTooltip = CreateHintWindow(dlg.hwnd());
    ASSERT_NE(config.hTooltip, nullptr);
    AddControlHint(dlg.hwnd(), hLabel, config.hTooltip, L"label hint");
    AddControlHint(dlg.hwnd(), hEdit, config.hTooltip, L"edit hint");
    AddControlHint(dlg.hwnd(), hOther, config.hTooltip, L"other hint");
    EXPECT_TRUE(SameRect(ToolInfo(config.hTooltip, dlg.hwnd(), 201).rect, RectInParent(hLabel)));
    const RECT rcEditTool = ToolInfo(config.hTooltip, hEdit, 202).rect;

    constexpr int kGroup[] = {201, 999, 202, 0};
    ShowOrMoveGroup(dlg.hwnd(), kGroup, kHide, nullptr, &config);
    EXPECT_FALSE(Shown(hLabel));
    EXPECT_FALSE(Shown(hEdit));
    EXPECT_TRUE(SameRect(ToolInfo(config.hTooltip, dlg.hwnd(), 201).rect, RECT{0, 0, 0, 0}));
    EXPECT_TRUE(SameRect(ToolInfo(config.hTooltip, hEdit, 202).rect, rcEditTool));
    EXPECT_TRUE(SameRect(ToolInfo(config.hTooltip, dlg.hwnd(), 203).rect, RectInParent(hOther)));

    const POINT down{5, 30};
    ShowOrMoveGroup(dlg.hwnd(), kGroup, kShow, &down, &config);
    EXPECT_TRUE(Shown(hLabel));
    const RECT rcLabel = RectInParent(hLabel);
    EXPECT_EQ(rcLabel.left, 15);
    EXPECT_EQ(rcLabel.top, 40);
    EXPECT_TRUE(SameRect(ToolInfo(config.hTooltip, dlg.hwnd(), 201).rect, rcLabel));
}

// ---- Transparent blit --------------------------------------------------------

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kGreen = RGB(0, 128, 0);

// Counts GDI creations and deletions made through the test executable's
// imports, which the plug-in's code linked here shares. The real functions
// are called through the patches' saved originals.
struct GdiCounter {
    static inline int dcs = 0;
    static inline int objects = 0;
    static inline int failBitmapAt = 0;  // the n-th bitmap creation fails
    static inline int bitmaps = 0;
    static inline decltype(&::CreateCompatibleDC) pfnCreateDC = nullptr;
    static inline decltype(&::DeleteDC) pfnDeleteDC = nullptr;
    static inline decltype(&::CreateBitmap) pfnCreateBitmap = nullptr;
    static inline decltype(&::CreateCompatibleBitmap) pfnCreateCompatibleBitmap = nullptr;
    static inline decltype(&::DeleteObject) pfnDeleteObject = nullptr;

    static HDC WINAPI CreateCompatibleDC(HDC h) {
        HDC r = pfnCreateDC(h);
        if (r) ++dcs;
        return r;
    }
    static BOOL WINAPI DeleteDC(HDC h) {
        --dcs;
        return pfnDeleteDC(h);
    }
    static HBITMAP Count(HBITMAP h) {
        if (++bitmaps == failBitmapAt) {
            pfnDeleteObject(h);
            return nullptr;
        }
        if (h) ++objects;
        return h;
    }
    static HBITMAP WINAPI CreateBitmap(int cx, int cy, UINT planes, UINT bits, const void *p) {
        return Count(pfnCreateBitmap(cx, cy, planes, bits, p));
    }
    static HBITMAP WINAPI CreateCompatibleBitmap(HDC h, int cx, int cy) {
        return Count(pfnCreateCompatibleBitmap(h, cx, cy));
    }
    static BOOL WINAPI DeleteObject(HGDIOBJ h) {
        --objects;
        return pfnDeleteObject(h);
    }
};

class TransparentBlitTest : public ::testing::Test {
protected:
    // A 4 by 3 picture: white key colour at (0, 0) and inside the picture.
    static constexpr COLORREF kPicture[3][4] = {
        {kWhite, kRed, kRed, kWhite},
        {kBlue, kWhite, kRed, kBlue},
        {kRed, kRed, kBlue, kWhite},
    };

    void SetUp() override {
        hdcScreen = GetDC(nullptr);
        hdcDest = ::CreateCompatibleDC(hdcScreen);
        hbmDest = ::CreateCompatibleBitmap(hdcScreen, 10, 10);
        hbmOldDest = SelectObject(hdcDest, hbmDest);
        RECT all{0, 0, 10, 10};
        HBRUSH hGreen = CreateSolidBrush(kGreen);
        FillRect(hdcDest, &all, hGreen);
        ::DeleteObject(hGreen);
        hbmPicture = ::CreateCompatibleBitmap(hdcScreen, 4, 3);
        HDC hdc = ::CreateCompatibleDC(hdcScreen);
        HGDIOBJ old = SelectObject(hdc, hbmPicture);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x) SetPixel(hdc, x, y, kPicture[y][x]);
        SelectObject(hdc, old);
        ::DeleteDC(hdc);
    }
    void TearDown() override {
        SelectObject(hdcDest, hbmOldDest);
        ::DeleteObject(hbmDest);
        ::DeleteDC(hdcDest);
        ::DeleteObject(hbmPicture);
        ReleaseDC(nullptr, hdcScreen);
    }

    static std::vector<COLORREF> Pixels(HDC hdc, int cx, int cy) {
        std::vector<COLORREF> v;
        for (int y = 0; y < cy; ++y)
            for (int x = 0; x < cx; ++x) v.push_back(GetPixel(hdc, x, y));
        return v;
    }
    std::vector<COLORREF> PicturePixels() {
        HDC hdc = ::CreateCompatibleDC(hdcScreen);
        HGDIOBJ old = SelectObject(hdc, hbmPicture);
        std::vector<COLORREF> v = Pixels(hdc, 4, 3);
        SelectObject(hdc, old);
        ::DeleteDC(hdc);
        return v;
    }
    void ExpectDestinationUntouched() {
        for (COLORREF c : Pixels(hdcDest, 10, 10)) ASSERT_EQ(c, kGreen);
    }
    // Blits with the GDI imports counted; every DC and bitmap made is gone after.
    void CountedBlit(HBITMAP hbm, int failBitmapAt = 0) {
        HMODULE exe = GetModuleHandleW(nullptr);
        GdiCounter::dcs = GdiCounter::objects = GdiCounter::bitmaps = 0;
        GdiCounter::failBitmapAt = failBitmapAt;
        {
            testsupport::ImportPatch p1(exe, "gdi32.dll", "CreateCompatibleDC", reinterpret_cast<void *>(GdiCounter::CreateCompatibleDC));
            testsupport::ImportPatch p2(exe, "gdi32.dll", "DeleteDC", reinterpret_cast<void *>(GdiCounter::DeleteDC));
            testsupport::ImportPatch p3(exe, "gdi32.dll", "CreateBitmap", reinterpret_cast<void *>(GdiCounter::CreateBitmap));
            testsupport::ImportPatch p4(exe, "gdi32.dll", "CreateCompatibleBitmap",
                                        reinterpret_cast<void *>(GdiCounter::CreateCompatibleBitmap));
            testsupport::ImportPatch p5(exe, "gdi32.dll", "DeleteObject", reinterpret_cast<void *>(GdiCounter::DeleteObject));
            ASSERT_TRUE(p1.Active() && p2.Active() && p3.Active() && p4.Active() && p5.Active());
            GdiCounter::pfnCreateDC = p1.OriginalAs<decltype(GdiCounter::pfnCreateDC)>();
            GdiCounter::pfnDeleteDC = p2.OriginalAs<decltype(GdiCounter::pfnDeleteDC)>();
            GdiCounter::pfnCreateBitmap = p3.OriginalAs<decltype(GdiCounter::pfnCreateBitmap)>();
            GdiCounter::pfnCreateCompatibleBitmap = p4.OriginalAs<decltype(GdiCounter::pfnCreateCompatibleBitmap)>();
            GdiCounter::pfnDeleteObject = p5.OriginalAs<decltype(GdiCounter::pfnDeleteObject)>();
            TransparentBlit(hdcDest, hbm, 3, 2);
        }
        EXPECT_EQ(GdiCounter::dcs, 0) << "device contexts leaked";
        EXPECT_EQ(GdiCounter::objects, 0) << "bitmaps leaked";
    }

    HDC hdcScreen = nullptr;
    HDC hdcDest = nullptr;
    HBITMAP hbmDest = nullptr;
    HGDIOBJ hbmOldDest = nullptr;
    HBITMAP hbmPicture = nullptr;
};

TEST_F(TransparentBlitTest, KeyColourShowsTheDestinationAndTheSourceIsUnchanged) {
    const std::vector<COLORREF> before = PicturePixels();
    CountedBlit(hbmPicture);
    EXPECT_GE(GdiCounter::bitmaps, 4);
    const std::vector<COLORREF> dest = Pixels(hdcDest, 10, 10);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
            COLORREF expected = kGreen;
            if (x >= 3 && x < 7 && y >= 2 && y < 5 && kPicture[y - 2][x - 3] != kWhite) expected = kPicture[y - 2][x - 3];
            EXPECT_EQ(dest[y * 10 + x], expected) << x << "," << y;
        }
    }
    EXPECT_EQ(PicturePixels(), before);
}

TEST_F(TransparentBlitTest, BadBitmapsOrFailingCreationsDrawNothingAndLeakNothing) {
    HBRUSH hBrush = CreateSolidBrush(kRed);
    HDC hdcHolder = ::CreateCompatibleDC(hdcScreen);
    struct Case {
        const char *what;
        HBITMAP hbm;
        int failBitmapAt;
    } const cases[] = {
        {"null bitmap", nullptr, 0},
        {"not a bitmap", reinterpret_cast<HBITMAP>(hBrush), 0},
        {"a bitmap of its own fails", hbmPicture, 3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        CountedBlit(c.hbm, c.failBitmapAt);
        ExpectDestinationUntouched();
    }
    // A bitmap that another device context holds cannot be drawn from.
    HGDIOBJ old = SelectObject(hdcHolder, hbmPicture);
    CountedBlit(hbmPicture);
    ExpectDestinationUntouched();
    SelectObject(hdcHolder, old);
    ::DeleteDC(hdcHolder);
    ::DeleteObject(hBrush);
    // Nothing of the picture stays selected anywhere: it can be drawn now.
    CountedBlit(hbmPicture);
    EXPECT_EQ(Pixels(hdcDest, 10, 10)[2 * 10 + 4], kRed);
}

// A picture drawn for 96 DPI, copied at its size for a finer screen, as the
// page's logo is before TransparentBlit: pixel for pixel, so the key colour
// stays exact and nothing blended shows round the picture.
TEST_F(TransparentBlitTest, StretchedForDpiWithoutBlending) {
    const std::vector<COLORREF> before = PicturePixels();
    struct Case {
        int dpi;
        SIZE size;  // {0, 0}: no copy, the picture is drawn as it is
    } const cases[] = {{96, {0, 0}}, {0, {0, 0}}, {120, {5, 4}}, {144, {6, 5}}, {192, {8, 6}}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.dpi);
        HBITMAP hbm = StretchBitmapForDpi(hdcScreen, hbmPicture, Dpi{c.dpi, c.dpi});
        if (c.size.cx == 0) {
            EXPECT_EQ(hbm, nullptr);
            continue;
        }
        ASSERT_NE(hbm, nullptr);
        BITMAP info = {};
        ASSERT_NE(GetObjectW(hbm, sizeof(info), &info), 0);
        EXPECT_EQ(info.bmWidth, c.size.cx);
        EXPECT_EQ(info.bmHeight, c.size.cy);
        HDC hdc = ::CreateCompatibleDC(hdcScreen);
        HGDIOBJ old = SelectObject(hdc, hbm);
        const std::vector<COLORREF> copy = Pixels(hdc, c.size.cx, c.size.cy);
        SelectObject(hdc, old);
        ::DeleteDC(hdc);
        ::DeleteObject(hbm);
        for (COLORREF px : copy) EXPECT_TRUE(px == kWhite || px == kRed || px == kBlue) << std::hex << px;
        const int cx = c.size.cx, cy = c.size.cy;
        EXPECT_EQ(copy[0], kWhite);  // the key colour's corner
        EXPECT_EQ(copy[cx - 1], kPicture[0][3]);
        EXPECT_EQ(copy[(cy - 1) * cx], kPicture[2][0]);
        EXPECT_EQ(copy[cy * cx - 1], kPicture[2][3]);
    }
    EXPECT_EQ(StretchBitmapForDpi(hdcScreen, nullptr, Dpi{144, 144}), nullptr);
    EXPECT_EQ(PicturePixels(), before);
}

}  // namespace
