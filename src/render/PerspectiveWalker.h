// Texel positions along one span of a perspective picture fill, without a division per
// pixel.
//
// Along a row, U, V and D (PerspectiveMap) grow by constant steps per pixel and the texel
// is (U / D, V / D) rounded. Each span divides once (for its first pixels) and then keeps
// r ≈ 1/D by one Newton-Raphson step per pixel, r := r·(2 - D·r), starting from an r for
// a nearby D: the relative error after the step is the square of the relative change of D.
//
// The walk runs sixteen lanes so that it is not bound by the latency of the refinement.
// The span is cut into four blocks of `block` pixels (a multiple of four; the last blocks
// may be shorter or empty), and each block into runs of four pixels: lanes 4b .. 4b + 3
// walk block b, and each step of the walk gives the next run of every block. Each lane
// refines from its own value four pixels back, so the relative error is (4·dD/D)²:
// for a cube face whose far edge is 80% of its near edge across 400 pixels, about 6e-6, a
// few thousandths of a texel.
//
// Per pixel the walk is single precision, twice the lanes of double per instruction. The
// row and span values stay double: D, U and V of every lane are taken afresh from them
// (exactly computed, then rounded to single) every kAnchorSteps steps, so adding steps in
// single precision drifts by at most that many roundings, about 1e-6 of the largest
// position. Every operation is a plain IEEE operation in a fixed order (no fused
// multiply-add), so both builds, and the 256-bit version (PerspectiveWide.h), produce the
// same texels.
#pragma once

#include <emmintrin.h>

#include <cstdint>

struct PerspectiveWalker {
    static constexpr int kBlocks = 4;
    static constexpr int kRun = 4; // pixels of each block per step
    static constexpr int kLanes = kBlocks * kRun;
    static constexpr int kRegs = kBlocks; // four lanes to a register
    static constexpr int kAnchorSteps = 16;

    // Pixels in each block of an n-pixel span but the last ones, which may be shorter.
    static constexpr int32_t BlockOf(int32_t n) { return (n + kLanes - 1) / kLanes * kRun; }
    // Pixel of lane `lane` at the step that starts block runs at `run`.
    int32_t PixelOf(int32_t run, int lane) const { return lane / kRun * block + run + lane % kRun; }

    static __m128 Limit(__m128 x, __m128 low, __m128 high) {
        return _mm_min_ps(_mm_max_ps(x, low), high);
    }

    // Lanes 4k .. 4k + 3 (block k) in register k.
    __m128 d[kRegs], r[kRegs], u[kRegs], v[kRegs];
    __m128 stepD, stepU, stepV; // kRun pixels' change
    __m128 two;
    // Positions are limited to these before rounding: ±2^30 in general (undefined values
    // come out as the lower limit), the picture itself for clamped edges. Rounding and
    // limiting to whole numbers commute, so both give the texel of the clamped position.
    __m128 lowU, highU, lowV, highV;
    // The span's first pixel and the change per pixel, exact; the first pixel of the
    // current run of the first block, and the length of a block.
    double spanD, spanU, spanV, pixelD, pixelU, pixelV;
    int32_t pixel;
    int32_t block;
    int32_t untilAnchor;

    void LimitTo(float lowerU, float upperU, float lowerV, float upperV) {
        lowU = _mm_set1_ps(lowerU);
        highU = _mm_set1_ps(upperU);
        lowV = _mm_set1_ps(lowerV);
        highV = _mm_set1_ps(upperV);
    }

    // base + step·(first .. first + 3) in double, rounded to single.
    static __m128 Lanes(double base, double step, int32_t first) {
        const __m128d b = _mm_set1_pd(base), s = _mm_set1_pd(step);
        const __m128d lo = _mm_add_pd(b, _mm_mul_pd(s, _mm_set_pd(first + 1, first)));
        const __m128d hi = _mm_add_pd(b, _mm_mul_pd(s, _mm_set_pd(first + 3, first + 2)));
        return _mm_movelh_ps(_mm_cvtpd_ps(lo), _mm_cvtpd_ps(hi));
    }

    void Anchor() {
        for (int k = 0; k < kRegs; ++k) {
            const int32_t first = pixel + k * block;
            d[k] = Lanes(spanD, pixelD, first);
            u[k] = Lanes(spanU, pixelU, first);
            v[k] = Lanes(spanV, pixelV, first);
        }
        untilAnchor = kAnchorSteps;
    }

    // U, V and D at the first pixel centre of an n-pixel span, and their change per pixel.
    void Start(double D, double U, double V, double dD, double dU, double dV, int32_t n) {
        spanD = D;
        spanU = U;
        spanV = V;
        pixelD = dD;
        pixelU = dU;
        pixelV = dV;
        pixel = 0;
        block = BlockOf(n);
        Anchor();
        const __m128 one = _mm_set1_ps(1.0f);
        for (int k = 0; k < kRegs; ++k) {
            r[k] = _mm_div_ps(one, d[k]);
        }
        stepD = _mm_set1_ps(static_cast<float>(dD * kRun));
        stepU = _mm_set1_ps(static_cast<float>(dU * kRun));
        stepV = _mm_set1_ps(static_cast<float>(dV * kRun));
        two = _mm_set1_ps(2.0f);
        constexpr float kLimit = 1073741824.0f; // 2^30
        LimitTo(-kLimit, kLimit, -kLimit, kLimit);
    }

    // The texels of the next step's sixteen pixels clamped to the picture, as byte offsets
    // v·stride + u·bytes from its first texel, for pictures whose largest texel indices and
    // stride fit 16 bits. `high` holds w - 1 and h - 1, `scale` the pairs (bytes, stride).
    // The same texels as Next with the limits of the clamped mode, with fewer operations:
    // positions above the upper limit are limited before rounding (min_ps returns its second
    // operand, the position, when that is NaN), all others are rounded, packed to 16 bits
    // with saturation and raised to 0. A NaN or a position below -2^31 rounds to INT32_MIN
    // and so ends at 0, as in Next.
    void NextOffsets(__m128 highU, __m128 highV, __m128i scale, uint32_t (&offsets)[kLanes]) {
        for (int k = 0; k < kRegs; ++k) {
            const __m128i iu = _mm_cvtps_epi32(_mm_min_ps(highU, _mm_mul_ps(u[k], r[k])));
            const __m128i iv = _mm_cvtps_epi32(_mm_min_ps(highV, _mm_mul_ps(v[k], r[k])));
            const __m128i uv = _mm_max_epi16(_mm_packs_epi32(iu, iv), _mm_setzero_si128());
            _mm_storeu_si128(
                reinterpret_cast<__m128i*>(offsets + 4 * k),
                _mm_madd_epi16(_mm_unpacklo_epi16(uv, _mm_unpackhi_epi64(uv, uv)), scale));
        }
        Advance();
    }

    // The texels of the next step's sixteen pixels, within the limits (a NaN position, from D = 0
    // or a diverging reciprocal, becomes the lower limit: max_ps returns its second
    // operand when the first is NaN).
    void Next(int32_t (&iu)[kLanes], int32_t (&iv)[kLanes]) {
        for (int k = 0; k < kRegs; ++k) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(iu + 4 * k),
                             _mm_cvtps_epi32(Limit(_mm_mul_ps(u[k], r[k]), lowU, highU)));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(iv + 4 * k),
                             _mm_cvtps_epi32(Limit(_mm_mul_ps(v[k], r[k]), lowV, highV)));
        }
        Advance();
    }

    void Advance() {
        pixel += kRun;
        if (--untilAnchor == 0) {
            Anchor();
        } else {
            for (int k = 0; k < kRegs; ++k) {
                d[k] = _mm_add_ps(d[k], stepD);
                u[k] = _mm_add_ps(u[k], stepU);
                v[k] = _mm_add_ps(v[k], stepV);
            }
        }
        for (int k = 0; k < kRegs; ++k) {
            r[k] = _mm_mul_ps(r[k], _mm_sub_ps(two, _mm_mul_ps(d[k], r[k])));
        }
    }
};
