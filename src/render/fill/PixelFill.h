// Filling runs of pixels with a constant value or a short repeating pattern, with wide
// stores: the innermost loop of flat fills and of fully covered smoothed runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#if defined(__x86_64__) && defined(__GNUC__)
#define VC_FILL_AVX2 1
// The 32-byte store loop, chosen at run time on processors that have it.
void FillPixels32Avx2(uint32_t* p, size_t n, uint32_t v);
extern const bool g_haveAvx2;
#endif

// Fills n 32-bit pixels with v. The wide loops are inline rather than calls to the C
// library's memset: most runs are short, and on Windows the library is a DLL whose fill
// stores four bytes at a time (under Wine, a tenth of the saver's time went there).
inline void FillPixels32(uint32_t* p, size_t n, uint32_t v) {
#if !defined(__SSE2__)
    if ((v & 0xFF) * 0x01010101u == v) {
        std::memset(p, static_cast<int>(v & 0xFF), n * 4);
        return;
    }
#endif
#if defined(VC_FILL_AVX2)
    if (g_haveAvx2 && n >= 32) {
        FillPixels32Avx2(p, n, v);
        return;
    }
#endif
#if defined(__SSE2__)
    while (n > 0 && (reinterpret_cast<uintptr_t>(p) & 15) != 0) {
        *p++ = v;
        --n;
    }
    const __m128i wide = _mm_set1_epi32(static_cast<int>(v));
    while (n >= 16) {
        _mm_store_si128(reinterpret_cast<__m128i*>(p), wide);
        _mm_store_si128(reinterpret_cast<__m128i*>(p + 4), wide);
        _mm_store_si128(reinterpret_cast<__m128i*>(p + 8), wide);
        _mm_store_si128(reinterpret_cast<__m128i*>(p + 12), wide);
        p += 16;
        n -= 16;
    }
    while (n >= 4) {
        _mm_store_si128(reinterpret_cast<__m128i*>(p), wide);
        p += 4;
        n -= 4;
    }
#endif
    while (n > 0) {
        *p++ = v;
        --n;
    }
}

// Copies n 32-bit pixels (the ranges do not overlap); inline for the same reasons as
// FillPixels32.
inline void CopyPixels32(uint32_t* dst, const uint32_t* src, size_t n) {
#if defined(__SSE2__)
    while (n >= 8) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 4));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), a);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 4), b);
        dst += 8;
        src += 8;
        n -= 8;
    }
    if (n >= 4) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(src)));
        dst += 4;
        src += 4;
        n -= 4;
    }
#endif
    while (n > 0) {
        *dst++ = *src++;
        --n;
    }
}

// Fills bytes [x0, x1) of a row with a pattern that repeats every four bytes: byte x gets
// byte (x & 3) of `pattern` (little-endian). The row must be 4-byte aligned.
inline void FillPattern8(uint8_t* row, int32_t x0, int32_t x1, uint32_t pattern) {
    while (x0 < x1 && (x0 & 3) != 0) {
        row[x0] = static_cast<uint8_t>(pattern >> ((x0 & 3) * 8));
        ++x0;
    }
    const int32_t words = (x1 - x0) >> 2;
    if (words > 0) {
        FillPixels32(reinterpret_cast<uint32_t*>(row + x0), static_cast<size_t>(words), pattern);
        x0 += words * 4;
    }
    while (x0 < x1) {
        row[x0] = static_cast<uint8_t>(pattern >> ((x0 & 3) * 8));
        ++x0;
    }
}

// The same for 16-bit pixels repeating every two: pixel x gets half (x & 1) of `pair`.
inline void FillPattern16(uint8_t* row, int32_t x0, int32_t x1, uint32_t pair) {
    auto* px = reinterpret_cast<uint16_t*>(row);
    if (x0 < x1 && (x0 & 1) != 0) {
        px[x0] = static_cast<uint16_t>(pair >> 16);
        ++x0;
    }
    const int32_t words = (x1 - x0) >> 1;
    if (words > 0) {
        FillPixels32(reinterpret_cast<uint32_t*>(px + x0), static_cast<size_t>(words), pair);
        x0 += words * 2;
    }
    if (x0 < x1) {
        px[x0] = static_cast<uint16_t>(pair);
    }
}
