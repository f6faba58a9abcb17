// An independent decoder to compare the GIF reader with: Pillow in Debian's python3 decodes
// the first frame of each file, and the reader's palette indices are turned into the same
// top-down RGB rows.
#pragma once

#include "ImportTestSupport.h"

#include <cstdlib>

namespace importtest {

// Writes <file>.rgb beside every file: the first frame as RGB rows, top row first. One
// python3 run for all files, since starting Pillow takes longer than decoding a picture.
inline bool PillowDecode(const ScratchDir& dir, const std::vector<std::string>& files) {
    static const char kScript[] = R"(import sys
from PIL import Image
for path in sys.argv[1:]:
    with Image.open(path) as im:
        rgb = im.convert("RGB").tobytes()
    with open(path + ".rgb", "wb") as out:
        out.write(rgb)
)";
    const std::string script =
        dir.Write("pillow_rgb.py", std::vector<uint8_t>(kScript, kScript + sizeof kScript - 1));
    // Scratch paths come from mkdtemp and the tests' own names: nothing to quote.
    std::string command = "/usr/bin/python3 " + script;
    for (const std::string& file : files) {
        command += " " + file;
    }
    return std::system(command.c_str()) == 0;
}

inline std::vector<uint8_t> ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    std::vector<uint8_t> bytes(in ? static_cast<size_t>(in.tellg()) : 0);
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

// The palette index of picture pixel (x, y), y = 0 at the top, at 1, 4 or 8 bits.
inline int GifIndexAt(const ImageImporter& im, int x, int y) {
    const int depth = im.m_header.biBitCount;
    const size_t stride = im.m_pixelSize / static_cast<DWORD>(im.m_header.biHeight);
    const uint8_t* row = im.m_pixels + static_cast<size_t>(im.m_header.biHeight - 1 - y) * stride;
    const int perByte = 8 / depth;
    const int shift = (perByte - 1 - x % perByte) * depth;
    return row[x / perByte] >> shift & ((1 << depth) - 1);
}

// The decoded picture as Pillow gives it: RGB rows, top row first.
inline std::vector<uint8_t> GifRgb(const ImageImporter& im) {
    std::vector<uint8_t> rgb(static_cast<size_t>(im.m_header.biWidth) * im.m_header.biHeight * 3);
    uint8_t* out = rgb.data();
    for (int y = 0; y < im.m_header.biHeight; ++y) {
        for (int x = 0; x < im.m_header.biWidth; ++x, out += 3) {
            const RGBQUAD& c = im.m_colours[GifIndexAt(im, x, y)];
            out[0] = c.rgbRed;
            out[1] = c.rgbGreen;
            out[2] = c.rgbBlue;
        }
    }
    return rgb;
}

} // namespace importtest
