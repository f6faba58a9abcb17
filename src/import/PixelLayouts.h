// The four-byte pixels that pass between the importer, the renderer, the making library
// and the maker's window, each named once, so that what a byte means is in the layout's
// name rather than in a comment at every use.
//
//   packed   blue, green, red, 255 - opacity   the importer's 32-bit pixels and every colour
//                                              table entry (RGBQUAD); what the renderer reads
//   canvas   the packed layout, as 0xCCRRGGBB  an animated GIF's canvas, which is drawn as a
//            words; C is 0 (opaque) or 255     packed picture
//   rgba     red, green, blue, opacity         RgbaImage, the making library's pictures
//   slot     blue, green, red, 0               the maker's face slots: a top-down DIB that
//                                              GDI draws without its fourth byte
#pragma once

#include <cstdint>

namespace pixel {

// Byte offsets within one pixel of each layout.
namespace packed {
constexpr int kBlue = 0, kGreen = 1, kRed = 2, kClearness = 3;
// The fourth byte holds 255 - opacity: 0 is opaque, 255 wholly clear. Libraries that
// give opacity (PNG's transparency table, TIFF's alpha) are turned round on the way in.
constexpr uint8_t ClearnessOf(uint8_t opacity) {
    return static_cast<uint8_t>(255 - opacity);
}
constexpr uint8_t OpacityOf(uint8_t clearness) {
    return static_cast<uint8_t>(255 - clearness);
}
} // namespace packed

namespace canvas {
constexpr uint32_t kClear = 0xFF000000u;
// A GIF colour table entry (red, green, blue bytes), opaque.
constexpr uint32_t FromRgbTriple(const uint8_t* rgb) {
    return uint32_t{rgb[2]} | uint32_t{rgb[1]} << 8 | uint32_t{rgb[0]} << 16;
}
} // namespace canvas

namespace rgba {
constexpr int kRed = 0, kGreen = 1, kBlue = 2, kOpacity = 3;
} // namespace rgba

namespace slot {
constexpr int kBlue = 0, kGreen = 1, kRed = 2, kUnused = 3;
} // namespace slot

} // namespace pixel
