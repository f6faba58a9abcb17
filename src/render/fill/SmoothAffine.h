// The smooth affine loops, written once over the vector of doubles that names the build
// (LaneVectors.h) and compiled for SSE2 (SmoothLoops.cpp) and AVX2 (SmoothLoopsAvx2.cpp).
// The 32.32 positions step as the reference steps them; on clamped edges whole groups of
// pixels sample at once (four with SSE2, SmoothQuads.h; eight with AVX2,
// SmoothQuadsWide.h), on the other edge modes two at a time with the vector blend.
//
// Every function here is a template on the vector type, so the two compilations never
// define the same function.
#pragma once

#include "render/fill/EdgeMode.h"
#include "render/fill/ImageFill.h"
#include "render/fill/SmoothQuads.h"
#include "render/fill/SmoothQuadsWide.h"
#include "render/fill/SmoothSample.h"

#include <cstdint>

namespace smooth_affine {

template <class V, EdgeMode M>
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

// Clamped edges on usable levels, a group of pixels at a time; the last few pixels of a
// span go through a buffer, their missing neighbours repeating the last one.
template <class V, EdgeMode M>
void Groups(const ImageFillState& s, smooth::LevelPair pair, uint64_t pu, uint64_t pv,
            uint32_t* out, int32_t n) {
    constexpr int kGroup = V::kLanes == 4 ? 8 : 4;
    using smooth_quads::MakeLevel;
    const smooth_quads::QuadLevel first = MakeLevel(s.levels[pair.level], pair.level);
    const smooth_quads::QuadLevel second =
        pair.t > 0 ? MakeLevel(s.levels[pair.level + 1], pair.level + 1) : first;
    const smooth_quads::QuadLevel* next = pair.t > 0 ? &second : nullptr;
    const __m128i t = _mm_set1_epi16(static_cast<int16_t>(pair.t));
    const uint64_t du = static_cast<uint64_t>(s.stepU), dv = static_cast<uint64_t>(s.stepV);
    for (int32_t k = 0; k < n; k += kGroup, pu += kGroup * du, pv += kGroup * dv) {
        alignas(32) int32_t xs[kGroup], ys[kGroup];
        alignas(16) uint32_t rest[kGroup];
        const int32_t left = n - k < kGroup ? n - k : kGroup;
        for (int j = 0; j < kGroup; ++j) {
            const uint64_t m = static_cast<uint64_t>(j < left ? j : left - 1);
            xs[j] = smooth::AffineSubTexel(static_cast<int64_t>(pu + m * du));
            ys[j] = smooth::AffineSubTexel(static_cast<int64_t>(pv + m * dv));
        }
        uint32_t* to = left == kGroup ? out + k : rest;
        __m128i x[kGroup / 4], y[kGroup / 4], unlit[kGroup / 4];
        for (int q = 0; q < kGroup / 4; ++q) {
            x[q] = _mm_load_si128(reinterpret_cast<const __m128i*>(xs + 4 * q));
            y[q] = _mm_load_si128(reinterpret_cast<const __m128i*>(ys + 4 * q));
        }
        if constexpr (kGroup == 8) {
            smooth_quads_wide::Sample8<V>(first, next, t, _mm256_set_m128i(x[1], x[0]),
                                          _mm256_set_m128i(y[1], y[0]), unlit);
        } else {
            unlit[0] = smooth_quads::Sample4(first, next, t, x[0], y[0]);
        }
        for (int q = 0; q < kGroup / 4; ++q) {
            smooth_quads::Finish<M>(s, unlit[q], x[q], y[q], to + 4 * q);
        }
        for (int32_t j = 0; to == rest && j < left; ++j) {
            out[k + j] = rest[j];
        }
    }
}

template <class V, EdgeMode M>
void Loop(const ImageFillState& s, int64_t u, int64_t v, uint32_t* out, int32_t n) {
    const smooth::LevelPair pair = smooth::PairOf(s.affineLod, s.levelCount);
    const uint64_t pu = static_cast<uint64_t>(u), pv = static_cast<uint64_t>(v);
    if constexpr (M == EdgeMode::kClamp || M == EdgeMode::kOutside) {
        if (smooth_quads::Usable(s.levels[pair.level]) &&
            (pair.t == 0 || smooth_quads::Usable(s.levels[pair.level + 1]))) {
            Groups<V, M>(s, pair, pu, pv, out, n);
            return;
        }
    }
    PairsOfPixels<V, M>(s, pair, pu, pv, out, n);
}

template <class V>
constexpr AffineLoopFn kLoops[kEdgeModeCount] = {
    &Loop<V, EdgeMode::kClamp>,  &Loop<V, EdgeMode::kOutside>,   &Loop<V, EdgeMode::kRepeat>,
    &Loop<V, EdgeMode::kMirror>, &Loop<V, EdgeMode::kBrickRows>, &Loop<V, EdgeMode::kBrickColumns>,
};

} // namespace smooth_affine
