// Source formats, channel tables, transparency and 8-bit targets of the picture fills.
#include "FillTestSupport.h"

#include "render/target/Compositors.h"
#include "render/core/FastPaths.h"
#include "render/target/ImageTarget8.h"
#include "render/target/ImageTransparency.h"
#include "render/target/TargetConvert.h"

#include <random>
#include "render/core/Tables.h"

namespace {

using filltest::Picture;
using filltest::Pt;

class FillFormats : public filltest::TargetFixture {
  protected:
    // Draws the picture's first row one texel per pixel into target row 0.
    void DrawRow(Picture& pic, uint32_t style = 0, const BYTE* red = nullptr,
                 const BYTE* green = nullptr, const BYTE* blue = nullptr,
                 const BYTE* extra = nullptr) {
        const int w = pic.header.biWidth;
        const POINT p0 = Pt(0, 0), p1 = Pt(w, 0), p2 = Pt(0, 1);
        ASSERT_EQ(SetImageFill(&pic.header, pic.bits.data(), style, &p0, &p1, &p2, 0,
                               pic.colours.data(), red, green, blue, extra, 0),
                  0);
        ASSERT_EQ(FillRect(0, 0, w, 1), 0);
    }
};

TEST_F(FillFormats, SixteenBitChannelsWidenFromFiveBits) {
    Bind(8, 2);
    Picture pic(3, 1, 16);
    const uint16_t texels[3] = {0x7FFF, 0x0421, 0x7C1F}; // white, (1,1,1), magenta
    std::memcpy(pic.Row(0), texels, sizeof texels);
    DrawRow(pic);
    EXPECT_EQ(Px(0, 0), 0xFFFFFFu);
    EXPECT_EQ(Px(1, 0), 0x080808u);
    EXPECT_EQ(Px(2, 0), 0xFF00FFu);
}

TEST_F(FillFormats, PalettedSourcesGoThroughTheColourTableAndChannelTables) {
    Bind(16, 2);
    uint8_t half[256];
    for (int i = 0; i < 256; ++i) {
        half[i] = static_cast<uint8_t>(i / 2);
    }
    for (int bpp : {1, 4, 8}) {
        Picture pic(9, 1, bpp);
        for (int k = 0; k < (1 << bpp); ++k) {
            pic.colours[k] = {static_cast<BYTE>(10 * k), static_cast<BYTE>(100 + k),
                              static_cast<BYTE>(200 - k), 0};
        }
        // Texel u has colour index u mod 2^bpp, packed most significant first.
        for (int u = 0; u < 9; ++u) {
            const int index = u % (1 << bpp);
            const int bit = u * bpp;
            pic.Row(0)[bit / 8] |= static_cast<uint8_t>(index << (8 - bpp - bit % 8));
        }
        Clear(0);
        DrawRow(pic, 0, half, nullptr, nullptr);
        for (int u = 0; u < 9; ++u) {
            const int k = u % (1 << bpp);
            const uint32_t expected =
                uint32_t(10 * k) | (uint32_t(100 + k) << 8) | (uint32_t((200 - k) / 2) << 16);
            EXPECT_EQ(Px(u, 0), expected) << bpp << " bits, texel " << u;
        }
    }
}

TEST_F(FillFormats, TrueColourChannelsAndCmyk) {
    Bind(8, 2);
    uint8_t invert[256];
    for (int i = 0; i < 256; ++i) {
        invert[i] = static_cast<uint8_t>(255 - i);
    }
    Picture rgb(2, 1, 24);
    const uint8_t bytes[6] = {1, 2, 3, 250, 251, 252};
    std::memcpy(rgb.Row(0), bytes, 6);
    DrawRow(rgb, 0, nullptr, invert, nullptr);
    EXPECT_EQ(Px(0, 0), 0x03FD01u);
    EXPECT_EQ(Px(1, 0), 0xFC04FAu);

    Picture cmyk(2, 1, 32, 4);
    const uint8_t inks[8] = {10, 20, 30, 40, 200, 100, 50, 60}; // C, M, Y, K
    std::memcpy(cmyk.Row(0), inks, 8);
    DrawRow(cmyk);
    // red 255 - C - K, green 255 - M - K, blue 255 - Y - K, not below 0.
    EXPECT_EQ(Px(0, 0), (205u << 16) | (195u << 8) | 185u);
    EXPECT_EQ(Px(1, 0), (0u << 16) | (95u << 8) | 145u);
}

TEST_F(FillFormats, FourthByteOfTrueColourTexelsIsIgnoredInKindsZeroAndFour) {
    Bind(8, 2);
    Picture pic(2, 1, 32);
    pic.Set32(0, 0, 0x00405060);
    pic.Set32(1, 0, 0xFF405060);
    for (uint32_t style : {0u, 0x400400u}) {
        Clear(0x00102030);
        DrawRow(pic, style);
        EXPECT_EQ(Px(0, 0), Px(1, 0)) << std::hex << style;
    }
}

// t + a·(d - t)/255 rounded to nearest, per channel.
uint32_t Mix(uint32_t t, uint32_t d, int a) {
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int tc = (t >> shift) & 0xFF, dc = (d >> shift) & 0xFF, diff = dc - tc;
        const int step = (a * std::abs(diff) + 127) / 255;
        out |= static_cast<uint32_t>(tc + (diff < 0 ? -step : step)) << shift;
    }
    return out;
}

TEST_F(FillFormats, TransparencyKindsFourAndOne) {
    Bind(8, 2);
    Picture pic(3, 1, 32);
    pic.Set32(0, 0, 0x00F08010);
    pic.Set32(1, 0, 0x80F08010); // fourth byte 0x80: half transparent in kind 1
    pic.Set32(2, 0, 0xFF000000);
    const uint32_t target = 0x00204060;

    Clear(target);
    DrawRow(pic, 0x400400); // kind 4, amount 0x40
    EXPECT_EQ(Px(0, 0), Mix(0xF08010, target, 0x40));
    EXPECT_EQ(Px(2, 0), Mix(0x000000, target, 0x40));

    Clear(target);
    DrawRow(pic, 0x100); // kind 1: each texel's fourth byte
    EXPECT_EQ(Px(0, 0), 0xF08010u);
    EXPECT_EQ(Px(1, 0), Mix(0xF08010, target, 0x80));
    EXPECT_EQ(Px(2, 0), target);
    // The target's fourth byte is kept.
    EXPECT_EQ(pixels_[4 * 1 + 3], 0);
}

TEST_F(FillFormats, TransparencyWithCoverage) {
    Bind(8, 2);
    ASSERT_TRUE(transparency::Prepare(4, 0x40));
    std::vector<uint32_t> row(16, 0x00F08010);
    uint32_t* saved = g_render.rowBuffer;
    g_render.rowBuffer = row.data();
    Clear(0x00204060);
    const CoverageRun runs[] = {{0, 2, 25}, {2, 3, 12}, {3, 4, 1}};
    transparency::Composite(0, runs, 3);
    g_render.rowBuffer = saved;
    const auto expect = [](int coverage) {
        // w = coverage·(255 - a)/25 rounded, then d + w·(t - d)/255 rounded.
        const int w = (coverage * 191 * 2 + 25) / 50;
        return Mix(0x204060, 0xF08010, w);
    };
    EXPECT_EQ(Px(0, 0), expect(25));
    EXPECT_EQ(Px(1, 0), expect(25));
    EXPECT_EQ(Px(2, 0), expect(12));
    EXPECT_EQ(Px(3, 0), expect(1));
    EXPECT_EQ(Px(4, 0), 0x204060u);
}

// On an 8-bit target the texels are dithered to the standard colours: a mid grey mixes
// the two neighbouring grey-ramp entries by the cell's grey offset, white is white in
// every cell.
TEST_F(FillFormats, EightBitTargetDithersGreysByCell) {
    Bind(8, 8, 8);
    ASSERT_EQ(SetTargetPalette(UseStandardPalette(0)), 0);
    Picture pic(1, 1, 32);
    for (uint32_t grey : {0x808080u, 0xFFFFFFu}) {
        pic.Set32(0, 0, grey);
        const POINT p0 = Pt(0, 0), p1 = Pt(8, 0), p2 = Pt(0, 8);
        ASSERT_EQ(SetImageFill(&pic.header, pic.bits.data(), 0, &p0, &p1, &p2, 0, nullptr, nullptr,
                               nullptr, nullptr, nullptr, 0),
                  0);
        ASSERT_EQ(FillRect(0, 0, 8, 8), 0);
        const PALETTEENTRY* pal = g_render.palette.entries;
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                const PALETTEENTRY& e = pal[Index(x, y)];
                ASSERT_TRUE(e.peRed == e.peGreen && e.peGreen == e.peBlue);
                if (grey == 0xFFFFFF) {
                    EXPECT_EQ(e.peRed, 255);
                    continue;
                }
                // Level (256 + g) / 17 with g the cell's grey offset: 15 (grey 128) unless
                // g = 16, then 16 (grey 136).
                const int g = tables::kGreyDither[y & 3][x & 3];
                EXPECT_EQ(e.peRed, g == 16 ? 136 : 128) << x << "," << y;
            }
        }
    }
}

// The span-wide dither of picture fills and their 8-bit compositor give what the
// renderer's per-pixel conversion and coverage mixing give, with and without the 256-bit
// vector version.
TEST_F(FillFormats, EightBitSpanDitherMatchesPerPixelConversion) {
    Bind(64, 8, 8);
    ASSERT_EQ(SetTargetPalette(UseStandardPalette(0)), 0);
    std::mt19937 rng(5);
    std::vector<uint32_t> colours(64);
    for (int round = 0; round < 400; ++round) {
        fast_paths::AllowWideVectors(round % 2 == 0);
        const int y = round % 8;
        // Any fourth byte (the dither ignores it), greys, and colours one step from grey.
        for (auto& c : colours) {
            c = rng();
            if (rng() % 4 == 0) {
                c = (c & 0xFF0000FF) | (c & 0xFF) * 0x010100u;
                if (rng() % 2 == 0) {
                    c ^= 1u << (rng() % 24);
                }
            }
        }
        const int x0 = static_cast<int>(rng() % 5), x1 = 64 - static_cast<int>(rng() % 5);
        image_target8::DitherSpan(y, x0, x1, colours.data());
        for (int x = x0; x < x1; ++x) {
            ASSERT_EQ(Index(x, y), DitherToPalette(colours[x], x & 3, y & 3)) << x << "," << y;
        }
        std::vector<uint8_t> before(pixels_.begin() + y * stride_,
                                    pixels_.begin() + y * stride_ + 64);
        const CoverageRun runs[] = {{0, 5, 25}, {5, 9, 3}, {9, 40, 17}, {40, 64, 25}};
        uint32_t* saved = g_render.rowBuffer;
        g_render.rowBuffer = colours.data();
        image_target8::Composite(y, runs, 4);
        g_render.rowBuffer = saved;
        for (const CoverageRun& r : runs) {
            for (int x = r.x0; x < r.x1; ++x) {
                const uint8_t fill = DitherToPalette(colours[x], x & 3, y & 3);
                ASSERT_EQ(Index(x, y),
                          r.coverage == 25 ? fill : MixCoverage8(before[x], fill, r.coverage));
            }
        }
    }
    fast_paths::AllowWideVectors(true);
}

// 16-bit targets take the texels through the renderer's per-channel dither; transparency
// has no effect there.
TEST_F(FillFormats, SixteenBitTargetDithersEachTexel) {
    Bind(16, 4, 16);
    Picture pic(16, 1, 32);
    for (int u = 0; u < 16; ++u) {
        pic.Set32(u, 0, 0x00102030u * (u + 1) + 0x050607u);
    }
    for (uint32_t style : {0u, 0x400400u}) {
        DrawRow(pic, style);
        for (int u = 0; u < 16; ++u) {
            uint16_t px;
            std::memcpy(&px, pixels_.data() + 2 * u, 2);
            uint32_t texel;
            std::memcpy(&texel, pic.Row(0) + 4 * u, 4);
            EXPECT_EQ(px, DitherTo16(texel & 0xFFFFFF, u, 0, 2)) << u;
        }
    }
}

} // namespace
