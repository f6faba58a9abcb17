// One frame of the scene, drawn by our renderer and, as the peer, by pixman drawing the very
// same frame (same clears, same quads, same pictures and picture corners). Rows are named
// <workload>/<engine>; the counter ms_per_frame is the time of one frame.
//
// Workloads: the default scene (2 picture cubes, 10 boxes) and a heavy one (20 picture
// cubes of size 4 and 200 boxes), at 1920×1080 and 3840×2160, on 32-bit and 8-bit targets,
// "steady" (a frame after the first: only the boxes that changed are cleared) and
// "fullclear" (every frame starts with the whole region cleared, like the first).
#include "scene_frame.h"
#include "scene_pixman.h"

#include "import/DefaultPicture.h"
#include "import/PictureSource.h"
#include "scene/SceneSettings.h"
#include "render/core/GraphicsStartup.h"
#include "render/region/MemoryRegion.h"
#include "render/Renderer.h"
#include "scene/CCAnimationView.h"
#include "scene/CubeScene.h"
#include "scene/SceneRenderer.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

constexpr double kClock = 1.0; // objects spread out and turned, the same every frame

void StartGraphicsOnce() {
    static const bool started = [] {
        LoadDefaultPicture(kDefaultPictureId);
        InitGraphics();
        return true;
    }();
    (void)started;
}

struct Workload {
    const char* name;
    int boxes;
    int cubes;
    double cubeSize;
    int width;
    int height;
    int depth;
    bool fullClear;
};

// Forwards the region operations to the real region and writes them down.
class RecordingRegion : public RastelRegion {
  public:
    RecordingRegion(RastelRegion* inner, SceneFrame* frame)
        : RastelRegion(0, inner->GetDisplayDepth()), m_inner(inner), m_frame(frame) {
        m_rect = inner->GetRect();
    }
    void Blit(const RECT* box) override { m_inner->Blit(box); }
    void SetFillColour(const BYTE rgba[4], double intensity, int extra) override {
        SceneFrameOp op{};
        op.kind = SceneFrameOp::Colour;
        std::copy(rgba, rgba + 4, op.rgba);
        op.intensity = intensity;
        m_frame->ops.push_back(op);
        m_inner->SetFillColour(rgba, intensity, extra);
    }
    void SetFillBitmap(const BITMAPINFOHEADER* dib, const POINT* p0, const POINT* p1,
                       const POINT* p2, const POINT* p3, double intensity, int mode,
                       int transparency, int extra) override {
        SceneFrameOp op{};
        op.kind = SceneFrameOp::Bitmap;
        op.dib = dib;
        op.intensity = intensity;
        op.edgeMode = mode;
        op.corners[0] = *p0, op.corners[1] = *p1, op.corners[2] = *p2, op.corners[3] = *p3;
        m_frame->ops.push_back(op);
        m_inner->SetFillBitmap(dib, p0, p1, p2, p3, intensity, mode, transparency, extra);
    }
    void FillQuad(const POINT* p0, const POINT* p1, const POINT* p2, const POINT* p3) override {
        SceneFrameOp op{};
        op.kind = SceneFrameOp::Quad;
        op.corners[0] = *p0, op.corners[1] = *p1, op.corners[2] = *p2, op.corners[3] = *p3;
        m_frame->ops.push_back(op);
        m_inner->FillQuad(p0, p1, p2, p3);
    }

  private:
    RastelRegion* m_inner;
    SceneFrame* m_frame;
};

// Writes down the clears and passes everything on to the renderer.
class RecordingClears : public SceneRenderer {
  public:
    explicit RecordingClears(SceneFrame* frame) : m_real(GetSceneRenderer()), m_frame(frame) {
        SetSceneRenderer(this);
    }
    ~RecordingClears() override { SetSceneRenderer(nullptr); }
    void ResetChangedBox() override { m_real.ResetChangedBox(); }
    RECT GetChangedBox() override { return m_real.GetChangedBox(); }
    void ClearBox(const RECT& box) override {
        SceneFrameOp op{};
        op.kind = SceneFrameOp::Clear;
        op.box = box;
        m_frame->ops.push_back(op);
        m_real.ClearBox(box);
    }

  private:
    SceneRenderer& m_real;
    SceneFrame* m_frame;
};

// The scene of a workload, drawn once so that later frames are steady.
struct SceneUnderTest {
    explicit SceneUnderTest(const Workload& w) : region(0, w.depth) {
        StartGraphicsOnce();
        SceneSettings settings;
        settings.boxCount = w.boxes;
        settings.cubeCount = w.cubes;
        settings.cubeSize = w.cubeSize;
        cubeScene.Build(settings);
        cubeScene.SetTime(kClock);
        rect = RECT{0, 0, w.width, w.height};
        ok = region.Init(nullptr, &rect);
        view.reset(cubeScene.CreateView(&rect));
        if (ok) {
            DrawFrame(&region);
        }
    }
    void DrawFrame(RastelRegion* target) {
        region.BeginFrame();
        cubeScene.Draw(target, view.get());
        region.EndFrame();
    }

    MemoryRegion region;
    CubeScene cubeScene;
    RECT rect{};
    std::unique_ptr<CCAnimationView> view;
    BOOL ok = 0;
};

void SetFrameCounter(benchmark::State& state) {
    // iterations / seconds, inverted and scaled: milliseconds per frame.
    state.counters["ms_per_frame"] = benchmark::Counter(
        1e-3, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void RunOurs(benchmark::State& state, Workload w) {
    SceneUnderTest scene(w);
    if (!scene.ok) {
        state.SkipWithError("the drawing region could not be created");
        return;
    }
    for (auto _ : state) {
        if (w.fullClear) {
            scene.cubeScene.ResetRegion();
        }
        scene.DrawFrame(&scene.region);
    }
    SetFrameCounter(state);
}

// The saver's motion: clocks 0, 0.02, ... up to 60, one frame each, in order, so that every
// frame after the first is steady and the poses vary as they do on the screen.
constexpr int kMotionFrames = 3000;
constexpr double kMotionStep = 0.02;

void RunOursMotion(benchmark::State& state, Workload w) {
    SceneUnderTest scene(w);
    if (!scene.ok) {
        state.SkipWithError("the drawing region could not be created");
        return;
    }
    for (auto _ : state) {
        for (int frame = 0; frame < kMotionFrames; ++frame) {
            scene.cubeScene.SetTime(frame * kMotionStep);
            scene.DrawFrame(&scene.region);
        }
    }
    state.counters["ms_per_frame"] =
        benchmark::Counter(kMotionFrames * 1e-3, benchmark::Counter::kIsIterationInvariantRate |
                                                     benchmark::Counter::kInvert);
}

void RunPixman(benchmark::State& state, Workload w) {
    SceneUnderTest scene(w);
    if (!scene.ok) {
        state.SkipWithError("the drawing region could not be created");
        return;
    }
    SceneFrame frame;
    frame.width = w.width;
    frame.height = w.height;
    {
        RecordingClears clears(&frame);
        RecordingRegion recorder(&scene.region, &frame);
        // The recorder is a new region to the scene, so this frame clears it whole.
        scene.DrawFrame(&recorder);
        if (!w.fullClear) {
            frame.ops.clear();
            scene.DrawFrame(&recorder);
        }
    }
    const RenderPalette* palette = UseStandardPalette(0);
    PixmanSceneRenderer peer(frame, w.depth, palette->entries);
    for (auto _ : state) {
        peer.Draw();
    }
    SetFrameCounter(state);
}

void RegisterAll() {
    struct Scene {
        const char* name;
        int boxes, cubes;
        double cubeSize;
    };
    const SceneSettings defaults;
    const Scene scenes[] = {{"default", defaults.boxCount, defaults.cubeCount, defaults.cubeSize},
                            {"heavy", 200, 20, 4.0}};
    const int sizes[][2] = {{1920, 1080}, {3840, 2160}};
    for (const Scene& s : scenes) {
        for (const auto& size : sizes) {
            for (int depth : {32, 8}) {
                for (bool fullClear : {false, true}) {
                    const Workload w{s.name,  s.boxes, s.cubes, s.cubeSize,
                                     size[0], size[1], depth,   fullClear};
                    const std::string name = std::string("scene_") + s.name + "_" +
                                             std::to_string(size[0]) + "x" +
                                             std::to_string(size[1]) + "_" + std::to_string(depth) +
                                             "bit_" + (fullClear ? "fullclear" : "steady");
                    benchmark::RegisterBenchmark((name + "/ours").c_str(), RunOurs, w)
                        ->Unit(benchmark::kMillisecond);
                    benchmark::RegisterBenchmark((name + "/pixman").c_str(), RunPixman, w)
                        ->Unit(benchmark::kMillisecond);
                }
            }
        }
    }
}

void RegisterMotion() {
    const SceneSettings defaults;
    for (int depth : {32, 8}) {
        const Workload w{
            "default", defaults.boxCount, defaults.cubeCount, defaults.cubeSize, 1920, 1080, depth,
            false};
        const std::string name =
            "scene_default_1920x1080_" + std::to_string(depth) + "bit_motion/ours";
        benchmark::RegisterBenchmark(name.c_str(), RunOursMotion, w)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1);
    }
}

const bool g_registered = (RegisterAll(), RegisterMotion(), true);

} // namespace
