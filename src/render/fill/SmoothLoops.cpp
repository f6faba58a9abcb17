// The fast smooth loops for processors without AVX2 and the choice of loop. The affine loop
// steps the 32.32 positions as the reference does and samples four pixels at a time on
// clamped edges (SmoothQuads.h), two at a time with the vector blend otherwise; the
// perspective loops are SmoothBatch.h's.
#include "render/core/FastPaths.h"
#include "render/fill/LaneVectors.h"
#include "render/fill/SmoothBatch.h"
#include "render/fill/SmoothLoops.h"
#include "render/fill/SmoothQuads.h"
#include "render/fill/SmoothSample.h"

#include <algorithm>

namespace smooth_avx2 {
PerspectiveLoopFn Select(EdgeMode mode);
}

namespace {

template <EdgeMode M>
void PairsOfPixels(const ImageFillState& s, smooth::LevelPair pair, uint64_t pu, uint64_t pv,
                   uint32_t* out, int32_t n) {
    const uint64_t du = static_cast<uint64_t>(s.stepU), dv = static_cast<uint64_t>(s.stepV);
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

// Clamped edges on usable levels: four pixels at a time (SmoothQuads.h); the last few
// pixels of a span go through a buffer, their missing neighbours repeating the last one.
template <EdgeMode M>
void FourAtOnce(const ImageFillState& s, smooth::LevelPair pair, uint64_t pu, uint64_t pv,
                uint32_t* out, int32_t n) {
    using smooth_quads::MakeLevel;
    const smooth_quads::QuadLevel first = MakeLevel(s.levels[pair.level], pair.level);
    const bool blend = pair.t > 0;
    const smooth_quads::QuadLevel second =
        blend ? MakeLevel(s.levels[pair.level + 1], pair.level + 1) : first;
    const __m128i t = _mm_set1_epi16(static_cast<int16_t>(pair.t));
    const uint64_t du = static_cast<uint64_t>(s.stepU), dv = static_cast<uint64_t>(s.stepV);
    for (int32_t k = 0; k < n; k += 4, pu += 4 * du, pv += 4 * dv) {
        alignas(16) int32_t xs[4], ys[4];
        const int32_t left = n - k < 4 ? n - k : 4;
        for (int j = 0; j < 4; ++j) {
            const uint64_t m = static_cast<uint64_t>(j < left ? j : left - 1);
            xs[j] = smooth::AffineSubTexel(static_cast<int64_t>(pu + m * du));
            ys[j] = smooth::AffineSubTexel(static_cast<int64_t>(pv + m * dv));
        }
        const __m128i x = _mm_load_si128(reinterpret_cast<const __m128i*>(xs));
        const __m128i y = _mm_load_si128(reinterpret_cast<const __m128i*>(ys));
        const __m128i unlit = smooth_quads::Sample4(first, blend ? &second : nullptr, t, x, y);
        if (left == 4) {
            smooth_quads::Finish<M>(s, unlit, x, y, out + k);
        } else {
            uint32_t rest[4];
            smooth_quads::Finish<M>(s, unlit, x, y, rest);
            std::copy(rest, rest + left, out + k);
        }
    }
}

template <EdgeMode M>
void AffineLoop(const ImageFillState& s, int64_t u, int64_t v, uint32_t* out, int32_t n) {
    const smooth::LevelPair pair = smooth::PairOf(s.affineLod, s.levelCount);
    const uint64_t pu = static_cast<uint64_t>(u), pv = static_cast<uint64_t>(v);
    if constexpr (M == EdgeMode::kClamp || M == EdgeMode::kOutside) {
        if (smooth_quads::Usable(s.levels[pair.level]) &&
            (pair.t == 0 || smooth_quads::Usable(s.levels[pair.level + 1]))) {
            FourAtOnce<M>(s, pair, pu, pv, out, n);
            return;
        }
    }
    PairsOfPixels<M>(s, pair, pu, pv, out, n);
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
