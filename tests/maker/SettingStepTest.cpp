#include "vomracube-maker/SettingStep.h"

#include <gtest/gtest.h>

namespace {

const SettingInfo& Find(PayloadSetting slot) {
    return SettingTable()[slot];
}

TEST(SettingStep, CountsStepByOneAndStopAtTheirRange) {
    const SettingInfo& cubes = Find(kCubeCount);
    EXPECT_EQ(StepSetting(cubes, 2, 1), 3);
    EXPECT_EQ(StepSetting(cubes, 0, -1), -1);
    EXPECT_EQ(StepSetting(cubes, cubes.low, -5), cubes.low);
    EXPECT_EQ(StepSetting(cubes, cubes.high, 1), cubes.high);
    EXPECT_EQ(StepSetting(cubes, cubes.high + 100, 0), cubes.high);
}

TEST(SettingStep, ThousandthsStepOnATwentiethGridFromWhereverTheyStand) {
    const SettingInfo& size = Find(kCubeSize);
    ASSERT_TRUE(size.thousandths);
    EXPECT_EQ(StepSetting(size, 1250, 1), 1300);
    EXPECT_EQ(StepSetting(size, 1250, -2), 1150);
    // Off the grid: up to the next point, down to the one below.
    EXPECT_EQ(StepSetting(size, 1230, 1), 1250);
    EXPECT_EQ(StepSetting(size, 1230, -1), 1200);
    EXPECT_EQ(StepSetting(size, 1230, 0), 1230);
    // The range's ends hold even when they lie off the grid (the least size is 0.001).
    EXPECT_EQ(StepSetting(size, 50, -3), size.low);
    // Far more presses than the range holds, either way, without overflow.
    EXPECT_EQ(StepSetting(size, 1000, 2000000000), size.high);
    EXPECT_EQ(StepSetting(size, 1000, -2000000000), size.low);
}

} // namespace
