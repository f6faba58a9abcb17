// Animated GIFs whose frames are far larger than their logical screen, from few bytes: the
// hostile kind that once held the saver for minutes. Free of the test framework, so that the
// fuzz target builds the same files.
#pragma once

#include "GifLzwEncoder.h"

#include <cstdint>
#include <vector>

namespace importtest {

// An LZW stream (minimum code size 2) of at least `values` zeros: every code after the
// first is the newest table entry, one value longer than the one before, and once the table
// is full every code is its longest entry, 4,091 values for 12 bits. A 65535 x 65535 frame
// takes about 1.5 MB. `clearsFirst` clear codes lead the stream.
inline std::vector<uint8_t> FloodCodes(uint64_t values, int clearsFirst = 1) {
    constexpr int kClear = 4, kFirst = 6, kLast = 4095;
    BitWriter out;
    int width = 3;
    for (int i = 0; i < clearsFirst; ++i) {
        out.Put(kClear, width);
    }
    out.Put(0, width);
    uint64_t made = 1;
    int next = kFirst;
    while (made < values && next <= kLast) {
        out.Put(next, width);
        made += static_cast<uint64_t>(next - kFirst + 2);
        // The decoder widens its codes once the entry it just added fills the width.
        if (++next >= (1 << width) && width < 12) {
            ++width;
        }
    }
    while (made < values) {
        out.Put(kLast, 12);
        made += kLast - kFirst + 2;
    }
    out.Put(kClear + 1, width);
    return out.Finish();
}

struct FloodFrame {
    uint16_t left = 0, top = 0, width = 65535, height = 65535;
    bool interlaced = false;
    // Zeros the code stream holds; the whole frame when 0.
    uint64_t values = 0;
    int clearsFirst = 1;
};

// A GIF89a of the given logical screen, looping for ever, with four colours (black, red,
// green, blue) and one frame per entry, each shown for 100 ms.
inline std::vector<uint8_t> MakeFloodGif(uint16_t screenWidth, uint16_t screenHeight,
                                         const std::vector<FloodFrame>& frames) {
    std::vector<uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a'};
    auto put16 = [&gif](unsigned v) {
        gif.push_back(static_cast<uint8_t>(v));
        gif.push_back(static_cast<uint8_t>(v >> 8));
    };
    put16(screenWidth);
    put16(screenHeight);
    gif.insert(gif.end(), {0x81, 0, 0, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255});
    gif.insert(gif.end(), {0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3,
                           1, 0, 0, 0});
    for (const FloodFrame& f : frames) {
        gif.insert(gif.end(), {0x21, 0xF9, 4, 0, 1, 0, 0, 0});
        gif.push_back(0x2C);
        put16(f.left);
        put16(f.top);
        put16(f.width);
        put16(f.height);
        gif.push_back(f.interlaced ? 0x40 : 0);
        gif.push_back(2);
        const uint64_t all = uint64_t{f.width} * f.height;
        const std::vector<uint8_t> blocks =
            SubBlocks(FloodCodes(f.values ? f.values : all, f.clearsFirst));
        gif.insert(gif.end(), blocks.begin(), blocks.end());
    }
    gif.push_back(0x3B);
    return gif;
}

} // namespace importtest
