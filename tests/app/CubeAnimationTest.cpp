#include "../scene/SceneFakes.h"
#include "FinishedSaver.h"
#include "app/CubeAnimation.h"
#include "scene/CCAnimationView.h"
#include "scene/FrameClock.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

int CountObjects(CubeAnimation& animation) {
    int n = 0;
    for (ThreeDObject* o = animation.GetScene().GetObjects().GetHead(); o; o = o->GetNext()) {
        ++n;
    }
    return n;
}

TEST(CubeAnimation, InitialiseBuildsTheSceneOfTheSaversPayload) {
    // motion 2, 3 cubes at speed 1 and size 1.25, region option 1, 4 boxes.
    const uint32_t settings[9] = {2, 3, 1000, 1250, 1, 4, 1000, 300, 500};
    // The six empty faces become six temporary files, which the animation must remove
    // when it goes.
    FinishedSaver saver(settings);
    ASSERT_TRUE(saver.IsWritten());
    {
        CubeAnimation animation;
        EXPECT_EQ(animation.GetRegionOption(), 0); // no settings object yet
        EXPECT_TRUE(animation.Initialise(nullptr));
        EXPECT_EQ(CountObjects(animation), 7);
        EXPECT_EQ(animation.GetRegionOption(), 1);
        EXPECT_TRUE(animation.Initialise(nullptr)); // rebuilt, not added to
        EXPECT_EQ(CountObjects(animation), 7);
        EXPECT_EQ(saver.FaceFiles(), 6u); // read once, not once per Initialise
    }
    EXPECT_EQ(saver.FaceFiles(), 0u) << "face files left behind";
}

TEST(CubeAnimation, ClockStandsUntilInitialisedAndARebuiltSceneClearsTheRegion) {
    const uint32_t settings[9] = {0, 2, 1000, 1250, 0, 10, 1000, 300, 500};
    FinishedSaver saver(settings);
    ASSERT_TRUE(saver.IsWritten());
    CubeAnimation animation;
    animation.Tick(kFrameInterval);
    EXPECT_EQ(animation.GetScene().GetTime(), 0.0);
    ASSERT_TRUE(animation.Initialise(nullptr));
    animation.Tick(kFrameInterval);
    EXPECT_EQ(animation.GetScene().GetTime(), kClockStep);

    RecordingRenderer renderer;
    RecordingRegion region(&renderer, 320, 240);
    std::unique_ptr<CCAnimationView> view(animation.CreateView(&region.GetRect()));
    animation.Draw(&region, view.get());
    ASSERT_TRUE(animation.Initialise(nullptr));
    renderer.cleared.clear();
    animation.Draw(&region, view.get());
    ASSERT_FALSE(renderer.cleared.empty());
    EXPECT_TRUE(EqualRect(&renderer.cleared[0], &region.GetRect()));
}

} // namespace
