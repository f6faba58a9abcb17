#include "render/fill/PictureLevels.h"

#include "render/Renderer.h"
#include "render/core/Tables.h"
#include "render/fill/PictureHeader.h"
#include "render/fill/TexelFetch.h"

#include <emmintrin.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

namespace {

// Four 24-bit texels from the first twelve of sixteen bytes, as 32-bit texels.
inline __m128i Expand24(const uint8_t* p) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i first = _mm_unpacklo_epi32(x, _mm_srli_si128(x, 3));
    const __m128i second = _mm_unpacklo_epi32(_mm_srli_si128(x, 6), _mm_srli_si128(x, 9));
    return _mm_and_si128(_mm_unpacklo_epi64(first, second), _mm_set1_epi32(0x00FFFFFF));
}

// The picture's unlit colours of rows [begin, end): the formats the importers make are
// copied directly, the others go through the reference fetch with identity tables (`s`).
void ConvertRows(const PictureHeader& pic, const uint8_t* pixels, const ImageFillState* s,
                 uint32_t* out, int32_t begin, int32_t end) {
    const size_t w = static_cast<size_t>(pic.width);
    for (int32_t j = begin; j < end; ++j) {
        const uint8_t* row = pixels + static_cast<size_t>(pic.stride) * static_cast<size_t>(j);
        uint32_t* to = out + w * static_cast<size_t>(j);
        if (pic.format == SourceFormat::k24Bit) {
            // Sixteen bytes for four texels while they lie inside the row, then four bytes a
            // texel but for the last, whose fourth may lie past the rows.
            size_t i = 0;
            for (; 3 * i + 16 <= 3 * w; i += 4) {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i), Expand24(row + 3 * i));
            }
            for (; i + 1 < w; ++i) {
                to[i] = texel::Load32(row + 3 * i) & 0x00FFFFFFu;
            }
            const uint8_t* last = row + 3 * (w - 1);
            to[w - 1] = last[0] | (uint32_t{last[1]} << 8) | (uint32_t{last[2]} << 16);
        } else if (pic.format == SourceFormat::k32Bit) {
            size_t i = 0;
            for (const __m128i low = _mm_set1_epi32(0x00FFFFFF); i + 4 <= w; i += 4) {
                const __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 4 * i));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i), _mm_and_si128(t, low));
            }
            for (; i < w; ++i) {
                to[i] = texel::Load32(row + 4 * i) & 0x00FFFFFFu;
            }
        } else {
            for (size_t i = 0; i < w; ++i) {
                to[i] = texel::FetchAny(*s, row, static_cast<uint32_t>(i)) & 0x00FFFFFFu;
            }
        }
    }
}

// Identity tables for the formats ConvertRows reads through the reference fetch.
std::unique_ptr<ImageFillState> FetchState(const PictureHeader& pic, const RGBQUAD* colourTable) {
    std::unique_ptr<ImageFillState> s(new (std::nothrow) ImageFillState);
    if (!s) {
        return s;
    }
    s->format = pic.format;
    s->red = s->green = s->blue = s->extra = tables::kIdentity;
    if (pic.bits <= 8) {
        for (int k = 0; k < (1 << pic.bits); ++k) {
            const RGBQUAD& c = colourTable[k];
            s->texels[k] = c.rgbBlue | (uint32_t{c.rgbGreen} << 8) | (uint32_t{c.rgbRed} << 16);
        }
    }
    return s;
}

uint32_t Box(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t sum = ((a >> shift) & 0xFF) + ((b >> shift) & 0xFF) + ((c >> shift) & 0xFF) +
                             ((d >> shift) & 0xFF);
        out |= ((sum + 2) >> 2) << shift;
    }
    return out;
}

// Two output texels from four of each input row, channel sums in 16-bit lanes.
inline void BoxPairs(const uint32_t* r0, const uint32_t* r1, uint32_t* out, int32_t pairs) {
    const __m128i zero = _mm_setzero_si128(), two = _mm_set1_epi16(2);
    for (int32_t k = 0; k < pairs; ++k) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r0 + 4 * k));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r1 + 4 * k));
        const __m128i lo = _mm_add_epi16(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero));
        const __m128i hi = _mm_add_epi16(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero));
        const __m128i sum = _mm_add_epi16(
            _mm_add_epi16(_mm_unpacklo_epi64(lo, hi), _mm_unpackhi_epi64(lo, hi)), two);
        const __m128i packed = _mm_packus_epi16(_mm_srli_epi16(sum, 2), zero);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 2 * k), packed);
    }
}

} // namespace

namespace {
void BoxFilterRows(const SmoothLevel& from, uint32_t* to, int32_t toWidth, int32_t begin,
                   int32_t end) {
    const size_t fw = static_cast<size_t>(from.width);
    for (int32_t j = begin; j < end; ++j) {
        const int32_t j0 = 2 * j, j1 = 2 * j + 1 < from.height ? 2 * j + 1 : from.height - 1;
        const uint32_t* r0 = from.texels + fw * static_cast<size_t>(j0);
        const uint32_t* r1 = from.texels + fw * static_cast<size_t>(j1);
        uint32_t* out = to + static_cast<size_t>(toWidth) * static_cast<size_t>(j);
        // Texels 2i + 1 of the pairs all lie inside the row when the side is at least 2.
        const int32_t pairs = from.width >= 2 ? toWidth / 2 : 0;
        BoxPairs(r0, r1, out, pairs);
        for (int32_t i = 2 * pairs; i < toWidth; ++i) {
            const int32_t i0 = 2 * i, i1 = 2 * i + 1 < from.width ? 2 * i + 1 : from.width - 1;
            out[i] = Box(r0[i0], r0[i1], r1[i0], r1[i1]);
        }
    }
}
} // namespace

void BoxFilterLevel(const SmoothLevel& from, uint32_t* to, int32_t toWidth, int32_t toHeight) {
    BoxFilterRows(from, to, toWidth, 0, toHeight);
}

namespace {
bool FillLevels(PictureLevels& levels, const PictureHeader& pic, const void* pixels,
                const RGBQUAD* colourTable) {
    std::unique_ptr<ImageFillState> fetch;
    if (pic.format != SourceFormat::k24Bit && pic.format != SourceFormat::k32Bit) {
        fetch = FetchState(pic, colourTable);
        if (!fetch) {
            return false;
        }
    }
    // Level 1 is made a band at a time behind level 0, while the band's rows are in the cache.
    constexpr int32_t kBand = 16;
    const auto* bytes = static_cast<const uint8_t*>(pixels);
    const SmoothLevel& first = levels.levels[0];
    for (int32_t row = 0, done = 0; row < pic.height; row += kBand) {
        const int32_t end = row + kBand < pic.height ? row + kBand : pic.height;
        ConvertRows(pic, bytes, fetch.get(), levels.storage, row, end);
        if (levels.count > 1) {
            const SmoothLevel& next = levels.levels[1];
            // Output row j needs source rows 2j and 2j+1 (the last one where there is none).
            int32_t ready = end == pic.height ? next.height : end / 2;
            ready = ready < next.height ? ready : next.height;
            BoxFilterRows(first, levels.storage + (next.texels - levels.storage), next.width, done,
                          ready);
            done = ready;
        }
    }
    for (int k = 2; k < levels.count; ++k) {
        const SmoothLevel& l = levels.levels[k];
        BoxFilterLevel(levels.levels[k - 1], levels.storage + (l.texels - levels.storage), l.width,
                       l.height);
    }
    return true;
}
} // namespace

PictureLevels* BuildPictureLevels(const BITMAPINFOHEADER* header, const void* pixels,
                                  const RGBQUAD* colourTable) {
    PictureHeader pic{};
    if (ReadPictureHeader(header, pic) != kNoError || pixels == nullptr ||
        (pic.bits <= 8 && colourTable == nullptr) ||
        int64_t{pic.width} * pic.height > kMaxSmoothTexels) {
        return nullptr;
    }
    std::unique_ptr<PictureLevels> levels(new (std::nothrow) PictureLevels);
    if (!levels) {
        return nullptr;
    }
    size_t total = 0;
    int32_t w = pic.width, h = pic.height;
    for (;;) {
        SmoothLevel& l = levels->levels[levels->count++];
        l.width = w;
        l.height = h;
        total += static_cast<size_t>(w) * static_cast<size_t>(h);
        if (w == 1 && h == 1) {
            break;
        }
        w = w > 1 ? w / 2 : 1;
        h = h > 1 ? h / 2 : 1;
    }
    levels->storage = static_cast<uint32_t*>(std::malloc(total * sizeof(uint32_t)));
    if (levels->storage == nullptr) {
        return nullptr;
    }
    levels->texels = total;
    uint32_t* at = levels->storage;
    for (int k = 0; k < levels->count; ++k) {
        SmoothLevel& l = levels->levels[k];
        l.texels = at;
        at += static_cast<size_t>(l.width) * static_cast<size_t>(l.height);
    }
    if (!FillLevels(*levels, pic, pixels, colourTable)) {
        std::free(levels->storage);
        return nullptr;
    }
    return levels.release();
}

int RefreshPictureLevels(PictureLevels* levels, const BITMAPINFOHEADER* header, const void* pixels,
                         const RGBQUAD* colourTable) {
    PictureHeader pic{};
    if (levels == nullptr || levels->count < 1 || ReadPictureHeader(header, pic) != kNoError ||
        pixels == nullptr || (pic.bits <= 8 && colourTable == nullptr) ||
        pic.width != levels->levels[0].width || pic.height != levels->levels[0].height) {
        return -1;
    }
    return FillLevels(*levels, pic, pixels, colourTable) ? 0 : -1;
}

void FreePictureLevels(PictureLevels* levels) {
    if (levels != nullptr) {
        std::free(levels->storage);
        delete levels;
    }
}
