// The re-encoded faces read back through the saver's own importer.
#include "../ScratchFolder.h"
#include "PackTestSupport.h"
#include "make/picture/JpegWriter.h"
#include "make/picture/PngWriter.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {
RgbaImage Pattern(int width, int height, bool withOpacity) {
    RgbaImage image;
    image.width = width;
    image.height = height;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.pixels.insert(image.pixels.end(),
                                {static_cast<uint8_t>(x * 255 / width),
                                 static_cast<uint8_t>(y * 255 / height), 90,
                                 static_cast<uint8_t>(withOpacity ? (x + y) * 20 % 256 : 255)});
        }
    }
    return image;
}

// The file read back as the saver reads it.
bool ReadBack(const ScratchFolder& folder, const std::vector<uint8_t>& file, RgbaImage& image) {
    const bool ok = packtest::ImportAsRgba(folder.Write("face", file), image);
    folder.Remove("face");
    return ok;
}
} // namespace

TEST(PictureWriters, PngKeepsEveryPixelAndItsOpacity) {
    ScratchFolder folder("pack-writers");
    for (bool withOpacity : {false, true}) {
        const RgbaImage image = Pattern(13, 7, withOpacity);
        std::vector<uint8_t> file;
        ASSERT_TRUE(EncodePng(image, file));
        RgbaImage back;
        ASSERT_TRUE(ReadBack(folder, file, back));
        EXPECT_EQ(back.width, 13);
        EXPECT_EQ(back.height, 7);
        EXPECT_EQ(back.pixels, image.pixels) << (withOpacity ? "with" : "without") << " opacity";
    }
}

TEST(PictureWriters, JpegAtHighQualityStaysCloseToTheColours) {
    ScratchFolder folder("pack-writers");
    const RgbaImage image = Pattern(64, 48, false);
    std::vector<uint8_t> file;
    ASSERT_TRUE(EncodeJpeg(image, kJpegQuality, file));
    RgbaImage back;
    ASSERT_TRUE(ReadBack(folder, file, back));
    ASSERT_EQ(back.width, 64);
    ASSERT_EQ(back.height, 48);
    EXPECT_LT(packtest::MeanColourDifference(image, back), 2.0); // a JPEG has colours only
}

TEST(PictureWriters, UnpackReadsPalettesAndFiveBitChannels) {
    // A 2 x 1 picture at 8 bits with a palette whose fourth bytes are 255 - opacity.
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[256];
        uint8_t row[4];
    } eight = {};
    eight.header.biSize = sizeof(BITMAPINFOHEADER);
    eight.header.biWidth = 2;
    eight.header.biHeight = 1;
    eight.header.biBitCount = 8;
    eight.colours[3] = {10, 20, 30, 0};
    eight.colours[7] = {40, 50, 60, 255};
    eight.row[0] = 3;
    eight.row[1] = 7;
    RgbaImage image;
    ASSERT_TRUE(UnpackPicture(&eight.header, image));
    EXPECT_EQ(image.pixels, (std::vector<uint8_t>{30, 20, 10, 255, 60, 50, 40, 0}));

    struct {
        BITMAPINFOHEADER header;
        uint8_t row[4];
    } sixteen = {};
    sixteen.header = eight.header;
    sixteen.header.biBitCount = 16;
    sixteen.header.biWidth = 1;
    sixteen.row[0] = 0x1F; // 5-5-5: blue full
    sixteen.row[1] = 0x7C; // red full
    ASSERT_TRUE(UnpackPicture(&sixteen.header, image));
    EXPECT_EQ(image.pixels, (std::vector<uint8_t>{255, 0, 255, 255}));
}

// A size there is no memory for is refused with false, as promised, never thrown.
TEST(PictureWriters, UnpackRefusesWhatDoesNotFitInMemory) {
    BITMAPINFOHEADER huge = {};
    huge.biSize = sizeof huge;
    huge.biWidth = 0x7FFFFFFF;
    huge.biHeight = 0x7FFFFFFF;
    huge.biBitCount = 32;
    RgbaImage image;
    image.width = 3;
    bool unpacked = true;
    EXPECT_NO_THROW(unpacked = UnpackPicture(&huge, image));
    EXPECT_FALSE(unpacked);
    EXPECT_EQ(image.width, 0);
    EXPECT_TRUE(image.pixels.empty());
}
