// The wide-store span fillers and the flat-colour compositors against plain reference
// loops, on random ranges and coverage runs.
#include "RenderTestTarget.h"
#include "render/fill/PixelFill.h"
#include "render/raster/Pipeline.h"
#include "render/target/TargetConvert.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

TEST(SpanFill, WideStoresMatchPlainLoops) {
    std::mt19937 random(99);
    std::vector<uint32_t> words(200), expected(200);
    for (int round = 0; round < 500; ++round) {
        const int x0 = static_cast<int>(random() % 150);
        const int x1 = x0 + static_cast<int>(random() % 50);
        const uint32_t value = round % 7 == 0 ? 0x5A5A5A5Au : static_cast<uint32_t>(random());
        std::fill(words.begin(), words.end(), 0xDEADBEEF);
        expected = words;
        FillPixels32(words.data() + x0, static_cast<size_t>(x1 - x0), value);
        std::fill(expected.begin() + x0, expected.begin() + x1, value);
        ASSERT_EQ(words, expected) << x0 << ".." << x1;

        auto* bytes = reinterpret_cast<uint8_t*>(words.data());
        auto* want = reinterpret_cast<uint8_t*>(expected.data());
        FillPattern8(bytes, x0, x1 + 3, value);
        for (int x = x0; x < x1 + 3; ++x) {
            want[x] = static_cast<uint8_t>(value >> (8 * (x & 3)));
        }
        ASSERT_EQ(words, expected) << x0 << ".." << x1;

        auto* halves = reinterpret_cast<uint16_t*>(words.data());
        auto* wantHalves = reinterpret_cast<uint16_t*>(expected.data());
        FillPattern16(bytes, x0, x1, value);
        for (int x = x0; x < x1; ++x) {
            wantHalves[x] = static_cast<uint16_t>(value >> (16 * (x & 1)));
        }
        ASSERT_EQ(words, expected) << x0 << ".." << x1;
        (void)halves;

        std::vector<uint32_t> source(200);
        std::generate(source.begin(), source.end(), [&] { return random(); });
        const int from = static_cast<int>(random() % 150);
        CopyPixels32(words.data() + x0, source.data() + from, static_cast<size_t>(x1 - x0));
        std::copy(source.begin() + from, source.begin() + from + (x1 - x0), expected.begin() + x0);
        ASSERT_EQ(words, expected) << "copy " << x0 << ".." << x1 << " from " << from;
    }
}

// The flat colour's own smoothed compositor and the general one (row buffer of fill
// pixels) give the same target on random runs.
TEST(SpanFill, FlatCompositorsMatchTheRowBufferPath) {
    std::mt19937 random(7);
    for (int bits : {32, 8}) {
        TestTarget a(64, 2, bits), b(64, 2, bits);
        if (bits == 8) {
            SetTargetPalette(UseStandardPalette(0));
        }
        for (int round = 0; round < 200; ++round) {
            for (size_t i = 0; i < a.storage.size(); ++i) {
                a.storage[i] = b.storage[i] = static_cast<uint32_t>(random());
            }
            std::vector<CoverageRun> runs;
            int32_t x = static_cast<int32_t>(random() % 8);
            while (x < 60) {
                const int32_t len = 1 + static_cast<int32_t>(random() % 6);
                runs.push_back({x, std::min(x + len, 64), 1 + static_cast<int32_t>(random() % 25)});
                x += len + static_cast<int32_t>(random() % 3);
            }
            const uint32_t colour = static_cast<uint32_t>(random());
            a.Bind();
            SetSolidFill(colour);
            ASSERT_EQ(SelectPipeline(true), 0);
            g_render.pipe.composite(1, runs.data(), static_cast<int>(runs.size()));
            b.Bind();
            SetSolidFill(colour);
            ASSERT_EQ(SelectPipeline(true), 0);
            const uint32_t pixel =
                (colour & 0xFF00FF00u) | (colour & 0xFF) << 16 | (colour >> 16 & 0xFF);
            for (int i = 0; i < 64; ++i) {
                g_render.rowBuffer[i] = pixel;
            }
            CompositorFor(g_render.target.format, 0)(1, runs.data(), static_cast<int>(runs.size()));
            ASSERT_EQ(a.storage, b.storage) << bits << " bits, round " << round;
        }
    }
}

TEST(SpanFill, MonochromeAndFourBitTargets) {
    TestTarget mono(16, 4, 1);
    SetSolidFill(0x808080); // luminance level 8 of 16: half the cells set
    ASSERT_EQ(Box(0, 0, 16, 4), 0);
    int set = 0;
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            set += mono.Row(y)[0] >> (7 - x) & 1;
        }
    }
    EXPECT_EQ(set, 8);
    TestTarget nibbles(8, 2, 4);
    RenderPalette sixteen{0x300, 256, {}};
    for (int i = 0; i < 256; ++i) {
        sixteen.entries[i] = PALETTEENTRY{BYTE(i < 16 ? i * 17 : 0), 0, 0, 0};
    }
    UseStandardPalette(1);
    SetTargetPalette(&sixteen);
    SetSolidFill(0x0000FF); // red 255: entry 15
    ASSERT_EQ(Box(1, 0, 3, 1), 0);
    EXPECT_EQ(nibbles.Row(0)[0], 0x0F);
    EXPECT_EQ(nibbles.Row(0)[1], 0xF0);
    UseStandardPalette(0);
}

} // namespace
