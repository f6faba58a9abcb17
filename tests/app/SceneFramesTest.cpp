#include "FinishedSaver.h"
#include "app/SceneFrames.h"
#include "render/region/MemoryRegion.h"

#include <gtest/gtest.h>

namespace {

long LitPixels(const MemoryRegion& region) {
    long lit = 0;
    for (int y = 0; y < region.GetHeight(); ++y) {
        const uint8_t* row = region.Row(y);
        for (int x = 0; x < region.GetWidth(); ++x) {
            lit += (row[4 * x] | row[4 * x + 1] | row[4 * x + 2]) != 0;
        }
    }
    return lit;
}

TEST(SceneFrames, DrawsThePayloadsSceneAndLeavesNoFaceFileBehind) {
    const uint32_t settings[9] = {1, 1, 1000, 1250, 0, 3, 1000, 300, 500};
    FinishedSaver saver(settings);
    ASSERT_TRUE(saver.IsWritten());
    {
        SceneFrames frames;
        ASSERT_EQ(frames.Open(32, 160, 120), SceneFrames::OpenResult::kOpened);
        EXPECT_EQ(saver.FaceFiles(), 0u);
        frames.Draw(0.5);
        EXPECT_GT(LitPixels(frames.GetRegion()), 100);
    }
    EXPECT_EQ(saver.FaceFiles(), 0u) << "face files left behind";
}

} // namespace
