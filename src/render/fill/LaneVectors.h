// Vectors of doubles for the perspective loops: two lanes with SSE2, four with AVX2 (whose
// members are compiled for it and used only where the processor has it, FastPaths.h).
// Both offer the same operations, each a single IEEE operation with no fused multiply-add,
// so a loop written once over either gives the same values lane for lane.
#pragma once

#include <immintrin.h>

#include <cstdint>

struct Sse2Doubles {
    static constexpr int kLanes = 2;
    static constexpr bool kGather = false;
    __m128d x;

    static Sse2Doubles Set1(double a) { return {_mm_set1_pd(a)}; }
    static Sse2Doubles Load(const double* p) { return {_mm_loadu_pd(p)}; }
    friend Sse2Doubles operator+(Sse2Doubles a, Sse2Doubles b) { return {_mm_add_pd(a.x, b.x)}; }
    friend Sse2Doubles operator-(Sse2Doubles a, Sse2Doubles b) { return {_mm_sub_pd(a.x, b.x)}; }
    friend Sse2Doubles operator*(Sse2Doubles a, Sse2Doubles b) { return {_mm_mul_pd(a.x, b.x)}; }
    friend Sse2Doubles operator/(Sse2Doubles a, Sse2Doubles b) { return {_mm_div_pd(a.x, b.x)}; }
    // Where either operand is NaN, both give their second operand.
    static Sse2Doubles Min(Sse2Doubles a, Sse2Doubles b) { return {_mm_min_pd(a.x, b.x)}; }
    static Sse2Doubles Max(Sse2Doubles a, Sse2Doubles b) { return {_mm_max_pd(a.x, b.x)}; }
    // Four lanes from two vectors, rounded to the nearest integer (ties to even, the
    // processor's default mode); NaN and values out of range give INT32_MIN.
    static __m128i Nearest4(const Sse2Doubles* v) {
        return _mm_unpacklo_epi64(_mm_cvtpd_epi32(v[0].x), _mm_cvtpd_epi32(v[1].x));
    }
};

#define VC_AVX2_INLINE __attribute__((target("avx2"), always_inline)) inline

struct Avx2Doubles {
    static constexpr int kLanes = 4;
    static constexpr bool kGather = true;
    __m256d x;

    VC_AVX2_INLINE static Avx2Doubles Set1(double a) { return {_mm256_set1_pd(a)}; }
    VC_AVX2_INLINE static Avx2Doubles Load(const double* p) { return {_mm256_loadu_pd(p)}; }
    VC_AVX2_INLINE friend Avx2Doubles operator+(Avx2Doubles a, Avx2Doubles b) {
        return {_mm256_add_pd(a.x, b.x)};
    }
    VC_AVX2_INLINE friend Avx2Doubles operator-(Avx2Doubles a, Avx2Doubles b) {
        return {_mm256_sub_pd(a.x, b.x)};
    }
    VC_AVX2_INLINE friend Avx2Doubles operator*(Avx2Doubles a, Avx2Doubles b) {
        return {_mm256_mul_pd(a.x, b.x)};
    }
    VC_AVX2_INLINE friend Avx2Doubles operator/(Avx2Doubles a, Avx2Doubles b) {
        return {_mm256_div_pd(a.x, b.x)};
    }
    VC_AVX2_INLINE static Avx2Doubles Min(Avx2Doubles a, Avx2Doubles b) {
        return {_mm256_min_pd(a.x, b.x)};
    }
    VC_AVX2_INLINE static Avx2Doubles Max(Avx2Doubles a, Avx2Doubles b) {
        return {_mm256_max_pd(a.x, b.x)};
    }
    VC_AVX2_INLINE static __m128i Nearest4(const Avx2Doubles* v) {
        return _mm256_cvtpd_epi32(v[0].x);
    }
    // Four 32-bit words at base + offsets (bytes).
    VC_AVX2_INLINE static __m128i Gather32(const uint8_t* base, __m128i offsets) {
        return _mm_i32gather_epi32(reinterpret_cast<const int*>(base), offsets, 1);
    }
};

#undef VC_AVX2_INLINE
