#include "ImportTestSupport.h"

using namespace importtest;

namespace {

struct IconImage {
    int width;
    int height; // of the colour image
    int bitCount;
    uint8_t firstPixel;
};

// An icon file with one directory entry per image; each image is a 40-byte header (height
// doubled for the mask), its colour table, the colour rows and the AND mask.
std::vector<uint8_t> MakeIcon(const std::vector<IconImage>& images, uint8_t reserved = 0) {
    Bytes b;
    b.u16(0).u16(1).u16(static_cast<unsigned>(images.size()));
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
    std::vector<Bytes> bodies;
    for (const IconImage& im : images) {
        Bytes body;
        body.u32(40).u32(im.width).u32(im.height * 2).u16(1).u16(im.bitCount).u32(0).u32(0);
        body.u32(0).u32(0).u32(0).u32(0);
        if (im.bitCount <= 8) {
            for (int i = 0; i < (1 << im.bitCount); ++i) {
                body.u32(0x010203u * static_cast<uint32_t>(i));
            }
        }
        const size_t stride = (static_cast<size_t>(im.width) * im.bitCount + 31) / 32 * 4;
        body.u8(im.firstPixel).fill(stride * im.height - 1, 0x11);
        body.fill((im.width + 31) / 32 * 4 * im.height, 0xFF); // AND mask
        b.u8(im.width).u8(im.height).u8(0).u8(reserved).u16(1).u16(im.bitCount);
        b.u32(static_cast<uint32_t>(body.size())).u32(offset);
        offset += static_cast<uint32_t>(body.size());
        bodies.push_back(body);
    }
    for (const Bytes& body : bodies) {
        b.raw(body.data());
    }
    return b.data();
}

} // namespace

TEST(Ico, LargestThenDeepestImageIsChosen) {
    auto d = DecodeBytes(MakeIcon({{16, 16, 4, 1}, {32, 32, 4, 2}, {32, 32, 8, 3}}));
    ASSERT_EQ(d->format, ImageImporter::Ico);
    ASSERT_EQ(d->result, ImageImporter::Ok);
    const ImageImporter& im = d->importer;
    EXPECT_EQ(im.m_header.biWidth, 32);
    EXPECT_EQ(im.m_header.biHeight, 32);
    EXPECT_EQ(im.m_header.biBitCount, 8);
    EXPECT_EQ(im.m_pixels[0], 3);
    EXPECT_EQ(im.m_pixelSize, 32u * 32u);
    EXPECT_EQ(im.m_header.biSizeImage, 32u * 32u);
    EXPECT_EQ(im.m_colours[2].rgbGreen, 2 * 2);

    auto same = DecodeBytes(MakeIcon({{16, 16, 8, 1}, {16, 16, 8, 2}}));
    ASSERT_EQ(same->result, ImageImporter::Ok);
    EXPECT_EQ(same->importer.m_pixels[0], 1);

    // Wider but not taller does not replace the first.
    auto wider = DecodeBytes(MakeIcon({{16, 16, 8, 1}, {32, 16, 8, 2}}));
    ASSERT_EQ(wider->result, ImageImporter::Ok);
    EXPECT_EQ(wider->importer.m_pixels[0], 1);
}

TEST(Ico, StridesByBitCount) {
    struct Case {
        int bitCount;
        DWORD stride;
    };
    for (const Case c : {Case{1, 4}, Case{2, 8}, Case{4, 12}, Case{8, 24}, Case{16, 44},
                         Case{24, 64}, Case{32, 84}}) {
        Packed p = ImportBytes(MakeIcon({{21, 3, c.bitCount, 9}}));
        ASSERT_TRUE(p) << c.bitCount;
        EXPECT_EQ(p->biHeight, 3);
        EXPECT_EQ(p->biSizeImage, 3 * c.stride) << c.bitCount;
        EXPECT_EQ(GlobalSize(GlobalHandle(p.get())),
                  40u + (c.bitCount <= 8 ? 4u << c.bitCount : 0u) + 3 * c.stride);
        EXPECT_EQ(PixelsOf(p.get())[0], 9);
    }
}

TEST(Ico, NoUsableImage) {
    EXPECT_EQ(DecodeBytes(MakeIcon({{16, 16, 8, 1}}, 1))->result, ImageImporter::BadFile);
    EXPECT_EQ(DecodeBytes(MakeIcon({{16, 16, 3, 1}}))->result, ImageImporter::BadFile);

    std::vector<uint8_t> planes = MakeIcon({{16, 16, 8, 1}});
    planes[6 + 16 + 12] = 2; // biPlanes of the image
    EXPECT_EQ(DecodeBytes(planes)->result, ImageImporter::BadFile);
}

TEST(Ico, ColourImageCutShortFails) {
    // The colour image one byte short, then with only its header: an early end of file.
    std::vector<uint8_t> icon = MakeIcon({{32, 32, 24, 1}});
    icon.resize(6 + 16 + 40 + 32 * 96 - 1);
    EXPECT_EQ(DecodeBytes(icon)->result, ImageImporter::Failed);
    icon.resize(6 + 16 + 40);
    EXPECT_EQ(DecodeBytes(icon)->result, ImageImporter::Failed);
    // Complete without its AND mask, which is never read.
    icon.resize(6 + 16 + 40 + 32 * 96);
    EXPECT_EQ(DecodeBytes(icon)->result, ImageImporter::Ok);
    // Colour table cut short.
    std::vector<uint8_t> palette = MakeIcon({{16, 16, 8, 1}});
    palette.resize(6 + 16 + 40 + 1023);
    EXPECT_EQ(DecodeBytes(palette)->result, ImageImporter::Failed);

    std::vector<uint8_t> lost = MakeIcon({{16, 16, 8, 1}});
    lost[6 + 15] = 0x10; // image offset beyond the end
    EXPECT_EQ(DecodeBytes(lost)->result, ImageImporter::Failed);
}
