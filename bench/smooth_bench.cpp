// Smooth pictures against exact ones and against pixman's bilinear filter, on a 1920x1080
// 32-bit target with smoothed edges:
//   minify_2048_<third|sixth>/<exact|smooth|pixman_bilinear>: a 2048x2048 photo-like picture
//     on a slightly turned face a third (683 pixels) and a sixth (341) of its size; counter
//     ns_per_px per covered pixel;
//   fill_perspective_aa_t32_p32/smooth: the standard perspective fill (fill_bench.cpp) drawn
//     smooth, beside its /ours row;
//   scene_photos_1920x1080_32bit_motion/<exact|smooth>: the default scene with six 2048-pixel
//     photo faces over 600 frames of the saver's motion; counter ms_per_frame;
//   levels_build_2048x6/ours: building the levels of six 2048-pixel faces (24 bits).
#include "fill_bench_common.h"
#include "our_target.h"

#include "import/DefaultPicture.h"
#include "import/PictureSource.h"
#include "render/core/GraphicsStartup.h"
#include "render/region/MemoryRegion.h"
#include "render/Renderer.h"
#include "scene/CCAnimationView.h"
#include "scene/CubeScene.h"
#include "scene/SceneSettings.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kSide = 2048;

// A photo-like picture: soft gradients under fine detail of several scales and a little
// noise, bytes B, G, R (24 bits) or B, G, R, X (32), first row first.
std::vector<uint8_t> PhotoTexels(int bytesPerTexel) {
    const size_t stride = (size_t(kSide) * bytesPerTexel + 3) & ~size_t{3};
    std::vector<uint8_t> out(stride * kSide);
    uint32_t seed = 12345;
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const double fine = std::sin(x * 0.9 + std::sin(y * 0.05) * 6) * 40;
            const double mid = std::sin(x * 0.031) * std::cos(y * 0.027) * 50;
            const double noise = double(seed >> 28) - 8;
            uint8_t* p = out.data() + size_t(y) * stride + size_t(x) * bytesPerTexel;
            for (int c = 0; c < 3; ++c) {
                const double v =
                    110 + 60 * std::sin((x + y * (c + 1)) * 0.002) + fine * (c == 1) + mid + noise;
                p[c] = static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
            }
        }
    }
    return out;
}

BITMAPINFOHEADER Header(int bits) {
    BITMAPINFOHEADER h{};
    h.biSize = sizeof h;
    h.biWidth = kSide;
    h.biHeight = kSide;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(bits);
    return h;
}

// The face: `side` pixels across, turned a little about the vertical axis (its right edge
// 85 % of its left one), centred on the frame.
peers::Quad Face(double side) {
    const double cx = peers::kFrameWidth / 2.0, cy = peers::kFrameHeight / 2.0;
    const double h = side / 2, shrink = 0.85;
    return {
        {{cx - h, cy - h}, {cx + h, cy - h * shrink}, {cx + h, cy + h * shrink}, {cx - h, cy + h}}};
}

struct Minify {
    OurTarget target{32};
    BITMAPINFOHEADER header = Header(32);
    std::vector<uint8_t> texels = PhotoTexels(4);
};
Minify& Shared() {
    static Minify m;
    return m;
}

void Ours(benchmark::State& state, double side, bool smooth) {
    Minify& m = Shared();
    m.target.Bind(true);
    const QuadPath path(Face(side));
    const POINT* c = path.points;
    PictureLevels* levels =
        smooth ? BuildPictureLevels(&m.header, m.texels.data(), nullptr) : nullptr;
    const int rc =
        smooth ? SetSmoothImageFill(levels, 0, &c[0], &c[1], &c[2], &c[3], 0, nullptr, nullptr,
                                    nullptr)
               : SetPerspectiveImageFill(&m.header, m.texels.data(), 0, &c[0], &c[1], &c[2], &c[3],
                                         0, nullptr, nullptr, nullptr, nullptr, nullptr, 0);
    if (rc != 0) {
        state.SkipWithError("setting the fill failed");
    } else {
        for (auto _ : state) {
            FillOutline(path.points, path.verbs, 4, 0);
            peers::Clobber();
        }
        fillbench::SetPixelCounter(state, peers::QuadArea(Face(side)));
    }
    FreePictureLevels(levels);
}

void PixmanBilinear(benchmark::State& state, double side) {
    Minify& m = Shared();
    const peers::Quad quad = Face(side);
    const auto traps = peers::QuadToTrapezoids(quad);
    peers::FrameBuffer frame{size_t(peers::kFrameWidth) * peers::kFrameHeight};
    pixman_image_t* dst =
        pixman_image_create_bits(PIXMAN_x8r8g8b8, peers::kFrameWidth, peers::kFrameHeight,
                                 frame.pixels, peers::kFrameWidth * 4);
    pixman_image_t* src = pixman_image_create_bits(
        PIXMAN_x8r8g8b8, kSide, kSide, reinterpret_cast<uint32_t*>(m.texels.data()), kSide * 4);
    // The common maps are for 512-texel pictures: scale the texels down to them.
    const double k = double(fillbench::kPictureSide) / kSide;
    const fillbench::Map3 toScreen = fillbench::Multiply(fillbench::TextureToScreenProjective(quad),
                                                         {{{k, 0, 0}, {0, k, 0}, {0, 0, 1}}});
    int ox = 0, oy = 0;
    const fillbench::Map3 map = fillbench::PixmanSourceMap(toScreen, quad, ox, oy);
    pixman_f_transform_t ft;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            ft.m[i][j] = map.m[i][j];
        }
    }
    pixman_transform_t t;
    pixman_transform_from_pixman_f_transform(&t, &ft);
    pixman_image_set_transform(src, &t);
    pixman_image_set_filter(src, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    pixman_image_set_repeat(src, PIXMAN_REPEAT_PAD);
    for (auto _ : state) {
        pixman_composite_trapezoids(PIXMAN_OP_OVER, src, dst, PIXMAN_a8, -ox, -oy, 0, 0,
                                    int(traps.size()), traps.data());
        peers::Clobber();
    }
    pixman_image_unref(src);
    pixman_image_unref(dst);
    fillbench::SetPixelCounter(state, peers::QuadArea(quad));
}

// The standard perspective fill of fill_bench.cpp, smooth.
void StandardSmooth(benchmark::State& state) {
    OurTarget target(32);
    fillbench::Picture picture(32);
    const QuadPath path(peers::MakeFlatQuad());
    target.Bind(true);
    PictureLevels* levels = BuildPictureLevels(&picture.header, picture.pixels.data(), nullptr);
    const POINT* c = path.points;
    if (SetSmoothImageFill(levels, 0, &c[0], &c[1], &c[2], &c[3], 0, nullptr, nullptr, nullptr) !=
        0) {
        state.SkipWithError("setting the fill failed");
    } else {
        for (auto _ : state) {
            FillOutline(path.points, path.verbs, 4, 0);
            peers::Clobber();
        }
        fillbench::SetPixelCounter(state, fillbench::QuadArea());
    }
    FreePictureLevels(levels);
}

// Six 2048-pixel photo faces as the saver opens them: from BMP files.
struct PhotoFaces {
    std::string path;
    PictureSource* sources[6] = {};
    PhotoFaces() {
        LoadDefaultPicture(kDefaultPictureId);
        InitGraphics();
        const std::vector<uint8_t> texels = PhotoTexels(3);
        path = "/tmp/vomracube-bench-photo-" + std::to_string(getpid()) + ".bmp";
        BITMAPFILEHEADER file{};
        const BITMAPINFOHEADER info = Header(24);
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof file + sizeof info;
        file.bfSize = static_cast<DWORD>(file.bfOffBits + texels.size());
        if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
            std::fwrite(&file, sizeof file, 1, f);
            std::fwrite(&info, sizeof info, 1, f);
            std::fwrite(texels.data(), 1, texels.size(), f);
            std::fclose(f);
        }
        for (PictureSource*& s : sources) {
            s = OpenStillPicture(path.c_str());
        }
    }
    ~PhotoFaces() {
        for (PictureSource* s : sources) {
            ReleasePicture(s);
        }
        std::remove(path.c_str());
    }
};

constexpr int kMotionFrames = 600;
constexpr double kMotionStep = 0.02;

void PhotoScene(benchmark::State& state, PictureMode mode) {
    static PhotoFaces faces;
    if (!faces.sources[0]) {
        state.SkipWithError("the photo face could not be opened");
        return;
    }
    MemoryRegion region(0, 32);
    const RECT rect{0, 0, 1920, 1080};
    SceneSettings settings;
    std::copy(std::begin(faces.sources), std::end(faces.sources), settings.pictures);
    settings.pictureMode = mode;
    CubeScene scene;
    scene.Build(settings);
    std::unique_ptr<CCAnimationView> view(scene.CreateView(&rect));
    if (!region.Init(nullptr, &rect) || !view) {
        state.SkipWithError("the drawing region could not be created");
        return;
    }
    const auto draw = [&] {
        region.BeginFrame();
        scene.Draw(&region, view.get());
        region.EndFrame();
    };
    draw(); // builds the levels
    for (auto _ : state) {
        for (int frame = 0; frame < kMotionFrames; ++frame) {
            scene.SetTime(frame * kMotionStep);
            draw();
        }
    }
    state.counters["ms_per_frame"] =
        benchmark::Counter(kMotionFrames * 1e-3, benchmark::Counter::kIsIterationInvariantRate |
                                                     benchmark::Counter::kInvert);
}

void BuildLevels(benchmark::State& state) {
    const BITMAPINFOHEADER header = Header(24);
    const std::vector<uint8_t> texels = PhotoTexels(3);
    for (auto _ : state) {
        for (int face = 0; face < 6; ++face) {
            PictureLevels* levels = BuildPictureLevels(&header, texels.data(), nullptr);
            benchmark::DoNotOptimize(levels);
            FreePictureLevels(levels);
        }
    }
}

const int registered = [] {
    const struct {
        const char* name;
        double side;
    } sizes[] = {{"third", kSide / 3.0}, {"sixth", kSide / 6.0}};
    for (const auto& s : sizes) {
        const std::string row = std::string("minify_2048_") + s.name;
        const double side = s.side;
        benchmark::RegisterBenchmark((row + "/exact").c_str(), [=](benchmark::State& st) {
            Ours(st, side, false);
        })->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((row + "/smooth").c_str(), [=](benchmark::State& st) {
            Ours(st, side, true);
        })->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((row + "/pixman_bilinear").c_str(), [=](benchmark::State& st) {
            PixmanBilinear(st, side);
        })->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("fill_perspective_aa_t32_p32/smooth", StandardSmooth)
        ->Unit(benchmark::kMillisecond);
    for (const PictureMode mode : {PictureMode::kExact, PictureMode::kSmooth}) {
        const std::string name = std::string("scene_photos_1920x1080_32bit_motion/") +
                                 (mode == PictureMode::kSmooth ? "smooth" : "exact");
        benchmark::RegisterBenchmark(name.c_str(),
                                     [=](benchmark::State& st) { PhotoScene(st, mode); })
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1);
    }
    benchmark::RegisterBenchmark("levels_build_2048x6/ours", BuildLevels)
        ->Unit(benchmark::kMillisecond);
    return 0;
}();

} // namespace
