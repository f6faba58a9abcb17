#include "make/VideoConversion.h"

#include <gtest/gtest.h>

TEST(VideoConversion, AviNameNeverReplacesTheInput) {
    EXPECT_EQ(AviNameFor("holiday/clip.mp4"), "holiday/clip.avi");
    EXPECT_EQ(AviNameFor("clip"), "clip.avi");
    EXPECT_EQ(AviNameFor("camera.AVI"), "camera-msvideo1.avi");
    EXPECT_EQ(AviNameFor("my.videos/.clip"), "my.videos/.clip.avi"); // a leading dot is a name
}

TEST(VideoConversion, CommandQuotesOnlyWhatTheShellWouldSplitOrExpand) {
    const std::string text = CommandText("ffmpeg", {"-i", "Summer 2024/it's.mp4", "out.avi"});
#ifdef _WIN32
    EXPECT_EQ(text, "ffmpeg -i \"Summer 2024/it's.mp4\" out.avi");
#else
    EXPECT_EQ(text, "ffmpeg -i 'Summer 2024/it'\\''s.mp4' out.avi");
#endif
    const std::vector<std::string> args = VideoConversionArguments("a.mp4", "a.avi");
    EXPECT_EQ(args.front(), "-i");
    EXPECT_EQ(args[1], "file:a.mp4"); // "concat:a.mp4" is a file too, no protocol
    EXPECT_EQ(args.back(), "file:a.avi");
    EXPECT_EQ(UnattendedArguments(args).size(), args.size() + 5);
}

TEST(VideoConversion, CodecsEveryWindowsHas) {
    auto code = [](const char* c) {
        return uint32_t{static_cast<uint8_t>(c[0])} | uint32_t{static_cast<uint8_t>(c[1])} << 8 |
               uint32_t{static_cast<uint8_t>(c[2])} << 16 |
               uint32_t{static_cast<uint8_t>(c[3])} << 24;
    };
    EXPECT_TRUE(WindowsHasCodec(code("MSVC")));
    EXPECT_TRUE(WindowsHasCodec(code("cvid")));
    EXPECT_TRUE(WindowsHasCodec(1)); // RLE8
    EXPECT_FALSE(WindowsHasCodec(code("MJPG")));
    EXPECT_FALSE(WindowsHasCodec(code("H264")));
    EXPECT_FALSE(WindowsHasCodec(code("XVID")));
}

TEST(VideoConversion, TimeLimitGrowsWithTheClip) {
    EXPECT_EQ(ConversionTimeLimitMs(0), 120'000u);
    EXPECT_EQ(ConversionTimeLimitMs(uint64_t{250} << 20), 2'620'000u);
    EXPECT_EQ(ConversionTimeLimitMs(~uint64_t{0}), 6u * 3600'000u); // no overflow
}
