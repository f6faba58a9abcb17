#include "render/fill/PixelFill.h"

#if defined(VC_FILL_AVX2)
#include <immintrin.h>

// Asked once at start-up; the processor model is filled in first because static
// initialisers may run before the run-time library's own.
const bool g_haveAvx2 = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
}();

__attribute__((target("avx2"))) void FillPixels32Avx2(uint32_t* p, size_t n, uint32_t v) {
    while (n > 0 && (reinterpret_cast<uintptr_t>(p) & 31) != 0) {
        *p++ = v;
        --n;
    }
    const __m256i wide = _mm256_set1_epi32(static_cast<int>(v));
    while (n >= 16) {
        _mm256_store_si256(reinterpret_cast<__m256i*>(p), wide);
        _mm256_store_si256(reinterpret_cast<__m256i*>(p + 8), wide);
        p += 16;
        n -= 16;
    }
    while (n > 0) {
        *p++ = v;
        --n;
    }
}
#endif
