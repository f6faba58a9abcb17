// The smooth perspective loops, written once over a vector of doubles (LaneVectors.h) and
// compiled for SSE2 (SmoothLoops.cpp) and AVX2 (SmoothLoopsAvx2.cpp), like the exact ones
// (PerspectiveBatch.h, whose walk they share): up to kPerspectiveBatch spans side by side, one
// to a lane, each doing the reference's operations in the reference's order. The lanes give
// each pixel's position; the texels are then read pixel by pixel and blended two pixels at a
// time with the vector blend of SmoothSample.h.
//
// Every function here is a template on the vector type, so the two compilations never
// define the same function.
#pragma once

#include "render/fill/PerspectiveBatch.h"
#include "render/fill/SmoothSample.h"

namespace smooth_batch {

using perspective_batch::kBatch;
using perspective_batch::Lanes;

// round(p·r·128) for the four lanes of quad q, limited as smooth::SubTexel limits.
template <class V> __m128i SubTexels(const Lanes<V>& lanes, const V* p, int q) {
    const V scale = V::Set1(128.0);
    const V low = V::Set1(-smooth::kPositionLimit), high = V::Set1(smooth::kPositionLimit);
    V x[Lanes<V>::kPerQuad];
    for (int j = 0; j < Lanes<V>::kPerQuad; ++j) {
        const int reg = q * Lanes<V>::kPerQuad + j;
        x[j] = V::Min(V::Max((p[reg] * lanes.r[reg]) * scale, low), high);
    }
    return V::Nearest4(x);
}

template <class V, EdgeMode M>
void Loop(const ImageFillState& s, const PerspectiveSpan* spans, int count) {
    smooth::LevelPair pairs[kBatch];
    for (int i = 0; i < kBatch; ++i) {
        pairs[i] = i < count ? smooth::PairOf(smooth::SpanLod(s.persp, spans[i]), s.levelCount)
                             : smooth::LevelPair{0, 0};
    }
    perspective_batch::Walk<V>(s, spans, count, [&](const Lanes<V>& lanes, uint32_t(&t)[kBatch]) {
        alignas(16) int32_t xs[kBatch], ys[kBatch];
        for (int q = 0; q < Lanes<V>::kQuads; ++q) {
            _mm_store_si128(reinterpret_cast<__m128i*>(xs + 4 * q), SubTexels(lanes, lanes.u, q));
            _mm_store_si128(reinterpret_cast<__m128i*>(ys + 4 * q), SubTexels(lanes, lanes.v, q));
        }
        // Lanes in pairs; an odd last lane pairs with itself.
        for (int i = 0; i < count; i += 2) {
            const int j = i + 1 < count ? i + 1 : i;
            uint32_t second;
            smooth::SamplePairFast<M>(s, pairs[i], xs[i], ys[i], pairs[j], xs[j], ys[j], t[i],
                                      second);
            t[j] = second;
        }
        for (int i = count; i < kBatch; ++i) {
            t[i] = 0;
        }
    });
}

template <class V>
constexpr PerspectiveLoopFn kLoops[kEdgeModeCount] = {
    &Loop<V, EdgeMode::kClamp>,  &Loop<V, EdgeMode::kOutside>,   &Loop<V, EdgeMode::kRepeat>,
    &Loop<V, EdgeMode::kMirror>, &Loop<V, EdgeMode::kBrickRows>, &Loop<V, EdgeMode::kBrickColumns>,
};

} // namespace smooth_batch
