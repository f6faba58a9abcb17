// The perspective span loops, written once over a vector of doubles (LaneVectors.h) and
// compiled twice: for SSE2 (PerspectiveLoops.cpp) and for AVX2 (PerspectiveLoopsAvx2.cpp,
// which includes this header with the whole of it compiled for AVX2).
//
// Every span's texels follow ReferencePerspectiveLoop exactly: D, U and V step by the map's
// x coefficients, the reciprocal r is refined from the previous pixel's by one Newton-Raphson
// step, r := r·(2 - D·r), and the texel is (U·r, V·r) rounded to nearest. That chain is a
// multiply, a subtraction and a multiply deep per pixel, about twelve cycles however wide the
// vectors are; so a loop walks up to kPerspectiveBatch spans (other rows, or other spans of a
// row) side by side, one span to a lane. Each lane does the reference's operations in the
// reference's order: only the order in which pixels of different spans are made differs.
//
// Lanes without a span, and lanes whose span has ended, keep stepping and write to a sink.
// Their positions mean nothing, but every index is limited or folded into the picture
// before a texel is read, so they read nothing outside it.
//
// Every function here is a template on the vector type, so the two compilations never
// define the same function (a function compiled for AVX2 must never stand in for one that
// is not).
#pragma once

#include "render/core/FastPaths.h"
#include "render/fill/EdgeMode.h"
#include "render/fill/ImageFill.h"
#include "render/fill/SpanLoopTable.h"
#include "render/fill/TexelFetch.h"

#include <emmintrin.h>

#include <array>
#include <cstdint>
#include <utility>

namespace perspective_batch {

constexpr int kBatch = kPerspectiveBatch;
static_assert(kBatch % 4 == 0);

// D, U, V and r of every lane; lanes 4q .. 4q + 3 form quad q.
template <class V> struct Lanes {
    static constexpr int kRegs = kBatch / V::kLanes;
    static constexpr int kPerQuad = 4 / V::kLanes;
    static constexpr int kQuads = kBatch / 4;

    V d[kRegs], u[kRegs], v[kRegs], r[kRegs];
    V stepD, stepU, stepV;

    Lanes(const PerspectiveMap& m, const PerspectiveSpan* spans, int count) {
        alignas(32) double sd[kBatch], su[kBatch], sv[kBatch];
        for (int i = 0; i < kBatch; ++i) {
            const bool used = i < count;
            sd[i] = used ? spans[i].d : 1.0;
            su[i] = used ? spans[i].u : 0.0;
            sv[i] = used ? spans[i].v : 0.0;
        }
        const V one = V::Set1(1.0);
        for (int j = 0; j < kRegs; ++j) {
            d[j] = V::Load(sd + j * V::kLanes);
            u[j] = V::Load(su + j * V::kLanes);
            v[j] = V::Load(sv + j * V::kLanes);
            r[j] = one / d[j];
        }
        stepD = V::Set1(m.dx);
        stepU = V::Set1(m.ux);
        stepV = V::Set1(m.vx);
    }

    void Step() {
        const V two = V::Set1(2.0);
        for (int j = 0; j < kRegs; ++j) {
            d[j] = d[j] + stepD;
            u[j] = u[j] + stepU;
            v[j] = v[j] + stepV;
            r[j] = r[j] * (two - d[j] * r[j]);
        }
    }

    // The nearest integers of p·r for quad q, p limited to [low, high] first (a NaN becomes
    // low). Limiting to whole numbers and rounding commute, so this is the reference's
    // rounding followed by the same limits.
    __m128i Nearest(const V* p, int q, V low, V high) const {
        V x[kPerQuad];
        for (int j = 0; j < kPerQuad; ++j) {
            const int reg = q * kPerQuad + j;
            x[j] = V::Min(V::Max(p[reg] * r[reg], low), high);
        }
        return V::Nearest4(x);
    }
};

// Runs the lanes over the spans: texels(lanes, t) gives the current pixel's texel of every
// lane in t[0 .. kBatch).
template <class V, class Texels>
void Walk(const ImageFillState& s, const PerspectiveSpan* spans, int count, Texels texels) {
    Lanes<V> lanes(s.persp, spans, count);
    uint32_t sink;
    uint32_t* at[kBatch];
    int step[kBatch];
    for (int i = 0; i < kBatch; ++i) {
        at[i] = i < count ? spans[i].out : &sink;
        step[i] = i < count ? 1 : 0;
    }
    int32_t done = 0;
    for (;;) {
        // Up to the next end of a span no lane needs a test.
        int32_t until = INT32_MAX;
        for (int i = 0; i < count; ++i) {
            if (spans[i].n > done && spans[i].n < until) {
                until = spans[i].n;
            }
        }
        if (until == INT32_MAX) {
            return;
        }
        for (; done < until; ++done) {
            alignas(16) uint32_t t[kBatch];
            texels(lanes, t);
            for (int i = 0; i < kBatch; ++i) {
                *at[i] = t[i];
                at[i] += step[i];
            }
            lanes.Step();
        }
        for (int i = 0; i < count; ++i) {
            if (spans[i].n == until) {
                at[i] = &sink;
                step[i] = 0;
            }
        }
    }
}

// Clamped edges on pictures whose texels OffsetsFit: both indices limited in the lanes and
// combined into byte offsets v·stride + u·bytes by one 16-bit multiply-add.
template <class V, SourceFormat F, bool Plain>
void ClampedByOffsets(const ImageFillState& s, const PerspectiveSpan* spans, int count) {
    const V zero = V::Set1(0.0);
    const V highU = V::Set1(s.width - 1), highV = V::Set1(s.height - 1);
    const __m128i scale =
        _mm_set1_epi32(static_cast<int32_t>(s.stride << 16) | texel::BytesPerTexel<F>());
    const uint8_t* const base = s.rows[0];
    Walk<V>(s, spans, count, [&](const Lanes<V>& lanes, uint32_t(&t)[kBatch]) {
        for (int q = 0; q < Lanes<V>::kQuads; ++q) {
            const __m128i iu = lanes.Nearest(lanes.u, q, zero, highU);
            const __m128i iv = lanes.Nearest(lanes.v, q, zero, highV);
            // Indices are 0 .. 32767: packing keeps them; then each u beside its v.
            const __m128i uv = _mm_packs_epi32(iu, iv);
            const __m128i offsets =
                _mm_madd_epi16(_mm_unpacklo_epi16(uv, _mm_unpackhi_epi64(uv, uv)), scale);
            if constexpr (V::kGather && fast_paths::kGatherLoads && Plain &&
                          F == SourceFormat::k32Bit) {
                const __m128i texels =
                    _mm_and_si128(V::Gather32(base, offsets), _mm_set1_epi32(0x00FFFFFF));
                _mm_store_si128(reinterpret_cast<__m128i*>(t + 4 * q), texels);
            } else {
                alignas(16) uint32_t off[4];
                _mm_store_si128(reinterpret_cast<__m128i*>(off), offsets);
                for (int j = 0; j < 4; ++j) {
                    t[4 * q + j] = texel::FetchAt<F, Plain>(s, base + off[j]);
                }
            }
        }
    });
}

// Any mode and format: indices limited to the picture (clamped edges) or to ±2^30 and
// folded by the edge mode, then read through the row table.
template <class V, EdgeMode M, SourceFormat F, bool Plain>
void ByRows(const ImageFillState& s, const PerspectiveSpan* spans, int count) {
    constexpr bool kClamp = M == EdgeMode::kClamp;
    constexpr double kLimit = 1073741824.0; // 2^30
    const V lowU = V::Set1(kClamp ? 0.0 : -kLimit), lowV = lowU;
    const V highU = V::Set1(kClamp ? s.width - 1 : kLimit);
    const V highV = V::Set1(kClamp ? s.height - 1 : kLimit);
    const int32_t w = s.width, h = s.height, brick = TexelOf(s.brick);
    const uint8_t* const* rows = s.rows;
    Walk<V>(s, spans, count, [&](const Lanes<V>& lanes, uint32_t(&t)[kBatch]) {
        alignas(16) int32_t iu[kBatch], iv[kBatch];
        for (int q = 0; q < Lanes<V>::kQuads; ++q) {
            _mm_store_si128(reinterpret_cast<__m128i*>(iu + 4 * q),
                            lanes.Nearest(lanes.u, q, lowU, highU));
            _mm_store_si128(reinterpret_cast<__m128i*>(iv + 4 * q),
                            lanes.Nearest(lanes.v, q, lowV, highV));
        }
        for (int i = 0; i < kBatch; ++i) {
            int32_t u = iu[i], v = iv[i];
            if constexpr (!kClamp) {
                if (!edge::FoldIndex(M, u, v, w, h, brick)) {
                    t[i] = s.outside;
                    continue;
                }
            }
            t[i] =
                texel::Fetch<F, Plain>(s, rows[static_cast<uint32_t>(v)], static_cast<uint32_t>(u));
        }
    });
}

template <class V, EdgeMode M, SourceFormat F, bool Plain>
void Loop(const ImageFillState& s, const PerspectiveSpan* spans, int count) {
    if constexpr (M == EdgeMode::kClamp && texel::BytesPerTexel<F>() > 0) {
        if (texel::OffsetsFit<F>(s)) {
            ClampedByOffsets<V, F, Plain>(s, spans, count);
            return;
        }
    }
    ByRows<V, M, F, Plain>(s, spans, count);
}

template <class V> struct Loops {
    template <EdgeMode M, SourceFormat F, bool Plain> static constexpr PerspectiveLoopFn Entry() {
        return &Loop<V, M, F, Plain>;
    }
};

template <class V> constexpr auto kLoops = BuildSpanLoopTable<PerspectiveLoopFn, Loops<V>>();

} // namespace perspective_batch
