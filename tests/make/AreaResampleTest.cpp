#include "make/picture/AreaResample.h"

#include <gtest/gtest.h>

namespace {
RgbaImage Grey(int width, int height, std::initializer_list<int> values) {
    RgbaImage image;
    image.width = width;
    image.height = height;
    for (int v : values) {
        image.pixels.insert(image.pixels.end(), {static_cast<uint8_t>(v), static_cast<uint8_t>(v),
                                                 static_cast<uint8_t>(v), 255});
    }
    return image;
}

std::vector<int> Reds(const RgbaImage& image) {
    std::vector<int> reds;
    for (size_t i = 0; i < image.pixels.size(); i += 4) {
        reds.push_back(image.pixels[i]);
    }
    return reds;
}
} // namespace

TEST(AreaResample, HalvingAveragesEachTwoByTwoBlock) {
    const RgbaImage source = Grey(4, 4,
                                  {0, 10, 100, 101,  //
                                   20, 30, 103, 104, //
                                   255, 255, 7, 9,   //
                                   251, 255, 11, 13});
    const RgbaImage half = AreaResample(source, 2, 2);
    ASSERT_EQ(half.width, 2);
    ASSERT_EQ(half.height, 2);
    // 15, 102, 254 and 10 exactly; a plain mean of 102.0 and of 254.0 rounds to itself.
    EXPECT_EQ(Reds(half), (std::vector<int>{15, 102, 254, 10}));
    for (size_t i = 3; i < half.pixels.size(); i += 4) {
        EXPECT_EQ(half.pixels[i], 255);
    }
}

TEST(AreaResample, FractionalCoverWeighsBorderPixelsByTheirShare) {
    // Three pixels into two: the first new pixel covers old 0 wholly and half of old 1.
    const RgbaImage row = AreaResample(Grey(3, 1, {0, 90, 240}), 2, 1);
    EXPECT_EQ(Reds(row), (std::vector<int>{30, 190}));
    // Five rows into two: 2.5 old rows each.
    const RgbaImage column = AreaResample(Grey(1, 5, {100, 100, 200, 0, 0}), 1, 2);
    EXPECT_EQ(Reds(column), (std::vector<int>{120, 40}));
}

TEST(AreaResample, FourthByteIsAveragedAsAChannelOfItsOwn) {
    RgbaImage source = Grey(2, 1, {200, 0});
    source.pixels[7] = 0; // the second pixel's fourth byte
    const RgbaImage one = AreaResample(source, 1, 1);
    EXPECT_EQ(one.pixels[0], 100); // colours are not weighted by it
    EXPECT_EQ(one.pixels[3], 128); // 127.5 rounds up
}

TEST(AreaResample, UniformPicturesStayUniformAtAnyRatio) {
    RgbaImage source;
    source.width = 37;
    source.height = 23;
    source.pixels.assign(37 * 23 * 4, 77);
    const RgbaImage out = AreaResample(source, 11, 7);
    for (uint8_t v : out.pixels) {
        ASSERT_EQ(v, 77);
    }
}

TEST(AreaResample, ShrunkSizeBringsTheLongerSideToTheLimit) {
    int w = 0, h = 0;
    ShrunkSize(4000, 3000, 2048, w, h);
    EXPECT_EQ(w, 2048);
    EXPECT_EQ(h, 1536);
    ShrunkSize(3000, 4000, 2048, w, h);
    EXPECT_EQ(w, 1536);
    EXPECT_EQ(h, 2048);
    ShrunkSize(5000, 1, 100, w, h); // never below one pixel
    EXPECT_EQ(w, 100);
    EXPECT_EQ(h, 1);
    ShrunkSize(2048, 2000, 2048, w, h); // no larger than the limit: unchanged
    EXPECT_EQ(w, 2048);
    EXPECT_EQ(h, 2000);
    ShrunkSize(9000, 9000, 0, w, h); // 0 keeps every size
    EXPECT_EQ(w, 9000);
    EXPECT_EQ(h, 9000);
}
