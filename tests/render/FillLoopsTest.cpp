// Every specialised picture-fill loop against the plain reference loop, on seeded random
// fills: random source formats, picture sizes, channel tables, edge modes, corners
// (including heavily minified and nearly degenerate ones) and spans; the loops for 256-bit
// vectors too where the processor has them.
#include "render/core/Context.h"
#include "render/core/FastPaths.h"
#include "render/fill/ImageFill.h"
#include "render/fill/AffineLoops.h"
#include "render/fill/PerspectiveLoops.h"
#include "render/fill/ImageFillReference.h"
#include "render/Renderer.h"
#include "PerspectiveBatchCheck.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

struct RandomFill {
    BITMAPINFOHEADER header{};
    std::vector<uint8_t> pixels;
    std::vector<RGBQUAD> colours;
    std::vector<uint8_t> tables[4];
    POINT corners[4]{};
    uint32_t style = 0;
    int brick = 0;
};

const BYTE* TableOrNull(std::mt19937& rng, std::vector<uint8_t>& table) {
    switch (rng() % 3) {
    case 0:
        return nullptr;
    case 1:
        table.resize(256);
        for (int i = 0; i < 256; ++i) {
            table[i] = static_cast<uint8_t>(i);
        }
        return table.data();
    default:
        table.resize(256);
        for (auto& b : table) {
            b = static_cast<uint8_t>(rng());
        }
        return table.data();
    }
}

void MakeRandomFill(std::mt19937& rng, RandomFill& f) {
    static const int kBits[] = {1, 4, 8, 16, 24, 32, 32};
    const int pick = rng() % 7;
    const int bits = kBits[pick];
    const int32_t w = 1 + rng() % 37, h = 1 + rng() % 29;
    f.header = {};
    f.header.biSize = 40;
    f.header.biWidth = w;
    f.header.biHeight = (rng() % 4 == 0) ? -h : h;
    f.header.biPlanes = pick == 6 ? 4 : 1;
    f.header.biBitCount = static_cast<WORD>(bits);
    const size_t stride = (size_t(w) * bits + 31) / 32 * 4;
    f.pixels.resize(stride * h);
    for (auto& b : f.pixels) {
        b = static_cast<uint8_t>(rng());
    }
    f.colours.resize(256);
    for (auto& c : f.colours) {
        c = {static_cast<BYTE>(rng()), static_cast<BYTE>(rng()), static_cast<BYTE>(rng()),
             static_cast<BYTE>(rng())};
    }
    // Kinds 0, 1 and 4: kind 1 turns 32-bit sources into the fourth-byte format.
    static const int kKinds[] = {0, 1, 4};
    f.style = (rng() % 6) | (kKinds[rng() % 3] << 8) | ((rng() & 0xFF) << 16);
    f.brick = static_cast<int>(rng() % 200) - 100;
    // Corners in 16.16 pixels: from a few hundredths of a pixel (minified by up to
    // thousands of texels per pixel) to hundreds of pixels.
    const int scale = 1 << (rng() % 24);
    const int32_t ox = static_cast<int32_t>(rng() % (200 << 16)) - (50 << 16);
    const int32_t oy = static_cast<int32_t>(rng() % (200 << 16)) - (50 << 16);
    for (auto& p : f.corners) {
        p.x = ox + static_cast<int32_t>(rng() % (2 * scale + 1)) - scale;
        p.y = oy + static_cast<int32_t>(rng() % (2 * scale + 1)) - scale;
    }
}

// The parameter allows the 256-bit loops (chosen when a fill is set up).
class FillLoops : public ::testing::TestWithParam<bool> {
  protected:
    void TearDown() override { fast_paths::AllowWideVectors(true); }
    void SetUp() override {
        fast_paths::AllowWideVectors(GetParam());
        BITMAPINFOHEADER target{};
        target.biSize = 40;
        target.biWidth = 64;
        target.biHeight = 64;
        target.biPlanes = 1;
        target.biBitCount = 32;
        targetPixels_.assign(64 * 64, 0);
        targetHeader_ = target;
        ASSERT_EQ(BindTarget(&targetHeader_, targetPixels_.data(), 2), 0);
    }
    BITMAPINFOHEADER targetHeader_{};
    std::vector<uint32_t> targetPixels_;
};

// Sets the random fill up; returns the fill kind it became (0 when it failed).
int Install(std::mt19937& rng, RandomFill& f, bool perspective) {
    const BYTE* tables[4];
    for (int i = 0; i < 4; ++i) {
        tables[i] = TableOrNull(rng, f.tables[i]);
    }
    int rc;
    if (perspective) {
        rc = SetPerspectiveImageFill(&f.header, f.pixels.data(), f.style, &f.corners[0],
                                     &f.corners[1], &f.corners[2], &f.corners[3], 0x123456,
                                     f.colours.data(), tables[0], tables[1], tables[2], tables[3],
                                     f.brick);
    } else {
        rc = SetImageFill(&f.header, f.pixels.data(), f.style, &f.corners[0], &f.corners[1],
                          &f.corners[3], 0x123456, f.colours.data(), tables[0], tables[1],
                          tables[2], tables[3], f.brick);
    }
    EXPECT_EQ(rc, 0);
    return rc == 0 ? g_render.fill.kind : 0;
}

TEST_P(FillLoops, AffineVariantsMatchReference) {
    std::mt19937 rng(12345);
    int checked = 0;
    for (int round = 0; round < 3000; ++round) {
        RandomFill f;
        MakeRandomFill(rng, f);
        if (Install(rng, f, false) != kFillImage) {
            continue;
        }
        const ImageFillState& s = g_imageFill;
        for (int span = 0; span < 4; ++span) {
            // Starts anywhere from far outside to inside the picture.
            const int64_t u = static_cast<int64_t>(rng() % (1u << 12)) * (int64_t{1} << 25) -
                              (int64_t{60} << 32) + rng();
            const int64_t v = static_cast<int64_t>(rng() % (1u << 12)) * (int64_t{1} << 25) -
                              (int64_t{60} << 32) + rng();
            const int32_t n = 1 + rng() % 300;
            std::vector<uint32_t> fast(n, 0xDEADBEEF), ref(n, 0xFEEDFACE);
            s.affineLoop(s, u, v, fast.data(), n);
            ReferenceAffineLoop(s, u, v, ref.data(), n);
            ASSERT_EQ(fast, ref) << "round " << round << " mode " << int(s.mode) << " format "
                                 << int(s.format) << " plain " << s.plain;
            ++checked;
        }
    }
    EXPECT_GT(checked, 5000);
}

TEST_P(FillLoops, PerspectiveVariantsMatchReference) {
    std::mt19937 rng(777);
    int checked = 0;
    for (int round = 0; round < 3000; ++round) {
        RandomFill f;
        MakeRandomFill(rng, f);
        if (Install(rng, f, true) != kFillPerspective) {
            continue;
        }
        for (int batch = 0; batch < 2; ++batch) {
            ASSERT_TRUE(PerspectiveBatchMatches(rng, batch == 0 ? 40 : 600)) << "round " << round;
            ++checked;
        }
    }
    EXPECT_GT(checked, 3000);
}

// Large pictures on quads from nearly edge-on (one side a few pixels long, thousands of
// texels per pixel near it) to thousands of pixels across, in every edge mode.
TEST_P(FillLoops, PerspectiveVariantsMatchReferenceOnLargeQuads) {
    std::mt19937 rng(4242);
    int checked = 0;
    for (int round = 0; round < 60; ++round) {
        RandomFill f;
        const int bits = round % 3 == 0 ? 8 : 32;
        const int32_t w = 200 + static_cast<int32_t>(rng() % 1800);
        const int32_t h = 200 + static_cast<int32_t>(rng() % 1800);
        f.header.biSize = 40;
        f.header.biWidth = w;
        f.header.biHeight = h;
        f.header.biPlanes = 1;
        f.header.biBitCount = static_cast<WORD>(bits);
        f.pixels.resize((size_t(w) * bits + 31) / 32 * 4 * h);
        for (auto& b : f.pixels) {
            b = static_cast<uint8_t>(rng());
        }
        f.colours.resize(256);
        for (auto& c : f.colours) {
            c = {static_cast<BYTE>(rng()), static_cast<BYTE>(rng()), static_cast<BYTE>(rng()), 0};
        }
        f.style = round % 6;
        const int32_t size = (8 + static_cast<int32_t>(rng() % 3000)) << 16;
        const int32_t edgeOn = (1 + static_cast<int32_t>(rng() % 6)) << 14;
        f.corners[0] = {-(50 << 16), -(20 << 16)};
        f.corners[1] = {f.corners[0].x + size, f.corners[0].y + edgeOn};
        f.corners[2] = {f.corners[1].x - edgeOn, f.corners[1].y + size / 2};
        f.corners[3] = {f.corners[0].x + static_cast<int32_t>(rng() % (size / 2 + 1)),
                        f.corners[0].y + size};
        if (Install(rng, f, true) != kFillPerspective) {
            continue;
        }
        for (int batch = 0; batch < 8; ++batch) {
            ASSERT_TRUE(PerspectiveBatchMatches(rng, 3000)) << "round " << round;
            ++checked;
        }
    }
    EXPECT_GT(checked, 300);
}

// Clamped edges address texels by byte offsets computed in 16-bit lanes when the picture
// allows it; a picture wider than those lanes takes the row-table path. Both must agree with
// the reference, also for spans that run from far outside across the whole picture.
TEST_P(FillLoops, ClampedLoopsOnPicturesBeyondSixteenBitOffsets) {
    std::mt19937 rng(99);
    for (const int32_t w : {32767, 32768, 40000}) {
        RandomFill f;
        f.header.biSize = 40;
        f.header.biWidth = w;
        f.header.biHeight = 3;
        f.header.biPlanes = 1;
        f.header.biBitCount = 8;
        f.pixels.resize((size_t(w) + 3) / 4 * 4 * 3);
        for (auto& b : f.pixels) {
            b = static_cast<uint8_t>(rng());
        }
        f.colours.resize(256);
        for (auto& c : f.colours) {
            c = {static_cast<BYTE>(rng()), static_cast<BYTE>(rng()), static_cast<BYTE>(rng()), 0};
        }
        // Across the target: the picture squeezed into 40 pixels, slightly in perspective.
        f.corners[0] = {-5 << 16, 1 << 16};
        f.corners[1] = {35 << 16, 2 << 16};
        f.corners[2] = {33 << 16, 9 << 16};
        f.corners[3] = {-4 << 16, 7 << 16};
        for (const bool perspective : {false, true}) {
            ASSERT_NE(Install(rng, f, perspective), 0);
            const ImageFillState& s = g_imageFill;
            for (int y = 0; y < 12; ++y) {
                std::vector<uint32_t> fast(60), ref(60);
                if (perspective) {
                    ASSERT_EQ(g_render.fill.kind, kFillPerspective);
                    const PerspectiveMap& m = s.persp;
                    const double dx = -10.5 - s.perspOriginX, dy = y + 0.5 - s.perspOriginY;
                    PerspectiveSpan span{m.dx * dx + m.dy * dy + m.d0, m.ux * dx + m.uy * dy + m.u0,
                                         m.vx * dx + m.vy * dy + m.v0, fast.data(), 60};
                    s.perspectiveLoop(s, &span, 1);
                    span.out = ref.data();
                    ReferencePerspectiveLoop(s, &span, 1);
                } else {
                    const int64_t u = -(int64_t{w} << 30) + int64_t{y} * 977 * (int64_t{1} << 28);
                    const int64_t v = (int64_t{y} << 31) - (int64_t{3} << 32);
                    s.affineLoop(s, u, v, fast.data(), 60);
                    ReferenceAffineLoop(s, u, v, ref.data(), 60);
                }
                ASSERT_EQ(fast, ref)
                    << "width " << w << " row " << y << " perspective " << perspective;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Vectors, FillLoops, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Wide" : "Narrow";
                         });

} // namespace
