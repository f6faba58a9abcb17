// Steady frames must not allocate: neither from the heap nor through the renderer's work
// memory functions.
#include "../ScratchFolder.h"
#include "../import/AviTestSupport.h"
#include "import/DefaultPicture.h"
#include "import/PictureSource.h"
#include "import/VideoPicture.h"
#include "render/core/GraphicsStartup.h"
#include "render/region/MemoryRegion.h"
#include "render/Renderer.h"
#include "scene/CCAnimationView.h"
#include "scene/CubeScene.h"
#include "scene/FrameClock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>

// The replacements below pair operator new with free on purpose.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

namespace {
std::atomic<bool> g_counting{false};
std::atomic<long> g_allocations{0};

void* CountingAlloc(size_t bytes) {
    if (g_counting) {
        ++g_allocations;
    }
    return std::malloc((bytes + 3) & ~size_t(3));
}
void CountingFree(void* block) {
    std::free(block);
}
} // namespace

void* operator new(size_t bytes) {
    if (g_counting) {
        ++g_allocations;
    }
    if (void* p = std::malloc(bytes ? bytes : 1)) {
        return p;
    }
    throw std::bad_alloc();
}
void* operator new[](size_t bytes) {
    return operator new(bytes);
}
void* operator new(size_t bytes, const std::nothrow_t&) noexcept {
    if (g_counting) {
        ++g_allocations;
    }
    return std::malloc(bytes ? bytes : 1);
}
void* operator new[](size_t bytes, const std::nothrow_t& tag) noexcept {
    return operator new(bytes, tag);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, size_t) noexcept {
    std::free(p);
}

namespace {

long CountPainted(const MemoryRegion& region, int depth) {
    const BITMAPINFOHEADER& h = region.GetHeader()->bmiHeader;
    const size_t stride = (size_t(h.biBitCount) * h.biWidth + 31) / 32 * 4;
    const auto* bits = static_cast<const uint8_t*>(region.GetBits());
    long painted = 0;
    for (int y = 0; y < h.biHeight; ++y) {
        for (int x = 0; x < h.biWidth; ++x) {
            const uint8_t* p = bits + stride * y + (depth == 32 ? 4 * x : x);
            painted += depth == 32 ? (p[0] | p[1] | p[2]) != 0 : p[0] != 0;
        }
    }
    return painted;
}

// A scene drawn frame after frame into an in-memory region, as the saver draws it.
class CountedScene {
  public:
    CountedScene(const SceneSettings& settings, int depth, int width, int height)
        : m_rect{0, 0, width, height}, m_region(0, depth) {
        m_scene.Build(settings);
        m_view.reset(m_scene.CreateView(&m_rect));
    }
    bool Init() { return m_region.Init(nullptr, &m_rect) && m_view; }

    // Allocations made by `count` frames after two that let every list reach its steady
    // size; `beforeFrame` runs ahead of each frame, the first two included.
    template <typename BeforeFrame> long CountFrames(int count, BeforeFrame beforeFrame) {
        beforeFrame();
        DrawFrame();
        beforeFrame();
        DrawFrame();
        g_allocations = 0;
        g_counting = true;
        for (int i = 0; i < count; ++i) {
            beforeFrame();
            DrawFrame();
        }
        g_counting = false;
        return g_allocations;
    }

    CubeScene& Scene() { return m_scene; }
    const MemoryRegion& Region() const { return m_region; }

  private:
    void DrawFrame() {
        m_scene.SetTime(m_time += kClockStep);
        m_region.BeginFrame();
        m_scene.Draw(&m_region, m_view.get());
        m_region.EndFrame();
    }

    const RECT m_rect;
    MemoryRegion m_region;
    CubeScene m_scene;
    std::unique_ptr<CCAnimationView> m_view;
    double m_time = 0.5;
};

TEST(FrameAllocation, SteadyFramesAllocateNothing) {
    InitGraphics();
    LoadDefaultPicture(kDefaultPictureId);
    SetMemoryHandlers(CountingAlloc, CountingFree);
    for (int depth : {32, 8}) {
        CountedScene scene(SceneSettings{}, depth, 320, 240);
        ASSERT_TRUE(scene.Init());
        int frame = 0;
        // Every fifth counted frame follows a region reset, which redraws everything.
        const long allocations = scene.CountFrames(20, [&] {
            if (frame++ % 5 == 2) {
                scene.Scene().ResetRegion();
            }
        });
        EXPECT_EQ(allocations, 0) << depth << "-bit target";
        EXPECT_GT(CountPainted(scene.Region(), depth), 1000) << depth << "-bit target";
    }
    SetMemoryHandlers(RendererAlloc, RendererFree);
}

// A video face fetches a new frame whenever the picture time moves on; a clip stored top
// row first has each frame turned over as it is read.
TEST(FrameAllocation, VideoFaceFramesAllocateNothing) {
    ScratchFolder folder("vc-frames-video");
    avitest::ClipRecipe recipe;
    recipe.width = 16;
    recipe.height = -16;
    recipe.rate = 50; // a frame every 20 ms
    for (int f = 0; f < 4; ++f) {
        recipe.frames.push_back(avitest::FrameBytes(f, 16, 48));
    }
    const std::string path = folder.Write("clip.avi", avitest::MakeAvi(recipe));
    InitGraphics();
    LoadDefaultPicture(kDefaultPictureId);
    SetVideoLibrary(nullptr); // natively: the saver's own reader
    StartVideoSupport(1);
    ResetVideoTimeOrigin();
    PictureSource* clip = OpenVideo(path.c_str());
    ASSERT_NE(clip, nullptr);
    SetMemoryHandlers(CountingAlloc, CountingFree);
    {
        SceneSettings settings;
        settings.boxCount = 0;
        settings.cubeCount = 1;
        for (PictureSource*& picture : settings.pictures) {
            picture = clip;
        }
        CountedScene scene(settings, 32, 160, 120);
        ASSERT_TRUE(scene.Init());
        DWORD ms = 1000;
        EXPECT_EQ(scene.CountFrames(12, [&] { SetPictureTime(ms += 20); }), 0);
        EXPECT_GT(CountPainted(scene.Region(), 32), 100);
    }
    SetMemoryHandlers(RendererAlloc, RendererFree);
    ReleasePicture(clip);
    StopVideoSupport();
    folder.Remove("clip.avi");
}

} // namespace
