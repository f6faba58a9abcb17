// The arithmetic of the smooth picture fills, defined once: where a pixel samples, which
// levels it blends, and the integer weights of the blend. The reference loops
// (SmoothReference.cpp) use the scalar functions; the fast loops (SmoothBatch.h) use the same
// index arithmetic and the vector blend (SamplePairFast), which gives the scalar blend's
// values bit for bit.
//
// Positions. A pixel's position x in level-0 texels is measured from the first texel's
// centre (the perspective map's U/D and the affine u - 1/2), so floor(x) is the texel left
// of the position and x - floor(x) the share of the one right of it. Positions are kept
// as integers X = round(x·128) (kSubBits fraction bits), limited to ±2^30. Level L halves
// every side, texel j of it covering texels 2j and 2j+1 of level L-1, so its position is
//   X_L = ((X + 64) >> L) - 64    (floor shift: the centres move by half a texel)
// and the four texels around it are (i, j), (i+1, j), (i, j+1), (i+1, j+1) with
// i = X_L >> 7 and the weight fu = X_L & 127 of column i+1; indices outside the level are
// folded by the edge mode one by one (the outside mode clamps them; whether a pixel shows
// the outside colour is decided by its nearest level-0 texel, as in the exact fill).
//
// Weights. Each channel c of the four texels a, b (row j) and e, f (row j+1), with
// lerp(p, q, f) = (p·(128 - f) + q·f + 64) >> 7:
//   bilinear = lerp(lerp(a, b, fu), lerp(e, f, fu), fv)
// and two levels L, L+1 blend by the level of detail's fraction t (0..255):
//   trilinear = (p·(256 - t) + q·t + 128) >> 8.
// Every sum stays below 2^16, so the vector loops blend two pixels in one register of
// 16-bit lanes.
// Lighting (the channel tables) applies to the result, so the levels hold unlit colours.
//
// Level of detail. The texels a pixel step covers, rho, is the longer of the position's
// derivatives along x and y; lod = log2(rho) in 1/256 of a level, with log2 taken piecewise
// linear between powers of two (exact at them, no library function, the same on every
// build). Level floor(lod) and the next blend by lod's fraction; below 0 the picture is
// magnified and level 0 alone is sampled, at or past the last level the last alone.
#pragma once

#include "render/fill/EdgeMode.h"
#include "render/fill/ImageFill.h"

#include <emmintrin.h>

#include <cmath>
#include <cstdint>

namespace smooth {

constexpr int kSubBits = 7;
constexpr int32_t kSub = 1 << kSubBits;
constexpr int32_t kHalf = kSub / 2;
constexpr double kPositionLimit = 1073741824.0; // 2^30
constexpr int32_t kLodOne = 256;

// round(p·128) limited to ±2^30, a NaN taken as -2^30 (as the exact fill's texels).
inline int32_t SubTexel(double p) {
    double x = p * 128.0;
    if (!(x >= -kPositionLimit)) {
        x = -kPositionLimit;
    } else if (x > kPositionLimit) {
        x = kPositionLimit;
    }
    return static_cast<int32_t>(std::nearbyint(x));
}

// The level-0 position of an affine 32.32 texel coordinate (which counts from the texel's
// corner): floor((u - 1/2)·128), limited to ±2^30.
inline int32_t AffineSubTexel(int64_t u) {
    const int64_t x = (u - (int64_t{1} << 31)) >> (32 - kSubBits);
    const int64_t limit = int64_t{1} << 30;
    return static_cast<int32_t>(x < -limit ? -limit : x > limit ? limit : x);
}

inline int32_t AtLevel(int32_t x, int level) {
    return ((x + kHalf) >> level) - kHalf;
}

// One index folded into [0, n) by the edge mode; brick modes tile as repeat (the smooth
// fill takes no brick offset).
inline int32_t FoldAxis(EdgeMode mode, int32_t i, int32_t n) {
    switch (mode) {
    case EdgeMode::kClamp:
    case EdgeMode::kOutside:
        return i < 0 ? 0 : i >= n ? n - 1 : i;
    case EdgeMode::kMirror: {
        const int32_t p = edge::WrapIndex(i, 2 * n);
        return p < n ? p : 2 * n - 1 - p;
    }
    default:
        return edge::WrapIndex(i, n);
    }
}

// Whether a pixel at level-0 position (x, y) shows the outside colour (outside mode only).
inline bool Outside(EdgeMode mode, const ImageFillState& s, int32_t x, int32_t y) {
    return mode == EdgeMode::kOutside &&
           (static_cast<uint32_t>((x + kHalf) >> kSubBits) >= static_cast<uint32_t>(s.width) ||
            static_cast<uint32_t>((y + kHalf) >> kSubBits) >= static_cast<uint32_t>(s.height));
}

// The four texels around a level position, and the weights of the second column and row.
struct Quad {
    uint32_t a, b, e, f;
    int32_t fu, fv;
};

inline Quad Gather(EdgeMode mode, const SmoothLevel& l, int32_t x, int32_t y) {
    const int32_t i = x >> kSubBits, j = y >> kSubBits;
    const int32_t i0 = FoldAxis(mode, i, l.width), i1 = FoldAxis(mode, i + 1, l.width);
    const uint32_t* r0 = l.texels + size_t(FoldAxis(mode, j, l.height)) * size_t(l.width);
    const uint32_t* r1 = l.texels + size_t(FoldAxis(mode, j + 1, l.height)) * size_t(l.width);
    return {r0[i0], r0[i1], r1[i0], r1[i1], x & (kSub - 1), y & (kSub - 1)};
}

inline uint32_t Channel(uint32_t t, int c) {
    return (t >> (8 * c)) & 0xFF;
}

inline uint32_t Lerp(uint32_t p, uint32_t q, int32_t f) {
    return (p * uint32_t(kSub - f) + q * uint32_t(f) + kHalf) >> kSubBits;
}

// Bilinear value of channel c (0 blue, 1 green, 2 red).
inline uint32_t Bilinear(const Quad& q, int c) {
    return Lerp(Lerp(Channel(q.a, c), Channel(q.b, c), q.fu),
                Lerp(Channel(q.e, c), Channel(q.f, c), q.fu), q.fv);
}

inline uint32_t Mix(uint32_t p, uint32_t q, int32_t t) {
    return (p * uint32_t(256 - t) + q * uint32_t(t) + 128) >> 8;
}

// The finished pixel of unlit channels: through the channel tables unless they are plain.
inline uint32_t Lit(const ImageFillState& s, uint32_t blue, uint32_t green, uint32_t red) {
    if (s.plain) {
        return blue | (green << 8) | (red << 16);
    }
    return s.chanBlue[blue] | s.chanGreen[green] | s.chanRed[red];
}

// The level of detail of a map whose position moves by (ux, vx) texels per pixel along x
// and (uy, vy) along y, in 1/256 of a level; limited to ±2^20.
inline int32_t LodOf(double ux, double vx, double uy, double vy) {
    const double ax = ux * ux + vx * vx, ay = uy * uy + vy * vy;
    const double rho2 = ax > ay ? ax : ay;
    if (!(rho2 > 0)) {
        return -(1 << 20);
    }
    if (!(rho2 < 1e300)) {
        return 1 << 20;
    }
    int e = 0;
    const double m = std::frexp(rho2, &e); // rho2 = m·2^e, m in [0.5, 1)
    // log2(rho) = (e - 1 + log2(2m)) / 2, log2(2m) taken as 2m - 1.
    const int32_t frac = static_cast<int32_t>((2.0 * m - 1.0) * 128.0);
    return (e - 1) * 128 + frac;
}

// The level of detail of a perspective span, at its middle pixel: the derivatives of
// (U/D, V/D) along x and y.
inline int32_t SpanLod(const PerspectiveMap& m, const PerspectiveSpan& span) {
    const double k = static_cast<double>((span.n - 1) / 2);
    const double d = span.d + m.dx * k, u = span.u + m.ux * k, v = span.v + m.vx * k;
    const double dd = d * d;
    return LodOf((m.ux * d - u * m.dx) / dd, (m.vx * d - v * m.dx) / dd, (m.uy * d - u * m.dy) / dd,
                 (m.vy * d - v * m.dy) / dd);
}

// The levels a level of detail blends: `level` and, with weight t > 0, level + 1.
struct LevelPair {
    int level;
    int32_t t;
};
inline LevelPair PairOf(int32_t lod, int levelCount) {
    if (lod <= 0) {
        return {0, 0};
    }
    const int level = lod >> 8;
    if (level >= levelCount - 1) {
        return {levelCount - 1, 0};
    }
    return {level, lod & 255};
}

// The reference's pixel: its level-0 position (x, y), the levels of `pair`.
inline uint32_t SamplePixel(const ImageFillState& s, LevelPair pair, int32_t x, int32_t y) {
    if (Outside(s.mode, s, x, y)) {
        return s.outside;
    }
    const Quad q0 =
        Gather(s.mode, s.levels[pair.level], AtLevel(x, pair.level), AtLevel(y, pair.level));
    uint32_t c[3];
    for (int k = 0; k < 3; ++k) {
        c[k] = Bilinear(q0, k);
    }
    if (pair.t > 0) {
        const int next = pair.level + 1;
        const Quad q1 = Gather(s.mode, s.levels[next], AtLevel(x, next), AtLevel(y, next));
        for (int k = 0; k < 3; ++k) {
            c[k] = Mix(c[k], Bilinear(q1, k), pair.t);
        }
    }
    return Lit(s, c[0], c[1], c[2]);
}

// The vector blend: two pixels P and Q in one register, P's channels in 16-bit lanes 0-3
// and Q's in lanes 4-7 (blue, green, red, 0), each weight broadcast over its pixel's lanes.
inline __m128i PairLanes(uint32_t p, uint32_t q) {
    return _mm_unpacklo_epi8(
        _mm_unpacklo_epi32(_mm_cvtsi32_si128(int(p)), _mm_cvtsi32_si128(int(q))),
        _mm_setzero_si128());
}
inline __m128i PairWeights(int32_t p, int32_t q) {
    const __m128i w = _mm_cvtsi32_si128(p | (q << 16));
    const __m128i twice = _mm_unpacklo_epi16(w, w);
    return _mm_unpacklo_epi32(twice, twice);
}
inline __m128i Lerp8(__m128i p, __m128i q, __m128i f) {
    const __m128i g = _mm_sub_epi16(_mm_set1_epi16(kSub), f);
    return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(p, g), _mm_mullo_epi16(q, f)),
                                        _mm_set1_epi16(kHalf)),
                          kSubBits);
}
inline __m128i Blend2(const Quad& p, const Quad& q) {
    const __m128i fu = PairWeights(p.fu, q.fu), fv = PairWeights(p.fv, q.fv);
    const __m128i top = Lerp8(PairLanes(p.a, q.a), PairLanes(p.b, q.b), fu);
    const __m128i bottom = Lerp8(PairLanes(p.e, q.e), PairLanes(p.f, q.f), fu);
    return Lerp8(top, bottom, fv);
}
// Mix for both pixels; with t = 0 it gives p unchanged, as the reference's single level.
inline __m128i Mix2(__m128i p, __m128i q, int32_t tp, int32_t tq) {
    const __m128i t = PairWeights(tp, tq);
    const __m128i u = _mm_sub_epi16(_mm_set1_epi16(256), t);
    return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(p, u), _mm_mullo_epi16(q, t)),
                                        _mm_set1_epi16(128)),
                          8);
}

inline uint32_t LitPacked(const ImageFillState& s, uint32_t packed) {
    if (s.plain) {
        return packed;
    }
    return s.chanBlue[packed & 0xFF] | s.chanGreen[(packed >> 8) & 0xFF] |
           s.chanRed[(packed >> 16) & 0xFF];
}

// The quads of one pixel at its two levels (the second is the first again when t = 0).
template <EdgeMode M>
inline void GatherBoth(const ImageFillState& s, LevelPair pair, int32_t x, int32_t y, Quad& q0,
                       Quad& q1) {
    q0 = Gather(M, s.levels[pair.level], AtLevel(x, pair.level), AtLevel(y, pair.level));
    if (pair.t > 0) {
        const int next = pair.level + 1;
        q1 = Gather(M, s.levels[next], AtLevel(x, next), AtLevel(y, next));
    } else {
        q1 = q0;
    }
}

// SamplePixel for two pixels with the vector blend and the edge mode fixed; the same pixels.
template <EdgeMode M>
inline void SamplePairFast(const ImageFillState& s, LevelPair pp, int32_t xp, int32_t yp,
                           LevelPair pq, int32_t xq, int32_t yq, uint32_t& outP, uint32_t& outQ) {
    Quad p0, p1, q0, q1;
    GatherBoth<M>(s, pp, xp, yp, p0, p1);
    GatherBoth<M>(s, pq, xq, yq, q0, q1);
    __m128i c = Blend2(p0, q0);
    if ((pp.t | pq.t) != 0) {
        c = Mix2(c, Blend2(p1, q1), pp.t, pq.t);
    }
    const __m128i bytes = _mm_packus_epi16(c, c);
    outP = Outside(M, s, xp, yp) ? s.outside : LitPacked(s, uint32_t(_mm_cvtsi128_si32(bytes)));
    outQ = Outside(M, s, xq, yq)
               ? s.outside
               : LitPacked(s, uint32_t(_mm_cvtsi128_si32(_mm_srli_si128(bytes, 4))));
}

} // namespace smooth
