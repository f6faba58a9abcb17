// The smooth picture fills: the levels (sizes, box filter, refresh), the sampling rules that
// matter to what a face shows (flat pictures stay flat at every level, a magnified edge is a
// ramp, light is applied after filtering, the outside mode keeps its letterbox), and every
// fast loop against the reference on seeded random fills, with and without 256-bit vectors.
#include "render/core/Context.h"
#include "render/core/FastPaths.h"
#include "render/fill/ImageFill.h"
#include "render/fill/PictureLevels.h"
#include "render/fill/SmoothLoops.h"
#include "render/fill/SmoothSample.h"
#include "render/Renderer.h"
#include "FillTestSupport.h"
#include "PerspectiveBatchCheck.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

namespace {

using filltest::Picture;
using filltest::Pt;

struct LevelsDeleter {
    void operator()(PictureLevels* l) const { FreePictureLevels(l); }
};
using Levels = std::unique_ptr<PictureLevels, LevelsDeleter>;

Picture RandomPicture(std::mt19937& rng, int w, int h, int bits) {
    Picture p(w, h, bits);
    for (auto& b : p.bits) {
        b = static_cast<uint8_t>(rng());
    }
    for (auto& c : p.colours) {
        c = {static_cast<BYTE>(rng()), static_cast<BYTE>(rng()), static_cast<BYTE>(rng()), 0};
    }
    return p;
}

Levels Build(Picture& p) {
    return Levels(BuildPictureLevels(&p.header, p.bits.data(), p.colours.data()));
}

TEST(PictureLevels, HalveDownToOneTexelAndAverageBoxes) {
    struct Case {
        int w, h;
        std::vector<std::pair<int, int>> sides;
    };
    const Case cases[] = {
        {1, 1, {{1, 1}}},
        {5, 3, {{5, 3}, {2, 1}, {1, 1}}},
        {8, 2, {{8, 2}, {4, 1}, {2, 1}, {1, 1}}},
        {37, 29, {{37, 29}, {18, 14}, {9, 7}, {4, 3}, {2, 1}, {1, 1}}},
        // Taller than the bands in which level 1 follows level 0.
        {3, 41, {{3, 41}, {1, 20}, {1, 10}, {1, 5}, {1, 2}, {1, 1}}},
        {6, 34, {{6, 34}, {3, 17}, {1, 8}, {1, 4}, {1, 2}, {1, 1}}},
    };
    std::mt19937 rng(9);
    for (const Case& c : cases) {
        Picture p = RandomPicture(rng, c.w, c.h, 24);
        const Levels levels = Build(p);
        ASSERT_TRUE(levels);
        ASSERT_EQ(levels->count, static_cast<int>(c.sides.size())) << c.w << "x" << c.h;
        for (int k = 0; k < levels->count; ++k) {
            const SmoothLevel& l = levels->levels[k];
            EXPECT_EQ(l.width, c.sides[k].first);
            EXPECT_EQ(l.height, c.sides[k].second);
            if (k == 0) {
                continue;
            }
            // The vector filter against the definition, channel by channel.
            const SmoothLevel& up = levels->levels[k - 1];
            for (int j = 0; j < l.height; ++j) {
                for (int i = 0; i < l.width; ++i) {
                    const int i1 = std::min(2 * i + 1, up.width - 1);
                    const int j1 = std::min(2 * j + 1, up.height - 1);
                    const uint32_t t[4] = {
                        up.texels[2 * j * up.width + 2 * i], up.texels[2 * j * up.width + i1],
                        up.texels[j1 * up.width + 2 * i], up.texels[j1 * up.width + i1]};
                    for (int ch = 0; ch < 3; ++ch) {
                        uint32_t sum = 2;
                        for (uint32_t v : t) {
                            sum += (v >> (8 * ch)) & 0xFF;
                        }
                        ASSERT_EQ((l.texels[j * l.width + i] >> (8 * ch)) & 0xFF, sum >> 2)
                            << c.w << "x" << c.h << " level " << k << " texel " << i << "," << j;
                    }
                }
            }
        }
    }
}

TEST(PictureLevels, LevelZeroHoldsEveryTexelOfTheRows) {
    // Widths around the groups of four texels the conversion copies at once.
    std::mt19937 rng(5);
    for (int bits : {24, 32}) {
        for (int w = 1; w <= 13; ++w) {
            Picture p = RandomPicture(rng, w, 3, bits);
            const Levels levels = Build(p);
            ASSERT_TRUE(levels);
            const int bytes = bits / 8;
            for (int j = 0; j < 3; ++j) {
                for (int i = 0; i < w; ++i) {
                    const uint8_t* t = p.Row(j) + bytes * i;
                    const uint32_t want = t[0] | (uint32_t{t[1]} << 8) | (uint32_t{t[2]} << 16);
                    ASSERT_EQ(levels->levels[0].texels[j * w + i], want)
                        << bits << " bits, " << w << " wide, texel " << i << "," << j;
                }
            }
        }
    }
}

TEST(PictureLevels, ConvertEveryFormatAndRefreshOnlyTheSameSize) {
    std::mt19937 rng(3);
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        Picture p = RandomPicture(rng, 7, 5, bits);
        const Levels levels = Build(p);
        ASSERT_TRUE(levels) << bits;
        EXPECT_EQ(levels->levels[0].texels[0] >> 24, 0u) << "level texels carry no fourth byte";
        for (auto& b : p.bits) {
            b = static_cast<uint8_t>(~b);
        }
        const uint32_t before = levels->levels[0].texels[0];
        ASSERT_EQ(RefreshPictureLevels(levels.get(), &p.header, p.bits.data(), p.colours.data()),
                  0);
        if (bits > 8) {
            EXPECT_NE(levels->levels[0].texels[0], before) << bits;
        }
        Picture other = RandomPicture(rng, 8, 5, bits);
        EXPECT_EQ(RefreshPictureLevels(levels.get(), &other.header, other.bits.data(),
                                       other.colours.data()),
                  -1);
    }
    Picture palette(4, 4, 8);
    EXPECT_EQ(BuildPictureLevels(&palette.header, palette.bits.data(), nullptr), nullptr);
    EXPECT_EQ(BuildPictureLevels(nullptr, palette.bits.data(), palette.colours.data()), nullptr);
}

TEST(SmoothSample, LevelOfDetailIsExactAtPowersOfTwoAndMonotone) {
    EXPECT_EQ(smooth::LodOf(1, 0, 0, 1), 0);
    EXPECT_EQ(smooth::LodOf(2, 0, 0, 0.5), 256);
    EXPECT_EQ(smooth::LodOf(0, 8, 8, 0), 3 * 256);
    EXPECT_EQ(smooth::LodOf(0.25, 0, 0, 0.25), -2 * 256);
    int32_t last = smooth::LodOf(0.1, 0, 0, 0);
    for (double rho = 0.11; rho < 100; rho *= 1.07) {
        const int32_t lod = smooth::LodOf(rho, 0, 0, 0);
        EXPECT_GE(lod, last) << rho;
        last = lod;
    }
    EXPECT_EQ(smooth::LodOf(0, 0, 0, 0), -(1 << 20));
    EXPECT_EQ(smooth::LodOf(1e200, 0, 0, 0), 1 << 20);
    EXPECT_EQ(smooth::PairOf(-5, 4).level, 0);
    EXPECT_EQ(smooth::PairOf(2 * 256 + 17, 4).t, 17);
    EXPECT_EQ(smooth::PairOf(9 * 256 + 17, 4).level, 3);
    EXPECT_EQ(smooth::PairOf(9 * 256 + 17, 4).t, 0);
}

class SmoothFill : public filltest::TargetFixture {
  protected:
    void TearDown() override { fast_paths::ForceReference(false); }
    // A square quad [x0, x1)² showing the whole picture, affine or perspective.
    int Install(const PictureLevels* levels, double x0, double x1, uint32_t style,
                const BYTE* table = nullptr, bool perspective = false) {
        const POINT a = Pt(x0, x0), b = Pt(x1, x0), c = Pt(x1, x1), d = Pt(x0, x1);
        return perspective ? SetSmoothImageFill(levels, style, &a, &b, &c, &d, 0x808080, table,
                                                table, table)
                           : SetSmoothImageFill(levels, style, &a, &b, &d, nullptr, 0x808080, table,
                                                table, table);
    }
};

TEST_F(SmoothFill, FlatPicturesStayFlatAtEveryScale) {
    Bind(64, 64);
    Picture p(256, 256, 24);
    for (size_t i = 0; i < p.bits.size(); i += 3) {
        p.bits[i] = 10, p.bits[i + 1] = 120, p.bits[i + 2] = 250;
    }
    const Levels levels = Build(p);
    for (const double side : {64.0, 40.0, 9.0, 3.0}) {
        for (const bool reference : {false, true}) {
            fast_paths::ForceReference(reference);
            Clear(0);
            ASSERT_EQ(Install(levels.get(), 0, side, 0), 0);
            ASSERT_EQ(FillRect(0, 0, side, side), 0);
            EXPECT_EQ(Px(1, 1), 0xFA780Au) << side;
            EXPECT_EQ(Px(int(side) - 1, int(side) - 1), 0xFA780Au) << side;
        }
    }
}

TEST_F(SmoothFill, MagnifiedEdgeIsARampAndLightFollowsTheFilter) {
    Bind(64, 8);
    Picture p(2, 1, 32);
    p.Set32(0, 0, 0x000000);
    p.Set32(1, 0, 0xC8C8C8);
    const Levels levels = Build(p);
    // Halves every channel: applied after the blend, the ramp's values are halved ones.
    uint8_t half[256];
    for (int i = 0; i < 256; ++i) {
        half[i] = static_cast<uint8_t>(i / 2);
    }
    const POINT a = Pt(0, 0), b = Pt(64, 0), d = Pt(0, 8);
    ASSERT_EQ(SetSmoothImageFill(levels.get(), 0, &a, &b, &d, nullptr, 0, half, half, half), 0);
    ASSERT_EQ(FillRect(0, 0, 64, 8), 0);
    // Texel centres at x = 16 and 48; clamped beyond them.
    EXPECT_EQ(Px(2, 4), 0u);
    EXPECT_EQ(Px(60, 4), 0x646464u);
    uint32_t last = 0;
    for (int x = 16; x < 48; ++x) {
        const uint32_t g = Px(x, 4) & 0xFF;
        EXPECT_GE(g, last) << x;
        last = g;
    }
    EXPECT_NEAR(double(Px(32, 4) & 0xFF), 50.0, 1.0);
}

TEST_F(SmoothFill, OutsideModeKeepsTheLetterboxAndRepeatTiles) {
    Bind(64, 64);
    Picture p(4, 4, 24);
    std::fill(p.bits.begin(), p.bits.end(), 0xFF);
    const Levels levels = Build(p);
    Clear(0);
    const POINT a = Pt(16, 16), b = Pt(48, 16), d = Pt(16, 48);
    ASSERT_EQ(SetSmoothImageFill(levels.get(), 1, &a, &b, &d, nullptr, 0x0000FF, nullptr, nullptr,
                                 nullptr),
              0);
    ASSERT_EQ(FillRect(0, 0, 64, 64), 0);
    EXPECT_EQ(Px(4, 4), 0xFF0000u) << "the outside colour (R first in the colour word)";
    EXPECT_EQ(Px(32, 32), 0xFFFFFFu);
    EXPECT_EQ(Px(16, 16), 0xFFFFFFu) << "the edge texel is not blended with the outside";
    ASSERT_EQ(SetSmoothImageFill(levels.get(), 2, &a, &b, &d, nullptr, 0x0000FF, nullptr, nullptr,
                                 nullptr),
              0);
    ASSERT_EQ(FillRect(0, 0, 64, 64), 0);
    EXPECT_EQ(Px(4, 4), 0xFFFFFFu);
}

TEST_F(SmoothFill, RefusesMissingLevelsAndCorners) {
    Bind(8, 8);
    const POINT a = Pt(0, 0);
    EXPECT_EQ(SetSmoothImageFill(nullptr, 0, &a, &a, &a, nullptr, 0, nullptr, nullptr, nullptr),
              -1);
    Picture p(4, 4, 24);
    const Levels levels = Build(p);
    EXPECT_EQ(
        SetSmoothImageFill(levels.get(), 0, &a, nullptr, &a, nullptr, 0, nullptr, nullptr, nullptr),
        -1);
    EXPECT_EQ(
        SetSmoothImageFill(levels.get(), 9, &a, &a, &a, nullptr, 0, nullptr, nullptr, nullptr), -1);
}

// The parameter allows the 256-bit loops.
class SmoothLoops : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        fast_paths::AllowWideVectors(GetParam());
        target_.assign(64 * 64, 0);
        header_ = {};
        header_.biSize = 40;
        header_.biWidth = 64;
        header_.biHeight = 64;
        header_.biPlanes = 1;
        header_.biBitCount = 32;
        ASSERT_EQ(BindTarget(&header_, target_.data(), 2), 0);
    }
    void TearDown() override { fast_paths::AllowWideVectors(true); }

    // A random picture's levels and a random smooth fill of them; the fill kind it became.
    int RandomFill(std::mt19937& rng, Levels& levels, std::vector<uint8_t>& table) {
        static const int kBits[] = {8, 24, 32};
        const int big = rng() % 10 == 0;
        const int w = 1 + rng() % (big ? 700 : 40), h = 1 + rng() % (big ? 500 : 30);
        Picture p = RandomPicture(rng, w, h, kBits[rng() % 3]);
        levels = Build(p);
        const BYTE* t = nullptr;
        if (rng() % 2) {
            table.resize(256);
            for (auto& b : table) {
                b = static_cast<uint8_t>(rng());
            }
            t = table.data();
        }
        const int scale = 1 << (rng() % 22);
        const int32_t ox = static_cast<int32_t>(rng() % (120 << 16)) - (30 << 16);
        const int32_t oy = static_cast<int32_t>(rng() % (120 << 16)) - (30 << 16);
        POINT c[4];
        for (auto& q : c) {
            q.x = ox + static_cast<int32_t>(rng() % (2 * scale + 1)) - scale;
            q.y = oy + static_cast<int32_t>(rng() % (2 * scale + 1)) - scale;
        }
        const bool perspective = rng() % 3 != 0;
        const uint32_t style = rng() % 6 | ((rng() % 2 ? 4u : 0u) << 8);
        const int rc = SetSmoothImageFill(levels.get(), style, &c[0], &c[1], &c[2],
                                          perspective ? &c[3] : nullptr, 0x123456, t, t, t);
        EXPECT_EQ(rc, 0);
        return rc == 0 ? g_render.fill.kind : 0;
    }
    BITMAPINFOHEADER header_{};
    std::vector<uint32_t> target_;
};

TEST_P(SmoothLoops, FastLoopsMatchTheReference) {
    std::mt19937 rng(2718);
    int affine = 0, perspective = 0;
    for (int round = 0; round < 1500; ++round) {
        Levels levels;
        std::vector<uint8_t> table;
        const int kind = RandomFill(rng, levels, table);
        const ImageFillState& s = g_imageFill;
        if (kind == kFillPerspective) {
            for (int batch = 0; batch < 2; ++batch) {
                ASSERT_TRUE(PerspectiveBatchMatches(rng, batch == 0 ? 40 : 500,
                                                    ReferenceSmoothPerspectiveLoop))
                    << "round " << round;
                ++perspective;
            }
        } else if (kind == kFillImage || kind == kFillPerspectiveFlat) {
            for (int span = 0; span < 4; ++span) {
                const int64_t u = static_cast<int64_t>(rng() % (1u << 12)) * (int64_t{1} << 25) -
                                  (int64_t{60} << 32) + rng();
                const int64_t v = static_cast<int64_t>(rng() % (1u << 12)) * (int64_t{1} << 25) -
                                  (int64_t{60} << 32) + rng();
                const int32_t n = 1 + rng() % 300;
                std::vector<uint32_t> fast(n, 0xDEADBEEF), ref(n, 0xFEEDFACE);
                s.affineLoop(s, u, v, fast.data(), n);
                ReferenceSmoothAffineLoop(s, u, v, ref.data(), n);
                ASSERT_EQ(fast, ref) << "round " << round << " mode " << int(s.mode);
                ++affine;
            }
        }
    }
    EXPECT_GT(affine, 1000);
    EXPECT_GT(perspective, 1000);
}

// Batches of eight whole rows, as an outline gives them, running past every edge of the
// picture: the grouped samplers of clamped edges (weights 0 and 128 beyond the last texel
// pair, levels two texels wide, the outside test) and the fallbacks of one-texel levels.
TEST_P(SmoothLoops, GroupedSamplersMatchTheReferenceAtEveryEdge) {
    std::mt19937 rng(31);
    const std::pair<int, int> sides[] = {{2, 2}, {3, 2}, {2, 7}, {1, 5}, {33, 17}, {300, 260}};
    for (const auto& [w, h] : sides) {
        for (const uint32_t style : {0u, 1u}) {
            for (const bool lit : {false, true}) {
                Picture p = RandomPicture(rng, w, h, 24);
                const Levels levels = Build(p);
                std::vector<uint8_t> table(256);
                for (int i = 0; i < 256; ++i) {
                    table[i] = static_cast<uint8_t>(255 - i);
                }
                const BYTE* t = lit ? table.data() : nullptr;
                const POINT c[4] = {Pt(16, 12), Pt(46, 16), Pt(44, 48), Pt(14, 50)};
                for (const bool perspective : {true, false}) {
                    ASSERT_EQ(SetSmoothImageFill(levels.get(), style, &c[0], &c[1],
                                                 perspective ? &c[2] : &c[3],
                                                 perspective ? &c[3] : nullptr, 0x123456, t, t, t),
                              0);
                    const ImageFillState& s = g_imageFill;
                    for (int row = 0; row < 64; row += 8) {
                        std::vector<uint32_t> fast(8 * 64, 0), ref(8 * 64, 0);
                        PerspectiveSpan spans[8], refSpans[8];
                        for (int i = 0; i < 8; ++i) {
                            const double dx = 0.5 - s.perspOriginX;
                            const double dy = row + i + 0.5 - s.perspOriginY;
                            const PerspectiveMap& m = s.persp;
                            spans[i] = {m.dx * dx + m.dy * dy + m.d0, m.ux * dx + m.uy * dy + m.u0,
                                        m.vx * dx + m.vy * dy + m.v0, fast.data() + 64 * i, 64};
                            refSpans[i] = spans[i];
                            refSpans[i].out = ref.data() + 64 * i;
                        }
                        if (perspective) {
                            s.perspectiveLoop(s, spans, 8);
                            ReferenceSmoothPerspectiveLoop(s, refSpans, 8);
                        } else {
                            const int64_t u = static_cast<int64_t>(rng() % 64) << 27,
                                          v = int64_t{row} << 30;
                            s.affineLoop(s, u - (int64_t{8} << 32), v, fast.data(), 64);
                            ReferenceSmoothAffineLoop(s, u - (int64_t{8} << 32), v, ref.data(), 64);
                        }
                        size_t k = 0;
                        while (k + 1 < fast.size() && fast[k] == ref[k]) {
                            ++k;
                        }
                        ASSERT_EQ(fast, ref)
                            << "pixel " << k << " " << w << "x" << h << " style " << style
                            << " row " << row << (perspective ? " perspective" : " affine");
                    }
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Vectors, SmoothLoops, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Wide" : "Narrow";
                         });

} // namespace
