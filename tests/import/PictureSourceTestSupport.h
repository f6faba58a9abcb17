// Helpers for the picture source tests: a private temporary folder that must be empty again
// when the test ends, and small files written into it.
#pragma once

#include "../ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

class ScratchDir : public ScratchFolder {
  public:
    ScratchDir() : ScratchFolder("vc-picsrc") {}
};

inline void PutU16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
inline void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    PutU16(out, v & 0xFFFF);
    PutU16(out, v >> 16);
}
inline void PutTag(std::vector<uint8_t>& out, const char* tag) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<uint8_t>(tag[i]));
    }
}

// A 24-bit BMP file of `width` x `height` pixels, every pixel (b, g, r).
inline std::vector<uint8_t> MakeBmp24(int width, int height, uint8_t b, uint8_t g, uint8_t r) {
    const uint32_t stride = (width * 3 + 3) & ~3u;
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    PutU32(out, 54 + stride * height);
    PutU32(out, 0);
    PutU32(out, 54);
    PutU32(out, 40);
    PutU32(out, width);
    PutU32(out, height);
    PutU16(out, 1);
    PutU16(out, 24);
    for (int i = 0; i < 6; ++i) {
        PutU32(out, 0);
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            out.push_back(b);
            out.push_back(g);
            out.push_back(r);
        }
        out.resize(out.size() + stride - width * 3);
    }
    return out;
}
