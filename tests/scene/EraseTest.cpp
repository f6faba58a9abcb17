// A steady frame (only last frame's boxes cleared) must hold exactly the pixels of a frame
// drawn on a freshly cleared region: nothing left behind, nothing cleared that is drawn.
#include "import/DefaultPicture.h"
#include "import/PictureSource.h"
#include "render/core/GraphicsStartup.h"
#include "render/region/MemoryRegion.h"
#include "scene/CCAnimationView.h"
#include "scene/CubeScene.h"
#include "scene/SceneRandom.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

struct Scene {
    Scene(const SceneSettings& settings, int depth, const RECT& rect) : region(0, depth) {
        SetSceneRandomState(1);
        cubes.Build(settings);
        ok = region.Init(nullptr, &rect);
        view.reset(cubes.CreateView(&rect));
    }
    void Frame(double t, bool fullClear) {
        if (fullClear) {
            cubes.ResetRegion();
        }
        cubes.SetTime(t);
        region.BeginFrame();
        cubes.Draw(&region, view.get());
        region.EndFrame();
    }
    size_t Bytes() const {
        const BITMAPINFOHEADER& h = region.GetHeader()->bmiHeader;
        return (size_t(h.biBitCount) * h.biWidth + 31) / 32 * 4 * h.biHeight;
    }

    MemoryRegion region;
    CubeScene cubes;
    std::unique_ptr<CCAnimationView> view;
    BOOL ok = 0;
};

TEST(Erase, SteadyFramesMatchFreshlyClearedFrames) {
    InitGraphics();
    LoadDefaultPicture(kDefaultPictureId);
    SceneSettings crowded;
    crowded.boxCount = 60;
    crowded.cubeCount = 12;
    crowded.cubeSize = 4.0;
    const RECT rect{0, 0, 200, 150};
    for (int style = 0; style < 4; ++style) {
        crowded.motionStyle = style;
        for (int depth : {32, 8}) {
            Scene steady(crowded, depth, rect), fresh(crowded, depth, rect);
            ASSERT_TRUE(steady.ok && fresh.ok);
            for (int frame = 0; frame < 12; ++frame) {
                const double t = style * 5.0 + frame * 0.4;
                steady.Frame(t, false);
                fresh.Frame(t, true);
                ASSERT_EQ(
                    std::memcmp(steady.region.GetBits(), fresh.region.GetBits(), steady.Bytes()), 0)
                    << "style " << style << ", " << depth << " bits, frame " << frame;
            }
        }
    }
}

} // namespace
