// The animated GIF composer against Pillow's composed frames, its timing and its limits.
#include "GifAnimationTestSupport.h"

using namespace importtest;

namespace {

GifFrameSpec Frame(int left, int top, int width, int height, int disposal, int seed,
                   int transparent = -1) {
    GifFrameSpec f;
    f.left = left;
    f.top = top;
    f.width = width;
    f.height = height;
    f.disposal = disposal;
    f.transparent = transparent;
    f.values = PatternValues(width * height, 16, seed, transparent >= 0 ? 5 : 0, transparent);
    return f;
}

// Every disposal, local tables, transparency, interlacing and sub-rectangles. The first
// frame covers the screen and, where later frames are transparent, is transparent too:
// outside those cases Pillow fills with palette entry 0 and drops alpha, where browsers
// and this composer keep the screen clear.
std::vector<AnimatedGifSpec> CompositionCases() {
    std::vector<AnimatedGifSpec> cases;
    AnimatedGifSpec a;
    a.width = 12;
    a.height = 10;
    a.loops = 0;
    a.frames.push_back(Frame(0, 0, 12, 10, 1, 0, 15));
    a.frames.push_back(Frame(2, 3, 5, 4, 2, 1, 15));
    a.frames.back().localColours = 16;
    a.frames.back().localShift = 5;
    a.frames.push_back(Frame(6, 1, 4, 7, 3, 2, 15));
    a.frames.back().interlaced = true;
    a.frames.push_back(Frame(1, 1, 9, 8, 3, 3, 15));
    a.frames.push_back(Frame(0, 0, 3, 3, 1, 4, 15));
    a.frames.push_back(Frame(4, 4, 8, 6, 2, 5, 15));
    a.frames.push_back(Frame(3, 2, 6, 5, 1, 6, 15));
    cases.push_back(a);

    // Without transparency, restoring to the background paints the background colour.
    AnimatedGifSpec b;
    b.width = 9;
    b.height = 7;
    b.background = 6;
    b.frames.push_back(Frame(0, 0, 9, 7, 1, 7));
    b.frames.push_back(Frame(1, 2, 4, 3, 2, 8));
    b.frames.push_back(Frame(5, 0, 4, 7, 3, 9));
    b.frames.back().localColours = 32;
    b.frames.back().localShift = 9;
    b.frames.push_back(Frame(0, 4, 9, 3, 1, 10));
    b.frames.back().interlaced = true;
    cases.push_back(b);

    // A picture larger than one LZW table, cleared and refilled within a frame.
    AnimatedGifSpec c;
    c.width = 150;
    c.height = 120;
    c.globalColours = 256;
    c.frames.push_back(Frame(0, 0, 150, 120, 1, 11, 200));
    c.frames.push_back(Frame(20, 10, 100, 90, 3, 12, 200));
    c.frames.push_back(Frame(40, 30, 60, 60, 2, 13, 200));
    c.frames.push_back(Frame(10, 50, 130, 70, 1, 14, 200));
    for (GifFrameSpec& f : c.frames) {
        f.values = PatternValues(f.width * f.height, 256, f.left, 5, 200);
    }
    cases.push_back(c);
    return cases;
}

void ExpectFramesLikePillow(const std::string& file, int width, int height) {
    const PillowAnimation reference = ReadPillowAnimation(file, width, height);
    GifAnimation animation;
    ASSERT_TRUE(animation.Load(ReadWhole(file))) << file;
    ASSERT_EQ(animation.FrameCount(), reference.frames.size()) << file;
    for (uint32_t i = 0; i < animation.FrameCount(); ++i) {
        animation.ShowFrame(i);
        EXPECT_EQ(DifferencesFromPillow(animation, reference.frames[i]), 0)
            << file << " frame " << i;
    }
    // Going back starts again from the first frame and gives the same pictures.
    animation.ShowFrame(1);
    EXPECT_EQ(DifferencesFromPillow(animation, reference.frames[1]), 0) << file;
    // Pillow reports the stored loop count; the first play comes on top of it.
    EXPECT_EQ(animation.PlayCount(), reference.loop > 0 ? uint32_t(reference.loop) + 1 : 0u)
        << file;
}

const char kPillowWriter[] = R"(import sys
from PIL import Image
def frames(n, size, colours, shift):
    out = []
    for i in range(n):
        im = Image.new("P", size, 0)
        pal = []
        for c in range(colours):
            pal += [(c * 37 + i * shift) % 256, (c * 91 + i * 20) % 256, (c * 13 + i * 70) % 256]
        im.putpalette(pal)
        for y in range(size[1]):
            for x in range(size[0]):
                if (x * y + i) % 4:
                    im.putpixel((x, y), (x * 3 + y * 5 + i) % colours)
        out.append(im)
    return out
d = sys.argv[1]
f = frames(5, (23, 17), 16, 0)
f[0].save(d + "/pil-dispose.gif", save_all=True, append_images=f[1:], duration=[0, 1, 7, 30, 250],
          loop=3, disposal=[1, 2, 3, 2, 1], transparency=3)
f = frames(4, (19, 21), 64, 50)
f[0].save(d + "/pil-local.gif", save_all=True, append_images=f[1:], duration=40, loop=0)
f = frames(3, (31, 9), 8, 90)
f[0].save(d + "/pil-previous.gif", save_all=True, append_images=f[1:], disposal=3,
          transparency=0, interlace=True)
)";

} // namespace

TEST(GifAnimation, ComposesFramesLikePillow) {
    ScratchDir dir;
    std::vector<std::string> files;
    std::vector<std::pair<int, int>> sizes;
    int n = 0;
    for (const AnimatedGifSpec& s : CompositionCases()) {
        files.push_back(dir.Write("case" + std::to_string(n++) + ".gif", MakeAnimatedGif(s)));
        sizes.emplace_back(s.width, s.height);
    }
    ASSERT_TRUE(PillowFrames(dir, files)) << "python3 with Pillow (python3-pil) is needed";
    for (size_t i = 0; i < files.size(); ++i) {
        ExpectFramesLikePillow(files[i], sizes[i].first, sizes[i].second);
    }
}

TEST(GifAnimation, ComposesPillowsOwnAnimationsLikePillow) {
    ScratchDir dir;
    const std::string script = dir.Write(
        "writer.py", std::vector<uint8_t>(kPillowWriter, kPillowWriter + sizeof kPillowWriter - 1));
    ASSERT_EQ(std::system(("/usr/bin/python3 " + script + " " + dir.path()).c_str()), 0)
        << "python3 with Pillow (python3-pil) is needed";
    const std::vector<std::string> files = {dir.path() + "/pil-dispose.gif",
                                            dir.path() + "/pil-local.gif",
                                            dir.path() + "/pil-previous.gif"};
    ASSERT_TRUE(PillowFrames(dir, files));
    ExpectFramesLikePillow(files[0], 23, 17);
    ExpectFramesLikePillow(files[1], 19, 21);
    ExpectFramesLikePillow(files[2], 31, 9);
}

// Delays of 0 and 1 hundredths last 10; a loop count of n plays n + 1 times and then
// holds the last frame; a count of 0, or none, plays for ever.
TEST(GifAnimation, FollowsDelaysAndLoopCount) {
    AnimatedGifSpec s;
    for (int delay : {0, 1, 2, 7}) {
        s.frames.push_back(Frame(0, 0, 8, 6, 1, delay));
        s.frames.back().delay = delay;
    }
    s.loops = 2;
    GifAnimation animation;
    ASSERT_TRUE(animation.Load(MakeAnimatedGif(s)));
    EXPECT_EQ(animation.PlayLength(), 290u);
    EXPECT_EQ(animation.PlayCount(), 3u);
    const std::pair<uint64_t, uint32_t> expected[] = {{0, 0},   {99, 0},  {100, 1}, {199, 1},
                                                      {200, 2}, {219, 2}, {220, 3}, {289, 3},
                                                      {290, 0}, {869, 3}, {870, 3}, {99999, 3}};
    for (const auto& [at, frame] : expected) {
        EXPECT_EQ(animation.FrameAt(at), frame) << at << " ms";
    }
    for (int loops : {-1, 0}) {
        s.loops = loops;
        ASSERT_TRUE(animation.Load(MakeAnimatedGif(s)));
        EXPECT_EQ(animation.PlayCount(), 0u);
        EXPECT_EQ(animation.FrameAt(290 * 1000 + 100), 1u) << loops;
    }
}

// A screen above the limit is refused before anything is allocated for it; so is a
// file with more frames than the limit. 100,000 tiny frames stay within the default
// limits and play.
TEST(GifAnimation, HostileSizesFailOrPlayWithinTheLimits) {
    AnimatedGifSpec s;
    s.width = 65535;
    s.height = 65535;
    s.frames = {Frame(0, 0, 2, 2, 1, 0), Frame(0, 0, 2, 2, 1, 1)};
    GifAnimation animation;
    EXPECT_FALSE(animation.Load(MakeAnimatedGif(s)));
    EXPECT_EQ(animation.Picture(), nullptr);

    s.width = 4;
    s.height = 4;
    const std::vector<uint8_t> two = MakeAnimatedGif(s);
    s.frames.pop_back();
    const std::vector<uint8_t> one = MakeAnimatedGif(s);
    // The second frame (its control extension and image) repeated up to 100,000 frames.
    const std::vector<uint8_t> second(two.begin() + long(one.size() - 1), two.end() - 1);
    std::vector<uint8_t> many(two.begin(), two.end() - 1);
    for (int i = 2; i < 100000; ++i) {
        many.insert(many.end(), second.begin(), second.end());
    }
    many.push_back(0x3B);
    GifAnimationLimits limits;
    limits.maxFrames = 99999;
    EXPECT_FALSE(animation.Load(many, limits));
    // A failed load keeps nothing, and showing a frame then does nothing.
    EXPECT_EQ(animation.FrameCount(), 0u);
    animation.ShowFrame(3);
    EXPECT_EQ(animation.Picture(), nullptr);
    ASSERT_TRUE(animation.Load(many));
    EXPECT_EQ(animation.FrameCount(), 100000u);
    animation.ShowFrame(99999);
    EXPECT_EQ(animation.ShownFrame(), 99999);
    EXPECT_EQ(animation.Picture()->biWidth, 4);
}

// A file cut inside a frame keeps the frames before it; one cut before its second frame
// has a single frame; no GIF, no frames.
TEST(GifAnimation, CutFilesKeepTheirWholeFrames) {
    AnimatedGifSpec s;
    s.frames = {Frame(0, 0, 8, 6, 1, 0), Frame(0, 0, 8, 6, 1, 1), Frame(0, 0, 8, 6, 1, 2)};
    const std::vector<uint8_t> whole = MakeAnimatedGif(s);
    GifAnimation animation;
    ASSERT_TRUE(animation.Load(std::vector<uint8_t>(whole.begin(), whole.end() - 3)));
    EXPECT_EQ(animation.FrameCount(), 2u);
    EXPECT_FALSE(animation.Load(std::vector<uint8_t>(whole.begin(), whole.begin() + 40)));
    EXPECT_FALSE(animation.Load({'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}
