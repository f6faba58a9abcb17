// The renderer tables and the palette maps built from them.
#include "RenderTestTarget.h"
#include "render/target/Compositors.h"
#include "render/core/Tables.h"
#include "render/target/TargetConvert.h"

#include <gtest/gtest.h>

#include <set>

namespace {

int8_t Signed(uint8_t v) {
    return static_cast<int8_t>(v);
}

// Index of the default palette entry with this colour.
int DefaultIndex(int r, int g, int b) {
    for (int i = 0; i < 256; ++i) {
        const PALETTEENTRY& e = tables::kDefaultPalette.entries[i];
        if (e.peRed == r && e.peGreen == g && e.peBlue == b) {
            return i;
        }
    }
    return -1;
}

void InstallDefaultPalette() {
    SetTargetPalette(UseStandardPalette(0));
}

TEST(Tables, ConstantTablesHoldTheirDefinitions) {
    EXPECT_EQ(tables::kWiden5[4], 33);
    EXPECT_EQ(tables::kWiden5[31], 255);
    EXPECT_EQ(tables::kSquares[0], 255 * 255);
    EXPECT_EQ(tables::kSquares[255 + 3], 9);
    EXPECT_EQ(tables::kCubeRed[50], 1);
    EXPECT_EQ(tables::kCubeRed[49], 0);
    EXPECT_EQ(tables::kCubeGreen[254], 5 * 6);
    EXPECT_EQ(tables::kCubeBlue[304], 5 * 36);
    EXPECT_EQ(tables::kCubeBlue[305], 0);
    EXPECT_EQ(Signed(tables::kCoverageBlend[12][255 + 100]), 48);
    EXPECT_EQ(Signed(tables::kCoverageBlend[12][255 - 255]), -122);
    EXPECT_EQ(tables::kCoverageBlend[25][255 + 200], 200);
    EXPECT_EQ(tables::kCoverageBlend[0][255 + 200], 0);
    // Mixing white at k with white at 25 - k gives 5-bit 31 in every channel.
    for (int k = 1; k <= 24; ++k) {
        const uint32_t sum = tables::kCoverageMix[k - 1][215] + tables::kCoverageMix[24 - k][215];
        EXPECT_EQ(sum >> 5 & 31, 31u);
        EXPECT_EQ(sum >> 15 & 31, 31u);
        EXPECT_EQ(sum >> 25 & 31, 31u);
    }
}

TEST(Tables, BlendTableRoundsToNearest) {
    ASSERT_TRUE(tables::BuildBlendTable());
    const tables::BlendRow* blend = tables::BlendTable();
    EXPECT_EQ(Signed(blend[64][256 - 255]), -64);
    EXPECT_EQ(Signed(blend[64][256 + 100]), 25);
    EXPECT_EQ(blend[200][0], 0);
    EXPECT_EQ(blend[200][256], 0);
    EXPECT_EQ(blend[0][256 + 255], 0);
    EXPECT_EQ(blend[255][256 + 255], 255);
}

TEST(Tables, DefaultPaletteHoldsCubeRampAndSystemColours) {
    const RenderPalette* p = UseStandardPalette(0);
    EXPECT_EQ(p->version, 0x300);
    EXPECT_EQ(p->count, 256);
    std::set<uint32_t> colours;
    for (const PALETTEENTRY& e : p->entries) {
        colours.insert(e.peRed | e.peGreen << 8 | e.peBlue << 16);
    }
    EXPECT_EQ(colours.size(), 256u);
    for (const PALETTEENTRY& s : tables::kStandardColours.entries) {
        EXPECT_TRUE(colours.count(s.peRed | s.peGreen << 8 | s.peBlue << 16));
    }
    EXPECT_EQ(DefaultIndex(136, 136, 136), 14);
    EXPECT_EQ(DefaultIndex(60, 60, 60), 15);
    EXPECT_EQ(DefaultIndex(255, 255, 255), 255);
}

TEST(PaletteMaps, NearestColoursOfTheDefaultPalette) {
    TestTarget t(4, 4, 8);
    InstallDefaultPalette();
    const PaletteMaps& m = g_render.palette;
    // Widened 5-bit (1, 1, 1) = (8, 8, 8) is nearest to grey 9; (5, 0, 0) = (41, 0, 0) to
    // the cube's (51, 0, 0); (3, 0, 0) = (24, 0, 0) to grey 9 again (387 < 729).
    EXPECT_EQ(m.inverse[1 * 1024 + 1 * 32 + 1], DefaultIndex(9, 9, 9));
    EXPECT_EQ(m.inverse[5], DefaultIndex(51, 0, 0));
    EXPECT_EQ(m.inverse[3], DefaultIndex(9, 9, 9));
    for (int k = 0; k < tables::kGreySteps; ++k) {
        const int v = tables::kStandardColours.entries[216 + k].peRed;
        EXPECT_EQ(m.greyExpansion[17 * k], DefaultIndex(v, v, v));
    }
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(m.greyDither[row][255], 0xFFFFFFFFu); // white is entry 255 in every cell
        EXPECT_EQ(m.greyDither[row][0], 0u);
    }
    // White is both cube colour 215 and ramp step 246: the highest standard index wins.
    EXPECT_EQ(m.paletteToStandard[255], 246);
}

TEST(PaletteMaps, TiesGoToTheHigherIndexAndUnchangedPalettesKeepTheInverseMap) {
    TestTarget t(4, 4, 8);
    RenderPalette two{0x300, 256, {}};
    for (PALETTEENTRY& e : two.entries) {
        e = PALETTEENTRY{255, 255, 255, 0};
    }
    two.entries[3] = PALETTEENTRY{100, 0, 0, 0};
    two.entries[7] = PALETTEENTRY{0, 100, 0, 0};
    UseStandardPalette(1); // arbitrary palette: the search runs over its entries
    SetTargetPalette(&two);
    // (50, 50, 0) is as near to both: the higher index wins. 5-bit (6, 6, 0) = (49, 49, 0).
    EXPECT_EQ(g_render.palette.inverse[6 * 32 + 6], 7);
    EXPECT_EQ(g_render.palette.inverse[0], 7);
    g_render.palette.inverse[0] = 42;
    SetTargetPalette(&two);
    EXPECT_EQ(g_render.palette.inverse[0], 42);
    two.entries[1].peRed = 254;
    SetTargetPalette(&two);
    EXPECT_EQ(g_render.palette.inverse[0], 7);
    UseStandardPalette(0);
}

TEST(PaletteMaps, EightBitSolidGreysDitherBetweenRampNeighbours) {
    TestTarget t(4, 4, 8);
    InstallDefaultPalette();
    SetSolidFill(0x808080);
    ASSERT_EQ(Box(0, 0, 4, 4), 0);
    const int low = DefaultIndex(128, 128, 128), high = DefaultIndex(136, 136, 136);
    int highs = 0;
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            // 2·128 + g reaches level 16 (136) only for grey offset 16.
            const int expected = tables::kGreyDither[y][x] >= 16 ? high : low;
            EXPECT_EQ(t.At8(x, y), expected) << x << "," << y;
            highs += t.At8(x, y) == high;
        }
    }
    EXPECT_EQ(highs, 1);
    SetSolidFill(0xFFFFFF);
    Box(0, 0, 4, 4);
    EXPECT_EQ(t.At8(1, 2), 255);
}

TEST(PaletteMaps, EightBitColoursUseTheCubeWithColourOffsets) {
    TestTarget t(4, 4, 8);
    InstallDefaultPalette();
    SetSolidFill(0x0000F0); // red 240
    Box(0, 0, 4, 4);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            const int level = (240 + tables::kColourDither[y][x] + 1) / 51;
            EXPECT_EQ(t.At8(x, y), DefaultIndex(51 * level, 0, 0)) << x << "," << y;
        }
    }
}

TEST(Compositing, CoverageMovesEachChannelTowardTheFill) {
    EXPECT_EQ(BlendCoverage32(0x00000000, 0x00FFFFFF, 25), 0x00FFFFFFu);
    EXPECT_EQ(BlendCoverage32(0x00102030, 0x00FFFFFF, 0), 0x00102030u);
    // 100 + 12·(200 - 100)/25 = 148; 200 + 12·(0 - 200)/25 = 104.
    EXPECT_EQ(BlendCoverage32(0x000064C8, 0x0000C800, 12), 0x00009468u);
    TestTarget t(4, 4, 8);
    InstallDefaultPalette();
    const uint8_t white = 255, black = 0;
    // 24/25 of white is 5-bit 30 (247); 1/25 is 5-bit 1 (8, nearest grey 9).
    EXPECT_EQ(MixCoverage8(black, white, 24), DefaultIndex(247, 247, 247));
    EXPECT_EQ(MixCoverage8(black, white, 1), DefaultIndex(9, 9, 9));
    // Half-way: 5-bit 15 of each channel, (123, 123, 123), nearest ramp grey 119.
    EXPECT_EQ(MixCoverage8(black, white, 12), DefaultIndex(119, 119, 119));
}

TEST(Compositing, SixteenBitPackingsRoundTripPureColours) {
    for (int mode = 0; mode < 4; ++mode) {
        TestTarget t(4, 2, 16, mode);
        SetSolidFill(0xFFFFFF);
        Box(0, 0, 4, 2);
        EXPECT_EQ(Widen16(t.At16(1, 1), mode), 0x00FFFFFFu) << mode;
        SetSolidFill(0x0000FF); // red
        Box(0, 0, 4, 2);
        EXPECT_EQ(Widen16(t.At16(0, 0), mode), 0x00FF0000u) << mode;
    }
    TestTarget t(2, 1, 16, 0);
    SetSolidFill(0x0000FF);
    Box(0, 0, 2, 1);
    EXPECT_EQ(t.At16(0, 0), 0xF800); // 5-6-5
}

} // namespace
