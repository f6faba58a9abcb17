// Encodes a picture as a baseline JPEG file in memory.
#pragma once

#include "make/picture/RgbaImage.h"

#include <cstdint>
#include <vector>

// The quality re-encoded photos are stored at, with 2x2 chroma subsampling (4:2:0), as
// cameras store them: high enough that the re-encoding is not seen on a cube face.
constexpr int kJpegQuality = 92;

// The opaque colours of `image` as a JPEG file (opacity is dropped: a JPEG has none).
// False when the library fails or memory runs out.
bool EncodeJpeg(const RgbaImage& image, int quality, std::vector<uint8_t>& file);

// Rows of 8-bit red, green, blue (and an ignored fourth byte for kRgbx), top row first.
struct JpegRows {
    enum Layout { kRgb, kRgbx };
    const uint8_t* pixels;
    size_t stride; // bytes from one row to the next
    int width, height;
    Layout layout;
    // Huffman tables made for the picture (smaller, two passes), or the standard ones that
    // a Motion-JPEG frame without tables is decoded with.
    bool optimizeCoding = true;
};

// `rows` as a JPEG file; the picture is not copied first. False for a size or quality out of
// range, or when the library fails.
bool EncodeJpegRows(const JpegRows& rows, int quality, std::vector<uint8_t>& file);
