// Target binding, clip box and changed box.
#include "RenderTestTarget.h"

#include <gtest/gtest.h>

namespace {

RECT Clip() {
    RECT r;
    GetDeviceClip(&r);
    return r;
}

bool Same(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(Target, BindingChecksTheHeaderAndResetsTheState) {
    TestTarget t(10, 5);
    EXPECT_TRUE(Same(Clip(), RECT{0, 0, 10, 5}));
    BITMAPINFOHEADER bad = t.header;
    bad.biBitCount = 24;
    EXPECT_EQ(BindTarget(&bad, t.storage.data(), 0), -1);
    EXPECT_EQ(RenderCode(), DWORD{kErrBadBitmap});
    bad = t.header;
    bad.biPlanes = 2;
    EXPECT_EQ(BindTarget(&bad, t.storage.data(), 0), -1);
    EXPECT_EQ(RenderCode(), DWORD{kErrBadBitmap});
    EXPECT_EQ(BindTarget(nullptr, t.storage.data(), 0), -1);
    EXPECT_EQ(RenderCode(), DWORD{kErrBadArgument});
    // Row strides per format, and the default transform: user (0, 0) is the top-left
    // corner, y down, so user row 0 is the last memory row.
    const int widths[5][2] = {{1, 4}, {4, 8}, {8, 12}, {16, 20}, {32, 40}};
    for (const auto& w : widths) {
        TestTarget f(10, 3, w[0]);
        EXPECT_EQ(g_render.target.stride, w[1]) << w[0];
    }
    TestTarget d(4, 4);
    BindTarget(&d.header, d.storage.data(), 9);
    EXPECT_EQ(g_render.target.mode16, 2);
    SetSolidFill(0xFFFFFF);
    EXPECT_EQ(Box(0, 0, 1, 1), 0);
    EXPECT_EQ(d.At32(0, 3), 0x00FFFFFFu);
    EXPECT_EQ(d.CountNot32(0), 1);
    BindTarget(&d.header, d.storage.data(), 0);
    EXPECT_EQ(Box(0, 0, 1, 1), -1);
    EXPECT_EQ(RenderCode(), DWORD{kErrNoFill});
}

TEST(Clip, DeviceClipOrdersClampsAndReplaces) {
    TestTarget t(10, 8);
    const RECT swapped = {7, 6, 2, 1};
    SetDeviceClip(&swapped);
    EXPECT_TRUE(Same(Clip(), RECT{2, 1, 7, 6}));
    const RECT wide = {-5, -5, 50, 50};
    SetDeviceClip(&wide);
    EXPECT_TRUE(Same(Clip(), RECT{0, 0, 10, 8}));
    // ClipToBox intersects with the current box.
    const POINT p = Px(3, 2), q = Px(20, 4.6);
    ClipToBox(&p, &q);
    EXPECT_TRUE(Same(Clip(), RECT{3, 2, 10, 5}));
    const POINT far0 = Px(-9, -9), far1 = Px(-8, -8);
    ClipToBox(&far0, &far1);
    const RECT r = Clip();
    EXPECT_TRUE(r.left >= r.right || r.top >= r.bottom);
    SetSolidFill(0xFFFFFF);
    EXPECT_EQ(Rect(0, 0, 10, 8).Fill(), 0);
    EXPECT_EQ(t.CountNot32(0), 0);
}

TEST(Clip, FillsStayInsideTheClipBox) {
    TestTarget t(10, 10);
    const RECT clip = {2, 3, 6, 7};
    SetDeviceClip(&clip);
    SetSolidFill(0xFFFFFF);
    for (int smooth = 0; smooth < 2; ++smooth) {
        SetSmoothing(smooth);
        Polygon diamond;
        diamond.Add(5, -3).Add(13, 5).Add(5, 13).Add(-3, 5);
        ASSERT_EQ(diamond.Fill(), 0);
    }
    EXPECT_EQ(Box(-100, -100, 100, 100), 0);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
            const bool inside = x >= 2 && x < 6 && y >= 3 && y < 7;
            EXPECT_EQ(t.At32(x, y) != 0, inside) << x << "," << y;
        }
    }
}

TEST(ChangedBox, GrowsWithEveryFillUntilReset) {
    TestTarget t(20, 20);
    RECT r;
    GetChangedBox(&r);
    EXPECT_TRUE(Same(r, RECT{0x7FFFFFFF, 0x7FFFFFFF, LONG(0x80000000u), LONG(0x80000000u)}));
    SetSolidFill(0x123456);
    Box(2, 3, 5, 4);
    const POINT dot = Px(10.2, 12.7);
    FillDot(&dot);
    GetChangedBox(&r);
    EXPECT_TRUE(Same(r, RECT{2, 3, 11, 14}));
    EXPECT_NE(t.At32(10, 13), 0u);
    // A dot outside the clip box changes nothing.
    const POINT outside = Px(30, 1);
    EXPECT_EQ(FillDot(&outside), 0);
    GetChangedBox(&r);
    EXPECT_EQ(r.right, 11);
    // Smoothed outlines extend it by every pixel their box touches.
    SetSmoothing(1);
    ResetChangedBox();
    Rect(4.5, 4.5, 6.5, 6.5).Fill();
    GetChangedBox(&r);
    EXPECT_TRUE(Same(r, RECT{4, 4, 7, 7}));
    const RECT set = {1, 2, 3, 4};
    SetChangedBox(&set);
    GetChangedBox(&r);
    EXPECT_TRUE(Same(r, set));
}

} // namespace
