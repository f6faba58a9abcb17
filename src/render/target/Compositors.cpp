// The default coverage compositors: they merge g_render.rowBuffer into the target row by
// the runs of one pixel row.
#include "render/target/Compositors.h"

#include "render/core/FixedPoint.h"
#include "render/fill/PixelFill.h"
#include "render/target/TargetConvert.h"

namespace {

inline uint32_t WidenBits(uint32_t v, int bits) {
    switch (bits) {
    case 4:
        return v << 4 | v;
    case 5:
        return tables::kWiden5[v];
    default:
        return v << 2 | v >> 4;
    }
}

void Composite32(int32_t y, const CoverageRun* runs, int count) {
    auto* row = reinterpret_cast<uint32_t*>(g_render.target.Row(y));
    const uint32_t* src = g_render.rowBuffer;
    PrefetchRowEdges(y, runs, count, 4);
    for (int i = 0; i < count; ++i) {
        const CoverageRun& r = runs[i];
        if (r.coverage == fixed::kFullCoverage) {
            CopyPixels32(row + r.x0, src + r.x0, static_cast<size_t>(r.x1 - r.x0));
            continue;
        }
        for (int32_t x = r.x0; x < r.x1; ++x) {
            row[x] = BlendCoverage32(row[x], src[x], r.coverage);
        }
    }
}

// Calls part(x0, x1, coverage) for every stretch of [runs[0].x0, runs[count - 1].x1) that
// is not fully covered; the gaps between runs come with coverage 0.
template <class Part> void ForEachPartlyCovered(const CoverageRun* runs, int count, Part part) {
    for (int i = 0; i < count; ++i) {
        const CoverageRun& r = runs[i];
        if (i > 0 && runs[i - 1].x1 < r.x0) {
            part(runs[i - 1].x1, r.x0, 0);
        }
        if (r.coverage != fixed::kFullCoverage) {
            part(r.x0, r.x1, r.coverage);
        }
    }
}

void Composite8(int32_t y, const CoverageRun* runs, int count) {
    uint8_t* row = g_render.target.Row(y);
    const uint32_t* src = g_render.rowBuffer;
    const int dr = DitherRow(y);
    PrefetchRowEdges(y, runs, count, 1);
    for (int i = 0; i < count; ++i) {
        const CoverageRun& r = runs[i];
        for (int32_t x = r.x0; x < r.x1; ++x) {
            const uint8_t fill = DitherToPalette(src[x], DitherColumn(x), dr);
            row[x] =
                r.coverage == fixed::kFullCoverage ? fill : MixCoverage8(row[x], fill, r.coverage);
        }
    }
}

template <int Mode> void Composite16(int32_t y, const CoverageRun* runs, int count) {
    auto* row = reinterpret_cast<uint16_t*>(g_render.target.Row(y));
    const uint32_t* src = g_render.rowBuffer;
    const int dr = DitherRow(y);
    for (int i = 0; i < count; ++i) {
        const CoverageRun& r = runs[i];
        for (int32_t x = r.x0; x < r.x1; ++x) {
            uint32_t colour = src[x];
            if (r.coverage != fixed::kFullCoverage) {
                colour = BlendCoverage32(Widen16(row[x], Mode), colour, r.coverage);
            }
            row[x] = DitherTo16(colour, x, dr, Mode);
        }
    }
}

} // namespace

uint32_t Widen16(uint16_t pixel, int mode16) {
    // Red, green, blue widths of the packings, blue at bit 0.
    static constexpr int kBits[4][3] = {{5, 6, 5}, {6, 5, 5}, {5, 5, 5}, {6, 6, 4}};
    const int* bits = kBits[mode16 & 3];
    const uint32_t b = pixel & ((1u << bits[2]) - 1);
    const uint32_t g = pixel >> bits[2] & ((1u << bits[1]) - 1);
    const uint32_t r = pixel >> (bits[2] + bits[1]) & ((1u << bits[0]) - 1);
    return WidenBits(b, bits[2]) | WidenBits(g, bits[1]) << 8 | WidenBits(r, bits[0]) << 16;
}

void SaveUncovered32(const uint32_t* row, uint32_t* saved, const CoverageRun* runs, int count) {
    ForEachPartlyCovered(runs, count, [&](int32_t x0, int32_t x1, int32_t) {
        for (int32_t x = x0; x < x1; ++x) {
            saved[x] = row[x];
        }
    });
}

void MergeSaved32(uint32_t* row, const uint32_t* saved, const CoverageRun* runs, int count) {
    ForEachPartlyCovered(runs, count, [&](int32_t x0, int32_t x1, int32_t coverage) {
        for (int32_t x = x0; x < x1; ++x) {
            row[x] = coverage == 0 ? saved[x] : BlendCoverage32(saved[x], row[x], coverage);
        }
    });
}

CompositeFn CompositorFor(int format, int mode16) {
    switch (format) {
    case kTarget32Bit:
        return Composite32;
    case kTarget8Bit:
        return Composite8;
    case kTarget16Bit: {
        static constexpr CompositeFn kByMode[4] = {Composite16<0>, Composite16<1>, Composite16<2>,
                                                   Composite16<3>};
        return kByMode[mode16 & 3];
    }
    default:
        return nullptr;
    }
}
