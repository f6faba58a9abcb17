#include "app/MouseTravel.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(MouseTravel, ThreePixelsKeepTheSaverFourCloseIt) {
    const POINT start{100, 100};
    EXPECT_FALSE(MovedBeyondTolerance(start, {100, 100}, 3));
    EXPECT_FALSE(MovedBeyondTolerance(start, {102, 101}, 3));
    EXPECT_FALSE(MovedBeyondTolerance(start, {97, 100}, 3));
    EXPECT_TRUE(MovedBeyondTolerance(start, {102, 102}, 3));
    EXPECT_TRUE(MovedBeyondTolerance(start, {98, 98}, 3));
    EXPECT_TRUE(MovedBeyondTolerance(start, {100, 96}, 3));
}

TEST(MouseTravel, ExtremeCoordinatesDoNotOverflow) {
    EXPECT_TRUE(MovedBeyondTolerance({INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MAX}, 3));
    EXPECT_FALSE(MovedBeyondTolerance({INT32_MAX, INT32_MIN}, {INT32_MAX, INT32_MIN}, 0));
}

} // namespace

namespace {

constexpr RECT kSideBySide{0, 0, 3840, 1080};
constexpr RECT kSmallOnTheLeft{-1280, 0, 1920, 1080};
using Step = CursorTravel::Step;

TEST(CursorTravel, EveryWindowMeasuresFromTheFirstPositionAnyOfThemSaw) {
    CursorTravel travel(3);
    EXPECT_EQ(travel.Move({1918, 500}, kSideBySide), Step::kWithin); // the start
    EXPECT_EQ(travel.Move({1921, 500}, kSideBySide), Step::kWithin); // over the border
    EXPECT_EQ(travel.Move({1918, 500}, kSideBySide), Step::kWithin);
    EXPECT_EQ(travel.Move({1922, 500}, kSideBySide), Step::kBeyond);
    EXPECT_EQ(travel.Move({1916, 502}, kSideBySide), Step::kBeyond);
}

TEST(CursorTravel, OnlyAJumpBeyondTheToleranceIsToldApart) {
    CursorTravel travel(3);
    EXPECT_EQ(travel.Move({960, 540}, kSideBySide), Step::kWithin);
    // The X server moved the cursor off a monitor that went away.
    EXPECT_EQ(travel.Move({1280, 540}, kSideBySide), Step::kJumpedBeyond);
    // A hand that travelled far in small steps is no jump.
    EXPECT_EQ(travel.Move({1280 + CursorTravel::kJumpDistance, 540}, kSideBySide), Step::kBeyond);
    EXPECT_EQ(travel.Move({1280 + 2 * CursorTravel::kJumpDistance + 1, 540}, kSideBySide),
              Step::kJumpedBeyond);
}

TEST(CursorTravel, ALayoutChangeOrARestartTakesANewStart) {
    CursorTravel travel(3);
    EXPECT_EQ(travel.Move({960, 540}, kSideBySide), Step::kWithin);
    EXPECT_TRUE(travel.IsStartLayout(kSideBySide));
    EXPECT_FALSE(travel.IsStartLayout(kSmallOnTheLeft));
    // Under X the cursor keeps its X place while the primary monitor moves right of the
    // new one: its Windows coordinates jump by the new monitor's width.
    EXPECT_EQ(travel.Move({-320, 540}, kSmallOnTheLeft), Step::kWithin);
    EXPECT_EQ(travel.Move({-318, 541}, kSmallOnTheLeft), Step::kWithin);
    EXPECT_EQ(travel.Move({-316, 540}, kSmallOnTheLeft), Step::kBeyond);
    travel.Restart();
    EXPECT_EQ(travel.Move({100, 100}, kSmallOnTheLeft), Step::kWithin);
    EXPECT_EQ(travel.Move({104, 100}, kSmallOnTheLeft), Step::kBeyond);
}

} // namespace
