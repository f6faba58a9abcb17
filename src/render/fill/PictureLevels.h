// The levels of a smooth picture: level 0 the picture's unlit colours as 32-bit texels, each
// further level half the size of the one before (sides rounded down, at least 1), box
// filtered, down to one texel. Built once when a face opens; lighting is applied after
// sampling (SmoothSample.h), so a face's changing light never rebuilds them.
//
// The box filter averages the stored (sRGB) values, not linear light: the exact fill, the
// coverage blend of the edges and the 8-bit dither all mix stored values, and a
// linear-light chain would need wider texels or conversion tables in every sample for a
// difference that shows only at sharp light-dark detail.
#pragma once

#include "render/fill/ImageFill.h"

#include "platform/Win32.h"

#include <cstddef>
#include <cstdint>

struct PictureLevels {
    int count = 0;
    SmoothLevel levels[kMaxSmoothLevels];
    uint32_t* storage = nullptr; // every level's texels, level 0 first
    size_t texels = 0;
};

// Level 0 may hold at most this many texels (64 MiB); larger pictures draw exact.
constexpr int64_t kMaxSmoothTexels = int64_t{1} << 24;

// Level `to` from level `from` (its sides halved): texel (i, j) is the rounded mean of
// texels 2i and 2i+1 of rows 2j and 2j+1, indices past the side taken as the last one.
void BoxFilterLevel(const SmoothLevel& from, uint32_t* to, int32_t toWidth, int32_t toHeight);
