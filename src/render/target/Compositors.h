// Coverage compositing: merging a fill pixel into a target pixel by a coverage of 0..25
// samples (25 = the fill pixel, 0 = the target unchanged).
#pragma once

#include "render/core/Context.h"
#include "render/core/Tables.h"

#include <cstdint>

// Each byte of the target moves toward the fill by c·(fill - target)/25, rounded to
// nearest: d - row_c[255 + (d - t)].
inline uint32_t BlendCoverage32(uint32_t target, uint32_t fill, int c) {
    const uint8_t* row = tables::kCoverageBlend[c];
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const int d = static_cast<int>(target >> shift & 0xFF);
        const int t = static_cast<int>(fill >> shift & 0xFF);
        out |= static_cast<uint32_t>(static_cast<uint8_t>(d - row[255 + d - t])) << shift;
    }
    return out;
}

// 8-bit targets: both indices back to their standard colours, mixed with weights c and
// 25 - c (c = 1..24) in 1/32 of a 5-bit step, and the 5-bit result looked up in the
// inverse colour map.
inline uint8_t MixCoverage8(uint8_t target, uint8_t fill, int c) {
    const PaletteMaps& m = g_render.palette;
    const uint32_t sum = tables::kCoverageMix[c - 1][m.paletteToStandard[fill]] +
                         tables::kCoverageMix[24 - c][m.paletteToStandard[target]];
    const uint32_t r5 = sum >> 15 & 31, g5 = sum >> 5 & 31, b5 = sum >> 25 & 31;
    return m.inverse[b5 * 1024 + g5 * 32 + r5];
}

// A read prefetch that the optimiser keeps (GCC 12 drops some __builtin_prefetch calls).
inline void PrefetchLine(const void* p) {
#if defined(__i386__) || defined(__x86_64__)
    asm volatile("prefetcht0 %0" : : "m"(*static_cast<const char*>(p)));
#else
    __builtin_prefetch(p);
#endif
}

// Asks for the target bytes at the edges of a row a few rows ahead: the edge pixels of a
// smoothed fill are read before they are blended, and rows lie a whole stride apart, which
// the hardware prefetchers do not follow.
inline void PrefetchRowEdges(int32_t y, const CoverageRun* runs, int count, int bytesPerPixel) {
    constexpr int32_t kRowsAhead = 8;
    const RenderTarget& t = g_render.target;
    if (count == 0 || y + kRowsAhead >= t.height) {
        return;
    }
    const uint8_t* row = t.Row(y + kRowsAhead);
    PrefetchLine(row + static_cast<ptrdiff_t>(runs[0].x0) * bytesPerPixel);
    PrefetchLine(row + static_cast<ptrdiff_t>(runs[count - 1].x1 - 1) * bytesPerPixel);
}

// Compositing in place, for fills that write their pixels straight into a 32-bit target row
// instead of the row buffer. Before the fill writes [runs[0].x0, runs[count - 1].x1),
// SaveUncovered32 keeps the row's pixels that the runs do not cover fully (partly covered,
// or between two runs) in `saved`, indexed by x; afterwards MergeSaved32 puts back what the
// default compositor would have left there: the saved pixel between runs, the blend of the
// saved pixel and the fill's where the coverage is partial. The fully covered pixels are
// then the fill's without passing through the row buffer.
void SaveUncovered32(const uint32_t* row, uint32_t* saved, const CoverageRun* runs, int count);
void MergeSaved32(uint32_t* row, const uint32_t* saved, const CoverageRun* runs, int count);

// A 16-bit pixel of the packing widened back to bytes B, G, R, 0.
uint32_t Widen16(uint16_t pixel, int mode16);
