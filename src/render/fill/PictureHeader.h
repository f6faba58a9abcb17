// What the picture fills and the smooth levels read from a packed picture's header.
#pragma once

#include "render/fill/ImageFill.h"

#include "platform/Win32.h"

#include <cstdint>

// Error code 0 is a failure (kErrBadBitmap), so "no error" is its own value.
constexpr int kNoError = -1;

struct PictureHeader {
    SourceFormat format;
    int bits;
    int32_t width, height;
    int64_t stride;
};

// kNoError, or kErrBadBitmap for a picture the fills cannot address: compressed, empty,
// wider or taller than kMaxPictureSide, more than 2^31 - 1 bytes, or of an unusable depth.
int ReadPictureHeader(const BITMAPINFOHEADER* header, PictureHeader& pic);
