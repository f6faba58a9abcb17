// Picture fills on 8-bit targets: every texel is a colour of its own, so the ordered
// dither to the standard colours (grey ramp for greys, 6x6x6 cube otherwise; TargetConvert.h
// gives the rule) runs here over whole spans, with the four cells of a dither row taken
// out of the per-pixel work.
#pragma once

#include "render/core/Context.h"

#include <cstdint>

namespace image_target8 {

// Dithers colours src[x0..x1) (indexed by absolute x) into row y of the 8-bit target.
void DitherSpan(int32_t y, int32_t x0, int32_t x1, const uint32_t* src);

// The coverage compositor of smoothed picture fills on 8-bit targets: the dithered texel
// where coverage is full, mixed with the target's colour elsewhere (Compositors.h).
void Composite(int32_t y, const CoverageRun* runs, int count);

} // namespace image_target8
