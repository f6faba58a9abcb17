#include "PackedToRgb.h"

namespace {

// One channel of a bit-field pixel scaled to 8 bits.
uint8_t Channel(uint32_t pixel, uint32_t mask) {
    if (!mask) {
        return 0;
    }
    const int shift = __builtin_ctz(mask);
    const uint32_t max = mask >> shift;
    return static_cast<uint8_t>(((pixel & mask) >> shift) * 255u / max);
}

} // namespace

bool PackedToRgb(const BITMAPINFOHEADER* packed, std::vector<uint8_t>* rgb) {
    const int depth = packed->biBitCount;
    const DWORD compression = packed->biCompression;
    if (packed->biWidth <= 0 || packed->biHeight == 0 ||
        (compression != BI_RGB && compression != BI_BITFIELDS)) {
        return false;
    }
    if (depth != 1 && depth != 2 && depth != 4 && depth != 8 && depth != 16 && depth != 24 &&
        depth != 32) {
        return false;
    }
    const auto* base = reinterpret_cast<const uint8_t*>(packed) + sizeof(BITMAPINFOHEADER);
    const auto* colours = reinterpret_cast<const RGBQUAD*>(base);
    uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
    if (compression == BI_BITFIELDS) {
        for (int i = 0; i < 3; ++i) {
            masks[i] = reinterpret_cast<const uint32_t*>(base)[i];
        }
        base += 12;
    } else if (depth <= 8) {
        base += 4u << depth;
    }
    const bool topDown = packed->biHeight < 0;
    const int64_t width = packed->biWidth;
    const int64_t height = topDown ? -int64_t{packed->biHeight} : packed->biHeight;
    const int64_t stride = (width * depth + 31) / 32 * 4;

    rgb->assign(static_cast<size_t>(width * height * 3), 0);
    uint8_t* out = rgb->data();
    for (int64_t y = 0; y < height; ++y) {
        const uint8_t* row = base + (topDown ? y : height - 1 - y) * stride;
        for (int64_t x = 0; x < width; ++x, out += 3) {
            if (depth <= 8) {
                const int perByte = 8 / depth;
                const int shift = (perByte - 1 - static_cast<int>(x % perByte)) * depth;
                const RGBQUAD& c = colours[row[x / perByte] >> shift & ((1 << depth) - 1)];
                out[0] = c.rgbRed;
                out[1] = c.rgbGreen;
                out[2] = c.rgbBlue;
            } else if (depth == 16) {
                // The renderer draws 16-bit pixels as 5-5-5 and widens each channel by
                // repeating its high bits.
                const uint8_t* p = row + x * 2;
                const uint32_t pixel = uint32_t{p[0]} | uint32_t{p[1]} << 8;
                for (int i = 0; i < 3; ++i) {
                    const uint32_t c = pixel >> (10 - 5 * i) & 31;
                    out[i] = static_cast<uint8_t>(c << 3 | c >> 2);
                }
            } else if (depth == 32 && compression == BI_BITFIELDS) {
                const uint8_t* p = row + x * 4;
                const uint32_t pixel = uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 |
                                       uint32_t{p[3]} << 24;
                out[0] = Channel(pixel, masks[0]);
                out[1] = Channel(pixel, masks[1]);
                out[2] = Channel(pixel, masks[2]);
            } else {
                const uint8_t* p = row + x * (depth / 8);
                out[0] = p[2];
                out[1] = p[1];
                out[2] = p[0];
            }
        }
    }
    return true;
}
