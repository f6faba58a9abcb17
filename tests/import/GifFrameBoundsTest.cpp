// Frames far larger than their logical screen: clipped before they are decoded, their work
// bounded per frame and spread over calls, and drawn as a frame on the screen would be.
#include "GifAnimationTestSupport.h"
#include "GifFlood.h"
#include "import/AnimatedGifPicture.h"
#include "import/PictureLimits.h"

using namespace importtest;

namespace {

uint32_t Canvas(const GifAnimation& a, uint32_t x, uint32_t y) {
    const BITMAPINFOHEADER* p = a.Picture();
    const auto* pixels = reinterpret_cast<const uint32_t*>(p + 1);
    return pixels[size_t(p->biHeight - 1 - y) * p->biWidth + x];
}

// The work AdvanceTowards needed to reach frame `index` from the start, in steps of `step`.
uint64_t WorkToShow(GifAnimation& animation, uint32_t index, uint64_t step = 1000) {
    uint64_t spent = 0;
    while (!animation.AdvanceTowards(index, step)) {
        spent += step;
        if (spent > uint64_t{1} << 40) {
            break;
        }
    }
    return spent + step;
}

} // namespace

// The frames that held the saver for minutes: 65535 x 65535 on a 2 x 2 screen, made whole
// (1.5 MB of codes each). Only the two rows on the screen are decoded.
TEST(GifFrameBounds, HugeFramesOnATinyScreenDecodeOnlyTheRowsOnIt) {
    const std::vector<uint8_t> gif = MakeFloodGif(2, 2, {FloodFrame{}, FloodFrame{}});
    ASSERT_GT(gif.size(), size_t{3} << 20);
    GifAnimation animation;
    ASSERT_TRUE(animation.Load(gif));
    ASSERT_EQ(animation.FrameCount(), 2u);
    EXPECT_LE(WorkToShow(animation, 1), 2 * (2 * 65535u + 2000));
    for (uint32_t y = 0; y < 2; ++y) {
        for (uint32_t x = 0; x < 2; ++x) {
            EXPECT_EQ(Canvas(animation, x, y), 0u) << x << "," << y; // colour 0, opaque
        }
    }
}

// Where clipping cannot help, the values per frame are capped, and the cap is what a frame
// costs however it is stepped.
TEST(GifFrameBounds, WorkPerFrameIsCappedWhereClippingCannotHelp) {
    struct Case {
        const char* name;
        FloodFrame frame;
        uint64_t most; // work units to show the frame
    };
    FloodFrame interlaced;
    interlaced.interlaced = true;
    interlaced.values = uint64_t{3} * picture::kMaxGifFrameValues;
    FloodFrame offScreen;
    offScreen.left = 10;
    FloodFrame below;
    below.top = 2;
    FloodFrame clears;
    clears.width = 4;
    clears.height = 4;
    clears.clearsFirst = 100000;
    const Case cases[] = {
        // Row 1 comes in the last of the four passes: the cap ends the frame first.
        {"interlaced", interlaced, picture::kMaxGifFrameValues + 2000},
        {"right of the screen", offScreen, 1000},
        {"below the screen", below, 1000},
        // A long run of clear codes costs work too, and is spread like values.
        {"clear codes", clears, 100000 / GifDecoder::kClearRun + 2000},
    };
    for (const Case& c : cases) {
        GifAnimation animation;
        ASSERT_TRUE(animation.Load(MakeFloodGif(2, 2, {c.frame, c.frame}))) << c.name;
        EXPECT_LE(WorkToShow(animation, 1), 2 * c.most) << c.name;
        // Stepped or whole, the canvas ends the same.
        GifAnimation whole;
        ASSERT_TRUE(whole.Load(MakeFloodGif(2, 2, {c.frame, c.frame})));
        whole.ShowFrame(1);
        for (uint32_t i = 0; i < 4; ++i) {
            EXPECT_EQ(Canvas(animation, i % 2, i / 2), Canvas(whole, i % 2, i / 2)) << c.name;
        }
    }
}

// A step that runs out mid-frame goes on where it stopped; asking for an earlier frame
// starts again, and either way the frames come out as ShowFrame draws them.
TEST(GifFrameBounds, SteppedFramesEqualWholeOnes) {
    AnimatedGifSpec s;
    s.width = 40;
    s.height = 30;
    for (int i = 0; i < 4; ++i) {
        GifFrameSpec f;
        f.left = static_cast<uint16_t>(3 * i);
        f.top = static_cast<uint16_t>(2 * i);
        f.width = 37;
        f.height = 28;
        f.disposal = i % 4;
        f.interlaced = i == 2;
        f.values = PatternValues(f.width * f.height, 16, i, 7, 9);
        f.transparent = 9;
        s.frames.push_back(f);
    }
    const std::vector<uint8_t> gif = MakeAnimatedGif(s);
    GifAnimation stepped, whole;
    ASSERT_TRUE(stepped.Load(gif));
    ASSERT_TRUE(whole.Load(gif));
    for (uint32_t index : {2u, 3u, 1u, 3u, 0u}) {
        while (!stepped.AdvanceTowards(index, 97)) {
        }
        whole.ShowFrame(index);
        ASSERT_EQ(stepped.ShownFrame(), index);
        EXPECT_EQ(std::memcmp(stepped.Picture(), whole.Picture(), 40 + 40 * 30 * 4), 0) << index;
    }
}

// As a face, the saver's frames each do a bounded share of the work and reach the frame in
// time; the headless runner's whole frames get there at once.
TEST(GifFrameBounds, AFaceDoesABoundedShareOfTheWorkPerDraw) {
    FloodFrame interlaced;
    interlaced.interlaced = true;
    interlaced.values = uint64_t{2} * picture::kMaxGifFrameValues;
    const std::vector<uint8_t> gif = MakeFloodGif(2, 2, {interlaced, interlaced});
    ResetVideoTimeOrigin();
    PictureSource* face = OpenStillPicture("flood", gif);
    ASSERT_NE(face, nullptr);
    auto* moving = dynamic_cast<AnimatedGifPicture*>(face);
    ASSERT_NE(moving, nullptr);
    face->SetTime(1000);
    face->SetTime(1150); // frame 1
    ASSERT_EQ(moving->m_wantedFrame, 1u);
    int draws = 0;
    while (moving->m_animation.ShownFrame() != 1 && draws < 1000) {
        face->GetBitmap();
        ++draws;
    }
    const uint64_t perFrame = picture::kMaxGifFrameValues + 2000;
    EXPECT_GE(uint64_t(draws), 2 * perFrame / picture::kGifWorkPerDraw);
    EXPECT_LE(uint64_t(draws), 2 * perFrame / picture::kGifWorkPerDraw + 2);
    ReleasePicture(face);
    ResetVideoTimeOrigin();
}
