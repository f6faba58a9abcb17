// The affine span loops, one per (edge mode, source format, plain channels). Per pixel:
// one table-driven fetch, the channel look-ups, one store and two 64-bit additions; the
// tiled modes add one conditional correction per coordinate. No multiplication, division
// or conversion per pixel.
#include "render/fill/AffineAvx2.h"
#include "render/core/FastPaths.h"
#include "render/fill/EdgeMode.h"
#include "render/fill/AffineLoops.h"
#include "render/fill/ImageFillReference.h"
#include "render/fill/SpanLoopTable.h"
#include "render/fill/TexelFetch.h"

#include <emmintrin.h>

#include <array>
#include <utility>

namespace {

template <SourceFormat F, bool Plain>
inline uint32_t At(const ImageFillState& s, int64_t u, int64_t v) {
    return texel::Fetch<F, Plain>(s, s.rows[TexelOf(v)], static_cast<uint32_t>(TexelOf(u)));
}

// Brings a tiled coordinate that moved by at most one period back into [0, period).
inline void Wrap(int64_t& pos, int64_t period) {
    if (pos >= period) {
        pos -= period;
    } else if (pos < 0) {
        pos += period;
    }
}

// Whether the positions of a span move by less than 2^61 in all: then the pixels whose
// position lies inside the picture form one run, because a position that left the picture
// could only come back by going once round the 64-bit circle.
inline bool Monotone(int64_t du, int64_t dv, int32_t n) {
    constexpr int64_t kLimit = int64_t{1} << 40;
    return n < (1 << 21) && du > -kLimit && du < kLimit && dv > -kLimit && dv < kLimit;
}

// Pixels known to be inside the picture: no tests, two pixels per round. Leaves u and v
// after the run.
template <SourceFormat F, bool Plain>
inline void InsideRun(const ImageFillState& s, uint64_t& u, uint64_t& v, uint64_t du, uint64_t dv,
                      uint32_t* out, int32_t n) {
    const uint8_t* const* rows = s.rows;
    for (; n >= 2; n -= 2, out += 2) {
        const uint32_t a = texel::Fetch<F, Plain>(s, rows[v >> 32], static_cast<uint32_t>(u >> 32));
        u += du;
        v += dv;
        const uint32_t b = texel::Fetch<F, Plain>(s, rows[v >> 32], static_cast<uint32_t>(u >> 32));
        u += du;
        v += dv;
        out[0] = a;
        out[1] = b;
    }
    if (n > 0) {
        out[0] = texel::Fetch<F, Plain>(s, rows[v >> 32], static_cast<uint32_t>(u >> 32));
        u += du;
        v += dv;
    }
}

// The same, for pictures whose texels OffsetsFit (others take InsideRun): four pixels per round,
// their positions in 64-bit vector lanes, whose upper halves are the texel indices (below 32768
// inside the picture), combined into byte offsets by one multiply-add. No row table, no 64-bit
// scalar arithmetic (which the 32-bit build would do in pairs of instructions).
template <SourceFormat F, bool Plain, bool Wide>
inline void InsideRunByOffsets(const ImageFillState& s, uint64_t& u, uint64_t& v, uint64_t du,
                               uint64_t dv, uint32_t* out, int32_t n) {
    constexpr int kBytes = texel::BytesPerTexel<F>();
    if constexpr (Wide) {
        if (texel::OffsetsFit<F>(s)) {
            const int32_t done = affine_avx2::InsideRounds<F, Plain>(s, u, v, du, dv, out, n);
            u += static_cast<uint64_t>(done) * du;
            v += static_cast<uint64_t>(done) * dv;
            out += done;
            n -= done;
        }
    }
    const int32_t rounds = texel::OffsetsFit<F>(s) ? n / 4 : 0;
    if (rounds > 0) {
        const uint8_t* const base = s.rows[0];
        const __m128i scale = _mm_set1_epi32(static_cast<int32_t>(s.stride << 16) | kBytes);
        const auto lanes = [](uint64_t p, uint64_t d, int k) {
            return _mm_set_epi64x(static_cast<int64_t>(p + (k + 1) * d),
                                  static_cast<int64_t>(p + k * d));
        };
        __m128i u01 = lanes(u, du, 0), u23 = lanes(u, du, 2);
        __m128i v01 = lanes(v, dv, 0), v23 = lanes(v, dv, 2);
        const __m128i du4 = _mm_set1_epi64x(static_cast<int64_t>(4 * du));
        const __m128i dv4 = _mm_set1_epi64x(static_cast<int64_t>(4 * dv));
        const auto upper = [](__m128i a, __m128i b) {
            return _mm_castps_si128(
                _mm_shuffle_ps(_mm_castsi128_ps(a), _mm_castsi128_ps(b), _MM_SHUFFLE(3, 1, 3, 1)));
        };
        alignas(16) uint32_t off[4];
        for (int32_t k = 0; k < rounds; ++k, out += 4) {
            const __m128i uv = _mm_packs_epi32(upper(u01, u23), upper(v01, v23));
            _mm_store_si128(
                reinterpret_cast<__m128i*>(off),
                _mm_madd_epi16(_mm_unpacklo_epi16(uv, _mm_unpackhi_epi64(uv, uv)), scale));
            u01 = _mm_add_epi64(u01, du4);
            u23 = _mm_add_epi64(u23, du4);
            v01 = _mm_add_epi64(v01, dv4);
            v23 = _mm_add_epi64(v23, dv4);
            out[0] = texel::FetchAt<F, Plain>(s, base + off[0]);
            out[1] = texel::FetchAt<F, Plain>(s, base + off[1]);
            out[2] = texel::FetchAt<F, Plain>(s, base + off[2]);
            out[3] = texel::FetchAt<F, Plain>(s, base + off[3]);
        }
        const uint64_t done = 4 * static_cast<uint64_t>(rounds);
        u += done * du;
        v += done * dv;
    }
    InsideRun<F, Plain>(s, u, v, du, dv, out, n - 4 * rounds);
}

// Modes 0 and 1: the leading and trailing pixels that fall outside are handled one by one;
// the run in between is known to be inside and needs no tests.
template <EdgeMode M, SourceFormat F, bool Plain, bool Wide>
void BoundedLoop(const ImageFillState& s, int64_t u0, int64_t v0, uint32_t* out, int32_t n) {
    const uint32_t w = static_cast<uint32_t>(s.width);
    const uint32_t h = static_cast<uint32_t>(s.height);
    const uint64_t du = static_cast<uint64_t>(s.stepU);
    const uint64_t dv = static_cast<uint64_t>(s.stepV);
    uint64_t u = static_cast<uint64_t>(u0);
    uint64_t v = static_cast<uint64_t>(v0);
    const auto inside = [w, h](uint64_t a, uint64_t b) {
        return static_cast<uint32_t>(a >> 32) < w && static_cast<uint32_t>(b >> 32) < h;
    };
    const auto edgePixel = [&](uint64_t a, uint64_t b) -> uint32_t {
        int32_t iu = TexelOf(static_cast<int64_t>(a));
        int32_t iv = TexelOf(static_cast<int64_t>(b));
        if (!edge::FoldIndex(M, iu, iv, s.width, s.height, 0)) {
            return s.outside;
        }
        return texel::Fetch<F, Plain>(s, s.rows[iv], static_cast<uint32_t>(iu));
    };

    int32_t k = 0;
    for (; k < n && !inside(u, v); ++k, u += du, v += dv) {
        out[k] = edgePixel(u, v);
    }
    if (k < n && Monotone(s.stepU, s.stepV, n)) {
        // Step back from the span's end to its last inside pixel; pixel k is inside, so
        // this stops there at the latest.
        int32_t last = n - 1;
        uint64_t ue = u + static_cast<uint64_t>(last - k) * du;
        uint64_t ve = v + static_cast<uint64_t>(last - k) * dv;
        for (; !inside(ue, ve); --last, ue -= du, ve -= dv) {
        }
        if constexpr (texel::BytesPerTexel<F>() > 0) {
            InsideRunByOffsets<F, Plain, Wide>(s, u, v, du, dv, out + k, last - k + 1);
        } else {
            InsideRun<F, Plain>(s, u, v, du, dv, out + k, last - k + 1);
        }
        k = last + 1;
    }
    for (; k < n; ++k, u += du, v += dv) {
        out[k] = edgePixel(u, v);
    }
}

template <SourceFormat F, bool Plain>
void RepeatLoop(const ImageFillState& s, int64_t u0, int64_t v0, uint32_t* out, int32_t n) {
    const int64_t pw = TexelsToFixed(s.width), ph = TexelsToFixed(s.height);
    const int64_t su = s.stepU, sv = s.stepV;
    int64_t u = edge::ReduceStart(u0, pw), v = edge::ReduceStart(v0, ph);
    for (int32_t k = 0; k < n; ++k) {
        out[k] = At<F, Plain>(s, u, v);
        u += su;
        Wrap(u, pw);
        v += sv;
        Wrap(v, ph);
    }
}

// Mirrored tiles: the position is kept inside the picture and its step changes sign at
// every reflection. In units of 2^-32 texel, position x past the far edge reflects to
// 2P - 1 - x and a position x below 0 to -1 - x, which mirrors texel indices exactly
// (w -> w - 1, -1 -> 0).
inline void StartMirrored(int64_t& pos, int64_t& step, int64_t side) {
    pos = edge::ReduceStart(pos, 2 * side);
    if (pos >= side) {
        pos = 2 * side - 1 - pos;
        step = -step;
    }
}
inline void StepMirrored(int64_t& pos, int64_t& step, int64_t side) {
    pos += step;
    if (pos >= side) {
        pos = 2 * side - 1 - pos;
        step = -step;
    } else if (pos < 0) {
        pos = -1 - pos;
        step = -step;
    }
}

template <SourceFormat F, bool Plain>
void MirrorLoop(const ImageFillState& s, int64_t u0, int64_t v0, uint32_t* out, int32_t n) {
    const int64_t pw = TexelsToFixed(s.width), ph = TexelsToFixed(s.height);
    int64_t su = s.stepU, sv = s.stepV, u = u0, v = v0;
    StartMirrored(u, su, pw);
    StartMirrored(v, sv, ph);
    for (int32_t k = 0; k < n; ++k) {
        out[k] = At<F, Plain>(s, u, v);
        StepMirrored(u, su, pw);
        StepMirrored(v, sv, ph);
    }
}

// Brick modes. The shifted coordinate a (u for brick rows) is kept as its texel position
// plus the brick offset in odd tile rows, modulo its side; the other coordinate b runs
// over one tile with a flag for odd tiles, and every crossing into the next tile adds or
// removes the offset.
template <SourceFormat F, bool Plain, bool Rows>
void BrickLoop(const ImageFillState& s, int64_t u0, int64_t v0, uint32_t* out, int32_t n) {
    const int64_t pa = TexelsToFixed(Rows ? s.width : s.height);
    const int64_t pb = TexelsToFixed(Rows ? s.height : s.width);
    const int64_t sa = Rows ? s.stepU : s.stepV, sb = Rows ? s.stepV : s.stepU;
    const int64_t brick = s.brick;
    int64_t a = edge::ReduceStart(Rows ? u0 : v0, pa);
    int64_t b = edge::ReduceStart(Rows ? v0 : u0, 2 * pb);
    bool odd = b >= pb;
    if (odd) {
        b -= pb;
        a += brick;
        Wrap(a, pa);
    }
    for (int32_t k = 0; k < n; ++k) {
        out[k] = Rows ? At<F, Plain>(s, a, b) : At<F, Plain>(s, b, a);
        a += sa;
        Wrap(a, pa);
        b += sb;
        if (b >= pb || b < 0) {
            b += b < 0 ? pb : -pb;
            odd = !odd;
            a += odd ? brick : -brick;
            Wrap(a, pa);
        }
    }
}

template <EdgeMode M, SourceFormat F, bool Plain, bool Wide>
void AffineLoop(const ImageFillState& s, int64_t u, int64_t v, uint32_t* out, int32_t n) {
    if constexpr (!edge::Tiled(M)) {
        BoundedLoop<M, F, Plain, Wide>(s, u, v, out, n);
    } else if constexpr (M == EdgeMode::kRepeat) {
        RepeatLoop<F, Plain>(s, u, v, out, n);
    } else if constexpr (M == EdgeMode::kMirror) {
        MirrorLoop<F, Plain>(s, u, v, out, n);
    } else {
        BrickLoop<F, Plain, M == EdgeMode::kBrickRows>(s, u, v, out, n);
    }
}

// The wide versions differ only in the bounded modes' inside runs.
template <bool Wide> struct AffineLoops {
    template <EdgeMode M, SourceFormat F, bool Plain> static constexpr AffineLoopFn Entry() {
        return &AffineLoop < M, F, Plain, Wide && !edge::Tiled(M) > ;
    }
};
constexpr auto kAffineLoops = BuildSpanLoopTable<AffineLoopFn, AffineLoops<false>>();
constexpr auto kWideLoops = BuildSpanLoopTable<AffineLoopFn, AffineLoops<true>>();

} // namespace

AffineLoopFn SelectAffineLoop(EdgeMode mode, SourceFormat format, bool plain) {
    const size_t index = SpanLoopIndex(mode, format, plain);
    if (fast_paths::Reference()) {
        return ReferenceAffineLoop;
    }
    return fast_paths::WideVectors() ? kWideLoops[index] : kAffineLoops[index];
}
