// The fast smooth loops for processors without AVX2 (SmoothBatch.h's perspective loops and
// SmoothAffine.h's affine ones, compiled for SSE2) and the choice of loop.
#include "render/core/FastPaths.h"
#include "render/fill/LaneVectors.h"
#include "render/fill/SmoothAffine.h"
#include "render/fill/SmoothBatch.h"
#include "render/fill/SmoothLoops.h"
#include "render/fill/SmoothSample.h"

namespace smooth_avx2 {
PerspectiveLoopFn Select(EdgeMode mode);
AffineLoopFn SelectAffine(EdgeMode mode);
} // namespace smooth_avx2

AffineLoopFn SelectSmoothAffineLoop(EdgeMode mode) {
    if (fast_paths::Reference()) {
        return ReferenceSmoothAffineLoop;
    }
    return fast_paths::WideVectors()
               ? smooth_avx2::SelectAffine(mode)
               : smooth_affine::kLoops<Sse2Doubles>[static_cast<size_t>(mode)];
}

PerspectiveLoopFn SelectSmoothPerspectiveLoop(EdgeMode mode) {
    if (fast_paths::Reference()) {
        return ReferenceSmoothPerspectiveLoop;
    }
    return fast_paths::WideVectors() ? smooth_avx2::Select(mode)
                                     : smooth_batch::kLoops<Sse2Doubles>[static_cast<size_t>(mode)];
}
