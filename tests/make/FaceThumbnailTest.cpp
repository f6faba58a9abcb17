#include "../import/AviTestSupport.h"
#include "../import/GifAnimationTestSupport.h"
#include "../import/PictureSourceTestSupport.h"
#include "make/FaceThumbnail.h"
#include "platform/Win32.h"

#include <gtest/gtest.h>

#include <random>

namespace {
// Red, green, blue and opacity of the thumbnail's pixel (x, y).
std::vector<int> Pixel(const RgbaImage& image, int x, int y) {
    const uint8_t* p = image.pixels.data() + (static_cast<size_t>(y) * image.width + x) * 4;
    return {p[0], p[1], p[2], p[3]};
}

// The temporary folder is a private one, which must be empty again after every thumbnail.
class ThumbnailFolder : public ScratchFolder {
  public:
    ThumbnailFolder() : ScratchFolder("pack-thumb") {
        platform::SetTempPathOverride(Path().c_str());
    }
    ~ThumbnailFolder() { platform::SetTempPathOverride(nullptr); }
};
} // namespace

TEST(FaceThumbnail, PictureShrinksToTheSlotKeepingItsShape) {
    ThumbnailFolder folder;
    const FaceThumbnail wide = MakeFaceThumbnail(MakeBmp24(200, 100, 10, 20, 250), 64);
    EXPECT_FALSE(wide.moving);
    ASSERT_EQ(wide.image.width, 64);
    ASSERT_EQ(wide.image.height, 32);
    EXPECT_EQ(Pixel(wide.image, 63, 31), (std::vector<int>{250, 20, 10, 255}));

    const FaceThumbnail tall = MakeFaceThumbnail(MakeBmp24(30, 90, 0, 0, 0), 45);
    EXPECT_EQ(tall.image.width, 15);
    EXPECT_EQ(tall.image.height, 45);
    // A picture that fits already keeps its size.
    const FaceThumbnail small = MakeFaceThumbnail(MakeBmp24(20, 10, 0, 0, 0), 64);
    EXPECT_EQ(small.image.width, 20);
    EXPECT_EQ(small.image.height, 10);
    EXPECT_TRUE(folder.Entries().empty());
}

TEST(FaceThumbnail, AnimatedGifMovesAndShowsItsFirstFrame) {
    importtest::AnimatedGifSpec spec;
    spec.width = 40;
    spec.height = 20;
    for (int colour : {3, 9}) {
        importtest::GifFrameSpec frame;
        frame.width = spec.width;
        frame.height = spec.height;
        frame.values.assign(static_cast<size_t>(spec.width * spec.height), colour);
        spec.frames.push_back(frame);
    }
    const FaceThumbnail moving = MakeFaceThumbnail(importtest::MakeAnimatedGif(spec), 100);
    EXPECT_TRUE(moving.moving);
    ASSERT_EQ(moving.image.width, 40);
    ASSERT_EQ(moving.image.height, 20);
    // Colour 3 of the test tables.
    EXPECT_EQ(Pixel(moving.image, 0, 0), (std::vector<int>{111, 186, 22, 255}));

    spec.frames.pop_back();
    const FaceThumbnail still = MakeFaceThumbnail(importtest::MakeAnimatedGif(spec), 10);
    EXPECT_FALSE(still.moving);
    EXPECT_EQ(still.image.width, 10);
    EXPECT_EQ(still.image.height, 5);
}

TEST(FaceThumbnail, VideoMovesAndShowsItsFirstFrame) {
    ThumbnailFolder folder;
    avitest::ClipRecipe clip;
    clip.width = 8;
    clip.height = 4;
    clip.frames = {avitest::FrameBytes(1, 4, 24), avitest::FrameBytes(2, 4, 24)};
    const FaceThumbnail video = MakeFaceThumbnail(avitest::MakeAvi(clip), 4);
    EXPECT_TRUE(video.moving);
    ASSERT_EQ(video.image.width, 4);
    ASSERT_EQ(video.image.height, 2);
    // Frame 1's bottom rows hold 16 and 17 in every byte; the top-left pixel averages the
    // two top rows, 18 and 19.
    EXPECT_EQ(Pixel(video.image, 0, 0)[0], 19);

    // Frames that need a codec: still a video, with nothing to show here.
    clip.compression = 0x47504A4D; // "MJPG"
    const FaceThumbnail compressed = MakeFaceThumbnail(avitest::MakeAvi(clip), 4);
    EXPECT_TRUE(compressed.moving);
    EXPECT_TRUE(compressed.image.pixels.empty());
    EXPECT_TRUE(folder.Entries().empty());
}

TEST(FaceThumbnail, AnythingElseGivesNoPicture) {
    ThumbnailFolder folder;
    std::mt19937 random(7);
    std::vector<uint8_t> noise(4096);
    for (uint8_t& b : noise) {
        b = static_cast<uint8_t>(random());
    }
    std::vector<uint8_t> cutGif = {'G', 'I', 'F', '8', '9', 'a', 40, 0};
    std::vector<uint8_t> cutBmp = MakeBmp24(50, 50, 1, 2, 3);
    cutBmp.resize(60);
    for (const std::vector<uint8_t>& bytes : {noise, cutGif, cutBmp, std::vector<uint8_t>{}}) {
        const FaceThumbnail thumbnail = MakeFaceThumbnail(bytes, 64);
        EXPECT_FALSE(thumbnail.moving);
        EXPECT_EQ(thumbnail.image.width, 0);
        EXPECT_TRUE(thumbnail.image.pixels.empty());
    }
    EXPECT_TRUE(MakeFaceThumbnail(MakeBmp24(4, 4, 1, 2, 3), 0).image.pixels.empty());
    EXPECT_TRUE(folder.Entries().empty());
}
