#include "SceneFakes.h"
#include "scene/Box3d.h"
#include "scene/CCAnimationView.h"
#include "scene/CubeScene.h"
#include "scene/FrameClock.h"
#include "scene/ImageCube.h"
#include "scene/Motion.h"
#include "scene/SceneRandom.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <optional>

namespace {

TEST(SceneRandom, IsTheNeverSeededSequence) {
    SetSceneRandomState(1);
    EXPECT_EQ(SceneRandom(), 41);
    EXPECT_EQ(SceneRandom(), 18467);
    EXPECT_EQ(SceneRandom(), 6334);
}

TEST(BuildScene, DefaultSceneFromTheStartOfTheSequence) {
    SetSceneRandomState(1);
    CubeScene scene;
    scene.Build(SceneSettings{});
    // Head first: the cubes (last made first), then the boxes newest first.
    int cubes = 0, boxes = 0;
    ThreeDObject* o = scene.GetObjects().GetHead();
    for (; o && o->IsKindOf(RUNTIME_CLASS(ImageCube)); o = o->GetNext()) {
        ++cubes;
    }
    for (; o && o->IsKindOf(RUNTIME_CLASS(Box3d)); o = o->GetNext()) {
        ++boxes;
    }
    EXPECT_EQ(o, nullptr);
    EXPECT_EQ(cubes, 2);
    EXPECT_EQ(boxes, 10);
    // The first box made is the tail; vertex 7 is half its extents. 41, 18467 and 6334
    // give 9, 15 and 14 sixteenths of the box size.
    const auto* first = static_cast<Box3d*>(scene.GetObjects().GetTail());
    const Vector corner = first->GetVertices()[7];
    EXPECT_DOUBLE_EQ(corner.x, 0.5 * 0.3 * 9 * 0.0625);
    EXPECT_DOUBLE_EQ(corner.y, 0.5 * 0.3 * 15 * 0.0625);
    EXPECT_DOUBLE_EQ(corner.z, 0.5 * 0.3 * 14 * 0.0625);
}

int CountObjects(CubeScene& scene) {
    int n = 0;
    for (ThreeDObject* o = scene.GetObjects().GetHead(); o; o = o->GetNext()) {
        ++n;
    }
    return n;
}

TEST(BuildScene, CubeCountZeroMakesOneAndNegativeNone) {
    CubeScene scene;
    SceneSettings settings;
    settings.boxCount = 0;
    settings.cubeCount = 0;
    scene.Build(settings);
    EXPECT_EQ(CountObjects(scene), 1);
    settings.cubeCount = -1;
    scene.Build(settings);
    EXPECT_TRUE(scene.IsEmpty());
    scene.Tick(1000); // an empty scene has a stopped clock
    EXPECT_EQ(scene.GetTime(), 0.0);
}

TEST(Tick, StepsOncePerIntervalAndNeverCatchesUp) {
    CubeScene scene;
    scene.Build(SceneSettings{});
    scene.Tick(1000);
    EXPECT_EQ(scene.GetTime(), 0.02);
    scene.Tick(1000 + kFrameInterval - 1);
    EXPECT_EQ(scene.GetTime(), 0.02);
    scene.Tick(1000 + kFrameInterval);
    EXPECT_EQ(scene.GetTime(), 0.02 + 0.02);
    scene.Tick(1100 + kFrameInterval);
    EXPECT_EQ(scene.GetTime(), 0.02 + 0.02 + 0.02);
}

TEST(Tick, SurvivesTheWrapOfTheTickCounter) {
    CubeScene scene;
    scene.Build(SceneSettings{});
    const DWORD beforeWrap = 0xFFFFFFF8u;
    scene.Tick(beforeWrap);
    const double before = scene.GetTime();
    scene.Tick(static_cast<DWORD>(beforeWrap + kFrameInterval - 1));
    EXPECT_EQ(scene.GetTime(), before);
    scene.Tick(static_cast<DWORD>(beforeWrap + kFrameInterval));
    EXPECT_EQ(scene.GetTime(), before + 0.02);
}

TEST(Tick, TicksToNextStepSaysWhenTickWillStep) {
    CubeScene scene;
    EXPECT_EQ(scene.TicksToNextStep(1000), std::nullopt); // an empty scene never steps
    scene.Build(SceneSettings{});
    EXPECT_EQ(scene.TicksToNextStep(1000), 0u);
    scene.Tick(1000);
    EXPECT_EQ(scene.TicksToNextStep(1000), kFrameInterval);
    EXPECT_EQ(scene.TicksToNextStep(1000 + kFrameInterval - 1), 1u);
    EXPECT_EQ(scene.TicksToNextStep(1000 + kFrameInterval), 0u);
    EXPECT_EQ(scene.TicksToNextStep(900), 0u); // the tick wrapped: long past due
    const DWORD beforeWrap = 0xFFFFFFF8u;
    scene.Tick(beforeWrap);
    EXPECT_EQ(scene.TicksToNextStep(static_cast<DWORD>(beforeWrap + 10)), kFrameInterval - 10);
}

TEST(PictureTimeForClock, SevenHundredFiftyMillisecondsPerClockUnitWrappingLikeTheTicks) {
    EXPECT_EQ(PictureTimeForClock(0.0), 0u);
    EXPECT_EQ(PictureTimeForClock(kClockStep), kFrameInterval);
    EXPECT_EQ(PictureTimeForClock(1.0), 750u);
    EXPECT_EQ(PictureTimeForClock(-1.0), 4294967296u - 750u);
    EXPECT_EQ(PictureTimeForClock(4294967296.0 / 750.0 + 2.0), 1500u);
    EXPECT_EQ(PictureTimeForClock(NAN), 0u);
    EXPECT_EQ(PictureTimeForClock(INFINITY), 0u);
}

Vector Centre(const Matrix& model) {
    return Transform(model, Vector{0, 0, 0, 1});
}

TEST(Motion, CubeInPatternOneAtTimeZero) {
    Matrix model;
    BuildCubeMotion(&model, 1, 0, 1, 0);
    const Vector c = Centre(model);
    EXPECT_NEAR(c.x, 0, 1e-12);
    EXPECT_NEAR(c.y, 5 * std::sin(25 * M_PI / 180), 1e-12);
    EXPECT_NEAR(c.z, 5 * std::cos(25 * M_PI / 180), 1e-12);
}

TEST(Motion, BoxInPatternZeroAtTimeZeroIsAtTheOriginTurnedOnce) {
    Matrix model;
    BuildBoxMotion(&model, 0, 0, 1, 0, 0);
    const Vector c = Centre(model);
    EXPECT_EQ(c.x, 0);
    EXPECT_EQ(c.y, 0);
    EXPECT_EQ(c.z, 0);
    for (int r = 0; r < 4; ++r) {
        for (int k = 0; k < 4; ++k) {
            EXPECT_NEAR(model.m[r][k], r == k ? 1 : 0, 1e-14);
        }
    }
}

TEST(Motion, UnknownStylesStayAtTheOrigin) {
    for (int style : {7, -1, 4}) {
        Matrix model;
        BuildBoxMotion(&model, style, 3.5, 2, 1, 1);
        EXPECT_EQ(model.m[0][0], 1);
        EXPECT_EQ(model.m[0][3], 0);
        BuildCubeMotion(&model, style, 3.5, 2, 1);
        EXPECT_EQ(model.m[1][1], 1);
        EXPECT_EQ(model.m[2][3], 0);
    }
}

TEST(Motion, CubesHalfACircleApartStayOpposite) {
    for (double t : {0.0, 0.7, 13.02}) {
        Matrix a, b;
        BuildCubeMotion(&a, 3, t, 1, 0);
        BuildCubeMotion(&b, 3, t, 1, 3);
        const Vector ca = Centre(a), cb = Centre(b);
        EXPECT_NEAR(ca.x, -cb.x, 1e-9);
        EXPECT_NEAR(ca.z, -cb.z, 1e-9);
    }
}

TEST(Motion, SpeedLeavesTheRawClockTurnAlone) {
    // At phase −t × speed the circle angle is 0, so only the RotateY(30 × t) turn of pattern
    // 2 moves the centre off x = 1.666 + 0, z = 3.333 (before the tilt).
    for (double speed : {1.0, 2.0}) {
        const double t = 1.5;
        Matrix model;
        BuildCubeMotion(&model, 2, t, speed, -t * speed);
        const Vector c = Centre(model);
        const double turn = 30 * t * M_PI / 180;
        const double x = 1.666 * std::cos(turn) + 3.333 * std::sin(turn);
        EXPECT_NEAR(c.x, x, 1e-9) << speed;
    }
}

TEST(CubeScene, DrawClearsANewRegionOnceAndThenOnlyWhatChanged) {
    RecordingRenderer renderer;
    RecordingRegion region(&renderer, 320, 240);
    CubeScene scene;
    scene.Build(SceneSettings{});
    std::unique_ptr<CCAnimationView> view(scene.CreateView(&region.GetRect()));
    scene.Draw(&region, view.get());
    ASSERT_FALSE(renderer.cleared.empty());
    EXPECT_TRUE(EqualRect(&renderer.cleared[0], &region.GetRect()));
    renderer.cleared.clear();
    scene.Draw(&region, view.get());
    for (const RECT& box : renderer.cleared) {
        EXPECT_FALSE(EqualRect(&box, &region.GetRect()));
    }
    scene.ResetRegion();
    renderer.cleared.clear();
    scene.Draw(&region, view.get());
    ASSERT_FALSE(renderer.cleared.empty());
    EXPECT_TRUE(EqualRect(&renderer.cleared[0], &region.GetRect()));
    // Far to near after the first frame.
    for (ThreeDObject* o = scene.GetObjects().GetHead(); o && o->GetNext(); o = o->GetNext()) {
        EXPECT_GE(o->GetDepth(), o->GetNext()->GetDepth());
    }
}

} // namespace
