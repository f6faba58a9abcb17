// Transparent picture fills on 32-bit targets: the texel t and the target d are mixed per
// colour channel through the blend table (Tables.h); the target's fourth byte is kept.
//   kind 4 (and the other amount-driven kinds): d' = t + a·(d - t)/255, a the amount
//   kind 1 (and 2, 3, 12): the same with a = the texel's own fourth byte
// a = 0 is opaque, a = 255 invisible. With smoothing, opacity o = 255 - a is first scaled
// by the pixel's coverage c (0..25) through the coverage blend table, w = c·o/25 rounded,
// and then d' = d + w·(t - d)/255.
#pragma once

#include "render/core/Context.h"

#include <cstdint>

namespace transparency {

// Whether a transparency kind takes its amount from each texel's fourth byte.
constexpr bool PerTexelAmount(int kind) {
    return kind == 1 || kind == 2 || kind == 3 || kind == 12;
}

// Sets the kind and amount used by the two routines below; false when the blend table
// cannot be built (the fill is then drawn opaque).
bool Prepare(int kind, int amount);

// Unsmoothed: mixes src[0..n) into dst[0..n).
void BlendSpan(uint32_t* dst, const uint32_t* src, int32_t n);

// Smoothed: the coverage compositor for 32-bit targets (Context.h), reading the texels
// from g_render.rowBuffer.
void Composite(int32_t y, const CoverageRun* runs, int count);

} // namespace transparency
