// The flat-colour fill (kind 2): a four-row pattern per target format, span routines that
// store it with wide stores, and smoothed compositors that blend it at the edges and store
// it directly where the coverage is full.
#include "render/target/Compositors.h"
#include "render/core/FixedPoint.h"
#include "render/fill/PixelFill.h"
#include "render/target/TargetConvert.h"

namespace {

const uint32_t* Pattern() {
    return g_render.fill.solidPattern;
}

// Colour (byte 0 red, 1 green, 2 blue, 3 extra) -> 32-bit pixel bytes B, G, R, extra.
uint32_t ToPixel(uint32_t colour) {
    return (colour & 0xFF00FF00u) | (colour & 0xFF) << 16 | (colour >> 16 & 0xFF);
}

void MakePattern(uint32_t colour) {
    uint32_t* pattern = g_render.fill.solidPattern;
    const uint32_t pixel = ToPixel(colour);
    const RenderTarget& t = g_render.target;
    for (int row = 0; row < 4; ++row) {
        uint32_t word = 0;
        switch (t.format) {
        case kTarget32Bit:
            word = pixel;
            break;
        case kTarget16Bit:
            word = Dither16Pair(pixel, row, t.mode16);
            break;
        case kTarget8Bit:
            // Byte k is the index for pixels with x & 3 == k.
            for (int k = 0; k < 4; ++k) {
                word |= uint32_t{DitherToPalette(pixel, DitherColumn(k), row)} << (8 * k);
            }
            break;
        case kTarget4Bit: {
            // The nearest palette colour, not dithered.
            const uint32_t r5 = pixel >> 19 & 31, g5 = pixel >> 11 & 31, b5 = pixel >> 3 & 31;
            word = (g_render.palette.inverse[b5 * 1024 + g5 * 32 + r5] & 0xFu) * 0x11111111u;
            break;
        }
        default:
            // Bit (7 - k) of the byte is the pattern cell of column k & 3.
            for (int k = 0; k < 8; ++k) {
                word |= uint32_t{MonoBit(pixel, k, row - g_render.ditherOriginY)} << (7 - k);
            }
            word *= 0x01010101u;
            break;
        }
        pattern[row] = word;
    }
}

void Span32(int32_t y, int32_t x0, int32_t x1) {
    auto* row = reinterpret_cast<uint32_t*>(g_render.target.Row(y));
    FillPixels32(row + x0, static_cast<size_t>(x1 - x0), Pattern()[0]);
}

void Span16(int32_t y, int32_t x0, int32_t x1) {
    FillPattern16(g_render.target.Row(y), x0, x1, Pattern()[y & 1]);
}

void Span8(int32_t y, int32_t x0, int32_t x1) {
    FillPattern8(g_render.target.Row(y), x0, x1, Pattern()[DitherRow(y)]);
}

void Span4(int32_t y, int32_t x0, int32_t x1) {
    uint8_t* row = g_render.target.Row(y);
    const uint8_t index = Pattern()[0] & 0xF;
    for (int32_t x = x0; x < x1; ++x) {
        const int shift = (x & 1) ? 0 : 4;
        row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & ~(0xF << shift)) | index << shift);
    }
}

void Span1(int32_t y, int32_t x0, int32_t x1) {
    uint8_t* row = g_render.target.Row(y);
    const uint8_t bits = static_cast<uint8_t>(Pattern()[DitherRow(y)]);
    for (int32_t x = x0; x < x1; ++x) {
        const uint8_t mask = static_cast<uint8_t>(0x80 >> (x & 7));
        row[x >> 3] = static_cast<uint8_t>((row[x >> 3] & ~mask) | (bits & mask));
    }
}

void Composite32(int32_t y, const CoverageRun* runs, int count) {
    auto* row = reinterpret_cast<uint32_t*>(g_render.target.Row(y));
    const uint32_t pixel = Pattern()[0];
    PrefetchRowEdges(y, runs, count, 4);
    // Edge pixels first: their reads then overlap instead of queueing behind the stores
    // of the long fully covered runs.
    for (int i = 0; i < count; ++i) {
        const CoverageRun& r = runs[i];
        if (r.coverage != fixed::kFullCoverage) {
            for (int32_t x = r.x0; x < r.x1; ++x) {
                row[x] = BlendCoverage32(row[x], pixel, r.coverage);
            }
        }
    }
    for (int i = 0; i < count; ++i) {
        const CoverageRun& r = runs[i];
        if (r.coverage == fixed::kFullCoverage) {
            FillPixels32(row + r.x0, static_cast<size_t>(r.x1 - r.x0), pixel);
        }
    }
}

void Composite8(int32_t y, const CoverageRun* runs, int count) {
    uint8_t* row = g_render.target.Row(y);
    const uint32_t pattern = Pattern()[DitherRow(y)];
    PrefetchRowEdges(y, runs, count, 1);
    for (int i = 0; i < count; ++i) {
        const CoverageRun& r = runs[i];
        if (r.coverage == fixed::kFullCoverage) {
            FillPattern8(row, r.x0, r.x1, pattern);
            continue;
        }
        for (int32_t x = r.x0; x < r.x1; ++x) {
            const auto fill = static_cast<uint8_t>(pattern >> ((x & 3) * 8));
            row[x] = MixCoverage8(row[x], fill, r.coverage);
        }
    }
}

// Other formats go through the row buffer and the default compositor.
void SpanToRowBuffer(int32_t, int32_t x0, int32_t x1) {
    const uint32_t pixel = ToPixel(g_render.fill.solidColour);
    FillPixels32(g_render.rowBuffer + x0, static_cast<size_t>(x1 - x0), pixel);
}

int SolidSetup(SpanPipeline& pipe) {
    switch (g_render.target.format) {
    case kTarget32Bit:
        pipe.span = Span32;
        break;
    case kTarget16Bit:
        pipe.span = Span16;
        break;
    case kTarget8Bit:
        pipe.span = Span8;
        break;
    case kTarget4Bit:
        pipe.span = Span4;
        break;
    default:
        pipe.span = Span1;
        break;
    }
    return 0;
}

int SolidSmoothedSetup(SpanPipeline& pipe) {
    switch (g_render.target.format) {
    case kTarget32Bit:
        pipe.composite = Composite32;
        break;
    case kTarget8Bit:
        pipe.composite = Composite8;
        break;
    default:
        pipe.span = SpanToRowBuffer;
        break;
    }
    return 0;
}

} // namespace

int SetSolidFill(uint32_t colour) {
    FillState& fill = g_render.fill;
    if (!fill.solidValid || fill.solidColour != colour) {
        MakePattern(colour);
        fill.solidColour = colour;
        fill.solidValid = true;
    }
    SetFillKind(kFillSolid, SolidSetup, SolidSmoothedSetup);
    return 0;
}
