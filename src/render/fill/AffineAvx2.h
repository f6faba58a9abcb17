// The affine loops' run of pixels inside the picture on processors with 256-bit vectors
// (AVX2), chosen at run time: eight pixels per round, their 32.32 positions in 64-bit
// lanes, whose upper halves are the texel indices. Integer arithmetic only, so the texels
// are those of the narrow loops exactly; plain 32-bit pictures are read eight at a time.
#pragma once

#include "render/core/FastPaths.h"
#include "render/fill/TexelFetch.h"

#include <immintrin.h>

#include <cstdint>

namespace affine_avx2 {

// Positions of pixels k, k + 1, k + 4, k + 5 from p by steps d. Pixels 0, 1, 4, 5 go in
// one register and 2, 3, 6, 7 in another: taking the upper halves of both, 128-bit lane
// by lane, then gives pixels 0-7 in order.
__attribute__((target("avx2"), always_inline)) inline __m256i Lanes(uint64_t p, uint64_t d, int k) {
    return _mm256_set_epi64x(
        static_cast<int64_t>(p + (k + 5) * d), static_cast<int64_t>(p + (k + 4) * d),
        static_cast<int64_t>(p + (k + 1) * d), static_cast<int64_t>(p + k * d));
}

// Fills whole rounds of eight pixels of the n from u, v (all inside the picture, whose
// texels OffsetsFit) and returns how many it filled.
template <SourceFormat F, bool Plain>
__attribute__((target("avx2"))) int32_t InsideRounds(const ImageFillState& s, uint64_t u,
                                                     uint64_t v, uint64_t du, uint64_t dv,
                                                     uint32_t* out, int32_t n) {
    constexpr int kBytes = texel::BytesPerTexel<F>();
    constexpr bool kGather = fast_paths::kGatherLoads && Plain && F == SourceFormat::k32Bit;
    const int32_t rounds = n / 8;
    const uint8_t* const base = s.rows[0];
    const __m256i scale = _mm256_set1_epi32(static_cast<int32_t>(s.stride << 16) | kBytes);
    const __m256i colour = _mm256_set1_epi32(0x00FFFFFF);
    __m256i u0 = Lanes(u, du, 0), u1 = Lanes(u, du, 2);
    __m256i v0 = Lanes(v, dv, 0), v1 = Lanes(v, dv, 2);
    const __m256i du8 = _mm256_set1_epi64x(static_cast<int64_t>(8 * du));
    const __m256i dv8 = _mm256_set1_epi64x(static_cast<int64_t>(8 * dv));
    alignas(32) uint32_t off[8];
    for (int32_t k = 0; k < rounds; ++k, out += 8) {
        const __m256i iu = _mm256_castps_si256(_mm256_shuffle_ps(
            _mm256_castsi256_ps(u0), _mm256_castsi256_ps(u1), _MM_SHUFFLE(3, 1, 3, 1)));
        const __m256i iv = _mm256_castps_si256(_mm256_shuffle_ps(
            _mm256_castsi256_ps(v0), _mm256_castsi256_ps(v1), _MM_SHUFFLE(3, 1, 3, 1)));
        // Both below 32768: v in the high halves, u in the low ones.
        const __m256i offsets =
            _mm256_madd_epi16(_mm256_or_si256(iu, _mm256_slli_epi32(iv, 16)), scale);
        u0 = _mm256_add_epi64(u0, du8);
        u1 = _mm256_add_epi64(u1, du8);
        v0 = _mm256_add_epi64(v0, dv8);
        v1 = _mm256_add_epi64(v1, dv8);
        if constexpr (kGather) {
            const __m256i texels =
                _mm256_i32gather_epi32(reinterpret_cast<const int*>(base), offsets, 1);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_and_si256(texels, colour));
        } else {
            _mm256_store_si256(reinterpret_cast<__m256i*>(off), offsets);
            for (int j = 0; j < 8; ++j) {
                out[j] = texel::FetchAt<F, Plain>(s, base + off[j]);
            }
        }
    }
    return 8 * rounds;
}

} // namespace affine_avx2
