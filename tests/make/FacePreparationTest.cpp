// Faces prepared from files made by Pillow, compared with what Pillow makes of them.
#include "../ScratchFolder.h"
#include "../import/PictureSourceTestSupport.h"
#include "PackTestSupport.h"
#include "make/FacePreparation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <cstdlib>
#include <fstream>
#include <sys/stat.h>

namespace {
using packtest::ImportAsRgba;
using packtest::MeanColourDifference;

// turnedN.jpg for N = 1..8: a 96 x 64 picture of four coloured quarters stored with Exif
// orientation N, and uprightN.png: Pillow's decoding of it after exif_transpose.
bool MakeTurnedPhotos(const std::string& folder) {
    const std::string command =
        "/usr/bin/python3 - '" + folder +
        "' 2>/dev/null <<'EOF'\n"
        "import sys\n"
        "from PIL import Image, ImageOps\n"
        "d = sys.argv[1]\n"
        "im = Image.new('RGB', (96, 64), (220, 40, 40))\n"
        "im.paste((40, 200, 40), (48, 0, 96, 32))\n"
        "im.paste((40, 40, 220), (0, 32, 48, 64))\n"
        "im.paste((230, 230, 60), (48, 32, 96, 64))\n"
        "for n in range(1, 9):\n"
        "    e = Image.Exif()\n"
        "    e[0x0112] = n\n"
        "    im.save('%s/turned%d.jpg' % (d, n), exif=e.tobytes(), quality=100)\n"
        "    j = Image.open('%s/turned%d.jpg' % (d, n))\n"
        "    ImageOps.exif_transpose(j).save('%s/upright%d.png' % (d, n))\n"
        "EOF";
    return std::system(command.c_str()) == 0;
}
} // namespace

TEST(FacePreparation, TurnedPhotosStandAsPillowStandsThem) {
    ScratchFolder folder("pack-prepare");
    if (!MakeTurnedPhotos(folder.Path())) {
        for (int n = 1; n <= 8; ++n) {
            folder.Remove("turned" + std::to_string(n) + ".jpg");
            folder.Remove("upright" + std::to_string(n) + ".png");
        }
        GTEST_SKIP() << "Pillow is not available in /usr/bin/python3";
    }
    for (int n = 1; n <= 8; ++n) {
        const std::string turned = "turned" + std::to_string(n) + ".jpg";
        const std::string upright = "upright" + std::to_string(n) + ".png";
        PreparedFace face;
        std::string error;
        ASSERT_TRUE(PrepareFace(folder.File(turned), FacePlan{}, face, error)) << error;
        EXPECT_EQ(face.notes.empty(), n == 1) << n;
        RgbaImage ours, pillows;
        const std::string stored = folder.Write("stored.jpg", face.data);
        ASSERT_TRUE(ImportAsRgba(stored, ours));
        ASSERT_TRUE(ImportAsRgba(folder.File(upright), pillows));
        ASSERT_EQ(ours.width, pillows.width) << n;
        ASSERT_EQ(ours.height, pillows.height) << n;
        // Re-encoding costs a level or two; a wrong turn or mirror costs about a hundred.
        EXPECT_LT(MeanColourDifference(ours, pillows), 3.0) << "orientation " << n;
        folder.Remove("stored.jpg");
        folder.Remove(turned);
        folder.Remove(upright);
    }
    EXPECT_TRUE(folder.Entries().empty());
}

TEST(FacePreparation, ShrunkPngIsTheAreaAverageOfTheOriginal) {
    ScratchFolder folder("pack-prepare");
    // 6 x 3 pixels in two 3 x 3 blocks of 0 and 90 grey: shrunk to 2 x 1, each block's mean.
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + 3 * 20;
    info.biSize = sizeof info;
    info.biWidth = 6;
    info.biHeight = 3;
    info.biPlanes = 1;
    info.biBitCount = 24;
    std::vector<uint8_t> bytes(reinterpret_cast<const uint8_t*>(&file),
                               reinterpret_cast<const uint8_t*>(&file) + sizeof file);
    bytes.insert(bytes.end(), reinterpret_cast<const uint8_t*>(&info),
                 reinterpret_cast<const uint8_t*>(&info) + sizeof info);
    for (int y = 0; y < 3; ++y) {
        bytes.insert(bytes.end(), 9, 0);
        bytes.insert(bytes.end(), 9, 90);
        bytes.insert(bytes.end(), 2, 0); // rows padded to 20 bytes
    }
    const std::string path = folder.Write("six.bmp", bytes);
    PreparedFace face;
    std::string error;
    FacePlan plan;
    plan.maxSide = 2;
    ASSERT_TRUE(PrepareFace(path, plan, face, error));
    EXPECT_EQ(face.check.description, "PNG picture, 2 x 1, 32 bits per pixel");
    RgbaImage shrunk;
    ASSERT_TRUE(ImportAsRgba(folder.Write("two.png", face.data), shrunk));
    EXPECT_EQ(shrunk.pixels, (std::vector<uint8_t>{0, 0, 0, 255, 90, 90, 90, 255}));
    folder.Remove("six.bmp");
    folder.Remove("two.png");
}

// A large uncompressed picture is stored as a PNG of the same pixels; a small one, and any
// when every face is to be stored as given, keep their bytes.
TEST(FacePreparation, LargeUncompressedPicturesAreStoredAsTheSamePixelsInPng) {
    ScratchFolder folder("pack-prepare");
    // 1024 x 400 pixels of 24 bits: 1.2 MB, over the size kept as given.
    std::vector<uint8_t> large = MakeBmp24(1024, 400, 10, 200, 30);
    for (size_t i = 54; i < large.size(); i += 7) {
        large[i] = static_cast<uint8_t>(i * 13); // some detail, so that PNG has work to do
    }
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        int maxSide;
        bool png;
    };
    const Case cases[] = {
        {"large", large, kDefaultMaxSide, true},
        {"small", MakeBmp24(64, 64, 1, 2, 3), kDefaultMaxSide, false},
        {"large, stored as given", large, 0, false},
    };
    for (const Case& c : cases) {
        const std::string path = folder.Write("face.bmp", c.bytes);
        PreparedFace face;
        std::string error;
        FacePlan plan;
        plan.maxSide = c.maxSide;
        ASSERT_TRUE(PrepareFace(path, plan, face, error)) << c.what << ": " << error;
        EXPECT_EQ(face.check.verdict, FaceVerdict::kShown) << c.what;
        if (!c.png) {
            EXPECT_EQ(face.data, c.bytes) << c.what;
            continue;
        }
        EXPECT_EQ(face.check.pictureFormat, ImageImporter::Png) << c.what;
        EXPECT_LT(face.data.size(), c.bytes.size() / 2) << c.what;
        EXPECT_FALSE(face.shrunk || face.turned) << c.what;
        RgbaImage original, stored;
        ASSERT_TRUE(ImportAsRgba(path, original));
        ASSERT_TRUE(ImportAsRgba(folder.Write("stored.png", face.data), stored));
        EXPECT_EQ(stored.width, 1024);
        EXPECT_TRUE(stored.pixels == original.pixels) << c.what << ": the pixels changed";
        folder.Remove("stored.png");
    }
    folder.Remove("face.bmp");
}

// A clip of a kind the tools do not decode themselves (here Flash video) goes to ffmpeg by
// the file protocol, whatever its name says, and ffmpeg's own words say why it failed.
TEST(FacePreparation, ConverterGetsTheFileByNameAndItsErrorIsTold) {
    ScratchFolder folder("pack-convert");
    const std::string log = folder.File("args.txt");
    const std::string body = "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > '" + log +
                             "'\necho '[mov,mp4 @ 0x5] moov atom not found' >&2\nexit 1\n";
    const std::string ffmpeg =
        folder.Write("ffmpeg", std::vector<uint8_t>(body.begin(), body.end()));
    chmod(ffmpeg.c_str(), 0700);
    const std::vector<uint8_t> clip = {'F', 'L', 'V', 1, 5, 0, 0, 0, 9, 0, 0, 0, 0};
    const std::string path = folder.Write("concat:b.flv", clip);
    FacePlan plan;
    plan.ffmpeg = ffmpeg;
    PreparedFace face;
    std::string error;
    ASSERT_TRUE(PrepareFace(path, plan, face, error)) << error;
    EXPECT_EQ(face.data, clip); // stored as given
    ASSERT_FALSE(face.notes.empty());
    EXPECT_NE(face.notes[0].find("it failed with exit code 1: moov atom not found"),
              std::string::npos)
        << face.notes[0];
    std::ifstream in(log);
    std::vector<std::string> args;
    for (std::string line; std::getline(in, line);) {
        args.push_back(line);
    }
    EXPECT_NE(std::find(args.begin(), args.end(), "file:" + path), args.end());
    for (const char* name : {"ffmpeg", "args.txt", "concat:b.flv"}) {
        folder.Remove(name);
    }
}

// Cancel ends a conversion at once: the face is not taken, and the converter is gone.
TEST(FacePreparation, CancelEndsAConversionAtOnce) {
    ScratchFolder folder("pack-convert");
    const std::string body = "#!/bin/sh\nsleep 30\n";
    const std::string ffmpeg =
        folder.Write("ffmpeg", std::vector<uint8_t>(body.begin(), body.end()));
    chmod(ffmpeg.c_str(), 0700);
    const std::vector<uint8_t> clip = {'F', 'L', 'V', 1, 5, 0, 0, 0, 9, 0, 0, 0, 0};
    const std::string path = folder.Write("clip.flv", clip);
    std::atomic<bool> cancel{false};
    FacePlan plan;
    plan.ffmpeg = ffmpeg;
    plan.cancel = &cancel;
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        cancel = true;
    });
    const auto start = std::chrono::steady_clock::now();
    PreparedFace face;
    std::string error;
    EXPECT_FALSE(PrepareFace(path, plan, face, error));
    canceller.join();
    EXPECT_EQ(error, kCancelledText);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    folder.Remove("ffmpeg");
    folder.Remove("clip.flv");
    EXPECT_TRUE(folder.Entries().empty());
}
