// The clamped perspective loop on processors with 256-bit vectors (AVX2), chosen at run
// time. It walks the same sixteen lanes as PerspectiveWalker with the same IEEE operations
// in the same order (no fused multiply-add), eight to a register instead of four, so it
// yields exactly the same texels; plain 32-bit pictures are read eight texels at a time.
//
// The lane values are plain local vectors and the walk is two loops, the inner one between
// anchors without a branch on them: with the values in a structure, or an anchor test in
// every step, the compiler keeps them in memory.
#pragma once

#include "render/CpuFeatures.h"
#include "render/PerspectiveWalker.h"
#include "render/TexelFetch.h"

#include <immintrin.h>

#include <cstdint>

namespace perspective_wide {

#define VC_WIDE __attribute__((target("avx2")))
#define VC_WIDE_INLINE __attribute__((target("avx2"), always_inline)) inline

// As PerspectiveWalker::Lanes, for the runs of blocks b and b + 1 from pixel `run`.
VC_WIDE_INLINE __m256 Lanes(double base, double step, int32_t run, int32_t block, int b) {
    const __m256d lanes = _mm256_set_pd(3, 2, 1, 0);
    const __m256d first = _mm256_add_pd(_mm256_set1_pd(run + b * block), lanes);
    const __m256d second = _mm256_add_pd(_mm256_set1_pd(run + (b + 1) * block), lanes);
    const __m256d t = _mm256_set1_pd(base), s = _mm256_set1_pd(step);
    return _mm256_set_m128(_mm256_cvtpd_ps(_mm256_add_pd(t, _mm256_mul_pd(s, second))),
                           _mm256_cvtpd_ps(_mm256_add_pd(t, _mm256_mul_pd(s, first))));
}

// Byte offsets of eight texels, as PerspectiveWalker::NextOffsets gives them: positions
// above the upper limit (or NaN) are limited before rounding, and the rounded values
// raised to 0 (a NaN or a position below -2^31 rounds to INT32_MIN).
VC_WIDE_INLINE __m256i Offsets(__m256 u, __m256 v, __m256 r, __m256 highU, __m256 highV,
                               __m256i scale) {
    const __m256i iu = _mm256_cvtps_epi32(_mm256_min_ps(highU, _mm256_mul_ps(u, r)));
    const __m256i iv = _mm256_cvtps_epi32(_mm256_min_ps(highV, _mm256_mul_ps(v, r)));
    // Packing with unsigned saturation raises them to 0 (they are at most 32767 above);
    // then each pixel's u and v side by side, for the multiply-add.
    const __m256i pairs = _mm256_broadcastsi128_si256(
        _mm_setr_epi8(0, 1, 8, 9, 2, 3, 10, 11, 4, 5, 12, 13, 6, 7, 14, 15));
    return _mm256_madd_epi16(_mm256_shuffle_epi8(_mm256_packus_epi32(iu, iv), pairs), scale);
}

VC_WIDE_INLINE __m256 Refine(__m256 r, __m256 d) {
    return _mm256_mul_ps(r, _mm256_sub_ps(_mm256_set1_ps(2.0f), _mm256_mul_ps(d, r)));
}

// The texels of one step: lanes 4b .. 4b + 3 of `offsets` (blocks 2k, 2k + 1) go to the run
// at `run` of block b, cut at the span's end n.
template <SourceFormat F, bool Plain>
VC_WIDE_INLINE void Put(const ImageFillState& s, __m256i offsets, uint32_t* out, int32_t n,
                        int32_t block, int32_t run, int k) {
    constexpr int kRun = PerspectiveWalker::kRun;
    const uint8_t* const base = s.rows[0];
    const int32_t first = 2 * k * block + run, second = first + block;
    if constexpr (cpu::kGatherLoads && Plain && F == SourceFormat::k32Bit) {
        if (second + kRun <= n) {
            const __m256i texels = _mm256_and_si256(
                _mm256_i32gather_epi32(reinterpret_cast<const int*>(base), offsets, 1),
                _mm256_set1_epi32(0x00FFFFFF));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + first),
                             _mm256_castsi256_si128(texels));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + second),
                             _mm256_extracti128_si256(texels, 1));
            return;
        }
    }
    alignas(32) uint32_t off[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(off), offsets);
    for (int j = 0; j < kRun && first + j < n; ++j) {
        out[first + j] = texel::FetchAt<F, Plain>(s, base + off[j]);
    }
    for (int j = 0; j < kRun && second + j < n; ++j) {
        out[second + j] = texel::FetchAt<F, Plain>(s, base + off[kRun + j]);
    }
}

// Clamped edges, for pictures whose offsets fit (texel::OffsetsFit).
template <SourceFormat F, bool Plain>
VC_WIDE void ClampedByOffsets(const ImageFillState& s, const PerspectiveWalker& w, uint32_t* out,
                              int32_t n) {
    static_assert(PerspectiveWalker::kBlocks == 4 && PerspectiveWalker::kRun == 4);
    constexpr int kRun = PerspectiveWalker::kRun;
    const __m256 highU = _mm256_set1_ps(static_cast<float>(s.width - 1));
    const __m256 highV = _mm256_set1_ps(static_cast<float>(s.height - 1));
    const __m256i scale =
        _mm256_set1_epi32(static_cast<int32_t>(s.stride << 16) | texel::BytesPerTexel<F>());
    const __m256 stepD = _mm256_set_m128(w.stepD, w.stepD);
    const __m256 stepU = _mm256_set_m128(w.stepU, w.stepU);
    const __m256 stepV = _mm256_set_m128(w.stepV, w.stepV);
    __m256 d0 = _mm256_set_m128(w.d[1], w.d[0]), d1 = _mm256_set_m128(w.d[3], w.d[2]);
    __m256 r0 = _mm256_set_m128(w.r[1], w.r[0]), r1 = _mm256_set_m128(w.r[3], w.r[2]);
    __m256 u0 = _mm256_set_m128(w.u[1], w.u[0]), u1 = _mm256_set_m128(w.u[3], w.u[2]);
    __m256 v0 = _mm256_set_m128(w.v[1], w.v[0]), v1 = _mm256_set_m128(w.v[3], w.v[2]);
    const int32_t block = w.block;
    int32_t run = w.pixel;
    int32_t steps = w.untilAnchor;
    while (run < block) {
        // The steps up to the next anchor; the last of them takes the lanes afresh.
        for (;;) {
            Put<F, Plain>(s, Offsets(u0, v0, r0, highU, highV, scale), out, n, block, run, 0);
            Put<F, Plain>(s, Offsets(u1, v1, r1, highU, highV, scale), out, n, block, run, 1);
            run += kRun;
            if (--steps == 0 || run >= block) {
                break;
            }
            d0 = _mm256_add_ps(d0, stepD);
            d1 = _mm256_add_ps(d1, stepD);
            u0 = _mm256_add_ps(u0, stepU);
            u1 = _mm256_add_ps(u1, stepU);
            v0 = _mm256_add_ps(v0, stepV);
            v1 = _mm256_add_ps(v1, stepV);
            r0 = Refine(r0, d0);
            r1 = Refine(r1, d1);
        }
        if (run >= block) {
            break;
        }
        d0 = Lanes(w.spanD, w.pixelD, run, block, 0);
        d1 = Lanes(w.spanD, w.pixelD, run, block, 2);
        u0 = Lanes(w.spanU, w.pixelU, run, block, 0);
        u1 = Lanes(w.spanU, w.pixelU, run, block, 2);
        v0 = Lanes(w.spanV, w.pixelV, run, block, 0);
        v1 = Lanes(w.spanV, w.pixelV, run, block, 2);
        r0 = Refine(r0, d0);
        r1 = Refine(r1, d1);
        steps = PerspectiveWalker::kAnchorSteps;
    }
}

} // namespace perspective_wide

#undef VC_WIDE
#undef VC_WIDE_INLINE
