#include "../import/PictureSourceTestSupport.h"
#include "../scene/SceneFakes.h"
#include "FinishedSaver.h"
#include "app/CubeAnimation.h"
#include "app/CubeSettingsDlg.h"
#include "app/SaverContents.h"
#include "import/PictureSource.h"
#include "scene/CCAnimationView.h"
#include "scene/FrameClock.h"
#include "scene/SceneRandom.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

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
    // The six empty faces are empty faces: no temporary file is written for them.
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
        EXPECT_EQ(saver.FaceFiles(), 0u);
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

namespace {

// The quads a frame of one screen's scene asks the region for, as plain numbers.
std::vector<LONG> FrameQuads(CubeAnimation& animation, int screen, int width, int height) {
    RecordingRenderer renderer;
    RecordingRegion region(&renderer, width, height);
    std::unique_ptr<CCAnimationView> view(animation.CreateScreenView(screen, &region.GetRect()));
    if (!view) {
        return {};
    }
    animation.DrawScreen(screen, &region, view.get());
    std::vector<LONG> numbers;
    for (const auto& quad : region.quads) {
        for (const POINT& p : quad) {
            numbers.push_back(p.x);
            numbers.push_back(p.y);
        }
    }
    return numbers;
}

TEST(CubeAnimation, OtherScreensLeaveThePrimaryScreensSceneAsOnOneMonitor) {
    const uint32_t settings[9] = {2, 3, 1000, 1250, 0, 8, 1000, 300, 500};
    FinishedSaver saver(settings);
    ASSERT_TRUE(saver.IsWritten());

    SetSceneRandomState(1);
    CubeAnimation alone;
    ASSERT_TRUE(alone.Initialise(nullptr));
    SetSceneRandomState(1);
    CubeAnimation three;
    ASSERT_TRUE(three.Initialise(nullptr));
    ASSERT_TRUE(three.PrepareScreens(3));
    EXPECT_EQ(saver.FaceFiles(), 0u);

    for (CubeAnimation* a : {&alone, &three}) {
        a->Tick(kFrameInterval);
        a->Tick(2 * kFrameInterval);
    }
    const std::vector<LONG> primary = FrameQuads(alone, 0, 1920, 1080);
    ASSERT_FALSE(primary.empty());
    EXPECT_EQ(FrameQuads(three, 0, 1920, 1080), primary);
    // The others are built after it, with the next random box sizes, and step with it.
    ASSERT_NE(three.GetScreenScene(2), nullptr);
    EXPECT_EQ(three.GetScreenScene(2)->GetTime(), three.GetScene().GetTime());
    const std::vector<LONG> second = FrameQuads(three, 1, 1920, 1080);
    ASSERT_FALSE(second.empty());
    EXPECT_NE(second, primary);
    EXPECT_EQ(FrameQuads(three, 1, 1280, 1024).size(), second.size());
}

TEST(CubeAnimation, ScreensBeyondThePreparedOnesHaveNoScene) {
    const uint32_t settings[9] = {0, 1, 1000, 1250, 0, 2, 1000, 300, 500};
    FinishedSaver saver(settings);
    ASSERT_TRUE(saver.IsWritten());
    CubeAnimation animation;
    ASSERT_TRUE(animation.Initialise(nullptr));
    EXPECT_EQ(animation.GetScreenScene(1), nullptr);
    EXPECT_TRUE(FrameQuads(animation, 1, 640, 480).empty());
    EXPECT_FALSE(animation.PrepareScreens(kMaxScreens + 1));
    EXPECT_TRUE(animation.PrepareScreens(kMaxScreens));
    EXPECT_NE(animation.GetScreenScene(kMaxScreens - 1), nullptr);
    EXPECT_EQ(animation.GetScreenScene(kMaxScreens), nullptr);
    EXPECT_EQ(animation.GetScreenScene(-1), nullptr);
    // A screen added later starts at the clock the others have reached.
    animation.Tick(kFrameInterval);
    EXPECT_EQ(animation.GetScreenScene(1)->GetTime(), animation.GetScene().GetTime());
    EXPECT_EQ(animation.TicksToNextStep(kFrameInterval), kFrameInterval);
}

} // namespace

namespace {

TEST(CubeAnimation, AdoptedSettingsBuildFromGivenFilesAndLeaveThemInPlace) {
    ScratchFolder folder("vc-given-faces");
    const std::string face = folder.Write("face.bmp", MakeBmp24(4, 4, 0, 0, 255));
    PayloadContents given;
    const uint32_t settings[9] = {1, 3, 1000, 1250, 1, 4, 1000, 300, 500};
    std::copy(std::begin(settings), std::end(settings), given.settings);
    given.faceFiles[2] = face;
    given.faceModes[2] = 1;
    {
        CubeAnimation animation;
        animation.AdoptSettings(new CubeSettingsDlg(given));
        // A second one offered after the first is refused (and freed).
        animation.AdoptSettings(new CubeSettingsDlg(PayloadContents{}));
        ASSERT_TRUE(animation.Initialise(nullptr));
        EXPECT_EQ(CountObjects(animation), 7);
        EXPECT_EQ(animation.GetRegionOption(), 1);
        const SceneSettings scene = animation.GetSettings()->GetSceneSettings();
        EXPECT_EQ(scene.motionStyle, 1);
        ASSERT_NE(scene.pictures[2], nullptr);
        EXPECT_EQ(scene.faceModes[2], 1);
        EXPECT_EQ(scene.pictures[0], nullptr);
    }
    // The face source is released with the animation, and the file is its holder's.
    EXPECT_EQ(FirstPictureSource(), nullptr);
    EXPECT_EQ(folder.Entries().size(), 1u);
    folder.Remove("face.bmp");
}

} // namespace

namespace {

// The maker's preview builds its scene from a SaverContents; the saver from its settings
// object. Both must give the very same scene for the same settings and faces.
TEST(CubeAnimation, GivenContentsBuildTheSceneTheSettingsObjectBuilds) {
    ScratchFolder folder("vc-given-faces");
    const std::string face = folder.Write("face.bmp", MakeBmp24(4, 4, 0, 0, 255));
    const uint32_t settingRows[][9] = {
        {1, 3, 1000, 1250, 1, 4, 1000, 300, 500},
        {3, 0xFFFFFFFFu, 1, 100000, 0, 0, 7, 999, 1000000},
        {0, 1000, 12345, 1, 1, 10000, 100000, 100000, 0},
    };
    for (const auto& row : settingRows) {
        PayloadContents payload;
        SaverContents contents;
        std::copy(std::begin(row), std::end(row), payload.settings);
        std::copy(std::begin(row), std::end(row), contents.settings);
        payload.faceFiles[4] = contents.faceFiles[4] = face;
        payload.faceModes[4] = contents.faceModes[4] = 1;
        payload.faceFiles[1] = contents.faceFiles[1] = folder.File("missing.png");
        const CubeSettingsDlg settings(payload);
        const SceneSettings expected = settings.GetSceneSettings();
        const ContentsScene given(contents);
        const SceneSettings& scene = given.Scene();
        EXPECT_EQ(scene.motionStyle, expected.motionStyle);
        EXPECT_EQ(scene.boxCount, expected.boxCount);
        EXPECT_EQ(scene.cubeCount, expected.cubeCount);
        EXPECT_EQ(scene.regionOption, expected.regionOption);
        for (auto member :
             {&SceneSettings::boxSize, &SceneSettings::boxSpeed, &SceneSettings::boxPhaseStep,
              &SceneSettings::cubeSize, &SceneSettings::cubeSpeed}) {
            EXPECT_EQ(scene.*member, expected.*member) << row[0];
        }
        for (int i = 0; i < kPayloadFaceCount; ++i) {
            EXPECT_EQ(scene.pictures[i] != nullptr, expected.pictures[i] != nullptr) << i;
            EXPECT_EQ(scene.faceModes[i], expected.faceModes[i]) << i;
        }
        CubeAnimation animation, reference;
        animation.UseScene(scene);
        reference.AdoptSettings(new CubeSettingsDlg(payload));
        EXPECT_EQ(animation.Initialise(nullptr), reference.Initialise(nullptr));
        EXPECT_EQ(CountObjects(animation), CountObjects(reference));
        EXPECT_EQ(animation.GetSettings(), nullptr); // no settings object was made
    }
    EXPECT_EQ(FirstPictureSource(), nullptr); // every source released
    folder.Remove("face.bmp");
}

} // namespace
