// Steady frames must not allocate: neither from the heap nor through the renderer's work
// memory functions.
#include "../ScratchFolder.h"
#include "../import/avi_testutil.h"
#include "import/PictureSource.h"
#include "import/VideoPicture.h"
#include "render/GraphicsStartup.h"
#include "render/MemoryRegion.h"
#include "render/Renderer.h"
#include "scene/CCAnimationView.h"
#include "scene/CubeAnimation.h"

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
    if (g_counting)
        ++g_allocations;
    return std::malloc((bytes + 3) & ~size_t(3));
}
void CountingFree(void* block) {
    std::free(block);
}
} // namespace

void* operator new(size_t bytes) {
    if (g_counting)
        ++g_allocations;
    if (void* p = std::malloc(bytes ? bytes : 1))
        return p;
    throw std::bad_alloc();
}
void* operator new[](size_t bytes) {
    return operator new(bytes);
}
void* operator new(size_t bytes, const std::nothrow_t&) noexcept {
    if (g_counting)
        ++g_allocations;
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
    for (int y = 0; y < h.biHeight; ++y)
        for (int x = 0; x < h.biWidth; ++x) {
            const uint8_t* p = bits + stride * y + (depth == 32 ? 4 * x : x);
            painted += depth == 32 ? (p[0] | p[1] | p[2]) != 0 : p[0] != 0;
        }
    return painted;
}

TEST(FrameAllocation, SteadyFramesAllocateNothing) {
    InitGraphics();
    LoadDefaultPicture(140);
    SetMemoryHandlers(CountingAlloc, CountingFree);
    for (int depth : {32, 8}) {
        MemoryRegion region(0, depth);
        const RECT rect{0, 0, 320, 240};
        ASSERT_TRUE(region.Init(nullptr, &rect));
        CubeAnimation animation;
        animation.BuildScene(SceneSettings{});
        std::unique_ptr<CCAnimationView> view(animation.CreateView(&rect));
        double t = 0.5;
        const auto frame = [&] {
            animation.SetTime(t += 0.02);
            region.BeginFrame();
            animation.Draw(&region, view.get());
            region.EndFrame();
        };
        frame();
        frame();
        g_allocations = 0;
        g_counting = true;
        for (int i = 0; i < 20; ++i) {
            if (i % 5 == 0)
                animation.ResetRegion();
            frame();
        }
        g_counting = false;
        EXPECT_EQ(g_allocations, 0) << depth << "-bit target";
        EXPECT_GT(CountPainted(region, depth), 1000) << depth << "-bit target";
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
    for (int f = 0; f < 4; ++f)
        recipe.frames.push_back(avitest::FrameBytes(f, 16, 48));
    const std::string path = folder.Write("clip.avi", avitest::MakeAvi(recipe));
    InitGraphics();
    LoadDefaultPicture(140);
    SetVideoLibrary(nullptr); // natively: the saver's own reader
    StartVideoSupport(1);
    ResetVideoTimeOrigin();
    PictureSource* clip = OpenVideo(path.c_str());
    ASSERT_NE(clip, nullptr);
    SetMemoryHandlers(CountingAlloc, CountingFree);
    {
        MemoryRegion region(0, 32);
        const RECT rect{0, 0, 160, 120};
        ASSERT_TRUE(region.Init(nullptr, &rect));
        SceneSettings settings;
        settings.boxCount = 0;
        settings.cubeCount = 1;
        for (PictureSource*& picture : settings.pictures)
            picture = clip;
        CubeAnimation animation;
        animation.BuildScene(settings);
        std::unique_ptr<CCAnimationView> view(animation.CreateView(&rect));
        DWORD ms = 1000;
        double t = 0.5;
        const auto frame = [&] {
            SetPictureTime(ms += 20);
            animation.SetTime(t += 0.02);
            region.BeginFrame();
            animation.Draw(&region, view.get());
            region.EndFrame();
        };
        frame();
        frame();
        g_allocations = 0;
        g_counting = true;
        for (int i = 0; i < 12; ++i)
            frame();
        g_counting = false;
        EXPECT_EQ(g_allocations, 0);
        EXPECT_GT(CountPainted(region, 32), 100);
    }
    SetMemoryHandlers(RendererAlloc, RendererFree);
    ReleasePicture(clip);
    StopVideoSupport();
    folder.Remove("clip.avi");
}

} // namespace
