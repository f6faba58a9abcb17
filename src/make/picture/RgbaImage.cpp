#include "make/picture/RgbaImage.h"

#include "import/PixelLayouts.h"

#include <algorithm>
#include <exception>

namespace {
// One channel of a bit-field pixel scaled to 8 bits.
uint8_t Channel(uint32_t pixel, uint32_t mask) {
    if (!mask) {
        return 0;
    }
    const int shift = __builtin_ctz(mask);
    const uint32_t max = mask >> shift;
    return static_cast<uint8_t>((uint64_t{(pixel & mask) >> shift} * 255u + max / 2) / max);
}

void PutColour(uint8_t* out, const RGBQUAD& c) {
    out[pixel::rgba::kRed] = c.rgbRed;
    out[pixel::rgba::kGreen] = c.rgbGreen;
    out[pixel::rgba::kBlue] = c.rgbBlue;
    out[pixel::rgba::kOpacity] = pixel::packed::OpacityOf(c.rgbReserved);
}
} // namespace

bool RgbaImage::Opaque() const {
    for (size_t i = 3; i < pixels.size(); i += 4) {
        if (pixels[i] != 255) {
            return false;
        }
    }
    return true;
}

bool UnpackPicture(const BITMAPINFOHEADER* packed, RgbaImage& image) {
    const unsigned depth = packed->biBitCount;
    const DWORD compression = packed->biCompression;
    const bool bitFields = compression == BI_BITFIELDS;
    if (packed->biWidth <= 0 || packed->biHeight == 0 || (compression != BI_RGB && !bitFields)) {
        return false;
    }
    if (depth != 1 && depth != 2 && depth != 4 && depth != 8 && depth != 16 && depth != 24 &&
        depth != 32) {
        return false;
    }
    if (bitFields && depth != 16 && depth != 32) {
        return false;
    }
    const auto* base = reinterpret_cast<const uint8_t*>(packed) + sizeof(BITMAPINFOHEADER);
    const auto* colours = reinterpret_cast<const RGBQUAD*>(base);
    uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
    if (bitFields) {
        std::copy_n(reinterpret_cast<const uint32_t*>(base), 3, masks);
        base += 12;
    } else if (depth <= 8) {
        base += 4u << depth;
    }
    const bool topDown = packed->biHeight < 0;
    const uint64_t width = static_cast<uint64_t>(packed->biWidth);
    const uint64_t height = topDown ? -int64_t{packed->biHeight} : packed->biHeight;
    const uint64_t stride = (width * depth + 31) / 32 * 4;
    if (width > 0x7FFFFFFF || height > 0x7FFFFFFF || width * height > SIZE_MAX / 4) {
        return false;
    }
    // A picture there is no memory for is one that cannot be unpacked, as the declaration
    // promises: no exception leaves.
    try {
        image.pixels.assign(static_cast<size_t>(width * height * 4), 0);
    } catch (const std::exception&) { // bad_alloc, or length_error beyond max_size()
        image = RgbaImage();
        return false;
    }
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);

    uint8_t* out = image.pixels.data();
    for (uint64_t y = 0; y < height; ++y) {
        const uint8_t* row = base + (topDown ? y : height - 1 - y) * stride;
        for (uint64_t x = 0; x < width; ++x, out += 4) {
            if (depth <= 8) {
                const unsigned perByte = 8 / depth;
                const unsigned shift = (perByte - 1 - static_cast<unsigned>(x % perByte)) * depth;
                PutColour(out, colours[row[x / perByte] >> shift & ((1u << depth) - 1)]);
            } else if (depth == 16 || (depth == 32 && bitFields)) {
                const uint8_t* p = row + x * (depth / 8);
                uint32_t pixel = uint32_t{p[0]} | uint32_t{p[1]} << 8;
                if (depth == 32) {
                    pixel |= uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
                }
                out[0] = Channel(pixel, masks[0]);
                out[1] = Channel(pixel, masks[1]);
                out[2] = Channel(pixel, masks[2]);
                out[3] = 255;
            } else {
                using namespace pixel;
                const uint8_t* p = row + x * (depth / 8);
                out[rgba::kRed] = p[packed::kRed];
                out[rgba::kGreen] = p[packed::kGreen];
                out[rgba::kBlue] = p[packed::kBlue];
                out[rgba::kOpacity] = depth == 32 ? packed::OpacityOf(p[packed::kClearness]) : 255;
            }
        }
    }
    return true;
}
