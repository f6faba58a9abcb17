#include "FinishedSaver.h"
#include "render/region/MemoryRegion.h"
#include "scene/SceneFrames.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(PictureTimeForClock, SevenHundredFiftyMillisecondsPerClockUnitWrappingLikeTheTicks) {
    EXPECT_EQ(PictureTimeForClock(0.0), 0u);
    EXPECT_EQ(PictureTimeForClock(1.0), 750u);
    EXPECT_EQ(PictureTimeForClock(-1.0), 4294967296u - 750u);
    EXPECT_EQ(PictureTimeForClock(4294967296.0 / 750.0 + 2.0), 1500u);
    EXPECT_EQ(PictureTimeForClock(NAN), 0u);
    EXPECT_EQ(PictureTimeForClock(INFINITY), 0u);
}

long LitPixels(const MemoryRegion& region) {
    long lit = 0;
    for (int y = 0; y < region.GetHeight(); ++y) {
        const uint8_t* row = region.Row(y);
        for (int x = 0; x < region.GetWidth(); ++x)
            lit += (row[4 * x] | row[4 * x + 1] | row[4 * x + 2]) != 0;
    }
    return lit;
}

TEST(SceneFrames, DrawsThePayloadsSceneAndLeavesNoFaceFileBehind) {
    const uint32_t settings[9] = {1, 1, 1000, 1250, 0, 3, 1000, 300, 500};
    FinishedSaver saver(settings);
    ASSERT_TRUE(saver.IsWritten());
    {
        SceneFrames frames;
        ASSERT_EQ(frames.Open(32, 160, 120), SceneFrames::OpenResult::Opened);
        EXPECT_EQ(saver.FaceFiles(), 6u);
        frames.Draw(0.5);
        EXPECT_GT(LitPixels(frames.GetRegion()), 100);
    }
    EXPECT_EQ(saver.FaceFiles(), 0u) << "face files left behind";
}

} // namespace
