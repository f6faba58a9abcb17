#include "ImportTestSupport.h"
#include "PictureWriters.h"

#include <fstream>
#include <iterator>
#include <tuple>

using namespace importtest;

namespace {

std::vector<uint8_t> Solid(int width, int height, std::vector<uint8_t> pixel) {
    std::vector<uint8_t> v;
    for (int i = 0; i < width * height; ++i) {
        v.insert(v.end(), pixel.begin(), pixel.end());
    }
    return v;
}

bool Near(int a, int b) {
    return a - b <= 3 && b - a <= 3;
}

} // namespace

TEST(Jpeg, GreyBecomesEightBitsWithARamp) {
    auto d = DecodeBytes(WriteJpeg(3, 2, 1, Solid(3, 2, {128})));
    ASSERT_EQ(d->format, ImageImporter::Jpeg);
    ASSERT_EQ(d->result, ImageImporter::Ok);
    const ImageImporter& im = d->importer;
    EXPECT_EQ(im.m_header.biBitCount, 8);
    EXPECT_EQ(im.m_header.biClrUsed, 256u);
    EXPECT_EQ(im.m_pixelSize, 8u); // stride 4
    EXPECT_EQ(im.m_colours[200].rgbGreen, 200);
    EXPECT_EQ(im.m_colours[200].rgbReserved, 0);
    EXPECT_TRUE(Near(im.m_pixels[5], 128));
}

TEST(Jpeg, ColourBecomesBlueGreenRedExtraBottomUp) {
    // Top half red, bottom half blue; blocks of 8 keep the colours apart.
    std::vector<uint8_t> rgb = Solid(16, 8, {255, 0, 0});
    const std::vector<uint8_t> blue = Solid(16, 8, {0, 0, 255});
    rgb.insert(rgb.end(), blue.begin(), blue.end());
    Packed p = ImportBytes(WriteJpeg(16, 16, 3, rgb));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->biBitCount, 32);
    EXPECT_EQ(p->biClrUsed, 0u);
    EXPECT_EQ(p->biXPelsPerMeter, 3780);
    const uint8_t* bottom = PixelsOf(p.get()) + 4 * (16 * 2 + 4);
    const uint8_t* top = PixelsOf(p.get()) + 4 * (16 * 13 + 4);
    EXPECT_TRUE(Near(bottom[0], 255) && Near(bottom[2], 0))
        << int{bottom[0]} << " " << int{bottom[2]};
    EXPECT_TRUE(Near(top[0], 0) && Near(top[2], 255)) << int{top[0]} << " " << int{top[2]};

    auto d = DecodeBytes(WriteJpeg(3, 1, 3, Solid(3, 1, {1, 2, 3})));
    ASSERT_EQ(d->result, ImageImporter::Ok);
    EXPECT_EQ(d->importer.m_pixelSize, 12u);
}

TEST(Jpeg, TruncatedFileDecodesToItsEnd) {
    std::vector<uint8_t> noise;
    for (int i = 0; i < 64 * 64 * 3; ++i) {
        noise.push_back(static_cast<uint8_t>(i * 7919 % 251));
    }
    std::vector<uint8_t> jpeg = WriteJpeg(64, 64, 3, noise);
    jpeg.resize(jpeg.size() / 2);
    Packed p = ImportBytes(jpeg);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->biHeight, 64);
}

// The library writes CMYK and YCCK with an Adobe marker, inks inverted: 255 is no ink.
// Magenta ink alone on white is red and blue; the same with half black is half as bright.
TEST(Jpeg, CmykAndYcckBecomeBlueGreenRed) {
    for (const auto& [black, level, ycck] :
         {std::tuple{255, 255, false}, std::tuple{128, 128, false}, std::tuple{128, 128, true}}) {
        auto d = DecodeBytes(WriteJpeg(8, 8, 4, Solid(8, 8, {255, 0, 255, uint8_t(black)}), ycck));
        EXPECT_EQ(d->format, ImageImporter::Jpeg);
        ASSERT_EQ(d->result, ImageImporter::Ok);
        EXPECT_EQ(d->importer.m_header.biBitCount, 32);
        const uint8_t* p = d->importer.m_pixels;
        EXPECT_NEAR(p[0], level, 2);
        EXPECT_NEAR(p[1], 0, 2);
        EXPECT_NEAR(p[2], level, 2);
    }
}

TEST(Jpeg, HeaderWithoutScanIsNotJpeg) {
    std::vector<uint8_t> jpeg = WriteJpeg(8, 8, 1, Solid(8, 8, {1}));
    jpeg.resize(20);
    EXPECT_EQ(DecodeBytes(jpeg)->format, ImageImporter::Unknown);
}

TEST(Png, OneBitGreyIsWidenedToEightBits) {
    PngSpec s;
    s.width = 8;
    s.height = 1;
    s.bitDepth = 1;
    s.colourType = PNG_COLOR_TYPE_GRAY;
    s.rows = {0xA5};
    auto d = DecodeBytes(WritePng(s));
    ASSERT_EQ(d->result, ImageImporter::Ok);
    const ImageImporter& im = d->importer;
    EXPECT_EQ(im.m_header.biBitCount, 8);
    EXPECT_EQ(im.m_header.biClrUsed, 256u);
    const std::vector<uint8_t> expected = {255, 0, 255, 0, 0, 255, 0, 255};
    EXPECT_EQ(std::vector<uint8_t>(im.m_pixels, im.m_pixels + 8), expected);
}

TEST(Png, GreyWithTransparencyStaysEightBits) {
    PngSpec s;
    s.width = 5;
    s.height = 2;
    s.bitDepth = 2;
    s.colourType = PNG_COLOR_TYPE_GRAY;
    s.transparentGrey = 1;
    s.rows = {0x1B, 0xC0, 0xE4, 0x00}; // 0 1 2 3 3 / 3 2 1 0 0
    auto d = DecodeBytes(WritePng(s));
    ASSERT_EQ(d->result, ImageImporter::Ok);
    const ImageImporter& im = d->importer;
    EXPECT_EQ(im.m_header.biBitCount, 8);
    EXPECT_EQ(im.m_pixelSize, 16u);
    const std::vector<uint8_t> bottom = {255, 170, 85, 0, 0};
    const std::vector<uint8_t> top = {0, 85, 170, 255, 255};
    EXPECT_EQ(std::vector<uint8_t>(im.m_pixels, im.m_pixels + 5), bottom);
    EXPECT_EQ(std::vector<uint8_t>(im.m_pixels + 8, im.m_pixels + 13), top);
    for (const RGBQUAD& c : im.m_colours) {
        ASSERT_EQ(c.rgbReserved, 0);
    }
}

TEST(Png, FourBitPaletteWithTransparency) {
    PngSpec s;
    s.width = 3;
    s.height = 1;
    s.bitDepth = 4;
    s.colourType = PNG_COLOR_TYPE_PALETTE;
    for (int i = 0; i < 16; ++i) {
        s.palette.push_back(png_color{static_cast<png_byte>(i * 16), 7, 9});
    }
    s.alpha = {255, 255, 255, 255, 255, 0};
    s.rows = {0x5F, 0x20};
    auto d = DecodeBytes(WritePng(s));
    ASSERT_EQ(d->result, ImageImporter::Ok);
    const ImageImporter& im = d->importer;
    EXPECT_EQ(im.m_header.biBitCount, 8);
    EXPECT_EQ(im.m_header.biClrUsed, 16u);
    EXPECT_EQ(im.m_colours[5].rgbReserved, 255);
    EXPECT_EQ(im.m_colours[4].rgbReserved, 0);
    EXPECT_EQ(im.m_colours[6].rgbReserved, 0);
    EXPECT_EQ(im.m_colours[15].rgbRed, 240);
    EXPECT_EQ(im.m_colours[15].rgbBlue, 9);
    EXPECT_EQ(std::vector<uint8_t>(im.m_pixels, im.m_pixels + 3), (std::vector<uint8_t>{5, 15, 2}));

    Packed p = ImportBytes(WritePng(s));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->biClrUsed, 256u);
}

TEST(Png, SixteenBitRgbKeepsTheHighBytes) {
    PngSpec s;
    s.width = 2;
    s.height = 1;
    s.bitDepth = 16;
    s.rows = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xFF, 0xFF, 0x00, 0x01, 0x80, 0x00};
    auto d = DecodeBytes(WritePng(s));
    ASSERT_EQ(d->result, ImageImporter::Ok);
    const std::vector<uint8_t> expected = {0x9A, 0x56, 0x12, 0, 0x80, 0x00, 0xFF, 0};
    EXPECT_EQ(d->importer.m_header.biBitCount, 32);
    EXPECT_EQ(std::vector<uint8_t>(d->importer.m_pixels, d->importer.m_pixels + 8), expected);
}

TEST(Png, AlphaIsInverted) {
    PngSpec rgba;
    rgba.width = 1;
    rgba.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
    rgba.rows = {10, 20, 30, 200};
    auto d = DecodeBytes(WritePng(rgba));
    ASSERT_EQ(d->result, ImageImporter::Ok);
    EXPECT_EQ(std::vector<uint8_t>(d->importer.m_pixels, d->importer.m_pixels + 4),
              (std::vector<uint8_t>{30, 20, 10, 55}));

    PngSpec greyAlpha;
    greyAlpha.width = 1;
    greyAlpha.colourType = PNG_COLOR_TYPE_GRAY_ALPHA;
    greyAlpha.rows = {77, 0};
    auto g = DecodeBytes(WritePng(greyAlpha));
    ASSERT_EQ(g->result, ImageImporter::Ok);
    EXPECT_EQ(std::vector<uint8_t>(g->importer.m_pixels, g->importer.m_pixels + 4),
              (std::vector<uint8_t>{77, 77, 77, 255}));
}

TEST(Png, InterlacedRowsLandBottomUp) {
    PngSpec s;
    s.width = 9;
    s.height = 9;
    s.interlaced = true;
    for (int y = 0; y < 9; ++y) {
        for (int x = 0; x < 9; ++x) {
            s.rows.insert(s.rows.end(), {static_cast<uint8_t>(y), static_cast<uint8_t>(x), 0});
        }
    }
    auto d = DecodeBytes(WritePng(s));
    ASSERT_EQ(d->result, ImageImporter::Ok);
    const uint8_t* pixels = d->importer.m_pixels;
    for (int y = 0; y < 9; ++y) {
        for (int x = 0; x < 9; ++x) {
            const uint8_t* px = pixels + (8 - y) * 36 + x * 4;
            ASSERT_EQ(px[2], y);
            ASSERT_EQ(px[1], x);
        }
    }
}

TEST(Png, DamagedFiles) {
    PngSpec s;
    s.width = 16;
    s.height = 16;
    s.rows.assign(16 * 16 * 3, 0x42);
    const std::vector<uint8_t> good = WritePng(s);

    std::vector<uint8_t> truncated(good.begin(), good.end() - 30);
    auto t = DecodeBytes(truncated);
    EXPECT_EQ(t->format, ImageImporter::Png);
    EXPECT_EQ(t->result, ImageImporter::Failed);

    std::vector<uint8_t> badCrc = good;
    badCrc[29] ^= 0xFF; // inside IHDR's checksum
    EXPECT_NE(DecodeBytes(badCrc)->format, ImageImporter::Png);

    std::vector<uint8_t> signatureOnly(good.begin(), good.begin() + 8);
    EXPECT_EQ(DecodeBytes(signatureOnly)->format, ImageImporter::Unknown);
}

TEST(Tiff, WithoutAlphaIsOpaque) {
    ScratchDir dir;
    const std::string path = dir.path() + "/p.tif";
    // Top row red, green, blue; bottom row white, black, grey.
    WriteTiff(path, 3, 2, 3, {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255, 0, 0, 0, 9, 9, 9});
    const int before = OpenFileCount();
    Packed p(ImportPicture(path.c_str()));
    EXPECT_EQ(OpenFileCount(), before);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->biBitCount, 32);
    EXPECT_EQ(p->biClrUsed, 0u);
    const uint8_t* px = PixelsOf(p.get());
    const std::vector<uint8_t> expected = {255, 255, 255, 255, 0, 0,   0, 255, 9,   9, 9, 255, //
                                           0,   0,   255, 255, 0, 255, 0, 255, 255, 0, 0, 255};
    EXPECT_EQ(std::vector<uint8_t>(px, px + 24), expected);
}

TEST(Tiff, AlphaIsKept) {
    ScratchDir dir;
    const std::string path = dir.path() + "/a.tif";
    WriteTiff(path, 1, 1, 4, {100, 50, 25, 128}); // associated (premultiplied) alpha
    ImageImporter importer;
    ASSERT_EQ(importer.Identify(path.c_str()), ImageImporter::Tiff);
    ASSERT_EQ(importer.Decode(), ImageImporter::Ok);
    EXPECT_EQ(importer.m_pixels[0], 25);
    EXPECT_EQ(importer.m_pixels[2], 100);
    EXPECT_EQ(importer.m_pixels[3], 128);
}

TEST(Tiff, DamagedFileIsNotImported) {
    ScratchDir dir;
    const std::string path = dir.path() + "/d.tif";
    WriteTiff(path, 4, 4, 3, std::vector<uint8_t>(48, 7));
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    bytes.resize(bytes.size() - 60);
    EXPECT_FALSE(ImportBytes(bytes));
}
