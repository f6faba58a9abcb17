// The clip converter on clips made at test time by the system's ffmpeg program (H.264 in
// MP4, HEVC in MOV with a display matrix, VP9 in WebM, AV1 in MKV): the frames' size, rate, count
// and turn, the byte budget, cancelling, and damaged or hostile input.
#include "../ScratchFolder.h"
#include "PackTestSupport.h"
#include "make/FacePreparation.h"
#include "make/picture/JpegWriter.h"
#include "make/system/FileBytes.h"
#include "make/system/ProcessRun.h"
#include "make/video/ClipConversion.h"
#include "make/video/JpegRateControl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <vector>

namespace {

struct ClipCase {
    const char* name;
    const char* source; // the lavfi graph
    std::vector<const char*> encode;
    const char* codec;
    int width, height;    // of the frames made
    uint32_t rate, scale; // the output rate
    int64_t frames;
    int quarterTurns;
    const char* rotate = nullptr; // a display matrix put in afterwards, as phones write it
};

// Top half red, bottom half blue, moving noise-free: a turn shows in where the red lands.
#define SPLIT(w, h, r, d)                                                                          \
    "color=c=red:s=" #w "x" #h ":r=" #r ":d=" #d "[a];color=c=blue:s=" #w "x" #h ":r=" #r ":d=" #d \
    "[b];[a][b]vstack"

const ClipCase kClips[] = {
    {"h264-60fps.mp4",
     "testsrc2=s=320x240:r=60:d=1",
     {"-c:v", "libx264", "-pix_fmt", "yuv420p"},
     "H.264",
     320,
     240,
     30,
     1,
     30,
     0},
    {"h264-1080p.mp4",
     "testsrc2=s=1920x1080:r=25:d=0.4",
     {"-c:v", "libx264", "-pix_fmt", "yuv420p"},
     "H.264",
     1280,
     720,
     25,
     1,
     10,
     0},
    {"hevc-ntsc-turned.mov",
     SPLIT(96, 32, 30000 / 1001, 1),
     {"-c:v", "libx265", "-x265-params", "log-level=error", "-tag:v", "hvc1"},
     "HEVC",
     64,
     96,
     30000,
     1001,
     30,
     1,
     "rotate=270"},
    {"vp9-10fps.webm",
     "testsrc2=s=160x120:r=10:d=2",
     {"-c:v", "libvpx-vp9", "-deadline", "realtime"},
     "VP9",
     160,
     120,
     10,
     1,
     20,
     0},
    {"av1-15fps.mkv",
     "testsrc2=s=128x96:r=15:d=1",
     {"-c:v", "libaom-av1", "-cpu-used", "8"},
     "AV1",
     128,
     96,
     15,
     1,
     15,
     0},
    {"portrait-2160.mp4",
     "testsrc2=s=1080x2160:r=5:d=0.4",
     {"-c:v", "libx264"},
     "H.264",
     640,
     1280,
     5,
     1,
     2,
     0},
};

class ClipConversion : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        s_folder = std::make_unique<ScratchFolder>("clipconversion");
        s_ffmpeg = FindOnPath("ffmpeg");
        for (const ClipCase& c : kClips) {
            if (!s_ffmpeg.empty()) {
                std::vector<std::string> args = {"-nostdin", "-loglevel", "error", "-y",
                                                 "-f",       "lavfi",     "-i",    c.source};
                args.insert(args.end(), c.encode.begin(), c.encode.end());
                const std::string made = s_folder->File(c.name);
                args.push_back(c.rotate ? made + ".mov" : made);
                RunProgram(s_ffmpeg, args, {});
                if (c.rotate) {
                    // A portrait phone clip: the matrix turns it a quarter clockwise
                    // (the library reads -90 degrees, counter-clockwise).
                    RunProgram(s_ffmpeg,
                               {"-nostdin", "-loglevel", "error", "-y", "-i", made + ".mov", "-c",
                                "copy", "-metadata:s:v:0", c.rotate, made},
                               {});
                    s_folder->Remove(std::string(c.name) + ".mov");
                }
            }
        }
    }
    static void TearDownTestSuite() {
        for (const ClipCase& c : kClips) {
            s_folder->Remove(c.name);
        }
        s_folder.reset();
    }
    void SetUp() override {
        if (s_ffmpeg.empty()) {
            GTEST_SKIP() << "ffmpeg is not on the PATH: no clips to convert";
        }
    }
    static std::vector<uint8_t> Clip(const char* name) {
        std::vector<uint8_t> bytes;
        std::string error;
        EXPECT_TRUE(ReadWholeFile(s_folder->File(name), bytes, error)) << name << ": " << error;
        return bytes;
    }

    static std::unique_ptr<ScratchFolder> s_folder;
    static std::string s_ffmpeg;
};
std::unique_ptr<ScratchFolder> ClipConversion::s_folder;
std::string ClipConversion::s_ffmpeg;

// Collects what a conversion hands on, each distinct frame as a JPEG.
struct Collected final : ClipFrameSink {
    std::vector<std::vector<uint8_t>> jpegs;
    int64_t frames = 0;
    std::vector<double> progress;
    ClipCallbacks callbacks;
    Collected() {
        callbacks.progress = [this](double p) { progress.push_back(p); };
    }
    bool Begin(const ClipFrames&) override { return true; }
    bool Add(const RgbaImage& frame, int quality, uint64_t& bytes) override {
        jpegs.emplace_back();
        bytes = EncodeJpeg(frame, quality, jpegs.back()) ? jpegs.back().size() : 0;
        ++frames;
        return bytes > 0;
    }
    bool Repeat() override {
        ++frames;
        return true;
    }
    bool Convert(ClipInput& input, ClipFrames& result, std::string& error) {
        return ConvertClipFrames(input, *this, callbacks, result, error);
    }
};

RgbaImage DecodeJpeg(const std::vector<uint8_t>& jpeg) {
    RgbaImage image;
    const PackedPicture packed(ImportPicture(jpeg));
    EXPECT_TRUE(packed && UnpackPicture(packed.get(), image));
    return image;
}

TEST_F(ClipConversion, FramesTakeTheSizeRateCountAndTurnOfEachClip) {
    for (const ClipCase& c : kClips) {
        SCOPED_TRACE(c.name);
        const std::vector<uint8_t> bytes = Clip(c.name);
        ClipBytes input(bytes);
        Collected got;
        ClipFrames frames;
        std::string error;
        ASSERT_TRUE(got.Convert(input, frames, error)) << error;
        EXPECT_EQ(frames.codec, c.codec);
        EXPECT_EQ(frames.width, c.width);
        EXPECT_EQ(frames.height, c.height);
        EXPECT_EQ(frames.rate.rate, c.rate);
        EXPECT_EQ(frames.rate.scale, c.scale);
        EXPECT_EQ(frames.quarterTurns, c.quarterTurns);
        EXPECT_EQ(frames.frames, c.frames);
        EXPECT_EQ(got.frames, c.frames);
        ASSERT_FALSE(got.jpegs.empty());
        const RgbaImage first = DecodeJpeg(got.jpegs.front());
        EXPECT_EQ(first.width, c.width);
        EXPECT_EQ(first.height, c.height);
        ASSERT_FALSE(got.progress.empty());
        EXPECT_TRUE(std::is_sorted(got.progress.begin(), got.progress.end()));
        EXPECT_EQ(got.progress.back(), 1.0);
    }
}

TEST_F(ClipConversion, ATurnedClipStandsUpright) {
    // Stored with its red half on top and a matrix that turns it a quarter clockwise: the
    // red half is then on the right.
    const std::vector<uint8_t> bytes = Clip("hevc-ntsc-turned.mov");
    ClipBytes input(bytes);
    Collected got;
    ClipFrames frames;
    std::string error;
    ASSERT_TRUE(got.Convert(input, frames, error)) << error;
    const RgbaImage frame = DecodeJpeg(got.jpegs.front());
    ASSERT_EQ(frame.width, 64);
    auto pixel = [&](int x, int y) { return &frame.pixels[(size_t(y) * frame.width + x) * 4]; };
    EXPECT_GT(pixel(56, 48)[0], 200);
    EXPECT_LT(pixel(56, 48)[2], 60);
    EXPECT_LT(pixel(8, 48)[0], 60);
    EXPECT_GT(pixel(8, 48)[2], 200);
}

TEST_F(ClipConversion, AFileConvertsAsItsBytesDo) {
    ClipFile file;
    std::string error;
    ASSERT_TRUE(file.Open(s_folder->File("vp9-10fps.webm"), error)) << error;
    const std::vector<uint8_t> bytes = Clip("vp9-10fps.webm");
    ClipBytes memory(bytes);
    Collected fromFile, fromMemory;
    ClipFrames a, b;
    ASSERT_TRUE(fromFile.Convert(file, a, error)) << error;
    ASSERT_TRUE(fromMemory.Convert(memory, b, error)) << error;
    EXPECT_EQ(fromFile.jpegs, fromMemory.jpegs);
}

TEST_F(ClipConversion, CancelStopsAtTheNextFrame) {
    const std::vector<uint8_t> bytes = Clip("h264-60fps.mp4");
    ClipBytes input(bytes);
    std::atomic<bool> cancel{false};
    Collected got;
    got.callbacks.cancel = &cancel;
    got.callbacks.progress = [&](double) { cancel = got.jpegs.size() >= 2; };
    ClipFrames frames;
    std::string error;
    EXPECT_FALSE(got.Convert(input, frames, error));
    EXPECT_EQ(error, kClipCancelledText);
    EXPECT_LE(got.jpegs.size(), 3u);
}

TEST_F(ClipConversion, DamagedAndHostileBytesGiveAReasonOrTheFramesBeforeTheDamage) {
    const std::vector<uint8_t> clip = Clip("h264-60fps.mp4");
    std::mt19937 random(7);
    std::vector<std::vector<uint8_t>> inputs = {{}, {0, 0, 0, 8, 'f', 't', 'y', 'p'}};
    for (size_t cut : {size_t{16}, size_t{200}, clip.size() / 3, clip.size() - 10}) {
        inputs.emplace_back(clip.begin(), clip.begin() + std::min(cut, clip.size()));
    }
    for (int i = 0; i < 12; ++i) {
        std::vector<uint8_t> flipped = clip;
        for (int k = 0; k < 20; ++k) {
            flipped[random() % flipped.size()] ^= uint8_t(1u << (random() % 8));
        }
        inputs.push_back(std::move(flipped));
    }
    for (size_t i = 0; i < inputs.size(); ++i) {
        SCOPED_TRACE(i);
        ClipBytes input(inputs[i]);
        Collected got;
        ClipFrames frames;
        std::string error;
        if (got.Convert(input, frames, error)) {
            EXPECT_GT(frames.frames, 0);
            EXPECT_LE(frames.frames, 40);
        } else {
            EXPECT_FALSE(error.empty());
            EXPECT_EQ(error.find("Invalid"), std::string::npos) << "the library's words: " << error;
        }
    }
}

// Preparing a face from a phone clip, with no converter on the PATH: the face stores a
// Motion-JPEG AVI the saver shows, and the note says what was made; a damaged clip is stored
// as given with the reason, and Cancel ends a conversion with no face taken.
TEST_F(ClipConversion, PhoneClipsBecomeMotionJpegFaces) {
    struct Case {
        const char* name;
        const char* note;
    };
    for (const Case c :
         {Case{"h264-60fps.mp4", "converted from MP4 video (H.264, 320 x 240, "},
          Case{"hevc-ntsc-turned.mov", "converted from QuickTime (MOV) video (HEVC, 96 x 64, "},
          Case{"vp9-10fps.webm", "converted from WebM video (VP9, 160 x 120, "}}) {
        SCOPED_TRACE(c.name);
        FacePlan plan;
        PreparedFace face;
        std::string error;
        ASSERT_TRUE(PrepareFace(s_folder->File(c.name), plan, face, error)) << error;
        EXPECT_EQ(face.check.verdict, FaceVerdict::kShown) << face.check.description;
        EXPECT_EQ(face.check.description.rfind("Motion-JPEG AVI video", 0), 0u)
            << face.check.description;
        ASSERT_FALSE(face.notes.empty());
        EXPECT_EQ(face.notes[0].rfind(c.note, 0), 0u) << face.notes[0];
        EXPECT_NE(face.notes[0].find("Motion-JPEG AVI"), std::string::npos) << face.notes[0];
    }

    std::vector<uint8_t> damaged = Clip("h264-60fps.mp4");
    damaged.resize(40);
    const std::string path = s_folder->Write("damaged.mp4", damaged);
    FacePlan plan;
    PreparedFace face;
    std::string error;
    ASSERT_TRUE(PrepareFace(path, plan, face, error)) << error;
    EXPECT_EQ(face.data, damaged);
    ASSERT_FALSE(face.notes.empty());
    EXPECT_EQ(face.notes[0].rfind("the MP4 video could not be converted (", 0), 0u)
        << face.notes[0];

    std::atomic<bool> cancel{true};
    plan.cancel = &cancel;
    EXPECT_FALSE(PrepareFace(s_folder->File("h264-60fps.mp4"), plan, face, error));
    EXPECT_EQ(error, kCancelledText);
    s_folder->Remove("damaged.mp4");
}

// The rate control on a model of JPEG sizes: bytes double for every 18 steps of quality,
// times how busy the scene is. Whatever the scene, a clip of a few seconds ends near its
// budget or below it, and still scenes stay at the top quality.
TEST(JpegRateControl, KeepsTheClipToItsBudget) {
    struct Scene {
        double busyness; // bytes of a frame at quality 75, as a share of its budget
        bool atTop;
    };
    for (const Scene s :
         {Scene{0.05, true}, Scene{0.9, false}, Scene{3.0, false}, Scene{6.0, false}}) {
        for (const double fps : {10.0, 30.0}) {
            SCOPED_TRACE(testing::Message() << s.busyness << " at " << fps);
            JpegRateControl control(fps);
            const double perFrame = double(kClipBytesPerSecond) / fps;
            for (int i = 0; i < int(fps) * 20; ++i) {
                const double q = control.Quality();
                control.Spent(uint64_t(perFrame * s.busyness * std::exp2((q - 75) / 18.0)), 1);
            }
            EXPECT_LE(double(control.SpentBytes()), double(control.BudgetBytes()) * 1.05);
            if (s.atTop) {
                EXPECT_EQ(control.Quality(), kClipTopQuality);
            } else if (s.busyness > 1.0) {
                EXPECT_LT(control.Quality(), 75);
            }
        }
    }
}

} // namespace
