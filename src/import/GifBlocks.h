// The bytes that introduce and label the blocks of a GIF stream after its screen descriptor.
#pragma once

#include <cstdint>

namespace gif {
constexpr uint8_t kExtensionIntroducer = 0x21;
constexpr uint8_t kImageSeparator = 0x2C;
constexpr uint8_t kTrailer = 0x3B;
constexpr uint8_t kGraphicControlLabel = 0xF9;
constexpr uint8_t kApplicationLabel = 0xFF;
} // namespace gif
