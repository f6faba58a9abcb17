#include "packlib/GifFrameCount.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
using Bytes = std::vector<uint8_t>;

// A 2 x 2 GIF with a two-entry global table and `images` one-pixel images, each behind a
// graphic control extension; `localTable` gives every image a four-entry local table.
Bytes Gif(int images, bool localTable) {
    Bytes b = {'G', 'I', 'F', '8', '9', 'a', 2, 0, 2, 0, 0x80, 0, 0, 0, 0, 0, 255, 255, 255};
    for (int i = 0; i < images; ++i) {
        b.insert(b.end(), {0x21, 0xF9, 4, 0, 10, 0, 0, 0});
        b.insert(b.end(),
                 {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, static_cast<uint8_t>(localTable ? 0x81 : 0)});
        if (localTable) {
            b.insert(b.end(), 12, 0x40);
        }
        b.insert(b.end(), {2, 2, 0x4C, 0x01, 0}); // LZW code size, one sub-block, terminator
    }
    b.push_back(0x3B);
    return b;
}
} // namespace

TEST(GifFrameCount, CountsImageDescriptorsPastExtensionsAndLocalTables) {
    EXPECT_EQ(CountGifImages(Gif(1, false)), 1);
    EXPECT_EQ(CountGifImages(Gif(5, false)), 5);
    EXPECT_EQ(CountGifImages(Gif(3, true)), 3);
    EXPECT_EQ(CountGifImages(Gif(0, false)), 0);
}

TEST(GifFrameCount, StopsAtTheEndOfTruncatedDataAndRefusesOthers) {
    const Bytes whole = Gif(4, true);
    for (size_t n = 0; n <= whole.size(); ++n) {
        const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
        const int count = CountGifImages(cut);
        EXPECT_GE(count, 0);
        EXPECT_LE(count, 4);
    }
    EXPECT_EQ(CountGifImages(Bytes{'G', 'I', 'F', '8', '7', 'b', 0, 0, 0, 0, 0, 0, 0}), 0);
}
