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
