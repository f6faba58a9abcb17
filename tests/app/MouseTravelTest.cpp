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
