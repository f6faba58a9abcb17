// HEIF, AVIF and WebP: identification by content, decoding of the sample files in
// tests/data/formats, and hostile inputs (cut short, bytes flipped, sizes past the limit).
#include "ImportTestSupport.h"

#include "import/AnimatedWebpPicture.h"
#include "import/FaceDecision.h"
#include "import/HeifBrands.h"
#include "import/PixelLayouts.h"

#include <fstream>
#include <iterator>

using namespace importtest;
using picture::HeifBrand;

namespace {

std::vector<uint8_t> Sample(const char* name) {
    std::ifstream in(std::string(VC_TEST_DATA) + "/formats/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// An ftyp box of the given major brand and compatible brands, its size as stated or `size`.
std::vector<uint8_t> Ftyp(const std::string& brands, uint32_t size = 0) {
    const uint32_t stated = size ? size : static_cast<uint32_t>(8 + 4 + brands.size());
    std::vector<uint8_t> box = {uint8_t(stated >> 24),
                                uint8_t(stated >> 16),
                                uint8_t(stated >> 8),
                                uint8_t(stated),
                                'f',
                                't',
                                'y',
                                'p'};
    box.insert(box.end(), brands.begin(), brands.begin() + 4);
    box.insert(box.end(), 4, 0); // minor version
    box.insert(box.end(), brands.begin() + 4, brands.end());
    return box;
}

struct SampleCase {
    const char* file;
    int format;
    LONG width, height;
};
constexpr SampleCase kSamples[] = {
    {"picture.heic", ImageImporter::Heif, 37, 23},
    // Four 80 x 64 tiles cropped to 150 x 100, turned a quarter and mirrored.
    {"grid-turned.heic", ImageImporter::Heif, 100, 150},
    {"picture.avif", ImageImporter::Avif, 37, 23},
    {"lossy.webp", ImageImporter::Webp, 37, 23},
    {"lossless.webp", ImageImporter::Webp, 37, 23},
    {"alpha.webp", ImageImporter::Webp, 37, 23},
    {"animated.webp", ImageImporter::Webp, 37, 23},
    {"profile.webp", ImageImporter::Webp, 37, 23},
};

} // namespace

TEST(NewFormats, BrandsTellHeifFromAvif) {
    const struct {
        const char* name;
        std::vector<uint8_t> head;
        HeifBrand brand;
    } cases[] = {
        {"HEIC", Ftyp("heicmif1heic"), HeifBrand::kHeif},
        {"generic image brand", Ftyp("mif1"), HeifBrand::kHeif},
        {"image sequence", Ftyp("msf1hevc"), HeifBrand::kHeif},
        {"AVIF major", Ftyp("avifmif1miaf"), HeifBrand::kAvif},
        {"AVIF among generic brands", Ftyp("mif1mif1avif"), HeifBrand::kAvif},
        {"AVIF sequence", Ftyp("avismsf1"), HeifBrand::kAvif},
        {"MP4 video", Ftyp("isomisomavc1mp41"), HeifBrand::kNone},
        {"size not whole brands", Ftyp("heicmif1", 22), HeifBrand::kNone},
        {"size past the probe", Ftyp("heicmif1", 4096), HeifBrand::kNone},
        {"size below a box", Ftyp("heic", 12), HeifBrand::kNone},
        {"cut before the brands", {0, 0, 0, 20, 'f', 't', 'y', 'p', 'h', 'e'}, HeifBrand::kNone},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(picture::BrandOfFtyp(c.head), c.brand) << c.name;
    }
    // A brand beyond the box's stated size is another box's bytes.
    std::vector<uint8_t> outside = Ftyp("mp42isom", 16);
    outside.insert(outside.end(), {'a', 'v', 'i', 'f'});
    EXPECT_EQ(picture::BrandOfFtyp(outside), HeifBrand::kNone);
}

TEST(NewFormats, SamplesAreIdentifiedAndDecodedWhole) {
    for (const SampleCase& c : kSamples) {
        auto d = DecodeBytes(Sample(c.file));
        ASSERT_EQ(d->format, c.format) << c.file;
        ASSERT_EQ(d->result, ImageImporter::Ok) << c.file;
        const BITMAPINFOHEADER& h = d->importer.m_header;
        EXPECT_EQ(h.biWidth, c.width) << c.file;
        EXPECT_EQ(h.biHeight, c.height) << c.file;
        EXPECT_EQ(h.biBitCount, 32) << c.file;
        EXPECT_EQ(d->importer.m_pixelSize, picture::RowStride(c.width, 32) * c.height) << c.file;
    }
}

TEST(NewFormats, OpacityBecomesClearnessAndOpaquePicturesStayOpaque) {
    // The sample fades from clear at the top to opaque at the bottom; rows are bottom-up.
    auto alpha = DecodeBytes(Sample("alpha.webp"));
    ASSERT_EQ(alpha->result, ImageImporter::Ok);
    const uint8_t* bottom = alpha->importer.m_pixels;
    const uint8_t* top = bottom + alpha->importer.m_pixelSize - 4;
    EXPECT_LT(bottom[pixel::packed::kClearness], 20);
    EXPECT_GT(top[pixel::packed::kClearness], 235);
    for (const char* file : {"lossy.webp", "picture.heic", "picture.avif"}) {
        auto d = DecodeBytes(Sample(file));
        ASSERT_EQ(d->result, ImageImporter::Ok);
        for (DWORD i = pixel::packed::kClearness; i < d->importer.m_pixelSize; i += 4) {
            ASSERT_EQ(d->importer.m_pixels[i], 0) << file << " byte " << i;
        }
    }
}

TEST(NewFormats, AProfileLcmsRefusesLeavesThePictureAsStored) {
    // profile.webp carries 200 bytes that are no ICC profile in its ICCP chunk: the picture
    // decodes as the same picture without it would, and no profile outlives the decode.
    auto d = DecodeBytes(Sample("profile.webp"));
    ASSERT_EQ(d->result, ImageImporter::Ok);
    EXPECT_TRUE(d->importer.m_iccProfile.empty());
    EXPECT_TRUE(DecodeBytes(Sample("lossy.webp"))->importer.m_iccProfile.empty());
}

TEST(NewFormats, PictureAboveThePixelLimitIsRefusedBeforeDecoding) {
    for (const SampleCase& c : kSamples) {
        ScratchDir dir;
        ImageImporter importer;
        importer.m_pixelLimit = 64;
        ASSERT_EQ(importer.Identify(dir.Write("p", Sample(c.file)).c_str()), c.format);
        EXPECT_EQ(importer.Decode(), ImageImporter::TooLarge) << c.file;
        EXPECT_EQ(importer.m_pixels, nullptr);
        EXPECT_EQ(importer.m_header.biWidth, c.width) << c.file;
    }
}

// Every cut and a spread of flipped bytes: a result, never a crash, and an accepted
// picture always whole (the sanitizer builds check the reads).
TEST(NewFormats, HostileBytesGiveAResult) {
    for (const SampleCase& c : kSamples) {
        const std::vector<uint8_t> whole = Sample(c.file);
        for (size_t cut :
             {size_t{12}, size_t{16}, size_t{40}, whole.size() / 2, whole.size() - 1}) {
            auto d = DecodeBytes({whole.begin(), whole.begin() + static_cast<long>(cut)});
            if (d->result == ImageImporter::Ok) {
                EXPECT_EQ(d->importer.m_pixelSize,
                          picture::RowStride(d->importer.m_header.biWidth, 32) *
                              d->importer.m_header.biHeight)
                    << c.file << " cut at " << cut;
            }
        }
        for (size_t at = 8; at < whole.size(); at += whole.size() / 23 + 1) {
            std::vector<uint8_t> flipped = whole;
            flipped[at] ^= 0xA5;
            auto d = DecodeBytes(flipped);
            if (d->result == ImageImporter::Ok) {
                EXPECT_GT(d->importer.m_pixelSize, 0u) << c.file << " flipped at " << at;
            }
        }
    }
}

TEST(NewFormats, AnimatedWebpPlaysLikeAnAnimatedGif) {
    WebpAnimation animation;
    ASSERT_TRUE(LoadWebpAnimation(Sample("animated.webp"), animation));
    EXPECT_EQ(animation.FrameCount(), 2u);
    EXPECT_EQ(animation.PlayCount(), 0u);
    EXPECT_EQ(animation.PlayLength(), 240u);
    EXPECT_EQ(animation.FrameAt(0), 0u);
    EXPECT_EQ(animation.FrameAt(130), 1u);
    EXPECT_EQ(animation.FrameAt(250), 0u); // looping for ever
    EXPECT_EQ(animation.ShownFrame(), -1);

    // One frame per step at the smallest budget; the second frame is the red one.
    EXPECT_FALSE(animation.AdvanceTowards(1, 1));
    EXPECT_EQ(animation.ShownFrame(), 0);
    EXPECT_TRUE(animation.AdvanceTowards(1, 1));
    const BITMAPINFOHEADER* canvas = animation.Picture();
    ASSERT_NE(canvas, nullptr);
    const uint8_t* pixel = reinterpret_cast<const uint8_t*>(canvas + 1);
    EXPECT_NEAR(pixel[pixel::packed::kRed], 200, 2);
    EXPECT_NEAR(pixel[pixel::packed::kBlue], 30, 2);
    EXPECT_EQ(pixel[pixel::packed::kClearness], 0);
    // Going back starts over from the first frame.
    animation.ShowFrame(0);
    EXPECT_EQ(animation.ShownFrame(), 0);
    EXPECT_LT(pixel[pixel::packed::kRed], 20);

    WebpAnimation still;
    EXPECT_FALSE(LoadWebpAnimation(Sample("lossy.webp"), still));
    EXPECT_EQ(still.Picture(), nullptr);
    const WebpAnimationLimits small{uint64_t{32} << 20, 100, 100000};
    EXPECT_FALSE(LoadWebpAnimation(Sample("animated.webp"), still, small));
}

TEST(NewFormats, FaceDecisionMovesOnlyAnimations) {
    EXPECT_EQ(DecideFace(Sample("animated.webp")).kind, FaceKind::kAnimatedWebp);
    for (const char* file : {"lossy.webp", "picture.heic", "grid-turned.heic", "picture.avif"}) {
        EXPECT_EQ(DecideFace(Sample(file)).kind, FaceKind::kStillPicture) << file;
        EXPECT_TRUE(CouldBePictureFace(Sample(file))) << file;
    }
}
