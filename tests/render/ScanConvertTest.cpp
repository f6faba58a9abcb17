// Scan conversion: the pixel-centre and row-centre rules, fill rules, smoothing coverage
// and the failures of FillOutline.
#include "RenderTestTarget.h"
#include "render/target/Compositors.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t kWhite = 0x00FFFFFF;

TEST(ScanConvert, PixelCentreRuleCoversCentresInsideHalfOpenSpans) {
    TestTarget t(6, 6);
    SetSolidFill(kWhite);
    ASSERT_EQ(Rect(0.5, 0.5, 2.5, 2.5).Fill(), 0);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 6; ++x) {
            const bool inside = x >= 1 && x <= 2 && y >= 1 && y <= 2;
            EXPECT_EQ(t.At32(x, y), inside ? kWhite : 0u) << x << "," << y;
        }
    }
}

TEST(ScanConvert, EdgeStartingOnARowCentreSkipsItAndOneEndingThereCoversIt) {
    TestTarget t(4, 8);
    SetSolidFill(kWhite);
    ASSERT_EQ(Rect(0, 1.5, 4, 3.5).Fill(), 0);
    EXPECT_EQ(t.At32(0, 1), 0u);
    EXPECT_EQ(t.At32(0, 2), kWhite);
    EXPECT_EQ(t.At32(0, 3), kWhite);
    EXPECT_EQ(t.At32(0, 4), 0u);
    // The same along x: x0 on a centre is out, x1 on a centre is in.
    TestTarget u(8, 2);
    SetSolidFill(kWhite);
    ASSERT_EQ(Rect(1.5, 0, 3.5, 2).Fill(), 0);
    EXPECT_EQ(u.At32(1, 0), 0u);
    EXPECT_EQ(u.At32(2, 0), kWhite);
    EXPECT_EQ(u.At32(3, 0), kWhite);
    EXPECT_EQ(u.At32(4, 0), 0u);
}

TEST(ScanConvert, OpenFiguresAreClosedAndDegenerateOutlinesSucceed) {
    TestTarget t(8, 8);
    SetSolidFill(kWhite);
    Polygon triangle;
    triangle.Add(0, 0).Add(8, 0).Add(0, 8);
    ASSERT_EQ(triangle.Fill(), 0);
    EXPECT_EQ(t.CountNot32(0), 36); // rows y = 0..7 cover 8 - y - 1 + ... pixels
    TestTarget u(8, 8);
    SetSolidFill(kWhite);
    Polygon dot;
    dot.Add(3, 3).Add(3, 3).Add(3, 3);
    EXPECT_EQ(dot.Fill(), 0);
    EXPECT_EQ(u.CountNot32(0), 0);
}

TEST(ScanConvert, EvenOddLeavesOverlapOpenWindingFillsIt) {
    Polygon twice = Rect(0, 0, 4, 4);
    const Polygon inner = Rect(1, 1, 3, 3);
    twice.points.insert(twice.points.end(), inner.points.begin(), inner.points.end());
    twice.verbs.insert(twice.verbs.end(), inner.verbs.begin(), inner.verbs.end());
    TestTarget t(4, 4);
    SetSolidFill(kWhite);
    ASSERT_EQ(twice.Fill(0), 0);
    EXPECT_EQ(t.At32(2, 2), 0u);
    EXPECT_EQ(t.At32(0, 0), kWhite);
    TestTarget u(4, 4);
    SetSolidFill(kWhite);
    ASSERT_EQ(twice.Fill(kStyleWinding), 0);
    EXPECT_EQ(u.At32(2, 2), kWhite);
    // Opposite directions cancel under the winding rule as well.
    Polygon reversed = Rect(0, 0, 4, 4);
    reversed.Move(1, 1).Add(1, 3).Add(3, 3).Add(3, 1);
    reversed.verbs[4] = kVerbMoveTo;
    TestTarget w(4, 4);
    SetSolidFill(kWhite);
    ASSERT_EQ(reversed.Fill(kStyleWinding), 0);
    EXPECT_EQ(w.At32(2, 2), 0u);
}

TEST(ScanConvert, FailuresReportTheirCodes) {
    TestTarget t(4, 4);
    Polygon square = Rect(0, 0, 4, 4);
    EXPECT_EQ(square.Fill(), -1);
    EXPECT_EQ(RenderCode(), DWORD{kErrNoFill});
    SetSolidFill(kWhite);
    EXPECT_EQ(square.Fill(4), -1);
    EXPECT_EQ(RenderCode(), DWORD{kErrBadArgument});
    Polygon startsWithLine = square;
    startsWithLine.verbs[0] = kVerbLineTo;
    EXPECT_EQ(startsWithLine.Fill(), -1);
    EXPECT_EQ(RenderCode(), DWORD{kErrBadPath});
    EXPECT_EQ(FillOutline(square.points.data(), square.verbs.data(), 0, 0), -1);
    EXPECT_EQ(RenderCode(), DWORD{kErrBadPath});
    Polygon cutCurve = square;
    cutCurve.verbs[2] = kVerbBezierTo;
    cutCurve.verbs[3] = kVerbBezierTo;
    EXPECT_EQ(cutCurve.Fill(), -1);
    EXPECT_EQ(RenderCode(), DWORD{kErrBadPath});

    BindTarget(&t.header, nullptr, 2);
    SetSolidFill(kWhite);
    EXPECT_EQ(square.Fill(), -1);
    EXPECT_EQ(RenderCode(), DWORD{kErrNoTarget});
    EXPECT_EQ(FillBox(&square.points[0], &square.points[2]), -1);
    EXPECT_EQ(RenderCode(), DWORD{kErrNoTarget});
}

TEST(ScanConvert, SmoothingCountsFiveByFiveSamples) {
    TestTarget t(4, 4);
    SetSmoothing(1);
    SetSolidFill(kWhite);
    // x from 0 to 0.5 reaches sub-column floor(2.5 + 0.5) = 3: 3 of 5 columns, all 5 rows.
    ASSERT_EQ(Rect(0, 0, 0.5, 1).Fill(), 0);
    EXPECT_EQ(t.At32(0, 0), 0x00999999u); // 255·15/25 = 153
    EXPECT_EQ(t.At32(1, 0), 0u);
    // y from 0 to 0.31 crosses the sub-row centres 0.1 and 0.3.
    TestTarget u(4, 4);
    SetSmoothing(1);
    SetSolidFill(kWhite);
    ASSERT_EQ(Rect(1, 0, 2, 0.31).Fill(), 0);
    EXPECT_EQ(u.At32(1, 0), 0x00666666u); // 10 of 25: 102
    // The interior of a larger shape is the fill itself.
    TestTarget w(8, 8);
    SetSmoothing(1);
    SetSolidFill(0x80402010);
    ASSERT_EQ(Rect(0.3, 0.3, 7.7, 7.7).Fill(), 0);
    EXPECT_EQ(w.At32(4, 4), 0x80102040u);
    EXPECT_NE(w.At32(0, 4), 0x80102040u);
    EXPECT_NE(w.At32(0, 4), 0u);
}

TEST(ScanConvert, SmoothingIsUnavailableOnFourBitTargetsAndOffOnOneBit) {
    TestTarget t(8, 8, 4);
    SetSmoothing(1);
    SetSolidFill(kWhite);
    EXPECT_EQ(Rect(0, 0, 4, 4).Fill(), -1);
    EXPECT_EQ(RenderCode(), DWORD{kErrNoSmoothing});
    TestTarget mono(16, 4, 1);
    SetSmoothing(1);
    SetSolidFill(kWhite);
    EXPECT_EQ(Rect(0, 0, 8, 4).Fill(), 0);
    EXPECT_EQ(mono.Row(0)[0], 0xFF);
    EXPECT_EQ(mono.Row(0)[1], 0x00);
}

TEST(ScanConvert, CurvesAreFlattenedInsideTheirControlHull) {
    TestTarget t(64, 64);
    SetSolidFill(kWhite);
    // A circle of radius 24 from four cubic quarters.
    const double c = 32, r = 24, k = 0.5523 * r;
    std::vector<POINT> pts = {
        Px(c + r, c),     Px(c + r, c + k), Px(c + k, c + r), Px(c, c + r),     Px(c - k, c + r),
        Px(c - r, c + k), Px(c - r, c),     Px(c - r, c - k), Px(c - k, c - r), Px(c, c - r),
        Px(c + k, c - r), Px(c + r, c - k), Px(c + r, c)};
    std::vector<BYTE> verbs(pts.size(), kVerbBezierTo);
    verbs[0] = kVerbMoveTo;
    SetFlatness(0x400);
    ASSERT_EQ(FillOutline(pts.data(), verbs.data(), static_cast<int>(pts.size()), 0), 0);
    SetFlatness(0x4000);
    const double area = 3.14159265 * r * r;
    EXPECT_NEAR(t.CountNot32(0), area, area * 0.02);
    EXPECT_EQ(t.At32(32, 32), kWhite);
    EXPECT_EQ(t.At32(32, 7), 0u);
}

TEST(ScanConvert, ManyEdgesUseChunksAndRunningOutIsErrorTwelve) {
    // 3000 thin teeth: more edges than the static store holds.
    Polygon comb;
    comb.Add(0, 0);
    for (int i = 0; i < 1500; ++i) {
        comb.Add(i * 0.04 + 0.02, 8).Add(i * 0.04 + 0.04, 0);
    }
    TestTarget t(64, 8);
    SetSolidFill(kWhite);
    EXPECT_EQ(comb.Fill(), 0);
    EXPECT_GT(t.CountNot32(0), 0);
    SetMemoryHandlers([](size_t) -> void* { return nullptr; }, [](void*) {});
    EXPECT_EQ(comb.Fill(), -1);
    EXPECT_EQ(RenderCode(), DWORD{kErrEdgeMemory});
    SetMemoryHandlers(nullptr, nullptr);
    EXPECT_EQ(comb.Fill(), -1);
    EXPECT_EQ(RenderCode(), DWORD{kErrNoMemoryHandlers});
    SetMemoryHandlers(RendererAlloc, RendererFree);
}

TEST(ScanConvert, HugeCoordinatesStayInsideTheTarget) {
    TestTarget t(16, 16);
    SetSolidFill(kWhite);
    Polygon wild;
    wild.points = {{INT32_MIN, INT32_MIN},
                   {INT32_MAX, INT32_MIN},
                   {INT32_MAX, INT32_MAX},
                   {INT32_MIN, 5 << 16}};
    wild.verbs = {kVerbMoveTo, kVerbLineTo, kVerbLineTo, kVerbLineTo};
    const RenderTransform steep = {0x7FFFFFFF, -0x7FFFFFFF, 0x7FFFFFFF,
                                   0x7FFFFFFF, INT64_MAX,   INT64_MIN};
    SetTransform(&steep);
    for (int smooth = 0; smooth < 2; ++smooth) {
        SetSmoothing(smooth);
        const int result = wild.Fill(smooth);
        EXPECT_TRUE(result == 0 || RenderCode() == DWORD{kErrOddCrossings});
    }
}

} // namespace

namespace {

TEST(ScanConvert, SmoothedSixteenBitEdgesLieBetweenTargetAndFill) {
    for (int mode = 0; mode < 4; ++mode) {
        TestTarget t(8, 4, 16, mode);
        SetSolidFill(0xFFFFFF);
        ASSERT_EQ(Box(4, 0, 8, 4), 0);
        const uint16_t white = t.At16(5, 1);
        SetSmoothing(1);
        SetSolidFill(0x000000);
        ASSERT_EQ(Rect(0, 0, 4.5, 4).Fill(), 0);
        EXPECT_EQ(t.At16(3, 1), 0) << mode;
        EXPECT_EQ(t.At16(5, 1), white) << mode;
        const uint32_t edge = Widen16(t.At16(4, 1), mode);
        EXPECT_GT(edge & 0xFF, 0x40u) << mode; // 3 of 5 columns black: about 40% white
        EXPECT_LT(edge & 0xFF, 0xC0u) << mode;
    }
}

} // namespace
