// Reading one texel of a picture row and turning it into a finished pixel (bytes B, G, R,
// X), per source format. The caller guarantees 0 <= u < w on a row of the picture.
#pragma once

#include "render/fill/ImageFill.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace texel {

inline uint32_t Load16(const uint8_t* p) {
    uint16_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
inline uint32_t Load32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// CMYK channel: 255 - table[ink] - table[black], not below 0.
inline uint32_t Ink(const uint8_t* table, uint8_t ink, int black) {
    const int c = 255 - table[ink] - black;
    return c < 0 ? 0u : static_cast<uint32_t>(c);
}

// Bytes per texel of the formats whose texels start on a byte; 0 for 1 and 4 bits.
template <SourceFormat F> constexpr int BytesPerTexel() {
    switch (F) {
    case SourceFormat::k1Bit:
    case SourceFormat::k4Bit:
        return 0;
    case SourceFormat::k8Bit:
        return 1;
    case SourceFormat::k16Bit:
        return 2;
    case SourceFormat::k24Bit:
        return 3;
    default:
        return 4;
    }
}

// The texel whose first byte is at p, for formats with BytesPerTexel() > 0. Plain: every
// channel table is the identity, so 24/32-bit texels are copied as they stand (the
// picture's fourth byte is never copied: the pixel's extra byte is 0).
template <SourceFormat F, bool Plain>
inline uint32_t FetchAt(const ImageFillState& s, const uint8_t* p) {
    static_assert(BytesPerTexel<F>() > 0);
    if constexpr (F == SourceFormat::k8Bit) {
        return s.texels[*p];
    } else if constexpr (F == SourceFormat::k16Bit) {
        const uint32_t t = Load16(p);
        return s.wide5Blue[t & 31] | s.wide5Green[(t >> 5) & 31] | s.wide5Red[(t >> 10) & 31];
    } else if constexpr (F == SourceFormat::k24Bit) {
        if constexpr (Plain) {
            return p[0] | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16);
        } else {
            return s.chanBlue[p[0]] | s.chanGreen[p[1]] | s.chanRed[p[2]];
        }
    } else if constexpr (F == SourceFormat::k32Bit) {
        if constexpr (Plain) {
            return Load32(p) & 0x00FFFFFFu;
        } else {
            return s.chanBlue[p[0]] | s.chanGreen[p[1]] | s.chanRed[p[2]];
        }
    } else if constexpr (F == SourceFormat::kCmyk) {
        const int black = s.extra[p[3]];
        return Ink(s.blue, p[2], black) | (Ink(s.green, p[1], black) << 8) |
               (Ink(s.red, p[0], black) << 16);
    } else {
        static_assert(F == SourceFormat::k32BitX);
        if constexpr (Plain) {
            const uint32_t t = Load32(p);
            return (t & 0x00FFFFFFu) | (uint32_t{s.extra[t >> 24]} << 24);
        } else {
            return s.chanBlue[p[0]] | s.chanGreen[p[1]] | s.chanRed[p[2]] |
                   (uint32_t{s.extra[p[3]]} << 24);
        }
    }
}

// Whether texels of the picture may be addressed by their byte offset v·stride + u·bytes
// from the first one computed in 16-bit vector lanes (_mm_madd_epi16): texel indices and
// the row stride fit a signed 16-bit lane.
template <SourceFormat F> bool OffsetsFit(const ImageFillState& s) {
    return BytesPerTexel<F>() > 0 && s.width <= 32768 && s.height <= 32768 && s.stride > 0 &&
           s.stride <= 32767;
}

// Texel u of a picture row.
template <SourceFormat F, bool Plain>
inline uint32_t Fetch(const ImageFillState& s, const uint8_t* row, uint32_t u) {
    if constexpr (F == SourceFormat::k1Bit) {
        return s.texels[(row[u >> 3] >> (7 - (u & 7))) & 1];
    } else if constexpr (F == SourceFormat::k4Bit) {
        return s.texels[(row[u >> 1] >> ((~u & 1) << 2)) & 15];
    } else {
        return FetchAt<F, Plain>(s, row + size_t{BytesPerTexel<F>()} * u);
    }
}

// The same for a format chosen at run time (the reference filler): byte by byte, no
// pre-combined tables.
uint32_t FetchAny(const ImageFillState& s, const uint8_t* row, uint32_t u);

} // namespace texel
