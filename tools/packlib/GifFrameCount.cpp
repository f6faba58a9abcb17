#include "GifFrameCount.h"

#include <cstring>

namespace {
// Skips a chain of data sub-blocks (length byte, data) up to its empty terminator; false
// when the chain runs past the end.
bool SkipSubBlocks(std::span<const uint8_t> d, size_t& at) {
    while (at < d.size()) {
        const size_t length = d[at];
        if (length > d.size() - at - 1) {
            return false;
        }
        at += 1 + length;
        if (length == 0) {
            return true;
        }
    }
    return false;
}

size_t ColourTableBytes(uint8_t flags) {
    return flags & 0x80 ? 3u << ((flags & 7) + 1) : 0;
}
} // namespace

int CountGifImages(std::span<const uint8_t> d) {
    if (d.size() < 13 ||
        (std::memcmp(d.data(), "GIF87a", 6) && std::memcmp(d.data(), "GIF89a", 6))) {
        return 0;
    }
    size_t at = 13 + ColourTableBytes(d[10]);
    int images = 0;
    while (at < d.size()) {
        const uint8_t block = d[at];
        if (block == 0x2C) { // image descriptor, local table, LZW code size, data
            if (d.size() - at < 10) {
                break;
            }
            ++images;
            at += 10 + ColourTableBytes(d[at + 9]) + 1;
            if (at > d.size() || !SkipSubBlocks(d, at)) {
                break;
            }
        } else if (block == 0x21) { // extension: label, then sub-blocks
            at += 2;
            if (at > d.size() || !SkipSubBlocks(d, at)) {
                break;
            }
        } else {
            break; // the trailer, or anything else
        }
    }
    return images;
}
