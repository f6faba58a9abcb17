// Icons whose images are PNG files, as ImageMagick writes the 256-pixel image, against
// Pillow; PNG and DIB images compete in the one choice of the largest, then deepest.
#include "ImportTestSupport.h"
#include "PackedPictureReference.h"
#include "PictureWriters.h"

using namespace importtest;

namespace {

std::vector<uint8_t> RgbPng(int width, int height, bool alpha) {
    PngSpec s;
    s.width = width;
    s.height = height;
    s.colourType = alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
    for (int i = 0; i < width * height; ++i) {
        s.rows.insert(s.rows.end(), {uint8_t(i), uint8_t(3 * i), uint8_t(200)});
        if (alpha) {
            s.rows.push_back(255);
        }
    }
    return WritePng(s);
}

// A 16-colour DIB image with its mask, every pixel colour 1.
std::vector<uint8_t> DibImage(int side) {
    Bytes b;
    b.u32(40).u32(side).u32(side * 2).u16(1).u16(4).u32(0).u32(0).u32(0).u32(0).u32(0).u32(0);
    for (int i = 0; i < 16; ++i) {
        b.u32(0x102030u * i);
    }
    const size_t stride = (size_t(side) * 4 + 31) / 32 * 4;
    b.fill(stride * side, 0x11);
    b.fill(size_t(side + 31) / 32 * 4 * side, 0);
    return b.data();
}

// An icon file of the given images (each a whole PNG file or a DIB) in that order; the
// entry `reserved` has its reserved byte set.
std::vector<uint8_t> MakeIcon(const std::vector<std::vector<uint8_t>>& images, int reserved = -1) {
    Bytes b;
    b.u16(0).u16(1).u16(unsigned(images.size()));
    uint32_t offset = 6 + 16 * uint32_t(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        const std::vector<uint8_t>& image = images[i];
        b.u8(0).u8(0).u8(0).u8(int(i) == reserved).u16(1).u16(32);
        b.u32(uint32_t(image.size())).u32(offset);
        offset += uint32_t(image.size());
    }
    for (const std::vector<uint8_t>& image : images) {
        b.raw(image);
    }
    return b.data();
}

} // namespace

TEST(IcoPngImages, ImageMagicksLargeIconImageDecodesLikePillow) {
    ScratchDir dir;
    const std::string icon = dir.path() + "/multi.ico";
    ASSERT_EQ(std::system(("convert -size 64x40 xc: -sparse-color bilinear "
                           "'0,0 red 63,0 lime 0,39 blue 63,39 yellow' "
                           "-define icon:auto-resize=256,48,16 " +
                           icon)
                              .c_str()),
              0)
        << "ImageMagick's convert is needed";
    const std::vector<uint8_t> bytes = ReadWhole(icon);
    // The 256-pixel entry (stored as 0) holds a PNG file.
    bool pngEntry = false;
    for (size_t i = 0; i < size_t(bytes[4]); ++i) {
        const uint8_t* entry = bytes.data() + 6 + 16 * i;
        const uint32_t offset = entry[12] | entry[13] << 8 | entry[14] << 16 | entry[15] << 24;
        pngEntry = pngEntry || (entry[0] == 0 && bytes[offset + 1] == 'P');
    }
    ASSERT_TRUE(pngEntry);
    ASSERT_TRUE(PillowDecode(dir, {icon})) << "python3 with Pillow (python3-pil) is needed";
    const Packed packed = ImportBytes(bytes);
    ASSERT_TRUE(packed);
    EXPECT_EQ(packed->biWidth, 256);
    EXPECT_EQ(packed->biHeight, 256);
    EXPECT_EQ(DifferentRgb(PackedRgb(packed.get()), ReadWhole(icon + ".rgb")), 0);
}

TEST(IcoPngImages, PngAndDibImagesCompeteBySizeThenDepth) {
    // A larger DIB wins over a PNG, and a larger PNG over a DIB, in either order.
    Packed p = ImportBytes(MakeIcon({RgbPng(8, 8, false), DibImage(16)}));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->biWidth, 16);
    EXPECT_EQ(p->biBitCount, 4);
    p = ImportBytes(MakeIcon({DibImage(16), RgbPng(32, 32, true)}));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->biWidth, 32);
    EXPECT_EQ(p->biBitCount, 32);
    // At the same size, the deeper image.
    p = ImportBytes(MakeIcon({RgbPng(16, 16, false), DibImage(16)}));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->biBitCount, 32);
    EXPECT_EQ(PackedRgb(p.get())[4], 3); // green of the second pixel
}

// A PNG image that is cut short fails the import; one with the reserved byte set does
// not take part.
TEST(IcoPngImages, BrokenOrReservedPngImages) {
    std::vector<uint8_t> png = RgbPng(32, 32, true);
    png.resize(png.size() / 2);
    ImportReport report;
    ScratchDir dir;
    const std::string cut = dir.Write("cut.ico", MakeIcon({DibImage(16), png}));
    EXPECT_EQ(ImportPictureReporting(cut.c_str(), 0xFFFFFFFFu, &report), nullptr);
    EXPECT_EQ(report.format, ImageImporter::Ico);
    EXPECT_NE(report.result, ImageImporter::Ok);

    const Packed p = ImportBytes(MakeIcon({DibImage(16), RgbPng(32, 32, true)}, 1));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->biWidth, 16);

    // Nothing left to show says so.
    std::vector<uint8_t> dib = DibImage(16);
    dib[12] = 2; // two planes
    const std::string none = dir.Write("none.ico", MakeIcon({dib, RgbPng(8, 8, true)}, 1));
    EXPECT_EQ(ImportPictureReporting(none.c_str(), 0xFFFFFFFFu, &report), nullptr);
    EXPECT_EQ(report.result, ImageImporter::BadFile);
    EXPECT_STREQ(report.detail, "ICO/CUR without an image in a supported form");
}
