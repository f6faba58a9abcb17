// Drawing regions: set-up, the blit arithmetic, and the fills as the scene calls them
// (through MemoryRegion, which draws exactly as the window's region).
#include "render/core/Context.h"
#include "render/core/GraphicsStartup.h"
#include "render/region/MemoryRegion.h"
#include "render/region/RegionBlit.h"
#include "render/Renderer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// Scene point in 16.16: origin at the region centre, y upwards.
POINT S(double x, double y) {
    return {static_cast<LONG>(x * 65536), static_cast<LONG>(y * 65536)};
}

TEST(RegionBlit, ChangedBoxIsWidenedToWordsAndFlipped) {
    const RECT box = {5, 10, 6, 20};
    const RegionBlit b = ComputeRegionBlit({7, 3}, 64, 100, &box);
    EXPECT_EQ(b.srcX, 4);
    EXPECT_EQ(b.width, 4);
    EXPECT_EQ(b.height, 10);
    EXPECT_EQ(b.destX, 7 + 4);
    EXPECT_EQ(b.destY, 3 + 80);
    EXPECT_EQ(b.srcY, 81);

    const RECT wide = {3, 0, 9, 1}; // x 0..11: three words
    EXPECT_EQ(ComputeRegionBlit({0, 0}, 64, 100, &wide).width, 12);

    for (const RECT* all : {static_cast<const RECT*>(nullptr), &wide}) {
        const RECT empty = {10, 10, 10, 20};
        const RegionBlit whole = ComputeRegionBlit({7, 3}, 64, 100, all == nullptr ? all : &empty);
        EXPECT_EQ(whole.destX, 7);
        EXPECT_EQ(whole.destY, 3);
        EXPECT_EQ(whole.width, 64);
        EXPECT_EQ(whole.height, 100);
        EXPECT_EQ(whole.srcX, 0);
        EXPECT_EQ(whole.srcY, 1);
    }
}

class Region : public ::testing::Test {
  protected:
    void SetUp() override { InitGraphics(); }

    static uint32_t Px(const MemoryRegion& r, int x, int y) {
        uint32_t v;
        std::memcpy(&v, r.Row(y) + 4 * x, 4);
        return v & 0x00FFFFFFu;
    }
    // Picture with texel (u, v) = red 40u + 10, green 40v + 10, blue 0x80.
    struct Picture {
        BITMAPINFOHEADER header;
        uint32_t texels[4 * 3];
    };
    static Picture MakePicture() {
        Picture p{};
        p.header.biSize = 40;
        p.header.biWidth = 4;
        p.header.biHeight = 3;
        p.header.biPlanes = 1;
        p.header.biBitCount = 32;
        for (int v = 0; v < 3; ++v) {
            for (int u = 0; u < 4; ++u) {
                p.texels[v * 4 + u] = ((40u * u + 10) << 16) | ((40u * v + 10) << 8) | 0x80;
            }
        }
        return p;
    }
};

TEST_F(Region, InitSetsTransformAndRefusesMissingWindowOrEmptyRect) {
    const RECT rect = {10, 20, 50, 50};
    RastelRegion base(0);
    EXPECT_EQ(base.Init(nullptr, &rect), 0);

    MemoryRegion region(1, 32);
    const RECT empty = {10, 20, 10, 50};
    EXPECT_EQ(region.Init(nullptr, &empty), 0);
    ASSERT_EQ(region.Init(nullptr, &rect), 1);
    EXPECT_EQ(region.GetRect().right, 40);
    EXPECT_EQ(region.GetRect().bottom, 30);
    const RegionTransform& t = region.GetTransform();
    EXPECT_EQ(t.a, 0x4000);
    EXPECT_EQ(t.d, 0x4000);
    EXPECT_EQ(t.e, int64_t{40} << 29);
    EXPECT_EQ(t.f, int64_t{30} << 29);
    EXPECT_EQ(region.GetHeader()->bmiHeader.biBitCount, 32);
    EXPECT_EQ(region.GetHeader()->bmiHeader.biHeight, 30);
    EXPECT_EQ(region.GetTransparencyOption(), 1);
    EXPECT_EQ(MemoryRegion(1, 8).GetTransparencyOption(), 0);
}

// Intensity is clamped to [0, 1]: 1.7 draws the full colour, -0.2 black.
TEST_F(Region, FlatColourIntensityIsClamped) {
    MemoryRegion region(0, 32);
    const RECT rect = {0, 0, 20, 20};
    ASSERT_EQ(region.Init(nullptr, &rect), 1);
    region.BeginFrame();
    const BYTE rgba[4] = {200, 100, 50, 0};
    const POINT q[4] = {S(-10, -10), S(10, -10), S(10, 10), S(-10, 10)};
    const struct {
        double intensity;
        uint32_t pixel;
    } cases[] = {{1.7, 0xC86432}, {-0.2, 0}, {0.5, 0x643219}};
    for (const auto& c : cases) {
        region.SetFillColour(rgba, c.intensity, 0);
        region.FillQuad(&q[0], &q[1], &q[2], &q[3]);
        EXPECT_EQ(Px(region, 10, 10), c.pixel) << c.intensity;
    }
}

// The caller gives the corners row by row (p0 top-left, p1 top-right, p2 bottom-left, p3
// bottom-right of the picture); both fills put texel (0, 0) at p0 and texel (w-1, h-1)
// at p3. Bitmap intensity goes through the percent table; its clamping matches the flat
// colour's.
TEST_F(Region, BitmapFillCornersAndIntensity) {
    MemoryRegion region(0, 32);
    const RECT rect = {0, 0, 40, 40};
    ASSERT_EQ(region.Init(nullptr, &rect), 1);
    Picture pic = MakePicture();
    const POINT p0 = S(-16, -12), p1 = S(16, -12), p2 = S(-16, 12), p3 = S(16, 12);
    for (int perspective = 0; perspective < 2; ++perspective) {
        for (double intensity : {1.7, -0.2}) {
            region.SetPerspective(perspective);
            region.BeginFrame();
            region.SetFillBitmap(&pic.header, &p0, &p1, &p2, &p3, intensity, 0, 0, 0);
            region.FillQuad(&p0, &p1, &p3, &p2);
            const uint32_t first = intensity > 1 ? 0x0A0A80 : 0;
            const uint32_t last = intensity > 1 ? 0x825A80 : 0;
            // Scene (-16, -12) is pixel (4, 8): the texel's centre is 4 pixels inside.
            EXPECT_EQ(Px(region, 8, 12), first) << perspective;
            EXPECT_EQ(Px(region, 31, 27), last) << perspective;
        }
    }
}

// Transparency only with the region's option: kind 4, amount 0x40 moves the texel a
// quarter of the way back to the target.
TEST_F(Region, TransparencyArgumentNeedsTheOption) {
    Picture pic = MakePicture();
    for (int option = 0; option < 2; ++option) {
        MemoryRegion region(option, 32);
        const RECT rect = {0, 0, 40, 40};
        ASSERT_EQ(region.Init(nullptr, &rect), 1);
        std::memset(region.GetBits(), 0, 40 * 40 * 4);
        region.BeginFrame();
        const POINT p0 = S(-16, -12), p1 = S(16, -12), p2 = S(-16, 12), p3 = S(16, 12);
        region.SetFillBitmap(&pic.header, &p0, &p1, &p2, &p3, 1.0, 0, 0x4004, 0);
        region.FillQuad(&p0, &p1, &p3, &p2);
        // 0x80 + 0x40·(0 - 0x80)/255 rounded = 0x60.
        EXPECT_EQ(Px(region, 8, 12) & 0xFF, option ? 0x60u : 0x80u);
    }
}

// A palettised picture with fewer colours than its depth allows: indices past the table
// are black rather than whatever follows the table in memory.
TEST_F(Region, ShortColourTableGivesBlackBeyondIt) {
    MemoryRegion region(0, 32);
    const RECT rect = {0, 0, 8, 8};
    ASSERT_EQ(region.Init(nullptr, &rect), 1);
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[2];
        uint8_t rows[2][4];
    } pic{};
    pic.header = {40, 2, 2, 1, 8, BI_RGB, 0, 0, 0, 2, 0};
    pic.colours[0] = {0x30, 0x20, 0x10, 0};
    pic.colours[1] = {0x60, 0x50, 0x40, 0};
    pic.rows[0][0] = 1;
    pic.rows[0][1] = 0xC8; // past the table
    region.BeginFrame();
    const POINT p0 = S(-4, -4), p1 = S(4, -4), p2 = S(-4, 4), p3 = S(4, 4);
    region.SetFillBitmap(&pic.header, &p0, &p1, &p2, &p3, 1.0, 0, 0, 0);
    region.FillQuad(&p0, &p1, &p3, &p2);
    EXPECT_EQ(Px(region, 1, 1), 0x405060u);
    EXPECT_EQ(Px(region, 6, 1), 0u);
}

// An 8-bit region draws indices of the default palette (the header's colour table).
TEST_F(Region, EightBitRegionDrawsPaletteIndices) {
    MemoryRegion region(0, 8);
    const RECT rect = {0, 0, 16, 16};
    ASSERT_EQ(region.Init(nullptr, &rect), 1);
    ASSERT_EQ(region.GetHeader()->bmiHeader.biBitCount, 8);
    region.BeginFrame();
    const BYTE red[4] = {255, 0, 0, 0};
    region.SetFillColour(red, 1.0, 0);
    const POINT q[4] = {S(-8, -8), S(8, -8), S(8, 8), S(-8, 8)};
    region.FillQuad(&q[0], &q[1], &q[2], &q[3]);
    const RGBQUAD& c = region.GetHeader()->bmiColors[region.Row(5)[5]];
    EXPECT_EQ(c.rgbRed, 255);
    EXPECT_EQ(c.rgbGreen, 0);
    EXPECT_EQ(c.rgbBlue, 0);
}

} // namespace
