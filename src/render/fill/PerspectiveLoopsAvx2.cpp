// The perspective span loops compiled for AVX2 (four doubles to a vector), chosen at run
// time where the processor has it. Every header is included before the region compiled
// for AVX2, so only the loops of PerspectiveBatch.h, all templates on the vector type, are
// compiled for it: nothing shared with the rest of the program is.
#include "render/core/FastPaths.h"
#include "render/fill/EdgeMode.h"
#include "render/fill/ImageFill.h"
#include "render/fill/SpanLoopTable.h"
#include "render/fill/LaneVectors.h"
#include "render/fill/TexelFetch.h"

#include <emmintrin.h>
#include <immintrin.h>

#include <array>
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

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

namespace perspective_avx2 {

PerspectiveLoopFn Select(size_t index) {
    return perspective_batch::kLoops<Avx2Doubles>[index];
}

} // namespace perspective_avx2
