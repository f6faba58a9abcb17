#include "ImportTestSupport.h"

using namespace importtest;

namespace {

struct BmpSpec {
    int32_t width = 2;
    int32_t height = 2;
    uint16_t bitCount = 24;
    uint32_t compression = BI_RGB;
    uint16_t planes = 1;
    std::vector<uint32_t> table;
    std::vector<uint8_t> pixels;
};

// A bitmap with a 40-byte header, its size fields consistent unless patched afterwards.
Bytes MakeBmp(const BmpSpec& s) {
    const uint32_t offBits = 54 + 4 * static_cast<uint32_t>(s.table.size());
    Bytes b;
    b.text("BM").u32(offBits + static_cast<uint32_t>(s.pixels.size())).u16(0).u16(0).u32(offBits);
    b.u32(40).u32(static_cast<uint32_t>(s.width)).u32(static_cast<uint32_t>(s.height));
    b.u16(s.planes).u16(s.bitCount).u32(s.compression).u32(static_cast<uint32_t>(s.pixels.size()));
    b.u32(2835).u32(2835).u32(static_cast<uint32_t>(s.table.size())).u32(0);
    for (uint32_t entry : s.table) {
        b.u32(entry);
    }
    b.raw(s.pixels);
    return b;
}

std::vector<uint8_t> Sequence(size_t count) {
    std::vector<uint8_t> v(count);
    for (size_t i = 0; i < count; ++i) {
        v[i] = static_cast<uint8_t>(i + 1);
    }
    return v;
}

BmpSpec Rle8Spec(int32_t width, int32_t height, std::vector<uint8_t> stream) {
    BmpSpec s;
    s.width = width;
    s.height = height;
    s.bitCount = 8;
    s.compression = BI_RLE8;
    s.table = {0x000000, 0xFFFFFF};
    s.pixels = std::move(stream);
    return s;
}

} // namespace

TEST(Bmp, TwentyFourBitsHaveNoTableAndPixelsAtForty) {
    BmpSpec s;
    s.pixels = Sequence(16); // two rows of 6 bytes, each padded to 8
    Packed p = ImportBytes(MakeBmp(s).data());
    ASSERT_TRUE(p);
    EXPECT_EQ(p->biSize, 40u);
    EXPECT_EQ(p->biBitCount, 24);
    EXPECT_EQ(p->biClrUsed, 0u);
    EXPECT_EQ(p->biXPelsPerMeter, 2835);
    EXPECT_EQ(GlobalSize(GlobalHandle(p.get())), 40u + 16u);
    EXPECT_EQ(0, std::memcmp(reinterpret_cast<uint8_t*>(p.get()) + 40, s.pixels.data(), 16));
}

TEST(Bmp, ShortColourTableIsPaddedToTheFullDepth) {
    BmpSpec s;
    s.bitCount = 4;
    s.table = {0x112233, 0x445566, 0x778899};
    s.pixels = {0x01, 0x20, 0, 0, 0x12, 0x00, 0, 0};
    Packed p = ImportBytes(MakeBmp(s).data());
    ASSERT_TRUE(p);
    EXPECT_EQ(p->biClrUsed, 16u);
    EXPECT_EQ(ColoursOf(p.get())[2].rgbRed, 0x77);
    EXPECT_EQ(ColoursOf(p.get())[2].rgbBlue, 0x99);
    EXPECT_EQ(GlobalSize(GlobalHandle(p.get())), 40u + 64u + 8u);
    EXPECT_EQ(PixelsOf(p.get())[4], 0x12);
}

TEST(Bmp, BitFieldMasksFollowTheHeader) {
    BmpSpec s;
    s.bitCount = 16;
    s.compression = BI_BITFIELDS;
    s.table = {0x7C00, 0x03E0, 0x001F};
    s.pixels = Sequence(8);
    Packed p = ImportBytes(MakeBmp(s).data());
    ASSERT_TRUE(p);
    const auto* masks = reinterpret_cast<const uint32_t*>(p.get() + 1);
    EXPECT_EQ(masks[0], 0x7C00u);
    EXPECT_EQ(masks[2], 0x001Fu);
    EXPECT_EQ(p->biClrUsed, 0u);
    EXPECT_EQ(reinterpret_cast<uint8_t*>(p.get())[52], 1);
}

TEST(Bmp, RefusedVariants) {
    BmpSpec rle4;
    rle4.bitCount = 4;
    rle4.compression = BI_RLE4;
    rle4.pixels = {0, 1};
    EXPECT_EQ(DecodeBytes(MakeBmp(rle4).data())->result, ImageImporter::BadFile);

    BmpSpec planes;
    planes.planes = 2;
    planes.pixels = Sequence(16);
    EXPECT_EQ(DecodeBytes(MakeBmp(planes).data())->result, ImageImporter::BadFile);
    EXPECT_FALSE(ImportBytes(MakeBmp(planes).data()));

    // Bit fields with a palette depth would make the table both masks and colours.
    BmpSpec fields8;
    fields8.bitCount = 8;
    fields8.compression = BI_BITFIELDS;
    fields8.table = {1, 2, 3};
    fields8.pixels = Sequence(8);
    EXPECT_EQ(DecodeBytes(MakeBmp(fields8).data())->result, ImageImporter::BadFile);

    BmpSpec depth7;
    depth7.bitCount = 7;
    depth7.pixels = Sequence(8);
    EXPECT_EQ(DecodeBytes(MakeBmp(depth7).data())->result, ImageImporter::BadFile);

    BmpSpec noWidth;
    noWidth.width = 0;
    EXPECT_EQ(DecodeBytes(MakeBmp(noWidth).data())->result, ImageImporter::BadFile);
}

TEST(Bmp, CoreHeaderWithEightBits) {
    Bytes b;
    // bfOffBits is deliberately wrong: core bitmaps are read on from the colour table.
    b.text("BM").u32(0).u16(0).u16(0).u32(9999).u32(12).u16(3).u16(1).u16(1).u16(8);
    for (int i = 0; i < 256; ++i) {
        b.u8(i).u8(255 - i).u8(7);
    }
    b.u8(5).u8(6).u8(7).u8(0);
    Packed p = ImportBytes(b.data());
    ASSERT_TRUE(p);
    EXPECT_EQ(p->biWidth, 3);
    EXPECT_EQ(p->biClrUsed, 256u);
    EXPECT_EQ(p->biXPelsPerMeter, 3780);
    EXPECT_EQ(p->biYPelsPerMeter, 3780);
    EXPECT_EQ(p->biSizeImage, 0u);
    const RGBQUAD* colours = ColoursOf(p.get());
    EXPECT_EQ(colours[10].rgbBlue, 10);
    EXPECT_EQ(colours[10].rgbGreen, 245);
    EXPECT_EQ(colours[10].rgbRed, 7);
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(colours[i].rgbReserved, 0);
    }
    EXPECT_EQ(PixelsOf(p.get())[2], 7);
}

TEST(Bmp, NegativeHeightIsPassedThrough) {
    BmpSpec s;
    s.height = -2;
    s.pixels = Sequence(16);
    Packed p = ImportBytes(MakeBmp(s).data());
    ASSERT_TRUE(p);
    EXPECT_EQ(p->biHeight, -2);
    EXPECT_EQ(PixelsOf(p.get())[0], 1);
}

// Rows 0 (bottom) to 2 of an 8 × 3 picture: a run, an end of line in mid-row, then a delta
// of three right and one up.
TEST(Bmp, Rle8EndOfLineAndDelta) {
    BmpSpec s = Rle8Spec(8, 3, {2, 7, 0, 0, 1, 9, 0, 2, 3, 1, 1, 5, 0, 1});
    auto d = DecodeBytes(MakeBmp(s).data());
    ASSERT_EQ(d->result, ImageImporter::Ok);
    const uint8_t* px = d->importer.m_pixels;
    const std::vector<uint8_t> expected = {7, 7, 0, 0, 0, 0, 0, 0, //
                                           9, 0, 0, 0, 0, 0, 0, 0, //
                                           0, 0, 0, 0, 5, 0, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(px, px + 24), expected);
    EXPECT_EQ(d->importer.m_header.biBitCount, 8);
    EXPECT_EQ(d->importer.m_header.biCompression, static_cast<DWORD>(BI_RGB));
}

TEST(Bmp, Rle8LiteralRunWithPad) {
    BmpSpec s = Rle8Spec(4, 1, {0, 3, 4, 5, 6, 0xEE, 0, 1});
    auto d = DecodeBytes(MakeBmp(s).data());
    ASSERT_EQ(d->result, ImageImporter::Ok);
    EXPECT_EQ(d->importer.m_pixels[2], 6);
    EXPECT_EQ(d->importer.m_pixels[3], 0);
}

// Runs, literal runs, deltas and line ends that reach past the 4 × 2 buffer are cut at its
// end; the sanitiser build checks that nothing outside is touched.
TEST(Bmp, Rle8StaysInsideItsBuffer) {
    std::vector<uint8_t> stream = {255, 1, 0, 0, 0, 0, 0, 0, 0, 4, 1, 2, 3, 4};
    for (int i = 0; i < 40; ++i) {
        stream.insert(stream.end(), {0, 2, 255, 255});
    }
    stream.insert(stream.end(), {255, 3, 0, 255});
    stream.insert(stream.end(), 256, 0xAA);
    stream.insert(stream.end(), {0, 1});
    auto d = DecodeBytes(MakeBmp(Rle8Spec(4, 2, stream)).data());
    ASSERT_EQ(d->result, ImageImporter::Ok);
    EXPECT_EQ(d->importer.m_pixelSize, 8u);
    EXPECT_EQ(d->importer.m_pixels[7], 1);

    // A run straight to the end of a one-row picture, then a literal run beyond it.
    auto e = DecodeBytes(MakeBmp(Rle8Spec(4, 1, {4, 2, 0, 5, 1, 2, 3, 4, 5, 0, 0, 1})).data());
    ASSERT_EQ(e->result, ImageImporter::Ok);
    EXPECT_EQ(e->importer.m_pixels[3], 2);
}

TEST(Bmp, Rle8WithoutEndOfPictureFails) {
    EXPECT_EQ(DecodeBytes(MakeBmp(Rle8Spec(4, 1, {4, 2})).data())->result, ImageImporter::Failed);
    EXPECT_EQ(DecodeBytes(MakeBmp(Rle8Spec(4, -1, {0, 1})).data())->result, ImageImporter::BadFile);
}

TEST(Bmp, PixelDataCoversEveryRow) {
    BmpSpec s;
    s.pixels = Sequence(16);
    Bytes zeroSize = MakeBmp(s);
    zeroSize.patch32(2, 0); // bfSize 0: bfSize - bfOffBits underflows
    Packed p = ImportBytes(zeroSize.data());
    ASSERT_TRUE(p);
    EXPECT_EQ(GlobalSize(GlobalHandle(p.get())), 40u + 16u);

    Bytes small = MakeBmp(s);
    small.patch32(2, 54 + 4); // claims 4 bytes of pixels, the rows need 16
    auto d = DecodeBytes(small.data());
    ASSERT_EQ(d->result, ImageImporter::Ok);
    EXPECT_EQ(d->importer.m_pixelSize, 16u);

    // The rows need more than the file holds.
    BmpSpec shortFile;
    shortFile.pixels = Sequence(12);
    Bytes truncated = MakeBmp(shortFile);
    truncated.patch32(2, 0);
    EXPECT_EQ(DecodeBytes(truncated.data())->result, ImageImporter::BadFile);

    // A size field that claims more than the file holds is a read past the end.
    Bytes large = MakeBmp(s);
    large.patch32(2, 54 + 1000);
    EXPECT_EQ(DecodeBytes(large.data())->result, ImageImporter::Failed);
}

TEST(Bmp, PixelOffsetOutsideTheHeaderRoom) {
    BmpSpec s;
    s.pixels = Sequence(16);
    Bytes low = MakeBmp(s);
    low.patch32(10, 50);
    EXPECT_EQ(DecodeBytes(low.data())->result, ImageImporter::BadFile);
    Bytes high = MakeBmp(s);
    high.patch32(10, 14 + 40 + 1024 + 1);
    EXPECT_EQ(DecodeBytes(high.data())->result, ImageImporter::BadFile);
}

TEST(Bmp, HugeDimensionsAreTooLargeNotSmall) {
    BmpSpec s;
    s.width = 0x7FFFFFFF;
    s.height = 0x7FFFFFFF;
    s.bitCount = 32;
    EXPECT_EQ(DecodeBytes(MakeBmp(s).data())->result, ImageImporter::TooLarge);
    s.height = -0x7FFFFFFF - 1;
    EXPECT_EQ(DecodeBytes(MakeBmp(s).data())->result, ImageImporter::TooLarge);
    EXPECT_EQ(DecodeBytes(MakeBmp(Rle8Spec(0x7FFFFFFF, 0x7FFFFFFF, {0, 1})).data())->result,
              ImageImporter::TooLarge);
}

TEST(Bmp, PixelLimitIsHonoured) {
    BmpSpec s;
    s.pixels = Sequence(16);
    ScratchDir dir;
    ImageImporter importer;
    importer.m_pixelLimit = 15;
    ASSERT_EQ(importer.Identify(dir.Write("a.bmp", MakeBmp(s).data()).c_str()), ImageImporter::Bmp);
    EXPECT_EQ(importer.Decode(), ImageImporter::TooLarge);
    EXPECT_EQ(importer.m_pixels, nullptr);
}

TEST(Bmp, TruncatedHeaderFails) {
    BmpSpec s;
    s.pixels = Sequence(16);
    std::vector<uint8_t> bytes = MakeBmp(s).data();
    bytes.resize(30);
    auto d = DecodeBytes(bytes);
    EXPECT_EQ(d->format, ImageImporter::Bmp);
    EXPECT_EQ(d->result, ImageImporter::Failed);
}

// Bit fields with alpha in a 40-byte header (compression 6): four masks follow the header,
// the picture is handed on as bit fields, and the alpha byte becomes the packed picture's
// 255 - opacity. With bit fields and no alpha the fourth byte is passed on as it is.
TEST(Bmp, AlphaBitFieldsInTheInfoHeader) {
    BmpSpec s;
    s.width = 2;
    s.height = 1;
    s.bitCount = 32;
    s.compression = 6;
    s.table = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
    s.pixels = {0x11, 0x22, 0x33, 0xFF, 0x44, 0x55, 0x66, 0x40};
    Packed p = ImportBytes(MakeBmp(s).data());
    ASSERT_TRUE(p);
    EXPECT_EQ(p->biCompression, static_cast<DWORD>(BI_BITFIELDS));
    EXPECT_EQ(std::vector<uint8_t>(PixelsOf(p.get()), PixelsOf(p.get()) + 8),
              (std::vector<uint8_t>{0x11, 0x22, 0x33, 0x00, 0x44, 0x55, 0x66, 0xBF}));

    s.compression = BI_BITFIELDS;
    s.table.pop_back();
    p = ImportBytes(MakeBmp(s).data());
    ASSERT_TRUE(p);
    EXPECT_EQ(PixelsOf(p.get())[3], 0xFF);
}
