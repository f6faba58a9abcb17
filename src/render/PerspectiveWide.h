// The clamped perspective loop on processors with 256-bit vectors (AVX2), chosen at run
// time. It walks the same sixteen lanes as PerspectiveWalker with the same IEEE operations
// in the same order (no fused multiply-add), eight to a register instead of four, so it
// yields exactly the same texels; plain 32-bit pictures are read eight texels at a time.
#pragma once

#include "render/PerspectiveWalker.h"
#include "render/TexelFetch.h"

#include <immintrin.h>

#include <cstdint>

namespace perspective_wide {

#define VC_WIDE __attribute__((target("avx2")))
// The walk's steps must be inlined into the loop for its values to stay in registers.
#define VC_WIDE_INLINE __attribute__((target("avx2"), always_inline)) inline

struct Walk {
    static constexpr int kRegs = 2;
    // Lanes 8k .. 8k + 7 (blocks 2k, 2k + 1) in register k.
    __m256 d[kRegs], r[kRegs], u[kRegs], v[kRegs];
    __m256 stepD, stepU, stepV, two;
    PerspectiveWalker narrow; // the span's values in double, the run and the anchor count

    VC_WIDE_INLINE explicit Walk(const PerspectiveWalker& w) : narrow(w) {
        static_assert(PerspectiveWalker::kLanes == 16 && PerspectiveWalker::kRun == 4);
        for (int k = 0; k < kRegs; ++k) {
            d[k] = _mm256_set_m128(w.d[2 * k + 1], w.d[2 * k]);
            r[k] = _mm256_set_m128(w.r[2 * k + 1], w.r[2 * k]);
            u[k] = _mm256_set_m128(w.u[2 * k + 1], w.u[2 * k]);
            v[k] = _mm256_set_m128(w.v[2 * k + 1], w.v[2 * k]);
        }
        stepD = _mm256_set_m128(w.stepD, w.stepD);
        stepU = _mm256_set_m128(w.stepU, w.stepU);
        stepV = _mm256_set_m128(w.stepV, w.stepV);
        two = _mm256_set1_ps(2.0f);
    }

    // As PerspectiveWalker::Lanes, for the runs of two blocks starting at pixels a and b.
    static VC_WIDE_INLINE __m256 Lanes(double base, double step, __m256d a, __m256d b) {
        const __m256d t = _mm256_set1_pd(base), s = _mm256_set1_pd(step);
        return _mm256_set_m128(_mm256_cvtpd_ps(_mm256_add_pd(t, _mm256_mul_pd(s, b))),
                               _mm256_cvtpd_ps(_mm256_add_pd(t, _mm256_mul_pd(s, a))));
    }

    VC_WIDE_INLINE void Anchor() {
        const __m256d lanes = _mm256_set_pd(3, 2, 1, 0);
        for (int k = 0; k < kRegs; ++k) {
            const int32_t first = narrow.pixel + 2 * k * narrow.block;
            const __m256d a = _mm256_add_pd(_mm256_set1_pd(first), lanes);
            const __m256d b = _mm256_add_pd(_mm256_set1_pd(first + narrow.block), lanes);
            d[k] = Lanes(narrow.spanD, narrow.pixelD, a, b);
            u[k] = Lanes(narrow.spanU, narrow.pixelU, a, b);
            v[k] = Lanes(narrow.spanV, narrow.pixelV, a, b);
        }
        narrow.untilAnchor = PerspectiveWalker::kAnchorSteps;
    }

    // Byte offsets of the next sixteen texels, as PerspectiveWalker::NextOffsets gives them:
    // positions above the upper limit (or NaN) are limited before rounding, and the rounded
    // values raised to 0 (a NaN or a position below -2^31 rounds to INT32_MIN).
    VC_WIDE_INLINE void NextOffsets(__m256 highU, __m256 highV, __m256i scale,
                                    __m256i (&offsets)[kRegs]) {
        const __m256i zero = _mm256_setzero_si256();
        for (int k = 0; k < kRegs; ++k) {
            const __m256i iu = _mm256_cvtps_epi32(_mm256_min_ps(highU, _mm256_mul_ps(u[k], r[k])));
            const __m256i iv = _mm256_cvtps_epi32(_mm256_min_ps(highV, _mm256_mul_ps(v[k], r[k])));
            // Both are now in [0, 32767]: v in the high halves, u in the low ones.
            const __m256i uv = _mm256_or_si256(_mm256_max_epi32(iu, zero),
                                               _mm256_slli_epi32(_mm256_max_epi32(iv, zero), 16));
            offsets[k] = _mm256_madd_epi16(uv, scale);
        }
        Advance();
    }

    VC_WIDE_INLINE void Advance() {
        narrow.pixel += PerspectiveWalker::kRun;
        if (--narrow.untilAnchor == 0) {
            Anchor();
        } else {
            for (int k = 0; k < kRegs; ++k) {
                d[k] = _mm256_add_ps(d[k], stepD);
                u[k] = _mm256_add_ps(u[k], stepU);
                v[k] = _mm256_add_ps(v[k], stepV);
            }
        }
        for (int k = 0; k < kRegs; ++k) {
            r[k] = _mm256_mul_ps(r[k], _mm256_sub_ps(two, _mm256_mul_ps(d[k], r[k])));
        }
    }
};

// Clamped edges, for pictures whose offsets fit (texel::OffsetsFit).
template <SourceFormat F, bool Plain>
VC_WIDE void ClampedByOffsets(const ImageFillState& s, const PerspectiveWalker& narrow,
                              uint32_t* out, int32_t n) {
    constexpr int kBytes = texel::BytesPerTexel<F>();
    constexpr int kRun = PerspectiveWalker::kRun;
    constexpr int kBlocks = PerspectiveWalker::kBlocks;
    constexpr bool kGather = Plain && F == SourceFormat::k32Bit;
    Walk walk(narrow);
    const __m256 highU = _mm256_set1_ps(static_cast<float>(s.width - 1));
    const __m256 highV = _mm256_set1_ps(static_cast<float>(s.height - 1));
    const __m256i scale = _mm256_set1_epi32(static_cast<int32_t>(s.stride << 16) | kBytes);
    const __m256i colour = _mm256_set1_epi32(0x00FFFFFF);
    const uint8_t* const base = s.rows[0];
    const int32_t block = narrow.block;
    __m256i offsets[Walk::kRegs];
    alignas(32) uint32_t off[PerspectiveWalker::kLanes];
    int32_t run = 0;
    // While the last block is whole too: sixteen texels at once.
    for (; (kBlocks - 1) * block + run + kRun <= n; run += kRun) {
        walk.NextOffsets(highU, highV, scale, offsets);
        if constexpr (kGather) {
            for (int k = 0; k < Walk::kRegs; ++k) {
                const __m256i texels = _mm256_and_si256(
                    _mm256_i32gather_epi32(reinterpret_cast<const int*>(base), offsets[k], 1),
                    colour);
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * k * block + run),
                                 _mm256_castsi256_si128(texels));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + (2 * k + 1) * block + run),
                                 _mm256_extracti128_si256(texels, 1));
            }
        } else {
            _mm256_store_si256(reinterpret_cast<__m256i*>(off), offsets[0]);
            _mm256_store_si256(reinterpret_cast<__m256i*>(off + 8), offsets[1]);
            for (int b = 0; b < kBlocks; ++b) {
                for (int j = 0; j < kRun; ++j) {
                    out[b * block + run + j] =
                        texel::FetchAt<F, Plain>(s, base + off[b * kRun + j]);
                }
            }
        }
    }
    for (; run < block; run += kRun) {
        walk.NextOffsets(highU, highV, scale, offsets);
        _mm256_store_si256(reinterpret_cast<__m256i*>(off), offsets[0]);
        _mm256_store_si256(reinterpret_cast<__m256i*>(off + 8), offsets[1]);
        for (int b = 0; b < kBlocks; ++b) {
            const int32_t first = b * block + run;
            for (int j = 0; j < kRun && first + j < n; ++j) {
                out[first + j] = texel::FetchAt<F, Plain>(s, base + off[b * kRun + j]);
            }
        }
    }
}

} // namespace perspective_wide

#undef VC_WIDE
#undef VC_WIDE_INLINE
