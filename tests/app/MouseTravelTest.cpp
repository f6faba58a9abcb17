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

TEST(CursorTravel, EveryWindowMeasuresFromTheFirstPositionAnyOfThemSaw) {
    CursorTravel travel(3);
    EXPECT_FALSE(travel.MovedTooFar({1918, 500}, kSideBySide)); // the start
    EXPECT_FALSE(travel.MovedTooFar({1921, 500}, kSideBySide)); // over the border, 3 away
    EXPECT_FALSE(travel.MovedTooFar({1918, 500}, kSideBySide));
    EXPECT_TRUE(travel.MovedTooFar({1922, 500}, kSideBySide));
    EXPECT_TRUE(travel.MovedTooFar({1916, 502}, kSideBySide));
}

TEST(CursorTravel, ALayoutChangeOrARestartTakesANewStart) {
    CursorTravel travel(3);
    EXPECT_FALSE(travel.MovedTooFar({960, 540}, kSideBySide));
    EXPECT_TRUE(travel.IsStartLayout(kSideBySide));
    EXPECT_FALSE(travel.IsStartLayout(kSmallOnTheLeft));
    // Under X the cursor keeps its X place while the primary monitor moves right of the
    // new one: its Windows coordinates jump by the monitor's width.
    EXPECT_FALSE(travel.MovedTooFar({-320, 540}, kSmallOnTheLeft));
    EXPECT_FALSE(travel.MovedTooFar({-318, 541}, kSmallOnTheLeft));
    EXPECT_TRUE(travel.MovedTooFar({-316, 540}, kSmallOnTheLeft));
    travel.Restart();
    EXPECT_FALSE(travel.MovedTooFar({100, 100}, kSmallOnTheLeft));
    EXPECT_TRUE(travel.MovedTooFar({104, 100}, kSmallOnTheLeft));
}

} // namespace
