// Counts the images of a GIF file, to tell an animation from a still picture. A stopgap
// beside the importer: it walks the block structure only and decodes nothing.
#pragma once

#include <cstdint>
#include <span>

// The number of image descriptors before the trailer or the end of the data; 0 when the
// bytes are not a GIF. A block that runs past the end stops the count there.
int CountGifImages(std::span<const uint8_t> gif);
