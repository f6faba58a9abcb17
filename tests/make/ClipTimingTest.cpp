#include "make/video/ClipTiming.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace {

TEST(ClipTiming, OutputRateIsTheSourcesUpToThirty) {
    struct Case {
        int64_t num, den;
        uint32_t rate, scale;
    };
    for (const Case c :
         {Case{30000, 1001, 30000, 1001}, Case{24, 1, 24, 1}, Case{60, 1, 30, 1},
          Case{120000, 1001, 30, 1}, Case{30, 1, 30, 1}, Case{0, 1, 30, 1}, Case{1, 0, 30, 1},
          Case{1, 2, 30, 1}, Case{-5, 1, 30, 1}, Case{int64_t{1} << 40, int64_t{1} << 36, 30, 1}}) {
        const FrameRate r = OutputRate(c.num, c.den);
        EXPECT_EQ(r.rate, c.rate) << c.num << "/" << c.den;
        EXPECT_EQ(r.scale, c.scale) << c.num << "/" << c.den;
    }
}

// Source frame times in, output frames each fills out (the last entry is Finish's).
int64_t Picked(FrameRate rate, const std::vector<double>& times, double end,
               std::vector<int64_t>* fills = nullptr) {
    FramePicker picker(rate);
    for (double t : times) {
        const int64_t n = picker.Arrive(t);
        if (fills) {
            fills->push_back(n);
        }
    }
    const int64_t n = picker.Finish(end);
    if (fills) {
        fills->push_back(n);
    }
    return picker.Emitted();
}

std::vector<double> Regular(double fps, int count, double start = 0.0) {
    std::vector<double> t;
    for (int i = 0; i < count; ++i) {
        t.push_back(start + i / fps);
    }
    return t;
}

TEST(ClipTiming, FramesAreChosenByTheirTimes) {
    // 60 frames a second to 30: every other frame is shown, once.
    std::vector<int64_t> fills;
    EXPECT_EQ(Picked({30, 1}, Regular(60, 60), 1.0, &fills), 30);
    for (size_t i = 1; i < fills.size(); ++i) {
        EXPECT_EQ(fills[i], i % 2 == 1 ? 1 : 0) << i; // what frame i-1 fills
    }
    // The same rate: one output frame per source frame, wherever the clip starts.
    EXPECT_EQ(Picked({24, 1}, Regular(24, 48, 1000.25), 1002.25), 48);
    EXPECT_EQ(Picked({30000, 1001}, Regular(30000.0 / 1001, 300), 300 * 1001 / 30000.0), 300);
    // A variable-rate clip: a frame held for half a second fills half a second of output.
    fills.clear();
    EXPECT_EQ(Picked({30, 1}, {0.0, 0.5, 0.6}, 1.0, &fills), 30);
    EXPECT_EQ(fills, (std::vector<int64_t>{0, 15, 3, 12}));
    // Times going backwards count as the time before; one frame still shows.
    EXPECT_EQ(Picked({10, 1}, {0.0, 0.5, 0.2, 0.3}, 1.0), 10);
    EXPECT_EQ(Picked({30, 1}, {5.0}, 5.0), 1);
    EXPECT_EQ(Picked({30, 1}, {}, 5.0), 0);
}

TEST(ClipTiming, AHugeOrEndlessTimeIsCutAtTheFrameLimit) {
    EXPECT_EQ(Picked({30, 1}, {0.0, 1e300}, 1e300), kClipMaxFrames);
    EXPECT_EQ(Picked({30, 1}, {0.0, 1.0}, std::numeric_limits<double>::infinity()), kClipMaxFrames);
    EXPECT_EQ(Picked({30, 1}, {0.0, 1.0}, std::numeric_limits<double>::quiet_NaN()), 30);
}

TEST(ClipTiming, FrameSizeFitsTheLongerSideAndStaysEven) {
    struct Case {
        int w, h, outW, outH;
    };
    for (const Case c :
         {Case{1920, 1080, 1280, 720}, Case{1080, 1920, 720, 1280}, Case{3840, 2160, 1280, 720},
          Case{640, 480, 640, 480}, Case{641, 481, 640, 480}, Case{1, 1, 2, 2},
          Case{4096, 1, 1280, 2}, Case{1280, 1280, 1280, 1280}, Case{0, -3, 2, 2}}) {
        int w = 0, h = 0;
        ClipFrameSize(c.w, c.h, w, h);
        EXPECT_EQ(w, c.outW) << c.w << " x " << c.h;
        EXPECT_EQ(h, c.outH) << c.w << " x " << c.h;
    }
}

TEST(ClipTiming, DisplayMatrixAnglesBecomeQuarterTurns) {
    struct Case {
        double degrees;
        int turns;
    };
    for (const Case c : {Case{0, 0}, Case{-90, 1}, Case{90, 3}, Case{180, 2}, Case{-180, 2},
                         Case{270, 1}, Case{-89.9, 1}, Case{44, 0}, Case{1e300, 0}}) {
        EXPECT_EQ(QuarterTurnsClockwise(c.degrees), c.turns) << c.degrees;
    }
    EXPECT_EQ(QuarterTurnsClockwise(std::numeric_limits<double>::quiet_NaN()), 0);
}

} // namespace
