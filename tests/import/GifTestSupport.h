// A small GIF file builder for the tests.
#pragma once

#include "GifLzwEncoder.h"
#include "ImportTestSupport.h"

namespace importtest {

struct GifSpec {
    int width = 4;
    int height = 2;
    int globalColours = 4; // 0: no global table
    int localColours = 0;  // 0: no local table
    int transparent = -1;
    bool transparentFlag = true;
    bool interlaced = false;
    int minCodeSize = 2;
    int blockSize = 255;
    bool clearWhenFull = false;
    std::vector<uint8_t> values;    // in stored order
    std::vector<uint8_t> extension; // raw blocks before the image
};

inline int TableBits(int colours) {
    int bits = 0;
    while ((2 << bits) < colours) {
        ++bits;
    }
    return bits;
}

// Colour i of a table is (red i, green 100 + i, blue 200 - i) in stored order.
inline void PutTable(Bytes& b, int colours) {
    for (int i = 0; i < colours; ++i) {
        b.u8(i & 0xFF).u8((100 + i) & 0xFF).u8((200 - i) & 0xFF);
    }
}

inline Bytes GifHead(const GifSpec& s) {
    Bytes b;
    b.text("GIF89a").u16(s.width).u16(s.height);
    b.u8(s.globalColours ? 0x80 | 0x70 | TableBits(s.globalColours) : 0x70).u8(0).u8(0);
    if (s.globalColours) {
        PutTable(b, s.globalColours);
    }
    if (s.transparent >= 0) {
        b.u8(0x21).u8(0xF9).u8(4).u8(s.transparentFlag ? 1 : 0).u16(0).u8(s.transparent).u8(0);
    }
    b.raw(s.extension);
    return b;
}

inline Bytes ImageHead(const GifSpec& s) {
    Bytes b;
    b.u8(0x2C).u16(0).u16(0).u16(s.width).u16(s.height);
    b.u8((s.localColours ? 0x80 | TableBits(s.localColours) : 0) | (s.interlaced ? 0x40 : 0));
    if (s.localColours) {
        PutTable(b, s.localColours);
    }
    return b;
}

// clears, when given, counts the clear codes sent because the table was full.
inline std::vector<uint8_t> MakeGif(const GifSpec& s, int* clears = nullptr) {
    Bytes b = GifHead(s);
    b.raw(ImageHead(s).data()).u8(s.minCodeSize);
    b.raw(SubBlocks(LzwEncode(s.values, s.minCodeSize, s.clearWhenFull, clears), true,
                    static_cast<size_t>(s.blockSize)));
    b.u8(0x3B);
    return b.data();
}

} // namespace importtest
