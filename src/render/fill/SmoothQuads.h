// Four smooth pixels at once, for the clamped edge modes (clamp and outside) when the four
// sample the same pair of levels: the index and weight arithmetic of SmoothSample.h done in
// vector lanes, and each pixel's 2x2 texels read as two 64-bit loads, one per row.
//
// Clamping both texel indices of a row folds into one limited first index: with
// i' = min(max(i, 0), width - 2) the two texels are i' and i' + 1, and the weight of the
// second becomes min(max(x - 128·i', 0), 128). Left of the picture that weight is 0 and the
// blend gives texel 0; right of it 128 gives texel width - 1; inside it is the weight
// itself. Lerp with weight 0 or 128 returns one operand exactly, so these are the
// reference's values bit for bit. Rows fold the same way. Levels narrower or shorter than
// two texels, or wider than 16-bit indices hold, are not Usable here.
#pragma once

#include "render/fill/ImageFill.h"
#include "render/fill/SmoothSample.h"

#include <emmintrin.h>

#include <cstdint>

namespace smooth_quads {

// One level as the four-pixel sampler reads it.
struct QuadLevel {
    const uint32_t* texels;
    int32_t width;
    __m128i shift; // the level number, as a shift count
    __m128i last;  // 16-bit lanes: width - 2 (0-3), height - 2 (4-7)
    __m128i scale; // 16-bit lane pairs (1, width): a (column, row) pair's texel offset
};

inline bool Usable(const SmoothLevel& l) {
    return l.width >= 2 && l.height >= 2 && l.width <= 32767 && l.height <= 32767;
}

inline QuadLevel MakeLevel(const SmoothLevel& l, int level) {
    const __m128i w = _mm_set1_epi16(static_cast<int16_t>(l.width - 2));
    const __m128i h = _mm_set1_epi16(static_cast<int16_t>(l.height - 2));
    return {l.texels, l.width, _mm_cvtsi32_si128(level), _mm_unpacklo_epi64(w, h),
            _mm_set1_epi32(1 | (l.width << 16))};
}

// Where four pixels at level-0 positions (x, y) read level l: the texel offsets of their
// quads' first texels, and the weights of the second column (16-bit lanes 0-3) and the
// second row (4-7), each 0..128.
struct Where {
    __m128i offsets, f;
};
inline Where Locate(const QuadLevel& l, __m128i x, __m128i y) {
    const __m128i zero = _mm_setzero_si128(), half = _mm_set1_epi32(smooth::kHalf);
    const __m128i xl = _mm_sub_epi32(_mm_sra_epi32(_mm_add_epi32(x, half), l.shift), half);
    const __m128i yl = _mm_sub_epi32(_mm_sra_epi32(_mm_add_epi32(y, half), l.shift), half);
    // Saturating to 16 bits first limits as the level does: its last pair fits in 16 bits.
    __m128i ij =
        _mm_packs_epi32(_mm_srai_epi32(xl, smooth::kSubBits), _mm_srai_epi32(yl, smooth::kSubBits));
    ij = _mm_min_epi16(_mm_max_epi16(ij, zero), l.last);
    const __m128i i32 = _mm_unpacklo_epi16(ij, zero), j32 = _mm_unpackhi_epi16(ij, zero);
    const __m128i f = _mm_packs_epi32(_mm_sub_epi32(xl, _mm_slli_epi32(i32, smooth::kSubBits)),
                                      _mm_sub_epi32(yl, _mm_slli_epi32(j32, smooth::kSubBits)));
    const __m128i pairs = _mm_unpacklo_epi16(ij, _mm_unpackhi_epi64(ij, ij));
    return {_mm_madd_epi16(pairs, l.scale),
            _mm_min_epi16(_mm_max_epi16(f, zero), _mm_set1_epi16(smooth::kSub))};
}

// 16-bit lanes 0-3 of w, each broadcast over four lanes: pixels 0 and 1 (lo), 2 and 3 (hi).
struct Spread {
    __m128i lo, hi;
};
inline Spread SpreadLow(__m128i w) {
    const __m128i twice = _mm_unpacklo_epi16(w, w);
    return {_mm_unpacklo_epi32(twice, twice), _mm_unpackhi_epi32(twice, twice)};
}

// (p·(one - f) + q·f + one/2) >> bits in 16-bit lanes, the weights g = one - f given.
template <int Bits> inline __m128i Lerp16(__m128i p, __m128i q, __m128i g, __m128i f) {
    const __m128i sum = _mm_add_epi16(_mm_mullo_epi16(p, g), _mm_mullo_epi16(q, f));
    return _mm_srli_epi16(_mm_add_epi16(sum, _mm_set1_epi16(1 << (Bits - 1))), Bits);
}

// One row's horizontal blend for two pixels whose texel pairs start at p and q; w holds
// each pixel's (128 - fu) over its first four lanes and fu over the next, per pixel.
inline __m128i RowPair(const uint32_t* p, const uint32_t* q, __m128i wp, __m128i wq) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i a = _mm_mullo_epi16(
        _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), zero), wp);
    const __m128i b = _mm_mullo_epi16(
        _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(q)), zero), wq);
    const __m128i sum = _mm_add_epi16(_mm_unpacklo_epi64(a, b), _mm_unpackhi_epi64(a, b));
    return _mm_srli_epi16(_mm_add_epi16(sum, _mm_set1_epi16(smooth::kHalf)), smooth::kSubBits);
}

// The bilinear values of four pixels in level l: pixels 0, 1 in out[0] and 2, 3 in out[1],
// 16-bit lanes blue, green, red, 0 each.
inline void Bilinear4(const QuadLevel& l, __m128i x, __m128i y, __m128i (&out)[2]) {
    const Where where = Locate(l, x, y);
    const __m128i f = where.f;
    alignas(16) int32_t at[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(at), where.offsets);
    const __m128i g = _mm_sub_epi16(_mm_set1_epi16(smooth::kSub), f);
    const __m128i h = _mm_unpacklo_epi16(g, f); // (128 - fu, fu) of pixels 0-3
    const Spread lo = SpreadLow(h), hi = SpreadLow(_mm_unpackhi_epi64(h, h));
    const Spread gv = SpreadLow(_mm_unpackhi_epi64(g, g)), fv = SpreadLow(_mm_unpackhi_epi64(f, f));
    const Spread rows[2] = {lo, hi};
    const __m128i gvs[2] = {gv.lo, gv.hi}, fvs[2] = {fv.lo, fv.hi};
    for (int k = 0; k < 2; ++k) {
        const uint32_t* p = l.texels + at[2 * k];
        const uint32_t* q = l.texels + at[2 * k + 1];
        const __m128i top = RowPair(p, q, rows[k].lo, rows[k].hi);
        const __m128i bottom = RowPair(p + l.width, q + l.width, rows[k].lo, rows[k].hi);
        out[k] = Lerp16<smooth::kSubBits>(top, bottom, gvs[k], fvs[k]);
    }
}

// The unlit pixels (bytes B, G, R, 0) of four positions sampling `first` and, with weights
// t (16-bit lanes 0-3, 0..255; all 0 leaves `second` unread), `second`.
inline __m128i Sample4(const QuadLevel& first, const QuadLevel* second, __m128i t, __m128i x,
                       __m128i y) {
    __m128i c[2];
    Bilinear4(first, x, y, c);
    if (second != nullptr) {
        __m128i d[2];
        Bilinear4(*second, x, y, d);
        const Spread tt = SpreadLow(t);
        const __m128i one = _mm_set1_epi16(256);
        c[0] = Lerp16<8>(c[0], d[0], _mm_sub_epi16(one, tt.lo), tt.lo);
        c[1] = Lerp16<8>(c[1], d[1], _mm_sub_epi16(one, tt.hi), tt.hi);
    }
    return _mm_packus_epi16(c[0], c[1]);
}

// The finished pixels of four unlit ones: the outside colour where a pixel's nearest
// level-0 texel lies outside the picture (outside mode), then the channel tables.
template <EdgeMode M>
inline void Finish(const ImageFillState& s, __m128i unlit, __m128i x, __m128i y, uint32_t* out) {
    int outside = 0;
    if constexpr (M == EdgeMode::kOutside) {
        const __m128i half = _mm_set1_epi32(smooth::kHalf), zero = _mm_setzero_si128();
        const __m128i i = _mm_srai_epi32(_mm_add_epi32(x, half), smooth::kSubBits);
        const __m128i j = _mm_srai_epi32(_mm_add_epi32(y, half), smooth::kSubBits);
        const __m128i beyond = _mm_or_si128(
            _mm_or_si128(_mm_cmplt_epi32(i, zero), _mm_cmpgt_epi32(i, _mm_set1_epi32(s.width - 1))),
            _mm_or_si128(_mm_cmplt_epi32(j, zero),
                         _mm_cmpgt_epi32(j, _mm_set1_epi32(s.height - 1))));
        outside = _mm_movemask_ps(_mm_castsi128_ps(beyond));
    }
    if (s.plain && outside == 0) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), unlit);
        return;
    }
    alignas(16) uint32_t p[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(p), unlit);
    for (int k = 0; k < 4; ++k) {
        out[k] = (outside >> k) & 1 ? s.outside : smooth::LitPacked(s, p[k]);
    }
}

} // namespace smooth_quads
