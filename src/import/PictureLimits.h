// Checks shared by the own readers (BMP, ICO, GIF) on the headers they read, and the size
// of picture the saver holds.
#pragma once

#include "platform/Win32.h"

#include <cstdint>

namespace picture {

// The most pixel bytes a face's picture may have in the saver (64 megapixels at 32 bits).
// The saver is a 32-bit process that holds six faces and, while one is imported, its pixels
// twice; above this a face shows the default picture, on every system alike, so that the
// tools' verdict (and their shrinking, which keeps faces far below it) agrees with the saver
// wherever it runs.
constexpr DWORD kMaxFacePixelBytes = DWORD{256} << 20;

// The depths a stored DIB may have; anything else is refused rather than handed on.
constexpr bool IsDibDepth(unsigned bitCount) {
    return bitCount == 1 || bitCount == 2 || bitCount == 4 || bitCount == 8 || bitCount == 16 ||
           bitCount == 24 || bitCount == 32;
}

// Bit fields describe 16- and 32-bit pixels only; with any other depth the packed
// picture's table would be both three masks and a palette.
constexpr bool BitFieldsFit(DWORD compression, unsigned bitCount) {
    return compression != BI_BITFIELDS || bitCount == 16 || bitCount == 32;
}

inline uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
inline uint32_t Le32(const uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

} // namespace picture
