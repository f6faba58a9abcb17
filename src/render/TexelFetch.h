// Reading one texel of a picture row and turning it into a finished pixel (bytes B, G, R,
// X), per source format. The caller guarantees 0 <= u < w on a row of the picture.
#pragma once

#include "render/ImageFill.h"

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

// Plain: every channel table is the identity, so 24/32-bit texels are copied as they
// stand (the picture's fourth byte is never copied: the pixel's extra byte is 0).
template <SourceFormat F, bool Plain>
inline uint32_t Fetch(const ImageFillState& s, const uint8_t* row, uint32_t u) {
    if constexpr (F == SourceFormat::k1Bit) {
        return s.texels[(row[u >> 3] >> (7 - (u & 7))) & 1];
    } else if constexpr (F == SourceFormat::k4Bit) {
        return s.texels[(row[u >> 1] >> ((~u & 1) << 2)) & 15];
    } else if constexpr (F == SourceFormat::k8Bit) {
        return s.texels[row[u]];
    } else if constexpr (F == SourceFormat::k16Bit) {
        const uint32_t p = Load16(row + 2 * size_t{u});
        return s.wide5Blue[p & 31] | s.wide5Green[(p >> 5) & 31] | s.wide5Red[(p >> 10) & 31];
    } else if constexpr (F == SourceFormat::k24Bit) {
        const uint8_t* p = row + 3 * size_t{u};
        if constexpr (Plain) {
            return p[0] | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16);
        } else {
            return s.chanBlue[p[0]] | s.chanGreen[p[1]] | s.chanRed[p[2]];
        }
    } else if constexpr (F == SourceFormat::k32Bit) {
        if constexpr (Plain) {
            return Load32(row + 4 * size_t{u}) & 0x00FFFFFFu;
        } else {
            const uint8_t* p = row + 4 * size_t{u};
            return s.chanBlue[p[0]] | s.chanGreen[p[1]] | s.chanRed[p[2]];
        }
    } else if constexpr (F == SourceFormat::kCmyk) {
        const uint8_t* p = row + 4 * size_t{u};
        const int black = s.extra[p[3]];
        return Ink(s.blue, p[2], black) | (Ink(s.green, p[1], black) << 8) |
               (Ink(s.red, p[0], black) << 16);
    } else {
        static_assert(F == SourceFormat::k32BitX);
        if constexpr (Plain) {
            const uint32_t p = Load32(row + 4 * size_t{u});
            return (p & 0x00FFFFFFu) | (uint32_t{s.extra[p >> 24]} << 24);
        } else {
            const uint8_t* p = row + 4 * size_t{u};
            return s.chanBlue[p[0]] | s.chanGreen[p[1]] | s.chanRed[p[2]] |
                   (uint32_t{s.extra[p[3]]} << 24);
        }
    }
}

// The same for a format chosen at run time (the reference filler): byte by byte, no
// pre-combined tables.
uint32_t FetchAny(const ImageFillState& s, const uint8_t* row, uint32_t u);

} // namespace texel
