// Pictures beyond what the saver holds or animates. A photo larger than it can hold: the
// verdict says so on every system alike, and preparing it reads it at a fraction of its size,
// stands it upright and shrinks it. An animation beyond the canvas limit: the verdict says
// that only its first frame shows, and with ffmpeg it is stored as a clip that moves.
#include "../ScratchFolder.h"
#include "PackTestSupport.h"
#include "make/FacePreparation.h"
#include "make/picture/AreaResample.h"
#include "make/picture/PngShrinking.h"
#include "make/picture/PngWriter.h"
#include "make/system/ProcessRun.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include <jpeglib.h>
#include <png.h>

namespace {
using packtest::ImportAsRgba;

// A 20000 x 10000 JPEG (200 megapixels) recorded as taken turned (Exif orientation 6): its
// top half red, its bottom half blue. Written row by row, so it costs one row of memory.
bool WriteHugeTurnedJpeg(const std::string& path) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) {
        return false;
    }
    jpeg_compress_struct cinfo;
    jpeg_error_mgr error;
    cinfo.err = jpeg_std_error(&error);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, out);
    cinfo.image_width = 20000;
    cinfo.image_height = 10000;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 50, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    // Exif, then a big-endian TIFF header and IFD0 of one entry: orientation (SHORT) 6.
    static const uint8_t kExif[] = {'E',  'x',  'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1,
                                    0x01, 0x12, 0,   3,   0, 0, 0,   1,   0, 6,  0, 0, 0, 0, 0, 0};
    jpeg_write_marker(&cinfo, JPEG_APP0 + 1, kExif, sizeof kExif);
    std::vector<uint8_t> row(size_t{cinfo.image_width} * 3);
    while (cinfo.next_scanline < cinfo.image_height) {
        const bool top = cinfo.next_scanline < cinfo.image_height / 2;
        for (size_t i = 0; i < row.size(); i += 3) {
            row[i] = top ? 220 : 30;
            row[i + 1] = 30;
            row[i + 2] = top ? 30 : 220;
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::fclose(out) == 0;
}
// A 10000 x 7000 PNG (70 megapixels): its top half green, its bottom half blue, written
// row by row with the quickest compression.
bool WriteHugePng(const std::string& path) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    std::vector<uint8_t> row(10000 * 3);
    if (!out || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        if (out) {
            std::fclose(out);
        }
        return false;
    }
    png_init_io(png, out);
    png_set_compression_level(png, 1);
    png_set_IHDR(png, info, 10000, 7000, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < 7000; ++y) {
        for (size_t i = 0; i < row.size(); i += 3) {
            row[i] = 30;
            row[i + 1] = y < 3500 ? 200 : 30;
            row[i + 2] = y < 3500 ? 30 : 200;
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::fclose(out) == 0;
}
} // namespace

// Shrinking while decoding gives the bytes AreaResample gives for the whole picture.
TEST(LargePictures, RowByRowShrinkingEqualsTheWholePicture) {
    ScratchFolder folder("pack-large");
    RgbaImage picture;
    picture.width = 97;
    picture.height = 61;
    for (int i = 0; i < 97 * 61 * 4; ++i) {
        picture.pixels.push_back(static_cast<uint8_t>(i * 7 % 251));
    }
    std::vector<uint8_t> png;
    ASSERT_TRUE(EncodePng(picture, png));
    const std::string path = folder.Write("odd.png", png);
    for (int side : {40, 61, 96}) {
        RgbaImage banded, whole;
        ASSERT_TRUE(ShrinkPngWhileDecoding(path, side, banded));
        ASSERT_TRUE(ImportAsRgba(path, whole));
        const RgbaImage expected = AreaResample(whole, banded.width, banded.height);
        EXPECT_EQ(banded.width, side == 96 ? 96 : side == 61 ? 61 : 40) << side;
        EXPECT_EQ(banded.pixels, expected.pixels) << side;
    }
    folder.Remove("odd.png");
}

// 70 megapixels: more than the saver holds, and more than the tools decode whole.
TEST(LargePictures, SeventyMegapixelPngIsShrunkWhileDecoded) {
    ScratchFolder folder("pack-large");
    const std::string path = folder.File("huge.png");
    ASSERT_TRUE(WriteHugePng(path));
    EXPECT_TRUE(CheckFaceFile(path).tooLarge);
    PreparedFace face;
    std::string error;
    ASSERT_TRUE(PrepareFace(path, FacePlan{}, face, error)) << error;
    EXPECT_EQ(face.check.verdict, FaceVerdict::kShown) << face.check.description;
    EXPECT_EQ(face.check.width, 2048);
    EXPECT_EQ(face.check.height, 1434);
    RgbaImage stored;
    ASSERT_TRUE(ImportAsRgba(folder.Write("stored.png", face.data), stored));
    EXPECT_EQ(stored.pixels[(100 * 2048 + 50) * 4 + 1], 200);
    EXPECT_EQ(stored.pixels[(1300 * 2048 + 50) * 4 + 2], 200);
    folder.Remove("huge.png");
    folder.Remove("stored.png");
}

TEST(LargePictures, TwoHundredMegapixelsTurnedBecomeAnUprightFace) {
    ScratchFolder folder("pack-large");
    const std::string path = folder.File("huge.jpg");
    ASSERT_TRUE(WriteHugeTurnedJpeg(path));

    // As given, the saver would show the default picture, here as in the 32-bit build.
    const FaceCheck check = CheckFaceFile(path);
    EXPECT_EQ(check.verdict, FaceVerdict::kDefault);
    EXPECT_TRUE(check.tooLarge);
    // The size it would be shown at: upright, as a picture that is decoded reports it.
    EXPECT_EQ(check.width, 10000);
    EXPECT_EQ(check.height, 20000);
    EXPECT_NE(check.description.find("larger than the saver holds"), std::string::npos)
        << check.description;

    PreparedFace face;
    std::string error;
    ASSERT_TRUE(PrepareFace(path, FacePlan{}, face, error)) << error;
    EXPECT_EQ(face.check.verdict, FaceVerdict::kShown) << face.check.description;
    EXPECT_EQ(face.check.width, 1024);
    EXPECT_EQ(face.check.height, 2048);
    RgbaImage stored;
    ASSERT_TRUE(ImportAsRgba(folder.Write("stored.jpg", face.data), stored));
    ASSERT_EQ(stored.width, 1024);
    // Turned a quarter clockwise: the stored top (red) is now the right half.
    const auto red = [&](int x, int y) { return stored.pixels[(size_t(y) * 1024 + x) * 4]; };
    EXPECT_LT(red(100, 1024), 80);
    EXPECT_GT(red(924, 1024), 170);
    folder.Remove("stored.jpg");

    // --max-side 0 keeps the file byte for byte, and so the verdict stands.
    FacePlan asGiven;
    asGiven.maxSide = 0;
    asGiven.turn = false;
    PreparedFace kept;
    ASSERT_TRUE(PrepareFace(path, asGiven, kept, error)) << error;
    EXPECT_EQ(kept.check.verdict, FaceVerdict::kDefault);
    EXPECT_TRUE(kept.notes.empty());
    folder.Remove("huge.jpg");
}

// A 2100 x 2100 screen (above the 4-megapixel canvas) with two one-pixel frames.
TEST(LargePictures, AnAnimationBeyondTheCanvasIsCalledStillAndBecomesAClip) {
    ScratchFolder folder("pack-large");
    std::vector<uint8_t> gif = {'G',  'I', 'F', '8', '9', 'a', 0x34, 0x08, 0x34, 0x08,
                                0x80, 0,   0,   0,   0,   0,   255,  255,  255};
    for (int frame = 0; frame < 2; ++frame) {
        // At (0, 0), 1 x 1, no table; code size 2: clear, colour `frame`, end.
        const std::vector<uint8_t> image = {
            0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, uint8_t(0x44 | frame << 3), 0x01, 0};
        gif.insert(gif.end(), image.begin(), image.end());
    }
    gif.push_back(0x3B);
    const FaceCheck check = CheckFaceFile(folder.Write("wide.gif", gif));
    EXPECT_EQ(check.verdict, FaceVerdict::kShown);
    EXPECT_EQ(check.width, 2100);
    EXPECT_EQ(check.images, 1);
    EXPECT_NE(check.description.find("2 frames beyond what the saver animates"), std::string::npos)
        << check.description;

    // Prepared with ffmpeg at hand, it becomes an AVI clip, which keeps moving.
    FacePlan plan;
    plan.ffmpeg = FindOnPath("ffmpeg");
    if (plan.ffmpeg.empty()) {
        folder.Remove("wide.gif");
        GTEST_SKIP() << "ffmpeg is not on the PATH";
    }
    PreparedFace face;
    std::string error;
    ASSERT_TRUE(PrepareFace(folder.File("wide.gif"), plan, face, error)) << error;
    EXPECT_EQ(face.check.verdict, FaceVerdict::kMaybe) << face.check.description;
    EXPECT_NE(face.check.description.find("AVI video"), std::string::npos);
    ASSERT_FALSE(face.notes.empty());
    EXPECT_NE(face.notes[0].find("converted with ffmpeg from animated GIF"), std::string::npos)
        << face.notes[0];
    folder.Remove("wide.gif");
}
