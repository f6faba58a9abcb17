// Edge-mode arithmetic for the picture fills: step and start reduction for the tiled
// modes, and the integer folds the perspective loops and the reference filler use.
//
// Tiled modes keep each coordinate inside one period and move it by a step reduced into
// [-P/2, P/2), so that a single conditional add or subtract per pixel keeps it there,
// however small the picture is on screen. The period P of a coordinate is the picture
// side (w or h, as 32.32), except along an axis where neighbouring tiles differ: the
// mirrored mode repeats after two tiles in both directions, brick rows repeat after two
// tile rows along v and brick columns after two tile columns along u. Reducing by the true
// period keeps a heavily minified picture correct in those modes too.
#pragma once

#include "render/fill/ImageFill.h"

#include <cstdint>

namespace edge {

// A coordinate's period in 32.32 for `mode`; `side` is w for u and h for v, `doubledAxis`
// is true for the axis whose neighbouring tiles differ.
constexpr int64_t Period(int32_t side, bool doubled) {
    return TexelsToFixed(side) * (doubled ? 2 : 1);
}
constexpr bool UDoubled(EdgeMode m) {
    return m == EdgeMode::kMirror || m == EdgeMode::kBrickColumns;
}
constexpr bool VDoubled(EdgeMode m) {
    return m == EdgeMode::kMirror || m == EdgeMode::kBrickRows;
}
constexpr bool Tiled(EdgeMode m) {
    return m != EdgeMode::kClamp && m != EdgeMode::kOutside;
}

// pos mod period, in [0, period).
constexpr int64_t ReduceStart(int64_t pos, int64_t period) {
    const int64_t r = pos % period;
    return r < 0 ? r + period : r;
}

// ((2·step + P) mod 2P - P) / 2: step mod P, in [-P/2, P/2).
constexpr int64_t ReduceStep(int64_t step, int64_t period) {
    const int64_t r = ReduceStart(step, period);
    return r >= period - r ? r - period : r;
}
static_assert(ReduceStep(7, 10) == -3 && ReduceStep(5, 10) == -5 && ReduceStep(4, 10) == 4);
static_assert(ReduceStep(-23, 10) == -3 && ReduceStart(-23, 10) == 7);

// i mod n in [0, n); one comparison in the usual case of a value already in range.
inline int32_t WrapIndex(int32_t i, int32_t n) {
    if (static_cast<uint32_t>(i) < static_cast<uint32_t>(n)) {
        return i;
    }
    const int32_t r = i % n;
    return r < 0 ? r + n : r;
}

// Folds an integer texel position (u, v) by the edge mode. Returns false when the pixel
// takes the outside colour (mode 1 only); otherwise (u, v) is a texel inside the picture.
// `brick` is the reduced brick offset in whole texels.
inline bool FoldIndex(EdgeMode mode, int32_t& u, int32_t& v, int32_t w, int32_t h, int32_t brick) {
    switch (mode) {
    case EdgeMode::kClamp:
        if (static_cast<uint32_t>(u) >= static_cast<uint32_t>(w)) {
            u = u < 0 ? 0 : w - 1;
        }
        if (static_cast<uint32_t>(v) >= static_cast<uint32_t>(h)) {
            v = v < 0 ? 0 : h - 1;
        }
        return true;
    case EdgeMode::kOutside:
        return static_cast<uint32_t>(u) < static_cast<uint32_t>(w) &&
               static_cast<uint32_t>(v) < static_cast<uint32_t>(h);
    case EdgeMode::kRepeat:
        u = WrapIndex(u, w);
        v = WrapIndex(v, h);
        return true;
    case EdgeMode::kMirror: {
        // Positions 0..2w-1 of one period: the tile, then its mirror image.
        const int32_t pu = WrapIndex(u, 2 * w);
        const int32_t pv = WrapIndex(v, 2 * h);
        u = pu < w ? pu : 2 * w - 1 - pu;
        v = pv < h ? pv : 2 * h - 1 - pv;
        return true;
    }
    case EdgeMode::kBrickRows: {
        const int32_t pv = WrapIndex(v, 2 * h);
        const bool odd = pv >= h;
        v = odd ? pv - h : pv;
        u = WrapIndex(WrapIndex(u, w) + (odd ? brick : 0), w);
        return true;
    }
    case EdgeMode::kBrickColumns: {
        const int32_t pu = WrapIndex(u, 2 * w);
        const bool odd = pu >= w;
        u = odd ? pu - w : pu;
        v = WrapIndex(WrapIndex(v, h) + (odd ? brick : 0), h);
        return true;
    }
    }
    return false;
}

} // namespace edge
