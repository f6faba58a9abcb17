// Frames as top-row-first RGB images, and their PNG files.
#pragma once

#include "platform/Win32.h"

#include <cstdint>
#include <string>
#include <vector>

struct RenderPalette;

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb; // 3 bytes a pixel, top row first
};

// Copies a region's bottom-up bitmap (32 bits: blue, green, red, pad; 8 bits: indices of
// the palette) into a top-row-first image.
RgbImage ImageFromRegion(const BITMAPINFOHEADER& header, const void* bits,
                         const RenderPalette* palette);

// Lays frames of equal size out in rows of ceil(√n), with a 4-pixel grey gap.
RgbImage ContactSheet(const std::vector<RgbImage>& frames);

bool WritePng(const std::string& path, const RgbImage& image);

// "out.png", 7 → "out_0007.png".
std::string NumberedPath(const std::string& path, int index);
