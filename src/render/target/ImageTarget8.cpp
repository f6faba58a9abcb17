#include "render/target/ImageTarget8.h"

#include "render/target/Compositors.h"
#include "render/core/Tables.h"

#include "render/core/FastPaths.h"

#include <immintrin.h>

#include <cstring>

namespace image_target8 {
namespace {

// The cube level of a channel value plus its cell's offset and 1, (c + o + 1) / 51 rounded
// down, is (x · 1286) >> 16 for every x up to 306: the product's error stays below 0.005 of
// a level and the quotient's fraction below 50/51 (kCubeRed and its kin hold the same levels).
constexpr int kLevelScale = 1286;
constexpr bool LevelsMatchDivision() {
    for (int x = 0; x <= 306; ++x) {
        if ((x * kLevelScale) >> 16 != x / 51) {
            return false;
        }
    }
    return true;
}
static_assert(LevelsMatchDivision());

// One dither row's tables, by column cell (x - dither origin x) & 3: the cube tables
// moved by the cell's colour offset, and the cell's byte of the grey table; for four
// pixels of cells 0..3 at once, each channel's offset + 1 as 16-bit lanes (bytes B, G, R
// of a pixel; the extra byte gets 0 and weight 0).
struct DitherRow {
    const uint8_t* red[4];
    const uint8_t* green[4];
    const uint8_t* blue[4];
    const uint32_t* grey;
    const uint8_t* map;
    const uint16_t* pairs;
    int originX;
    __m128i offset01, offset23;

    explicit DitherRow(int32_t y) {
        const int row = (y + g_render.ditherOriginY) & 3;
        const uint8_t* o = tables::kColourDither[row];
        for (int k = 0; k < 4; ++k) {
            red[k] = tables::kCubeRed + o[k];
            green[k] = tables::kCubeGreen + o[k];
            blue[k] = tables::kCubeBlue + o[k];
        }
        offset01 =
            _mm_setr_epi16(static_cast<int16_t>(o[0] + 1), static_cast<int16_t>(o[0] + 1),
                           static_cast<int16_t>(o[0] + 1), 0, static_cast<int16_t>(o[1] + 1),
                           static_cast<int16_t>(o[1] + 1), static_cast<int16_t>(o[1] + 1), 0);
        offset23 =
            _mm_setr_epi16(static_cast<int16_t>(o[2] + 1), static_cast<int16_t>(o[2] + 1),
                           static_cast<int16_t>(o[2] + 1), 0, static_cast<int16_t>(o[3] + 1),
                           static_cast<int16_t>(o[3] + 1), static_cast<int16_t>(o[3] + 1), 0);
        grey = g_render.palette.greyDither[row];
        map = g_render.palette.standardToPalette;
        pairs = g_render.palette.cubePairs;
        originX = g_render.ditherOriginX;
    }

    uint8_t Index(uint32_t p, int32_t x) const { return IndexInCell(p, (x - originX) & 3); }

    uint8_t IndexInCell(uint32_t p, int k) const {
        const uint32_t b = p & 0xFF, g = (p >> 8) & 0xFF, r = (p >> 16) & 0xFF;
        if (((p ^ (p >> 8)) & 0xFFFF) == 0) { // r = g = b
            return static_cast<uint8_t>(grey[b] >> (8 * k));
        }
        return map[red[k][r] + green[k][g] + blue[k][b]];
    }

    // Four pixels of cells 0..3 into out[0..3]: the cube indices of all four in vector
    // lanes (levels by kLevelScale, weighted 36, 6, 1 and summed by two multiply-adds),
    // then the palette map; greys, rare in pictures, are redone one by one.
    void Cells(const uint32_t* src, uint8_t* out) const {
        const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
        const __m128i zero = _mm_setzero_si128();
        const __m128i scale = _mm_set1_epi16(kLevelScale);
        const __m128i weights = _mm_setr_epi16(36, 6, 1, 0, 36, 6, 1, 0);
        const __m128i level01 =
            _mm_mulhi_epu16(_mm_add_epi16(_mm_unpacklo_epi8(p, zero), offset01), scale);
        const __m128i level23 =
            _mm_mulhi_epu16(_mm_add_epi16(_mm_unpackhi_epi8(p, zero), offset23), scale);
        const __m128i halves =
            _mm_packs_epi32(_mm_madd_epi16(level01, weights), _mm_madd_epi16(level23, weights));
        alignas(16) int32_t index[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(index),
                        _mm_madd_epi16(halves, _mm_set1_epi16(1)));
        const uint32_t packed = map[index[0]] | (uint32_t{map[index[1]]} << 8) |
                                (uint32_t{map[index[2]]} << 16) | (uint32_t{map[index[3]]} << 24);
        std::memcpy(out, &packed, 4);
        const __m128i sameBgr =
            _mm_and_si128(_mm_xor_si128(p, _mm_srli_epi32(p, 8)), _mm_set1_epi32(0xFFFF));
        const int greys = _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(sameBgr, zero)));
        if (greys != 0) {
            for (int k = 0; k < 4; ++k) {
                if ((greys >> k) & 1) {
                    out[k] = static_cast<uint8_t>(grey[src[k] & 0xFF] >> (8 * k));
                }
            }
        }
    }

    // The 256-bit versions. Their lanes hold pixels 0-3 and 4-7, so each half works as Cells.
#define VC_WIDE_INLINE __attribute__((target("avx2"), always_inline)) inline

    // The cube indices of eight pixels of cells 0..3, 0..3.
    VC_WIDE_INLINE __m256i CubeIndices(__m256i p) const {
        const __m256i zero = _mm256_setzero_si256();
        const __m256i scale = _mm256_set1_epi16(kLevelScale);
        const __m256i weights =
            _mm256_broadcastsi128_si256(_mm_setr_epi16(36, 6, 1, 0, 36, 6, 1, 0));
        const __m256i level01 = _mm256_mulhi_epu16(
            _mm256_add_epi16(_mm256_unpacklo_epi8(p, zero), _mm256_broadcastsi128_si256(offset01)),
            scale);
        const __m256i level23 = _mm256_mulhi_epu16(
            _mm256_add_epi16(_mm256_unpackhi_epi8(p, zero), _mm256_broadcastsi128_si256(offset23)),
            scale);
        const __m256i halves = _mm256_packs_epi32(_mm256_madd_epi16(level01, weights),
                                                  _mm256_madd_epi16(level23, weights));
        return _mm256_madd_epi16(halves, _mm256_set1_epi16(1));
    }

    // Redoes the greys among eight pixels src[0..7] (cells 0..3, 0..3) through the grey ramp.
    VC_WIDE_INLINE void Greys(__m256i p, const uint32_t* src, uint8_t* out) const {
        const __m256i sameBgr = _mm256_and_si256(_mm256_xor_si256(p, _mm256_srli_epi32(p, 8)),
                                                 _mm256_set1_epi32(0xFFFF));
        const int greys = _mm256_movemask_ps(
            _mm256_castsi256_ps(_mm256_cmpeq_epi32(sameBgr, _mm256_setzero_si256())));
        if (greys != 0) {
            for (int k = 0; k < 8; ++k) {
                if ((greys >> k) & 1) {
                    out[k] = static_cast<uint8_t>(grey[src[k] & 0xFF] >> (8 * (k & 3)));
                }
            }
        }
    }

    // Eight pixels: the palette map read four bytes at a time at each index (below 216 in a
    // 256-byte map).
    VC_WIDE_INLINE void Cells8(const uint32_t* src, uint8_t* out) const {
        const __m256i p = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src));
        const __m256i mapped =
            _mm256_i32gather_epi32(reinterpret_cast<const int*>(map), CubeIndices(p), 1);
        const __m256i bytes = _mm256_shuffle_epi8(
            mapped, _mm256_broadcastsi128_si256(_mm_setr_epi8(0, 4, 8, 12, -1, -1, -1, -1, -1, -1,
                                                              -1, -1, -1, -1, -1, -1)));
        const uint32_t low = static_cast<uint32_t>(_mm256_cvtsi256_si32(bytes));
        const uint32_t high = static_cast<uint32_t>(_mm256_extract_epi32(bytes, 4));
        std::memcpy(out, &low, 4);
        std::memcpy(out + 4, &high, 4);
        Greys(p, src, out);
    }

    // Sixteen pixels: pixels k and k + 8 share one look-up in the map of cube pairs
    // (PaletteMaps::cubePairs), the low byte of its result for pixel k, the high one for k + 8.
    VC_WIDE_INLINE void Cells16(const uint32_t* src, uint8_t* out) const {
        const __m256i p = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src));
        const __m256i q = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + 8));
        const __m256i pair = _mm256_add_epi32(
            CubeIndices(p), _mm256_mullo_epi32(CubeIndices(q), _mm256_set1_epi32(216)));
        const __m256i mapped = _mm256_i32gather_epi32(reinterpret_cast<const int*>(pairs), pair, 2);
        // Per 128-bit lane: pixels k .. k + 3 (low bytes), then k + 8 .. k + 11 (high bytes).
        const __m256i bytes = _mm256_shuffle_epi8(
            mapped, _mm256_broadcastsi128_si256(
                        _mm_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, -1, -1, -1, -1, -1, -1, -1, -1)));
        const __m256i ordered =
            _mm256_permutevar8x32_epi32(bytes, _mm256_setr_epi32(0, 4, 1, 5, 2, 3, 6, 7));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm256_castsi256_si128(ordered));
        Greys(p, src, out);
        Greys(q, src + 8, out + 8);
    }

#undef VC_WIDE_INLINE

    // Colours src[x0..x1) (absolute x) into row[x0..x1).
    void Span(int32_t x0, int32_t x1, const uint32_t* src, uint8_t* row) const {
        if (fast_paths::Reference()) {
            Tail(x0, x1, src, row);
            return;
        }
        if (fast_paths::WideVectors()) {
            SpanWide(x0, x1, src, row);
            return;
        }
        int32_t x = Head(x0, x1, src, row);
        for (; x + 4 <= x1; x += 4) {
            Cells(src + x, row + x);
        }
        Tail(x, x1, src, row);
    }

    __attribute__((target("avx2"))) void SpanWide(int32_t x0, int32_t x1, const uint32_t* src,
                                                  uint8_t* row) const {
        int32_t x = Head(x0, x1, src, row);
        for (; x + 16 <= x1; x += 16) {
            Cells16(src + x, row + x);
        }
        for (; x + 8 <= x1; x += 8) {
            Cells8(src + x, row + x);
        }
        for (; x + 4 <= x1; x += 4) {
            Cells(src + x, row + x);
        }
        Tail(x, x1, src, row);
    }

    // The pixels before the first whole cell group; returns where the groups start.
    int32_t Head(int32_t x0, int32_t x1, const uint32_t* src, uint8_t* row) const {
        int32_t x = x0;
        for (; x < x1 && ((x - originX) & 3) != 0; ++x) {
            row[x] = Index(src[x], x);
        }
        return x;
    }

    void Tail(int32_t x, int32_t x1, const uint32_t* src, uint8_t* row) const {
        for (; x < x1; ++x) {
            row[x] = Index(src[x], x);
        }
    }
};

} // namespace

void DitherSpan(int32_t y, int32_t x0, int32_t x1, const uint32_t* src) {
    DitherRow(y).Span(x0, x1, src, g_render.target.Row(y));
}

void Composite(int32_t y, const CoverageRun* runs, int count) {
    const DitherRow d(y);
    uint8_t* row = g_render.target.Row(y);
    const uint32_t* src = g_render.rowBuffer;
    for (int i = 0; i < count; ++i) {
        const CoverageRun& run = runs[i];
        if (run.coverage >= 25) {
            d.Span(run.x0, run.x1, src, row);
        } else {
            for (int32_t x = run.x0; x < run.x1; ++x) {
                row[x] = MixCoverage8(row[x], d.Index(src[x], x), run.coverage);
            }
        }
    }
}

} // namespace image_target8
