// The smooth perspective and affine loops compiled for AVX2 (four doubles to a vector), chosen at
// run time where the processor has it. As in PerspectiveLoopsAvx2.cpp, every header is included
// before the region compiled for AVX2 (the sampling of SmoothSample.h and SmoothQuads.h too), so
// only the templates of SmoothBatch.h, SmoothAffine.h, SmoothQuadsWide.h and PerspectiveBatch.h
// are.
#include "render/core/FastPaths.h"
#include "render/fill/EdgeMode.h"
#include "render/fill/ImageFill.h"
#include "render/fill/LaneVectors.h"
#include "render/fill/SmoothQuads.h"
#include "render/fill/SmoothSample.h"
#include "render/fill/SpanLoopTable.h"
#include "render/fill/TexelFetch.h"

#include <emmintrin.h>
#include <immintrin.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <utility>

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

#include "render/fill/PerspectiveBatch.h"
#include "render/fill/SmoothAffine.h"
#include "render/fill/SmoothBatch.h"

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

namespace smooth_avx2 {

PerspectiveLoopFn Select(EdgeMode mode) {
    return smooth_batch::kLoops<Avx2Doubles>[static_cast<size_t>(mode)];
}

AffineLoopFn SelectAffine(EdgeMode mode) {
    return smooth_affine::kLoops<Avx2Doubles>[static_cast<size_t>(mode)];
}

} // namespace smooth_avx2
