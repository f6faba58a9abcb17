// The fast smooth loops for processors without AVX2 and the choice of loop. The affine loop
// steps the 32.32 positions as the reference does and samples two pixels at a time with the
// vector blend; the
// perspective loops are SmoothBatch.h's.
#include "render/core/FastPaths.h"
#include "render/fill/LaneVectors.h"
#include "render/fill/SmoothBatch.h"
#include "render/fill/SmoothLoops.h"
#include "render/fill/SmoothSample.h"

namespace smooth_avx2 {
PerspectiveLoopFn Select(EdgeMode mode);
}

namespace {

template <EdgeMode M>
void AffineLoop(const ImageFillState& s, int64_t u, int64_t v, uint32_t* out, int32_t n) {
    const smooth::LevelPair pair = smooth::PairOf(s.affineLod, s.levelCount);
    const uint64_t du = static_cast<uint64_t>(s.stepU), dv = static_cast<uint64_t>(s.stepV);
    uint64_t pu = static_cast<uint64_t>(u), pv = static_cast<uint64_t>(v);
    const auto x = [](uint64_t p) { return smooth::AffineSubTexel(static_cast<int64_t>(p)); };
    int32_t k = 0;
    for (; k + 1 < n; k += 2, pu += 2 * du, pv += 2 * dv) {
        smooth::SamplePairFast<M>(s, pair, x(pu), x(pv), pair, x(pu + du), x(pv + dv), out[k],
                                  out[k + 1]);
    }
    if (k < n) {
        uint32_t unused;
        smooth::SamplePairFast<M>(s, pair, x(pu), x(pv), pair, x(pu), x(pv), out[k], unused);
    }
}

constexpr AffineLoopFn kAffineLoops[kEdgeModeCount] = {
    &AffineLoop<EdgeMode::kClamp>,     &AffineLoop<EdgeMode::kOutside>,
    &AffineLoop<EdgeMode::kRepeat>,    &AffineLoop<EdgeMode::kMirror>,
    &AffineLoop<EdgeMode::kBrickRows>, &AffineLoop<EdgeMode::kBrickColumns>,
};

} // namespace

AffineLoopFn SelectSmoothAffineLoop(EdgeMode mode) {
    if (fast_paths::Reference()) {
        return ReferenceSmoothAffineLoop;
    }
    return kAffineLoops[static_cast<size_t>(mode)];
}

PerspectiveLoopFn SelectSmoothPerspectiveLoop(EdgeMode mode) {
    if (fast_paths::Reference()) {
        return ReferenceSmoothPerspectiveLoop;
    }
    return fast_paths::WideVectors() ? smooth_avx2::Select(mode)
                                     : smooth_batch::kLoops<Sse2Doubles>[static_cast<size_t>(mode)];
}
