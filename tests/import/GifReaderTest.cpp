#include "GifTestSupport.h"
#include "import/GifAnimation.h"

#include <cstring>
#include <random>

using namespace importtest;

namespace {

// The byte of buffer row (height - 1 - pictureRow) at column.
uint8_t At(const ImageImporter& im, int pictureRow, int byte) {
    const int stride = static_cast<int>(im.m_pixelSize / static_cast<DWORD>(im.m_header.biHeight));
    return im.m_pixels[(im.m_header.biHeight - 1 - pictureRow) * stride + byte];
}

std::vector<uint8_t> Rows(int width, const std::vector<int>& rowValues) {
    std::vector<uint8_t> v;
    for (int value : rowValues) {
        v.insert(v.end(), static_cast<size_t>(width), static_cast<uint8_t>(value));
    }
    return v;
}

} // namespace

TEST(Gif, DepthFollowsTheColourCount) {
    struct Case {
        int global, local, depth;
        DWORD stride;
    };
    for (const Case c : {Case{2, 0, 1, 4}, Case{4, 0, 4, 8}, Case{16, 0, 4, 8}, Case{32, 0, 8, 12},
                         Case{256, 0, 8, 12}, Case{2, 256, 8, 12}, Case{256, 4, 4, 8}}) {
        GifSpec s;
        s.width = 9;
        s.height = 2;
        s.globalColours = c.global;
        s.localColours = c.local;
        s.minCodeSize = 8;
        s.values.assign(18, 1);
        auto d = DecodeBytes(MakeGif(s));
        ASSERT_EQ(d->result, ImageImporter::Ok) << c.global << " " << c.local;
        EXPECT_EQ(d->importer.m_header.biBitCount, c.depth) << c.global << " " << c.local;
        EXPECT_EQ(d->importer.m_pixelSize, 2 * c.stride);
    }
}

TEST(Gif, FourColourTableGivesFourBitPicture) {
    GifSpec s;
    s.width = 3;
    s.height = 1;
    s.values = {1, 2, 3};
    Packed p = ImportBytes(MakeGif(s));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->biBitCount, 4);
    EXPECT_EQ(p->biClrUsed, 16u);
    EXPECT_EQ(p->biXPelsPerMeter, 3780);
    const RGBQUAD* colours = ColoursOf(p.get());
    EXPECT_EQ(colours[3].rgbRed, 3);
    EXPECT_EQ(colours[3].rgbGreen, 103);
    EXPECT_EQ(colours[3].rgbBlue, 197);
    EXPECT_EQ(colours[4].rgbRed, 0); // beyond the file's colours
    EXPECT_EQ(PixelsOf(p.get())[0], 0x12);
    EXPECT_EQ(PixelsOf(p.get())[1], 0x30);
}

TEST(Gif, OneBitPixelsStartInBitSeven) {
    GifSpec s;
    s.width = 10;
    s.height = 1;
    s.globalColours = 2;
    s.values = {1, 0, 1, 1, 0, 0, 0, 0, 0, 1};
    auto d = DecodeBytes(MakeGif(s));
    ASSERT_EQ(d->result, ImageImporter::Ok);
    EXPECT_EQ(d->importer.m_header.biBitCount, 1);
    EXPECT_EQ(d->importer.m_pixels[0], 0xB0);
    EXPECT_EQ(d->importer.m_pixels[1], 0x40);
}

TEST(Gif, ValuesBeyondTheDepthAreMasked) {
    GifSpec s;
    s.width = 3;
    s.height = 1;
    s.globalColours = 2;
    s.minCodeSize = 8;
    s.values = {0xFF, 0x02, 0x03};
    auto d = DecodeBytes(MakeGif(s));
    ASSERT_EQ(d->result, ImageImporter::Ok);
    EXPECT_EQ(d->importer.m_pixels[0], 0xA0);
}

TEST(Gif, TransparencyFlag) {
    GifSpec s;
    s.values.assign(8, 0);
    s.transparent = 3;
    Packed set = ImportBytes(MakeGif(s));
    ASSERT_TRUE(set);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(ColoursOf(set.get())[i].rgbReserved, i == 3 ? 255 : 0) << i;
    }

    s.transparentFlag = false;
    Packed clear = ImportBytes(MakeGif(s));
    ASSERT_TRUE(clear);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(ColoursOf(clear.get())[i].rgbReserved, 0) << i;
    }
}

TEST(Gif, InterlacedRowsArriveInPassOrder) {
    // Stored row k holds the value k; picture row r must hold the place of r in the order.
    const std::vector<std::vector<int>> orders = {{0, 2, 1}, {0, 8, 4, 2, 6, 1, 3, 5, 7, 9}};
    for (const auto& order : orders) {
        GifSpec s;
        s.width = 2;
        s.height = static_cast<int>(order.size());
        s.globalColours = 16;
        s.minCodeSize = 4;
        s.interlaced = true;
        std::vector<int> stored(order.size());
        for (size_t k = 0; k < order.size(); ++k) {
            stored[k] = static_cast<int>(k);
        }
        s.values = Rows(2, stored);
        auto d = DecodeBytes(MakeGif(s));
        ASSERT_EQ(d->result, ImageImporter::Ok);
        for (size_t k = 0; k < order.size(); ++k) {
            EXPECT_EQ(At(d->importer, order[k], 0), (k << 4) | k) << "height " << s.height;
        }
    }
}

TEST(Gif, TrailerBeforeAnyImage) {
    GifSpec s;
    Bytes b = GifHead(s);
    b.u8(0x3B);
    auto d = DecodeBytes(b.data());
    EXPECT_EQ(d->format, ImageImporter::Gif);
    EXPECT_EQ(d->result, ImageImporter::NoImage);
}

TEST(Gif, ExtensionsAreSkippedWhateverTheirLength) {
    GifSpec s;
    s.values = {1, 2, 3, 0, 3, 2, 1, 0};
    Bytes ext;
    ext.u8(0x21).u8(0xFE).raw(SubBlocks(std::vector<uint8_t>(600, 'c')));
    ext.u8(0x21).u8(0xFF).u8(11).text("NETSCAPE2.0").u8(3).u8(1).u16(0).u8(0);
    s.extension = ext.data();
    auto d = DecodeBytes(MakeGif(s));
    ASSERT_EQ(d->result, ImageImporter::Ok);
    EXPECT_EQ(At(d->importer, 1, 0), 0x32);
}

TEST(Gif, FullTableWithoutClearKeepsTwelveBitCodes) {
    GifSpec s;
    s.width = 97;
    s.height = 101;
    s.globalColours = 256;
    s.minCodeSize = 8;
    std::mt19937 random(7);
    for (int i = 0; i < s.width * s.height; ++i) {
        s.values.push_back(static_cast<uint8_t>(random() % 256));
    }
    auto d = DecodeBytes(MakeGif(s));
    ASSERT_EQ(d->result, ImageImporter::Ok);
    for (int r = 0; r < s.height; ++r) {
        for (int c = 0; c < s.width; ++c) {
            ASSERT_EQ(At(d->importer, r, c), s.values[static_cast<size_t>(r * s.width + c)]);
        }
    }
}

TEST(Gif, StreamEndingEarlyKeepsTheRowsWritten) {
    GifSpec s;
    s.height = 3;
    s.values = {1, 1, 1, 1};
    auto d = DecodeBytes(MakeGif(s));
    ASSERT_EQ(d->result, ImageImporter::Ok);
    EXPECT_EQ(At(d->importer, 0, 0), 0x11);
    EXPECT_EQ(At(d->importer, 1, 0), 0x00);
}

TEST(Gif, MalformedFiles) {
    GifSpec s;
    s.values = {1, 2, 3, 0, 3, 2, 1, 0};
    const std::vector<uint8_t> good = MakeGif(s);

    std::vector<uint8_t> strayBlock = GifHead(s).data();
    strayBlock.push_back(0x00);
    EXPECT_EQ(DecodeBytes(strayBlock)->result, ImageImporter::BadFile);

    std::vector<uint8_t> truncated(good.begin(), good.end() - 6);
    EXPECT_EQ(DecodeBytes(truncated)->result, ImageImporter::Failed);

    GifSpec wide = s;
    wide.minCodeSize = 12;
    EXPECT_EQ(DecodeBytes(MakeGif(wide))->result, ImageImporter::BadFile);

    GifSpec empty = s;
    empty.width = 0;
    EXPECT_EQ(DecodeBytes(MakeGif(empty))->result, ImageImporter::BadFile);

    std::vector<uint8_t> noDigits = good;
    noDigits[3] = 'x';
    EXPECT_EQ(DecodeBytes(noDigits)->format, ImageImporter::Unknown);
}

// Codes clear, 0, 7, 6, then 7 again: the entry for 7 ends up with itself as its prefix.
TEST(Gif, SelfReferringStringIsRefused) {
    GifSpec s;
    Bytes b = GifHead(s);
    b.raw(ImageHead(s).data()).u8(2);
    BitWriter w;
    w.Put(4, 3);
    w.Put(0, 3);
    w.Put(7, 3);
    w.Put(6, 3);
    w.Put(7, 4);
    w.Put(5, 4);
    b.raw(SubBlocks(w.Finish())).u8(0x3B);
    EXPECT_EQ(DecodeBytes(b.data())->result, ImageImporter::BadFile);
}

TEST(Gif, ClearAndEndCodesInOddPlaces) {
    GifSpec s;
    s.width = 2;
    s.height = 1;
    Bytes b = GifHead(s);
    b.raw(ImageHead(s).data()).u8(2);
    BitWriter w;
    for (int code : {4, 4, 1, 4, 4, 2, 5}) {
        w.Put(code, 3);
    }
    b.raw(SubBlocks(w.Finish())).u8(0x3B);
    auto d = DecodeBytes(b.data());
    ASSERT_EQ(d->result, ImageImporter::Ok);
    EXPECT_EQ(d->importer.m_pixels[0], 0x12);

    Bytes endFirst = GifHead(s);
    endFirst.raw(ImageHead(s).data()).u8(2);
    BitWriter e;
    e.Put(4, 3);
    e.Put(5, 3);
    endFirst.raw(SubBlocks(e.Finish())).u8(0x3B);
    auto f = DecodeBytes(endFirst.data());
    ASSERT_EQ(f->result, ImageImporter::Ok);
    EXPECT_EQ(f->importer.m_pixels[0], 0);
}

// A single image smaller than its screen and placed inside it comes out as the screen an
// animation shows for its first frame: the background colour around the image and under
// its transparent pixels, pixel for pixel the animation's canvas. An image that covers the
// screen exactly stays a palette picture.
TEST(Gif, OneImageIsPlacedOnItsScreenAsAnAnimationShowsIt) {
    GifSpec s;
    s.width = 7;
    s.height = 5;
    s.globalColours = 8;
    s.transparent = 6;
    std::vector<uint8_t> head = GifHead(s).data();
    head[11] = 3; // the background colour
    Bytes b;
    b.raw(head);
    const std::vector<uint8_t> values = {0, 1, 2, 6, 4, 5, 6, 7};
    b.u8(0x2C).u16(2).u16(1).u16(4).u16(2).u8(0).u8(3);
    b.raw(SubBlocks(LzwEncode(values, 3, false, nullptr), true, 255)).u8(0x3B);

    Packed still = ImportBytes(b.data());
    ASSERT_TRUE(still);
    EXPECT_EQ(still->biWidth, 7);
    EXPECT_EQ(still->biHeight, 5);
    EXPECT_EQ(still->biBitCount, 32);
    GifAnimation animation;
    ASSERT_TRUE(animation.Load(b.data()));
    animation.ShowFrame(0);
    const BITMAPINFOHEADER* canvas = animation.Picture();
    ASSERT_NE(canvas, nullptr);
    EXPECT_EQ(0, std::memcmp(PixelsOf(still.get()), PixelsOf(canvas), 7 * 5 * 4));
    // Screen pixel (3, 1) is the image's value 1; (0, 0) and the transparent (5, 1) show
    // the background, clear. Bottom row first in memory.
    const auto* pixels = reinterpret_cast<const uint32_t*>(PixelsOf(still.get()));
    EXPECT_EQ(pixels[3 * 7 + 3], 0x000165C7u);
    EXPECT_EQ(pixels[4 * 7], 0xFF0367C5u);
    EXPECT_EQ(pixels[3 * 7 + 5], 0xFF0367C5u);

    s.width = 4;
    s.height = 2;
    s.values = values;
    Packed whole = ImportBytes(MakeGif(s));
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->biBitCount, 4);
}
