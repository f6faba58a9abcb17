// Packed pictures as Pillow gives pictures: RGB rows, top row first. Bit-field pixels are
// read through the masks of the packed table, widened by scaling to 255 and truncating.
#pragma once

#include "GifReference.h"
#include "ImportTestSupport.h"

#include <bit>

namespace importtest {

inline uint8_t MaskedChannel(uint32_t value, uint32_t mask) {
    if (mask == 0) {
        return 0;
    }
    const int shift = std::countr_zero(mask);
    const int bits = std::popcount(mask);
    const uint32_t v = (value & mask) >> shift;
    if (bits >= 8) {
        return static_cast<uint8_t>(v >> (bits - 8));
    }
    // Scaled and truncated, as Pillow widens them: 5-bit 12 becomes 98.
    return static_cast<uint8_t>(v * 255 / ((1u << bits) - 1));
}

// Unpacks any packed picture the importer hands out (1 to 32 bits, palette or masks).
inline std::vector<uint8_t> PackedRgb(const BITMAPINFOHEADER* h) {
    const int width = h->biWidth;
    const int height = h->biHeight < 0 ? -h->biHeight : h->biHeight;
    const int bits = h->biBitCount;
    const size_t stride = (size_t(width) * bits + 31) / 32 * 4;
    const uint8_t* pixels = PixelsOf(h);
    uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
    if (bits == 32) {
        masks[0] = 0xFF0000;
        masks[1] = 0xFF00;
        masks[2] = 0xFF;
    }
    if (h->biCompression == BI_BITFIELDS) {
        std::memcpy(masks, h + 1, sizeof masks);
    }
    std::vector<uint8_t> rgb;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = pixels + stride * size_t(h->biHeight < 0 ? y : height - 1 - y);
        for (int x = 0; x < width; ++x) {
            if (bits <= 8) {
                const int perByte = 8 / bits;
                const int shift = (perByte - 1 - x % perByte) * bits;
                const RGBQUAD c = ColoursOf(h)[row[x / perByte] >> shift & ((1 << bits) - 1)];
                rgb.insert(rgb.end(), {c.rgbRed, c.rgbGreen, c.rgbBlue});
            } else if (bits == 24) {
                rgb.insert(rgb.end(), {row[3 * x + 2], row[3 * x + 1], row[3 * x]});
            } else {
                const uint8_t* p = row + x * bits / 8;
                const uint32_t v = bits == 16
                                       ? uint32_t(p[0] | p[1] << 8)
                                       : p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24;
                rgb.insert(rgb.end(), {MaskedChannel(v, masks[0]), MaskedChannel(v, masks[1]),
                                       MaskedChannel(v, masks[2])});
            }
        }
    }
    return rgb;
}

// Pixels whose RGB differs; -1 when the sizes differ.
inline int DifferentRgb(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    if (a.size() != b.size()) {
        return -1;
    }
    int different = 0;
    for (size_t i = 0; i < a.size(); i += 3) {
        different += a[i] != b[i] || a[i + 1] != b[i + 1] || a[i + 2] != b[i + 2];
    }
    return different;
}

} // namespace importtest
