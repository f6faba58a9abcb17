// Library pixels into the importer's 32-bit layout: the decoders of the newer formats hand
// out top-down rows of red, green, blue (and opacity) bytes, the packed picture wants
// bottom-up rows of blue, green, red, clearness (pixel::packed).
#pragma once

#include <cstddef>
#include <cstdint>

namespace picture {

// Writes `height` rows of `width` pixels from `source` (top row first, `sourceStride`
// bytes apart, 3 bytes a pixel without opacity, 4 with) into `target` (bottom row first,
// `targetStride` bytes apart, 4 bytes a pixel). Pixels without opacity are opaque.
void PackRgbRows(const uint8_t* source, size_t sourceStride, unsigned sourceChannels,
                 uint32_t width, uint32_t height, uint8_t* target, size_t targetStride);

} // namespace picture
