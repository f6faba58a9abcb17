// Turns and mirrors a picture so that it stands as its Exif orientation says it was taken.
#pragma once

#include "make/picture/RgbaImage.h"

// The picture as it should be seen, for an Exif orientation of 1 to 8 (others: a copy).
// Orientations 5 to 8 swap width and height.
RgbaImage Upright(const RgbaImage& stored, int orientation);
