// Limits on what a picture file may ask for, and the checks shared by the own readers (BMP,
// ICO, GIF) on the headers they read.
#pragma once

#include "platform/Win32.h"

#include <cstdint>

namespace picture {

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

// The largest picture file read into memory: as large as the largest face the maker takes,
// so no face it accepts is refused for its size alone.
constexpr uint64_t kMaxPictureFileBytes = uint64_t{256} << 20;

// The most pixel-row bytes a still picture may decode to: 64 Mpixels at 32 bits. Decoding
// work grows with the rows it writes, so this also bounds the work a file can ask for.
constexpr DWORD kMaxPixelBytes = DWORD{256} << 20;

// The most LZW values one frame of an animated GIF decodes, whatever its stated size: four
// times the largest logical screen. Frames are clipped to the screen first; this bounds
// what clipping cannot (rows wider than the screen, interlaced passes).
constexpr uint32_t kMaxGifFrameValues = uint32_t{1} << 24;

// Decoding work (LZW values and codes) a moving face may do each time a frame of the saver
// draws it: a few milliseconds. A longer way to the wanted frame goes on at the next
// frame, so no frame of the saver waits long on a decoder.
constexpr uint64_t kGifWorkPerDraw = uint64_t{1} << 19;

} // namespace picture
