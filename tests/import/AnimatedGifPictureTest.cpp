// Animated GIFs as faces: opened where still pictures are, following the clock that video
// faces share; GIFs of one frame stay still pictures, imported as before.
#include "GifAnimationTestSupport.h"
#include "import/AnimatedGifPicture.h"
#include "import/StillPicture.h"

using namespace importtest;

namespace {

// Three frames that each fill the screen with one colour of the global table, shown for
// 100, 200 and 300 ms.
AnimatedGifSpec ThreeColours() {
    AnimatedGifSpec s;
    s.loops = 0;
    for (int i = 0; i < 3; ++i) {
        GifFrameSpec f;
        f.width = s.width;
        f.height = s.height;
        f.disposal = 1;
        f.delay = 10 * (i + 1);
        f.values.assign(size_t(s.width) * s.height, static_cast<uint8_t>(i + 1));
        s.frames.push_back(f);
    }
    return s;
}

// The bottom-left pixel of a 32-bit picture, as 0xRRGGBB.
uint32_t FirstPixel(const BITMAPINFOHEADER* picture) {
    const auto* p = reinterpret_cast<const uint8_t*>(picture + 1);
    return uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
}

// Global colour i of the test tables.
uint32_t TableColour(int i) {
    return uint32_t(37 * i & 0xFF) << 16 | uint32_t((255 - 23 * i) & 0xFF) << 8 |
           ((101 + 59 * i) & 0xFF);
}

struct PictureCleanup {
    ~PictureCleanup() {
        DestroyAllPictures();
        ResetVideoTimeOrigin();
    }
};

} // namespace

TEST(AnimatedGifPicture, OpensAsAMovingFaceOnTheSharedClock) {
    ScratchDir dir;
    PictureCleanup cleanup;
    ResetVideoTimeOrigin();
    const std::string file = dir.Write("moving.gif", MakeAnimatedGif(ThreeColours()));
    EXPECT_TRUE(IsAnimatedGif(file.c_str()));
    PictureSource* face = OpenStillPicture(file.c_str());
    ASSERT_NE(face, nullptr);
    ASSERT_NE(dynamic_cast<AnimatedGifPicture*>(face), nullptr);
    // Shared by name like every source.
    EXPECT_EQ(OpenStillPicture(file.c_str()), face);
    ReleasePicture(face);

    // The first time given becomes the origin of every moving face.
    const std::pair<DWORD, int> expected[] = {{5000, 1}, {5099, 1}, {5100, 2}, {5299, 2},
                                              {5300, 3}, {5599, 3}, {5600, 1}, {5000, 1}};
    for (const auto& [tick, colour] : expected) {
        SetPictureTime(tick);
        const BITMAPINFOHEADER* picture = GetPictureBitmap(face);
        ASSERT_EQ(picture->biBitCount, 32);
        EXPECT_EQ(FirstPixel(picture), TableColour(colour)) << tick;
    }
    ReleasePicture(face);
    EXPECT_EQ(FirstPictureSource(), nullptr);
}

TEST(AnimatedGifPicture, OneFrameGifsStayStillPictures) {
    ScratchDir dir;
    PictureCleanup cleanup;
    AnimatedGifSpec s = ThreeColours();
    s.frames.resize(1);
    const std::string file = dir.Write("still.gif", MakeAnimatedGif(s));
    EXPECT_FALSE(IsAnimatedGif(file.c_str()));
    PictureSource* face = OpenStillPicture(file.c_str());
    ASSERT_NE(dynamic_cast<StillPicture*>(face), nullptr);
    const Packed imported(ImportPicture(file.c_str()));
    ASSERT_NE(imported, nullptr);
    const size_t size = GlobalSize(GlobalHandle(imported.get()));
    ASSERT_EQ(GlobalSize(GlobalHandle(const_cast<BITMAPINFOHEADER*>(face->GetBitmap()))), size);
    EXPECT_EQ(std::memcmp(face->GetBitmap(), imported.get(), size), 0);
    ReleasePicture(face);
}

// Beyond the limits the first frame is still shown, as a still picture.
TEST(AnimatedGifPicture, AnimationsBeyondTheLimitsShowTheirFirstFrame) {
    ScratchDir dir;
    AnimatedGifSpec s = ThreeColours();
    s.width = 3000;
    s.height = 2000;
    for (GifFrameSpec& f : s.frames) {
        f.width = 8;
        f.height = 6;
    }
    const std::string file = dir.Write("wide.gif", MakeAnimatedGif(s));
    EXPECT_FALSE(IsAnimatedGif(file.c_str()));
    GifAnimation animation;
    GifAnimationLimits roomy;
    roomy.maxScreenPixels = 3000 * 2000;
    EXPECT_TRUE(LoadGifAnimation(file.c_str(), animation, roomy));
    PictureCleanup cleanup;
    PictureSource* face = OpenStillPicture(file.c_str());
    ASSERT_NE(dynamic_cast<StillPicture*>(face), nullptr);
    // Its first frame, placed on the screen as the animation would show it.
    EXPECT_EQ(face->GetBitmap()->biWidth, 3000);
    ReleasePicture(face);
}
