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
#include "render/fill/SmoothQuads.h"
#include "render/fill/SmoothQuadsWide.h"
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

// The lanes pixel by pixel: any levels, any edge mode.
template <class V, EdgeMode M>
void PerPixel(const ImageFillState& s, const PerspectiveSpan* spans, int count,
              const smooth::LevelPair (&pairs)[kBatch]) {
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

// Every span on the same level (and the next, by its own weight), clamped edges: four
// lanes at a time (SmoothQuads.h). Lanes without a span sample too, at clamped positions.
template <class V, EdgeMode M>
void FourAtOnce(const ImageFillState& s, const PerspectiveSpan* spans, int count,
                const smooth::LevelPair (&pairs)[kBatch], bool blend) {
    const int level = pairs[0].level;
    const smooth_quads::QuadLevel first = smooth_quads::MakeLevel(s.levels[level], level);
    const smooth_quads::QuadLevel second =
        blend ? smooth_quads::MakeLevel(s.levels[level + 1], level + 1) : first;
    alignas(16) int16_t weights[kBatch];
    for (int i = 0; i < kBatch; ++i) {
        weights[i] = static_cast<int16_t>(pairs[i].t);
    }
    const smooth_quads::QuadLevel* next = blend ? &second : nullptr;
    perspective_batch::Walk<V>(s, spans, count, [&](const Lanes<V>& lanes, uint32_t(&t)[kBatch]) {
        __m128i x[Lanes<V>::kQuads], y[Lanes<V>::kQuads], unlit[Lanes<V>::kQuads];
        for (int q = 0; q < Lanes<V>::kQuads; ++q) {
            x[q] = SubTexels(lanes, lanes.u, q);
            y[q] = SubTexels(lanes, lanes.v, q);
        }
        if constexpr (V::kLanes == 4 && Lanes<V>::kQuads == 2) {
            const __m128i w = _mm_load_si128(reinterpret_cast<const __m128i*>(weights));
            smooth_quads_wide::Sample8<V>(first, next, w, _mm256_set_m128i(x[1], x[0]),
                                          _mm256_set_m128i(y[1], y[0]), unlit);
        } else {
            for (int q = 0; q < Lanes<V>::kQuads; ++q) {
                const __m128i w =
                    _mm_loadl_epi64(reinterpret_cast<const __m128i*>(weights + 4 * q));
                unlit[q] = smooth_quads::Sample4(first, next, w, x[q], y[q]);
            }
        }
        for (int q = 0; q < Lanes<V>::kQuads; ++q) {
            smooth_quads::Finish<M>(s, unlit[q], x[q], y[q], t + 4 * q);
        }
    });
}

template <class V, EdgeMode M>
void Loop(const ImageFillState& s, const PerspectiveSpan* spans, int count) {
    if (count < 1) {
        return;
    }
    // Lanes without a span take the first span's level and no second one.
    smooth::LevelPair pairs[kBatch];
    bool same = true, blend = false;
    for (int i = 0; i < kBatch; ++i) {
        pairs[i] = i < count ? smooth::PairOf(smooth::SpanLod(s.persp, spans[i]), s.levelCount)
                             : smooth::LevelPair{pairs[0].level, 0};
        same = same && pairs[i].level == pairs[0].level;
        blend = blend || pairs[i].t > 0;
    }
    if constexpr (M == EdgeMode::kClamp || M == EdgeMode::kOutside) {
        const int level = pairs[0].level;
        if (same && smooth_quads::Usable(s.levels[level]) &&
            (!blend || smooth_quads::Usable(s.levels[level + 1]))) {
            FourAtOnce<V, M>(s, spans, count, pairs, blend);
            return;
        }
    }
    PerPixel<V, M>(s, spans, count, pairs);
}

template <class V>
constexpr PerspectiveLoopFn kLoops[kEdgeModeCount] = {
    &Loop<V, EdgeMode::kClamp>,  &Loop<V, EdgeMode::kOutside>,   &Loop<V, EdgeMode::kRepeat>,
    &Loop<V, EdgeMode::kMirror>, &Loop<V, EdgeMode::kBrickRows>, &Loop<V, EdgeMode::kBrickColumns>,
};

} // namespace smooth_batch
