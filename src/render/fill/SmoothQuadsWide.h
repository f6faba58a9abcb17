// SmoothQuads.h's four-pixel sampling with 256-bit integer vectors: one row of all four
// pixels' texel pairs in one register (gathered where the build allows), blended as 16-bit
// lanes [pixel 0, pixel 1 | pixel 2, pixel 3]. The same weights and roundings, so the same
// pixels bit for bit.
//
// Every function here is a template (on the vector of doubles whose loops use it), so it is
// compiled only inside the AVX2 region of SmoothLoopsAvx2.cpp, never for plain SSE2 code.
#pragma once

#include "render/core/FastPaths.h"
#include "render/fill/SmoothQuads.h"

#include <immintrin.h>

#include <cstdint>

namespace smooth_quads_wide {

// A byte shuffle broadcasting, in each 128-bit half, 16-bit lane `a` over lanes 0-3 and
// `b` over 4-7 (lower half), `c` and `d` likewise (upper half).
template <class V> __m256i Picks(int a, int b, int c, int d) {
    const auto lo = [](int k) { return static_cast<char>(2 * k); };
    const auto hi = [](int k) { return static_cast<char>(2 * k + 1); };
    return _mm256_setr_epi8(lo(a), hi(a), lo(a), hi(a), lo(a), hi(a), lo(a), hi(a), lo(b), hi(b),
                            lo(b), hi(b), lo(b), hi(b), lo(b), hi(b), lo(c), hi(c), lo(c), hi(c),
                            lo(c), hi(c), lo(c), hi(c), lo(d), hi(d), lo(d), hi(d), lo(d), hi(d),
                            lo(d), hi(d));
}

template <class V> __m256i Lerp16(__m256i p, __m256i q, __m256i g, __m256i f, int bits) {
    const __m256i sum = _mm256_add_epi16(_mm256_mullo_epi16(p, g), _mm256_mullo_epi16(q, f));
    const __m256i half = _mm256_set1_epi16(static_cast<int16_t>(1 << (bits - 1)));
    return _mm256_srli_epi16(_mm256_add_epi16(sum, half), bits);
}

// The texel pairs at texels + offsets (four 32-bit offsets), pixels 0-3 in 64-bit lanes.
template <class V> __m256i Pairs(const uint32_t* texels, __m128i offsets) {
    if constexpr (fast_paths::kGatherLoads) {
        return _mm256_i32gather_epi64(reinterpret_cast<const long long*>(texels), offsets, 4);
    } else {
        alignas(16) int32_t at[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(at), offsets);
        const auto pair = [&](int k) {
            return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(texels + at[k]));
        };
        return _mm256_set_m128i(_mm_unpacklo_epi64(pair(2), pair(3)),
                                _mm_unpacklo_epi64(pair(0), pair(1)));
    }
}

// One row's horizontal blend of four pixels: [0, 1 | 2, 3], 16-bit lanes.
template <class V> __m256i Row(__m256i pairs, __m256i wEven, __m256i wOdd) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i even = _mm256_mullo_epi16(_mm256_unpacklo_epi8(pairs, zero), wEven); // 0 | 2
    const __m256i odd = _mm256_mullo_epi16(_mm256_unpackhi_epi8(pairs, zero), wOdd);   // 1 | 3
    const __m256i sum =
        _mm256_add_epi16(_mm256_unpacklo_epi64(even, odd), _mm256_unpackhi_epi64(even, odd));
    return _mm256_srli_epi16(_mm256_add_epi16(sum, _mm256_set1_epi16(smooth::kHalf)),
                             smooth::kSubBits);
}

// smooth_quads::Locate for eight pixels: pixels 0-3 in where[0], 4-7 in where[1].
template <class V>
void Locate8(const smooth_quads::QuadLevel& l, __m256i x, __m256i y,
             smooth_quads::Where (&where)[2]) {
    const __m256i zero = _mm256_setzero_si256(), half = _mm256_set1_epi32(smooth::kHalf);
    const __m256i xl = _mm256_sub_epi32(_mm256_sra_epi32(_mm256_add_epi32(x, half), l.shift), half);
    const __m256i yl = _mm256_sub_epi32(_mm256_sra_epi32(_mm256_add_epi32(y, half), l.shift), half);
    __m256i ij = _mm256_packs_epi32(_mm256_srai_epi32(xl, smooth::kSubBits),
                                    _mm256_srai_epi32(yl, smooth::kSubBits));
    ij = _mm256_min_epi16(_mm256_max_epi16(ij, zero), _mm256_broadcastsi128_si256(l.last));
    const __m256i i32 = _mm256_unpacklo_epi16(ij, zero), j32 = _mm256_unpackhi_epi16(ij, zero);
    __m256i f = _mm256_packs_epi32(_mm256_sub_epi32(xl, _mm256_slli_epi32(i32, smooth::kSubBits)),
                                   _mm256_sub_epi32(yl, _mm256_slli_epi32(j32, smooth::kSubBits)));
    f = _mm256_min_epi16(_mm256_max_epi16(f, zero), _mm256_set1_epi16(smooth::kSub));
    const __m256i pairs = _mm256_unpacklo_epi16(ij, _mm256_unpackhi_epi64(ij, ij));
    const __m256i offsets = _mm256_madd_epi16(pairs, _mm256_broadcastsi128_si256(l.scale));
    where[0] = {_mm256_castsi256_si128(offsets), _mm256_castsi256_si128(f)};
    where[1] = {_mm256_extracti128_si256(offsets, 1), _mm256_extracti128_si256(f, 1)};
}

// The bilinear values of four pixels in level l: 16-bit lanes [0, 1 | 2, 3].
template <class V>
__m256i Bilinear4(const smooth_quads::QuadLevel& l, const smooth_quads::Where& where) {
    const __m128i g = _mm_sub_epi16(_mm_set1_epi16(smooth::kSub), where.f);
    // (128 - fu, fu) and (128 - fv, fv) of each pixel, spread over its channels.
    const __m256i u = _mm256_broadcastsi128_si256(_mm_unpacklo_epi64(g, where.f));
    const __m256i v = _mm256_broadcastsi128_si256(_mm_unpackhi_epi64(g, where.f));
    const __m256i wEven = _mm256_shuffle_epi8(u, Picks<V>(0, 4, 2, 6));
    const __m256i wOdd = _mm256_shuffle_epi8(u, Picks<V>(1, 5, 3, 7));
    const __m256i top = Row<V>(Pairs<V>(l.texels, where.offsets), wEven, wOdd);
    const __m256i bottom = Row<V>(Pairs<V>(l.texels + l.width, where.offsets), wEven, wOdd);
    return Lerp16<V>(top, bottom, _mm256_shuffle_epi8(v, Picks<V>(0, 1, 2, 3)),
                     _mm256_shuffle_epi8(v, Picks<V>(4, 5, 6, 7)), smooth::kSubBits);
}

// smooth_quads::Sample4 for eight pixels with the wide blend: pixels 0-3 in out[0], 4-7 in
// out[1]; t holds the eight weights of `second` in 16-bit lanes.
template <class V>
void Sample8(const smooth_quads::QuadLevel& first, const smooth_quads::QuadLevel* second, __m128i t,
             __m256i x, __m256i y, __m128i (&out)[2]) {
    smooth_quads::Where at[2], next[2];
    Locate8<V>(first, x, y, at);
    if (second != nullptr) {
        Locate8<V>(*second, x, y, next);
    }
    for (int q = 0; q < 2; ++q) {
        __m256i c = Bilinear4<V>(first, at[q]);
        if (second != nullptr) {
            const __m256i tt = _mm256_shuffle_epi8(
                _mm256_broadcastsi128_si256(t), Picks<V>(4 * q, 4 * q + 1, 4 * q + 2, 4 * q + 3));
            c = Lerp16<V>(c, Bilinear4<V>(*second, next[q]),
                          _mm256_sub_epi16(_mm256_set1_epi16(256), tt), tt, 8);
        }
        const __m256i bytes = _mm256_packus_epi16(c, c); // [0, 1, 0, 1 | 2, 3, 2, 3]
        out[q] = _mm256_castsi256_si128(_mm256_permute4x64_epi64(bytes, 0x08));
    }
}

} // namespace smooth_quads_wide
