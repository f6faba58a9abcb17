#include "app/ScreenLayout.h"

#include <gtest/gtest.h>

namespace {

ScreenArea Area(int left, int top, int right, int bottom, bool primary = false) {
    return ScreenArea{RECT{left, top, right, bottom}, primary};
}

bool Is(const ScreenArea& area, int left, int top, int right, int bottom) {
    return area.rect.left == left && area.rect.top == top && area.rect.right == right &&
           area.rect.bottom == bottom;
}

TEST(ScreenLayout, PrimaryComesFirstAndTheOthersKeepTheirOrder) {
    // A smaller monitor left of the primary one (negative coordinates), one right of it
    // with a gap between them, and one above.
    ScreenArea areas[] = {Area(-1280, 0, 0, 1024), Area(2000, 0, 3920, 1080),
                          Area(0, 0, 1920, 1080, true), Area(0, -768, 1024, 0)};
    ASSERT_EQ(ArrangeScreens(areas, 4), 4);
    EXPECT_TRUE(Is(areas[0], 0, 0, 1920, 1080));
    EXPECT_TRUE(areas[0].primary);
    EXPECT_TRUE(Is(areas[1], -1280, 0, 0, 1024));
    EXPECT_TRUE(Is(areas[2], 2000, 0, 3920, 1080));
    EXPECT_TRUE(Is(areas[3], 0, -768, 1024, 0));
    EXPECT_FALSE(areas[1].primary || areas[2].primary || areas[3].primary);
}

TEST(ScreenLayout, EmptyAndMirroredAreasGetNoWindowOfTheirOwn) {
    ScreenArea areas[] = {Area(0, 0, 1920, 1080),       Area(5, 5, 5, 900),
                          Area(0, 0, 1920, 1080, true), Area(1920, 0, 3840, 1080),
                          Area(1920, 0, 3840, 1080),    Area(100, 100, 50, 200)};
    ASSERT_EQ(ArrangeScreens(areas, 6), 2);
    EXPECT_TRUE(Is(areas[0], 0, 0, 1920, 1080));
    EXPECT_TRUE(areas[0].primary);
    EXPECT_TRUE(Is(areas[1], 1920, 0, 3840, 1080));
}

TEST(ScreenLayout, AnEmptyPrimaryAreaIsNoPrimaryAndTheCountIsBounded) {
    ScreenArea areas[kMaxScreens + 8];
    for (int i = 0; i < kMaxScreens + 8; ++i) {
        areas[i] = Area(i * 100, 0, i * 100 + 100, 100);
    }
    areas[3].rect.right = areas[3].rect.left; // empty, though marked primary
    areas[3].primary = true;
    ASSERT_EQ(ArrangeScreens(areas, kMaxScreens + 8), kMaxScreens);
    EXPECT_TRUE(Is(areas[0], 0, 0, 100, 100));
    for (int i = 0; i < kMaxScreens; ++i) {
        EXPECT_FALSE(areas[i].primary) << i;
    }
    EXPECT_EQ(ArrangeScreens(nullptr, 3), 0);
    EXPECT_EQ(ArrangeScreens(areas, 0), 0);
}

} // namespace
