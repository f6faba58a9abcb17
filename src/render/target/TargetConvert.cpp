// Converting 32-bit colours into the pixels of palettised and 16-bit targets.
#include "render/target/TargetConvert.h"

#include "render/core/Context.h"
#include "render/core/Tables.h"
#include "render/fill/PixelFill.h"

namespace {

struct Channels {
    int r, g, b;
};
inline Channels Split(uint32_t pixel) {
    return {static_cast<int>(pixel >> 16 & 0xFF), static_cast<int>(pixel >> 8 & 0xFF),
            static_cast<int>(pixel & 0xFF)};
}

// Bit positions of red and green in the four 16-bit packings (blue is at bit 0), and the
// index of each channel's width in the 16-bit dither tables (4, 5, 6 bits -> 0, 1, 2).
struct Packing {
    int redShift, greenShift;
    int redWidth, greenWidth, blueWidth;
};
constexpr Packing kPackings[4] = {
    {11, 5, 1, 2, 1}, // 5-6-5
    {10, 5, 2, 1, 1}, // 6-5-5
    {10, 5, 1, 1, 1}, // 5-5-5
    {10, 4, 2, 2, 0}, // 6-6-4
};

} // namespace

int DitherColumn(int32_t x) {
    return (x - g_render.ditherOriginX) & 3;
}
int DitherRow(int32_t y) {
    return (y + g_render.ditherOriginY) & 3;
}

uint8_t DitherToPalette(uint32_t pixel, int column, int row) {
    const Channels c = Split(pixel);
    const PaletteMaps& maps = g_render.palette;
    if (c.r == c.g && c.g == c.b) {
        return maps.greyExpansion[2 * c.r + tables::kGreyDither[row][column]];
    }
    const int o = tables::kColourDither[row][column];
    return maps.standardToPalette[tables::kCubeRed[c.r + o] + tables::kCubeGreen[c.g + o] +
                                  tables::kCubeBlue[c.b + o]];
}

uint32_t Dither16Pair(uint32_t pixel, int row, int mode16) {
    const Channels c = Split(pixel);
    const Packing& p = kPackings[mode16 & 3];
    const int parity = row & 1;
    return tables::kDither16[p.redWidth][c.r][parity] << p.redShift |
           tables::kDither16[p.greenWidth][c.g][parity] << p.greenShift |
           tables::kDither16[p.blueWidth][c.b][parity];
}

uint16_t DitherTo16(uint32_t pixel, int column, int row, int mode16) {
    return static_cast<uint16_t>(Dither16Pair(pixel, row, mode16) >> ((column & 1) * 16));
}

namespace {

uint8_t NearestIndex(uint32_t pixel) {
    const Channels c = Split(pixel);
    return g_render.palette.inverse[(c.b >> 3) * 1024 + (c.g >> 3) * 32 + (c.r >> 3)];
}

// Luminance level 0..16 of the 1-bit patterns.
int MonoLevel(uint32_t pixel) {
    const Channels c = Split(pixel);
    const int y = 77 * c.r + 151 * c.g + 28 * c.b;
    return 17 * (y + y / 256) / 65536;
}

} // namespace

uint8_t MonoBit(uint32_t pixel, int32_t x, int32_t y) {
    return tables::kMonoPatterns[MonoLevel(pixel)][DitherRow(y) * 4 + DitherColumn(x)];
}

void ConvertRowBuffer(int32_t y, int32_t x0, int32_t x1) {
    const RenderTarget& t = g_render.target;
    const uint32_t* src = g_render.rowBuffer;
    uint8_t* row = t.Row(y);
    const int dr = DitherRow(y);
    switch (t.format) {
    case kTarget32Bit:
        CopyPixels32(reinterpret_cast<uint32_t*>(row) + x0, src + x0, static_cast<size_t>(x1 - x0));
        break;
    case kTarget16Bit: {
        auto* px = reinterpret_cast<uint16_t*>(row);
        for (int32_t x = x0; x < x1; ++x) {
            px[x] = DitherTo16(src[x], x, dr, t.mode16);
        }
        break;
    }
    case kTarget8Bit:
        for (int32_t x = x0; x < x1; ++x) {
            row[x] = DitherToPalette(src[x], DitherColumn(x), dr);
        }
        break;
    case kTarget4Bit:
        for (int32_t x = x0; x < x1; ++x) {
            const int shift = (x & 1) ? 0 : 4;
            uint8_t& b = row[x >> 1];
            b = static_cast<uint8_t>((b & ~(0xF << shift)) | (NearestIndex(src[x]) & 0xF) << shift);
        }
        break;
    default:
        for (int32_t x = x0; x < x1; ++x) {
            const int bit = 7 - (x & 7);
            uint8_t& b = row[x >> 3];
            b = static_cast<uint8_t>((b & ~(1 << bit)) | MonoBit(src[x], x, y) << bit);
        }
        break;
    }
}
