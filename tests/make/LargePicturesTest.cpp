// Pictures beyond what the saver holds or animates. A photo larger than it can hold: the
// verdict says so on every system alike, and preparing it reads it at a fraction of its size,
// stands it upright and shrinks it. An animation beyond the canvas limit: the verdict says
// that only its first frame shows, and with ffmpeg it is stored as a clip that moves.
#include "../ScratchFolder.h"
#include "PackTestSupport.h"
#include "make/FacePreparation.h"
#include "make/system/ProcessRun.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include <jpeglib.h>

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
} // namespace

TEST(LargePictures, TwoHundredMegapixelsTurnedBecomeAnUprightFace) {
    ScratchFolder folder("pack-large");
    const std::string path = folder.File("huge.jpg");
    ASSERT_TRUE(WriteHugeTurnedJpeg(path));

    // As given, the saver would show the default picture, here as in the 32-bit build.
    const FaceCheck check = CheckFaceFile(path);
    EXPECT_EQ(check.verdict, FaceVerdict::kDefault);
    EXPECT_TRUE(check.tooLarge);
    EXPECT_EQ(check.width, 20000);
    EXPECT_EQ(check.height, 10000);
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
