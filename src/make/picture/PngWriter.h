// Encodes a picture as a PNG file in memory, without loss.
#pragma once

#include "make/picture/RgbaImage.h"

#include <cstdint>
#include <vector>

// RGB when every pixel is opaque, else RGB with opacity. False when the library fails.
bool EncodePng(const RgbaImage& image, std::vector<uint8_t>& file);
