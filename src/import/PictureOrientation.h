// The orientation a picture file records (the TIFF tag 0x0112, which Exif blocks carry too)
// and the turn that stands a decoded picture upright by it.
#pragma once

#include <cstdint>
#include <span>

class ImageImporter;

namespace picture {

// The orientation in a TIFF structure (a byte-order header and IFD0), as an Exif block
// holds it: 1 to 8 as the tag defines them (1 stored upright, 2-8 mirrored and/or turned),
// 0 when there is none or its value is out of range. Any offset that points outside
// `tiff` ends the search, so hostile bytes give 0, never a read outside the span.
int OrientationInTiff(std::span<const uint8_t> tiff);

// Replaces the importer's 8- or 32-bit pixels (rows padded to four bytes, bottom row first,
// or top row first when `topDown`) with the picture as it should be seen, bottom row first;
// orientations 5 to 8 swap width and height, others only turn top-down rows over. Other
// depths are left as they are. Raises NoMemory or TooLarge as AllocatePixels does.
void StandUpright(ImageImporter& importer, int orientation, bool topDown);

} // namespace picture
