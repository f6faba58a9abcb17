#include "import/AviReader.h"
#include "import/DefaultPicture.h"
#include "AviTestSupport.h"
#include "PictureSourceTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {
using namespace avitest;

const BYTE* PixelsOf(const std::vector<BYTE>& picture) {
    BITMAPINFOHEADER h;
    std::memcpy(&h, picture.data(), sizeof h);
    return picture.data() + sizeof h + (h.biBitCount == 8 ? 1024 : 0);
}

class AviReaderTest : public ::testing::Test {
  protected:
    void TearDown() override {
        for (const std::string& name : m_dir.Entries()) {
            m_dir.Remove(name);
        }
    }
    std::string Write(const Bytes& bytes) { return m_dir.Write("clip.avi", bytes); }
    ScratchDir m_dir;
};
} // namespace

TEST_F(AviReaderTest, ReadsUncompressedFramesOfEachDepth) {
    for (int bits : {8, 16, 24, 32}) {
        ClipRecipe recipe;
        recipe.bits = bits;
        const int rowBytes = recipe.width * bits / 8;
        for (int f = 0; f < 3; ++f) {
            recipe.frames.push_back(FrameBytes(f, recipe.height, rowBytes));
        }
        if (bits == 8) {
            recipe.palette.assign(2, Bytes{10, 20, 30, 0});
        }
        AviVideo video;
        ASSERT_EQ(video.Open(Write(MakeAvi(recipe)).c_str()), AviStatus::kOk) << bits;
        EXPECT_EQ(video.FrameCount(), 3u);
        EXPECT_EQ(video.Info().dwRate, 15u);
        EXPECT_EQ(video.Info().dwLength, 3u);
        const size_t stride = (rowBytes + 3) & ~3;
        EXPECT_EQ(video.PackedSize(), 40 + (bits == 8 ? 1024u : 0u) + stride * 2);

        std::vector<BYTE> picture(video.PackedSize());
        ASSERT_TRUE(video.ReadFrame(2, picture));
        BITMAPINFOHEADER h;
        std::memcpy(&h, picture.data(), sizeof h);
        EXPECT_EQ(h.biSize, 40u);
        EXPECT_EQ(h.biWidth, 3);
        EXPECT_EQ(h.biHeight, 2);
        EXPECT_EQ(h.biBitCount, bits);
        EXPECT_EQ(h.biCompression, BI_RGB);
        EXPECT_EQ(h.biSizeImage, stride * 2);
        EXPECT_EQ(PixelsOf(picture)[0], 2 * 16);
        EXPECT_EQ(PixelsOf(picture)[stride], 2 * 16 + 1);
        if (bits == 8) {
            EXPECT_EQ(picture[40 + 4], 10); // second entry, blue
            EXPECT_EQ(picture[40 + 8], 0);  // entries past the file's table are black
        }
        EXPECT_FALSE(video.ReadFrame(3, picture));
        EXPECT_FALSE(video.ReadFrame(-1, picture));
    }
}

TEST_F(AviReaderTest, TopDownAndUnpaddedFramesBecomePackedPictures) {
    ClipRecipe recipe;
    recipe.height = -2;
    recipe.frames.push_back(FrameBytes(1, 2, 9, false)); // 9-byte rows, no padding
    AviVideo video;
    ASSERT_EQ(video.Open(Write(MakeAvi(recipe)).c_str()), AviStatus::kOk);
    std::vector<BYTE> picture(video.PackedSize());
    ASSERT_TRUE(video.ReadFrame(0, picture));
    const BYTE* pixels = PixelsOf(picture);
    EXPECT_EQ(pixels[0], 17); // the file's top row is now the last
    EXPECT_EQ(pixels[8], 17);
    EXPECT_EQ(pixels[9], 0); // padding
    EXPECT_EQ(pixels[12], 16);
}

TEST_F(AviReaderTest, FindsTheVideoStreamAndRepeatsEmptyFrames) {
    ClipRecipe recipe;
    recipe.audioFirst = true;
    recipe.frames = {FrameBytes(1, 2, 9), Bytes{}, FrameBytes(3, 2, 9)};
    AviVideo video;
    ASSERT_EQ(video.Open(Write(MakeAvi(recipe)).c_str()), AviStatus::kOk);
    ASSERT_EQ(video.FrameCount(), 3u);
    std::vector<BYTE> picture(video.PackedSize());
    ASSERT_TRUE(video.ReadFrame(1, picture));
    EXPECT_EQ(PixelsOf(picture)[0], 16);
    ASSERT_TRUE(video.ReadFrame(2, picture));
    EXPECT_EQ(PixelsOf(picture)[0], 48);
}

TEST_F(AviReaderTest, RefusesWhatItCannotShow) {
    AviVideo missing;
    EXPECT_EQ(missing.Open(m_dir.File("none.avi").c_str()), AviStatus::kCannotOpen);

    ClipRecipe recipe;
    recipe.frames.push_back(FrameBytes(0, 2, 9));
    Bytes riff = MakeAvi(recipe);
    riff[8] = 'W'; // "WVI "
    AviVideo notAvi;
    EXPECT_EQ(notAvi.Open(Write(riff).c_str()), AviStatus::kNotAvi);

    Bytes noStreams = MakeAvi(recipe);
    noStreams[12 + 12 + 8 + 24] = 0; // the main header's stream count
    AviVideo n;
    EXPECT_EQ(n.Open(Write(noStreams).c_str()), AviStatus::kNoMainHeader);

    ClipRecipe compressed = recipe;
    compressed.compression = 0x64697663; // "cvid"
    AviVideo c;
    EXPECT_EQ(c.Open(Write(MakeAvi(compressed)).c_str()), AviStatus::kCompressed);
    // Fit for the system's library, which may have the codec; the others are not.
    EXPECT_TRUE(HasAviVideoStructure(Write(MakeAvi(compressed)).c_str()));
    EXPECT_FALSE(HasAviVideoStructure(Write(noStreams).c_str()));
    EXPECT_FALSE(HasAviVideoStructure(Write(riff).c_str()));

    ClipRecipe odd = recipe;
    odd.bits = 12;
    AviVideo o;
    EXPECT_EQ(o.Open(Write(MakeAvi(odd)).c_str()), AviStatus::kBadFormat);

    ClipRecipe huge = recipe;
    huge.width = 100000;
    AviVideo h;
    EXPECT_EQ(h.Open(Write(MakeAvi(huge)).c_str()), AviStatus::kBadFormat);

    ClipRecipe empty = recipe;
    empty.frames.clear();
    AviVideo e;
    EXPECT_EQ(e.Open(Write(MakeAvi(empty)).c_str()), AviStatus::kNoFrames);

    ClipRecipe shortFrame = recipe;
    shortFrame.frames = {Bytes(5, 1)};
    AviVideo s;
    ASSERT_EQ(s.Open(Write(MakeAvi(shortFrame)).c_str()), AviStatus::kOk);
    std::vector<BYTE> picture(s.PackedSize());
    EXPECT_FALSE(s.ReadFrame(0, picture));
}

// Every prefix of a valid file, and size fields pointing far past the end, must give a
// status or a refused frame, never a read outside the file (the sanitizer build checks).
TEST_F(AviReaderTest, SurvivesTruncationAndLyingSizes) {
    ClipRecipe recipe;
    recipe.bits = 8;
    recipe.palette.assign(256, Bytes{1, 2, 3, 0});
    for (int f = 0; f < 2; ++f) {
        recipe.frames.push_back(FrameBytes(f, 2, 3));
    }
    const Bytes whole = MakeAvi(recipe);
    for (size_t cut = 0; cut < whole.size(); ++cut) {
        AviVideo video;
        if (video.Open(Write(Bytes(whole.begin(), whole.begin() + cut)).c_str()) !=
            AviStatus::kOk) {
            continue;
        }
        std::vector<BYTE> picture(video.PackedSize());
        for (uint32_t f = 0; f < video.FrameCount(); ++f) {
            video.ReadFrame(static_cast<int32_t>(f), picture);
        }
    }
    for (size_t at = 4; at + 4 <= whole.size(); at += 4) {
        Bytes lying = whole;
        std::memset(lying.data() + at, 0xFF, 4);
        AviVideo video;
        if (video.Open(Write(lying).c_str()) != AviStatus::kOk) {
            continue;
        }
        std::vector<BYTE> picture(video.PackedSize());
        for (uint32_t f = 0; f < video.FrameCount(); ++f) {
            video.ReadFrame(static_cast<int32_t>(f), picture);
        }
    }
}

TEST_F(AviReaderTest, PlaysAsAVideoFaceThroughTheEntryPoints) {
    LoadDefaultPicture(kDefaultPictureId);
    SetVideoLibrary(nullptr); // natively: our own reader
    StartVideoSupport(1);
    ResetVideoTimeOrigin();
    ClipRecipe recipe;
    recipe.rate = 10;
    for (int f = 0; f < 4; ++f) {
        recipe.frames.push_back(FrameBytes(f, 2, 9));
    }
    const std::string path = Write(MakeAvi(recipe));
    PictureSource* clip = OpenVideo(path.c_str());
    ASSERT_NE(clip, nullptr);
    EXPECT_EQ(OpenStillPicture(path.c_str()), clip);
    ReleasePicture(clip);
    SetPictureTime(1000);
    SetPictureTime(1250); // frame 2 at 10 frames per second
    const BITMAPINFOHEADER* frame = GetPictureBitmap(clip);
    ASSERT_NE(frame, GetDefaultPicture());
    EXPECT_EQ(reinterpret_cast<const BYTE*>(frame)[40], 2 * 16);
    SetPictureTime(1450); // 4.5 frames: frame 0 again
    EXPECT_EQ(reinterpret_cast<const BYTE*>(GetPictureBitmap(clip))[40], 0);
    ReleasePicture(clip);
    EXPECT_EQ(FirstPictureSource(), nullptr);
    StopVideoSupport();
}
