// The orientation a camera recorded in a JPEG's Exif block (APP1 "Exif", TIFF IFD0 tag
// 0x0112): how the stored rows must be turned to stand upright.
#pragma once

#include <cstdint>
#include <span>

// 1 to 8 as the tag defines them (1: stored upright; 2-8: mirrored and/or turned); 0 when
// the bytes are not a JPEG, carry no Exif block, no orientation tag, or a value out of range.
// Looks only at the markers before the first scan; any length that points outside `jpeg`
// ends the search, so hostile bytes give 0, never a read outside the span.
int ReadExifOrientation(std::span<const uint8_t> jpeg);

// What an orientation value asks for, in words ("turned 90 degrees clockwise").
const char* OrientationText(int orientation);
