// Motion-JPEG video faces: one 1280×720 frame decoded into the face's picture (full size, and
// at half size through the library's DCT scaling), and the saver's frame at 1920×1080 with
// every face showing a 1280×720 clip at 30 frames per second against the same scene whose
// faces show a still picture of that size. The scene steps its clock by 1/60 s as the saver
// does on a 60 Hz screen, so a new video frame is needed on every other draw. Counters
// ms_per_frame and wall_ms_per_frame: one saver frame (see SceneWithFaces); kb_per_frame: the
// size of one JPEG frame.
#include "import/AviReader.h"
#include "import/DefaultPicture.h"
#include "import/PictureSource.h"
#include "make/MotionJpegAviWriter.h"
#include "make/picture/JpegWriter.h"
#include "render/core/GraphicsStartup.h"
#include "render/region/MemoryRegion.h"
#include "scene/CCAnimationView.h"
#include "scene/CubeScene.h"
#include "scene/FrameClock.h"
#include "scene/SceneSettings.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <ctime>
#include <unistd.h>

namespace {
constexpr int kClipWidth = 1280, kClipHeight = 720;
constexpr int kClipFrames = 30;
// A quality that keeps a 30-s clip at this size near the making tools' budget.
constexpr int kClipQuality = 75;

// A frame with the detail of a photograph: smooth shading under fine texture, moved by
// the frame number so that no two frames are alike.
RgbaImage PhotoLikeFrame(int f) {
    RgbaImage image;
    image.width = kClipWidth;
    image.height = kClipHeight;
    image.pixels.resize(size_t{kClipWidth} * kClipHeight * 4);
    uint32_t noise = 12345u + static_cast<uint32_t>(f);
    for (int y = 0; y < kClipHeight; ++y) {
        for (int x = 0; x < kClipWidth; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const int grain = static_cast<int>(noise >> 28) - 8;
            const double shade = 96 + 64 * std::sin((x + 8 * f) / 97.0) * std::cos(y / 61.0);
            uint8_t* p = &image.pixels[(size_t(y) * kClipWidth + x) * 4];
            p[0] = static_cast<uint8_t>(std::clamp<int>(int(shade) + grain + x / 16, 0, 255));
            p[1] = static_cast<uint8_t>(std::clamp<int>(int(shade) + grain + y / 8, 0, 255));
            p[2] = static_cast<uint8_t>(std::clamp<int>(200 - int(shade) / 2 + grain, 0, 255));
            p[3] = 255;
        }
    }
    return image;
}

// The benchmark clip, written once.
const std::vector<uint8_t>& Clip() {
    static const std::vector<uint8_t> bytes = [] {
        MemoryAviSink sink;
        MotionJpegAviWriter writer;
        writer.Begin(sink, kClipWidth, kClipHeight, 30, 1);
        for (int f = 0; f < kClipFrames; ++f) {
            writer.AddFrame(PhotoLikeFrame(f), kClipQuality);
        }
        writer.Finish();
        return sink.bytes;
    }();
    return bytes;
}

void DecodeFrame(benchmark::State& state) {
    AviVideo video;
    if (video.Open(Clip()) != AviStatus::kOk) {
        state.SkipWithError("the clip does not open");
        return;
    }
    video.SetDecodeScale(static_cast<int>(state.range(0)));
    std::vector<BYTE> picture(video.PackedSize());
    int32_t frame = 0;
    for (auto _ : state) {
        if (!video.ReadFrame(frame, picture)) {
            state.SkipWithError("a frame does not decode");
            return;
        }
        frame = (frame + 1) % kClipFrames;
    }
    state.counters["kb_per_frame"] = double(Clip().size()) / kClipFrames / 1024.0;
}

// The clip in a file of its own, as the saver has its video faces; removed at exit.
const std::string& ClipFile() {
    static const std::string path = [] {
        char name[] = "/tmp/vc-bench-clip-XXXXXX";
        const int fd = mkstemp(name);
        if (fd < 0) {
            return std::string();
        }
        const std::vector<uint8_t>& bytes = Clip();
        const bool written = write(fd, bytes.data(), bytes.size()) == ssize_t(bytes.size());
        close(fd);
        std::atexit([] { std::remove(ClipFile().c_str()); });
        return written ? std::string(name) : std::string();
    }();
    return path;
}

constexpr int kDraws = 600; // ten seconds of the saver at 60 frames a second
constexpr auto kFrameTime = std::chrono::microseconds(16667);

double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// The default scene at 1920×1080, 32 bits, every face showing `face`, drawn as the saver
// draws it: one frame every 1/60 s, the window thread idle in between (when a video's next
// frame is decoded on its own thread). Only the draws are timed: ms_per_frame is the drawing
// thread's processor time, which the other programs of a busy machine do not inflate,
// wall_ms_per_frame their wall time.
void SceneWithFaces(benchmark::State& state, PictureSource* face) {
    if (!face) {
        state.SkipWithError("the face does not open");
        return;
    }
    SceneSettings settings;
    for (PictureSource*& p : settings.pictures) {
        p = face;
    }
    CubeScene scene;
    scene.Build(settings);
    const RECT rect{0, 0, 1920, 1080};
    MemoryRegion region(0, 32);
    if (!region.Init(nullptr, &rect)) {
        state.SkipWithError("the drawing region could not be created");
        return;
    }
    std::unique_ptr<CCAnimationView> view(scene.CreateView(&rect));
    double wallMs = 0, cpuMs = 0;
    for (auto _ : state) {
        auto tick = std::chrono::steady_clock::now();
        for (int draw = 0; draw < kDraws; ++draw) {
            const double clock = draw / 60.0;
            const auto start = std::chrono::steady_clock::now();
            const double cpuStart = ThreadCpuMs();
            SetPictureTime(PictureTimeForClock(clock));
            scene.SetTime(clock);
            region.BeginFrame();
            scene.Draw(&region, view.get());
            region.EndFrame();
            cpuMs += ThreadCpuMs() - cpuStart;
            const auto end = std::chrono::steady_clock::now();
            wallMs += std::chrono::duration<double, std::milli>(end - start).count();
            tick += kFrameTime;
            std::this_thread::sleep_until(tick);
        }
        state.SetIterationTime(wallMs / 1e3);
    }
    state.counters["ms_per_frame"] = cpuMs / kDraws / double(state.iterations());
    state.counters["wall_ms_per_frame"] = wallMs / kDraws / double(state.iterations());
}

void StartOnce() {
    static const bool started = [] {
        LoadDefaultPicture(kDefaultPictureId);
        InitGraphics();
        StartVideoSupport(1);
        return true;
    }();
    (void)started;
}

void StillFace(benchmark::State& state) {
    StartOnce();
    std::vector<uint8_t> jpeg;
    EncodeJpeg(PhotoLikeFrame(0), kClipQuality, jpeg);
    PictureSource* still = OpenStillPicture("bench-still.jpg", jpeg);
    SceneWithFaces(state, still);
    ReleasePicture(still);
}

void VideoFace(benchmark::State& state) {
    StartOnce();
    PictureSource* video = ClipFile().empty() ? nullptr : OpenVideo(ClipFile().c_str());
    SceneWithFaces(state, video);
    if (video) {
        ReleasePicture(video);
    }
}
} // namespace

BENCHMARK(DecodeFrame)->Name("mjpeg_decode_1280x720/ours")->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(DecodeFrame)
    ->Name("mjpeg_decode_1280x720_half/ours")
    ->Arg(2)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(StillFace)
    ->Name("scene_default_1920x1080_32bit_still_faces/ours")
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);
BENCHMARK(VideoFace)
    ->Name("scene_default_1920x1080_32bit_video_faces/ours")
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);
