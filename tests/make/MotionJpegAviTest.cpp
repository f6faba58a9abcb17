// The Motion-JPEG AVI writer and the saver's reader of what it writes: a round trip, frames
// without Huffman tables, and hostile files.
#include "import/AviReader.h"
#include "make/MotionJpegAviWriter.h"
#include "make/picture/JpegWriter.h"
#include "../import/AviTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>

namespace {
using avitest::Bytes;

constexpr int kWidth = 96, kHeight = 52; // neither a multiple of the 16-pixel blocks

// Frame f: smooth gradients moved f pixels to the right, so that every frame differs.
RgbaImage Frame(int f) {
    RgbaImage image;
    image.width = kWidth;
    image.height = kHeight;
    image.pixels.resize(size_t{kWidth} * kHeight * 4);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            uint8_t* p = &image.pixels[(static_cast<size_t>(y) * kWidth + x) * 4];
            p[0] = static_cast<uint8_t>((x + f) * 2);
            p[1] = static_cast<uint8_t>(y * 4);
            p[2] = static_cast<uint8_t>(200 - f * 10);
            p[3] = 255;
        }
    }
    return image;
}

Bytes WriteClip(int frames, bool repeatLast) {
    MemoryAviSink sink;
    MotionJpegAviWriter writer;
    EXPECT_TRUE(writer.Begin(sink, kWidth, kHeight, 30000, 1001));
    for (int f = 0; f < frames; ++f) {
        EXPECT_TRUE(writer.AddFrame(Frame(f), 90));
    }
    if (repeatLast) {
        EXPECT_TRUE(writer.RepeatFrame());
    }
    EXPECT_TRUE(writer.Finish());
    EXPECT_EQ(writer.BytesWritten(), sink.bytes.size());
    return sink.bytes;
}

uint32_t U32At(const Bytes& b, size_t at) {
    uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

void Set32(Bytes& b, size_t at, uint32_t v) {
    std::memcpy(b.data() + at, &v, 4);
}

// The largest and mean difference of a decoded frame (32-bit, bottom row first) from the
// picture it was made from.
struct Difference {
    int largest = 0;
    double mean = 0;
};
Difference Compare(const std::vector<BYTE>& picture, const RgbaImage& source) {
    Difference d;
    const BYTE* rows = picture.data() + sizeof(BITMAPINFOHEADER);
    long total = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const BYTE* got = rows + (static_cast<size_t>(kHeight - 1 - y) * kWidth + x) * 4;
            const uint8_t* want = &source.pixels[(static_cast<size_t>(y) * kWidth + x) * 4];
            for (int c = 0; c < 3; ++c) {
                const int diff = std::abs(got[c] - want[2 - c]);
                d.largest = std::max(d.largest, diff);
                total += diff;
            }
        }
    }
    d.mean = static_cast<double>(total) / (kWidth * kHeight * 3);
    return d;
}

// A JPEG file without its "define Huffman table" segments, as many Motion-JPEG writers store
// frames that use the standard tables.
Bytes WithoutHuffmanTables(const Bytes& jpeg) {
    Bytes out(jpeg.begin(), jpeg.begin() + 2);
    size_t at = 2;
    while (at + 4 <= jpeg.size() && jpeg[at] == 0xFF) {
        const uint8_t marker = jpeg[at + 1];
        if (marker == 0xDA) {
            break;
        }
        const size_t length = size_t{jpeg[at + 2]} << 8 | jpeg[at + 3];
        if (marker != 0xC4) {
            out.insert(out.end(), jpeg.begin() + at, jpeg.begin() + at + 2 + length);
        }
        at += 2 + length;
    }
    out.insert(out.end(), jpeg.begin() + at, jpeg.end());
    return out;
}

std::vector<BYTE> Read(AviVideo& video, int32_t index, bool* ok = nullptr) {
    std::vector<BYTE> picture(video.PackedSize());
    const bool read = video.ReadFrame(index, picture);
    if (ok) {
        *ok = read;
    }
    return picture;
}
} // namespace

TEST(MotionJpegAvi, RoundTripKeepsSizeCountTimingAndPixels) {
    const Bytes clip = WriteClip(5, true);
    AviVideo video;
    ASSERT_EQ(video.Open(clip), AviStatus::kOk);
    EXPECT_TRUE(video.IsMotionJpeg());
    EXPECT_EQ(video.FrameCount(), 6u);
    EXPECT_EQ(video.Info().dwRate, 30000u);
    EXPECT_EQ(video.Info().dwScale, 1001u);
    EXPECT_EQ(video.Info().dwLength, 6u);
    EXPECT_EQ(video.Format().biWidth, kWidth);
    EXPECT_EQ(video.Format().biHeight, kHeight);
    EXPECT_EQ(video.PackedSize(), sizeof(BITMAPINFOHEADER) + size_t{kWidth} * kHeight * 4);
    for (int f = 0; f < 6; ++f) {
        bool ok = false;
        const std::vector<BYTE> picture = Read(video, f, &ok);
        ASSERT_TRUE(ok) << f;
        const Difference d = Compare(picture, Frame(std::min(f, 4)));
        EXPECT_LT(d.mean, 2.0) << f;
        EXPECT_LT(d.largest, 40) << f;
    }
    bool ok = true;
    Read(video, 6, &ok);
    EXPECT_FALSE(ok);

    // The headers' counts and sizes as Finish patched them, and an index whose every entry
    // names its chunk.
    EXPECT_EQ(U32At(clip, 4), clip.size() - 8);
    EXPECT_EQ(U32At(clip, 32 + 16), 6u);  // avih total frames
    EXPECT_EQ(U32At(clip, 108 + 32), 6u); // strh length
    const size_t movi = 220, idx1 = movi + U32At(clip, 216);
    ASSERT_EQ(std::memcmp(&clip[idx1], "idx1", 4), 0);
    ASSERT_EQ(U32At(clip, idx1 + 4), 6u * 16);
    for (size_t e = 0; e < 6; ++e) {
        const size_t entry = idx1 + 8 + e * 16;
        const size_t chunk = movi + U32At(clip, entry + 8);
        EXPECT_EQ(std::memcmp(&clip[chunk], "00dc", 4), 0) << e;
        EXPECT_EQ(U32At(clip, chunk + 4), U32At(clip, entry + 12)) << e;
        EXPECT_EQ(U32At(clip, entry + 4), e == 5 ? 0u : 0x10u) << e; // the repeat is no key frame
    }
}

TEST(MotionJpegAvi, FileSinkWritesTheSameBytesAndDecodeScaleShrinksFrames) {
    const Bytes inMemory = WriteClip(3, false);
    ScratchFolder folder("vc-mjpeg");
    const std::string path = folder.File("clip.avi");
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    FileAviSink sink(file);
    MotionJpegAviWriter writer;
    ASSERT_TRUE(writer.Begin(sink, kWidth, kHeight, 30000, 1001));
    for (int f = 0; f < 3; ++f) {
        ASSERT_TRUE(writer.AddFrame(Frame(f), 90));
    }
    ASSERT_TRUE(writer.Finish());
    std::fclose(file);
    {
        AviVideo video;
        ASSERT_EQ(video.Open(path.c_str()), AviStatus::kOk);
        EXPECT_TRUE(IsMotionJpegAvi(path.c_str()));
        const std::vector<BYTE> fromFile = Read(video, 2);
        AviVideo fromBytes;
        ASSERT_EQ(fromBytes.Open(inMemory), AviStatus::kOk);
        EXPECT_EQ(Read(fromBytes, 2), fromFile);
        for (int denominator : {2, 4, 8}) {
            video.SetDecodeScale(denominator);
            bool ok = false;
            const std::vector<BYTE> small = Read(video, 1, &ok);
            ASSERT_TRUE(ok) << denominator;
            BITMAPINFOHEADER h;
            std::memcpy(&h, small.data(), sizeof h);
            EXPECT_EQ(h.biWidth, (kWidth + denominator - 1) / denominator);
            EXPECT_EQ(h.biHeight, (kHeight + denominator - 1) / denominator);
            EXPECT_EQ(h.biBitCount, 32);
        }
    }
    std::remove(path.c_str());
}

// Frames encoded with the standard tables and stored without them decode as the same
// frames with them do.
TEST(MotionJpegAvi, FramesWithoutHuffmanTablesUseTheStandardOnes) {
    avitest::ClipRecipe withTables, without;
    withTables.width = without.width = kWidth;
    withTables.height = without.height = kHeight;
    withTables.compression = without.compression = 0x67706A6D; // "mjpg", an alias
    for (int f = 0; f < 2; ++f) {
        const RgbaImage image = Frame(f);
        JpegRows rows{image.pixels.data(), size_t{kWidth} * 4, kWidth, kHeight, JpegRows::kRgbx};
        rows.optimizeCoding = false;
        Bytes jpeg;
        ASSERT_TRUE(EncodeJpegRows(rows, 85, jpeg));
        const Bytes stripped = WithoutHuffmanTables(jpeg);
        ASSERT_LT(stripped.size(), jpeg.size());
        withTables.frames.push_back(jpeg);
        without.frames.push_back(stripped);
    }
    const Bytes a = avitest::MakeAvi(withTables), b = avitest::MakeAvi(without);
    AviVideo full, bare;
    ASSERT_EQ(full.Open(a), AviStatus::kOk);
    ASSERT_EQ(bare.Open(b), AviStatus::kOk);
    for (int f = 0; f < 2; ++f) {
        bool ok = false;
        const std::vector<BYTE> picture = Read(bare, f, &ok);
        ASSERT_TRUE(ok) << f;
        EXPECT_EQ(picture, Read(full, f)) << f;
        EXPECT_LT(Compare(picture, Frame(f)).mean, 2.0) << f;
    }
}

// Hostile files: each is refused, or opens with frames that read or fail, never touching
// memory outside the file's bytes (the sanitizer builds run this too).
TEST(MotionJpegAvi, HostileFilesAreRefusedOrReadSafely) {
    const Bytes good = WriteClip(3, false);
    const size_t strf = 172, movi = 220;
    const size_t firstFrame = movi + 4 + 8; // the first JPEG's bytes
    struct Case {
        const char* name;
        std::function<void(Bytes&)> damage;
        AviStatus status;
        int readable; // frames that read, of the first three
    };
    const Case cases[] = {
        {"untouched", [](Bytes&) {}, AviStatus::kOk, 3},
        {"huge width", [&](Bytes& b) { Set32(b, strf + 4, 100000); }, AviStatus::kBadFormat, 0},
        {"frames beyond the memory bound",
         [&](Bytes& b) {
             Set32(b, strf + 4, 8192);
             Set32(b, strf + 8, 8192);
         },
         AviStatus::kBadFormat, 0},
        {"header size unlike the frames", [&](Bytes& b) { Set32(b, strf + 4, kWidth * 2); },
         AviStatus::kOk, 0},
        {"garbage index", [&](Bytes& b) { std::memset(&b[b.size() - 48], 0xEE, 48); },
         AviStatus::kOk, 3},
        {"movi size past the file", [&](Bytes& b) { Set32(b, 216, 0x7FFFFFF0); }, AviStatus::kOk,
         3},
        {"first frame's entropy data overwritten",
         [&](Bytes& b) { std::memset(&b[firstFrame + 400], 0xFF, 64); }, AviStatus::kOk, 2},
        {"first frame's chunk claims the file",
         [&](Bytes& b) { Set32(b, firstFrame - 4, 0x7FFFFFF0); }, AviStatus::kOk, 1},
        {"first frame no JPEG", [&](Bytes& b) { b[firstFrame] = 0; }, AviStatus::kOk, 2},
        {"cut in the second frame", [&](Bytes& b) { b.resize(b.size() / 2); }, AviStatus::kOk, 1},
    };
    for (const Case& c : cases) {
        Bytes bytes = good;
        c.damage(bytes);
        AviVideo video;
        ASSERT_EQ(video.Open(bytes), c.status) << c.name;
        if (c.status != AviStatus::kOk) {
            continue;
        }
        int readable = 0;
        for (int f = 0; f < 3; ++f) {
            bool ok = false;
            Read(video, f, &ok);
            readable += ok;
        }
        EXPECT_EQ(readable, c.readable) << c.name;
    }
    // Every cut of the file opens or is refused, and reads what it holds.
    for (size_t length = 0; length < good.size(); length += 97) {
        AviVideo video;
        const Bytes cut(good.begin(), good.begin() + static_cast<long>(length));
        if (video.Open(cut) == AviStatus::kOk) {
            for (uint32_t f = 0; f < video.FrameCount(); ++f) {
                Read(video, static_cast<int32_t>(f));
            }
        }
    }
}

// Through the entry points the saver uses, a damaged frame shows the one before it.
TEST(MotionJpegAvi, DamagedFrameKeepsThePreviousOne) {
    Bytes clip = WriteClip(3, false);
    const size_t movi = 220;
    const size_t second =
        movi + U32At(clip, movi + 4 + 4) + 4 + 8 + 8 + (U32At(clip, movi + 4 + 4) & 1);
    ASSERT_EQ(std::memcmp(&clip[second - 8], "00dc", 4), 0);
    clip[second] = 0; // no JPEG start
    ScratchFolder folder("vc-mjpeg");
    const std::string path = folder.Write("clip.avi", clip);
    const VideoEntryPoints& reader = AviReaderEntryPoints();
    AviStreamHandle stream = nullptr;
    ASSERT_EQ(reader.AVIStreamOpenFromFile(&stream, path.c_str(), kStreamTypeVideo, 0, 0, nullptr),
              0);
    AviFrameGetter getter = reader.AVIStreamGetFrameOpen(stream, nullptr);
    ASSERT_NE(getter, nullptr);
    const auto* first = static_cast<const BYTE*>(reader.AVIStreamGetFrame(getter, 0));
    ASSERT_NE(first, nullptr);
    const std::vector<BYTE> shown(first,
                                  first + sizeof(BITMAPINFOHEADER) + size_t{kWidth} * kHeight * 4);
    const auto* damaged = static_cast<const BYTE*>(reader.AVIStreamGetFrame(getter, 1));
    ASSERT_NE(damaged, nullptr);
    EXPECT_TRUE(std::equal(shown.begin(), shown.end(), damaged));
    const auto* third = static_cast<const BYTE*>(reader.AVIStreamGetFrame(getter, 2));
    ASSERT_NE(third, nullptr);
    EXPECT_FALSE(std::equal(shown.begin(), shown.end(), third));

    // A frame wanted at a quarter of the clip's size is decoded at a quarter.
    BITMAPINFOHEADER wanted{};
    wanted.biWidth = kWidth / 4;
    wanted.biHeight = kHeight / 4;
    AviFrameGetter small = reader.AVIStreamGetFrameOpen(stream, &wanted);
    ASSERT_NE(small, nullptr);
    BITMAPINFOHEADER h;
    std::memcpy(&h, reader.AVIStreamGetFrame(small, 0), sizeof h);
    EXPECT_EQ(h.biWidth, kWidth / 4);
    EXPECT_EQ(h.biHeight, kHeight / 4);
    reader.AVIStreamGetFrameClose(small);
    reader.AVIStreamGetFrameClose(getter);
    reader.AVIStreamRelease(stream);
    folder.Remove("clip.avi");
}

TEST(MotionJpegAvi, WriterRefusesWhatItCannotWrite) {
    MemoryAviSink sink;
    MotionJpegAviWriter writer;
    EXPECT_FALSE(writer.Begin(sink, 0, 10, 30, 1));
    EXPECT_FALSE(writer.Begin(sink, 10, 10, 0, 1));
    EXPECT_FALSE(writer.Begin(sink, 10, 10, 30, 0));
    EXPECT_FALSE(writer.Begin(sink, 40000, 10, 30, 1));
    ASSERT_TRUE(writer.Begin(sink, kWidth, kHeight, 30, 1));
    EXPECT_FALSE(writer.RepeatFrame()); // nothing to repeat yet
    RgbaImage other = Frame(0);
    other.height -= 1;
    EXPECT_FALSE(writer.AddFrame(other, 90));
    EXPECT_FALSE(writer.AddFrame(Frame(0), 0));
    ASSERT_TRUE(writer.AddFrame(Frame(0), 90));
    // A bound the next frame would pass refuses it and leaves the file finishable.
    writer.LimitFileBytes(writer.BytesWritten() + 100);
    EXPECT_FALSE(writer.AddFrame(Frame(1), 90));
    EXPECT_TRUE(writer.RepeatFrame());
    ASSERT_TRUE(writer.Finish());
    AviVideo video;
    ASSERT_EQ(video.Open(sink.bytes), AviStatus::kOk);
    EXPECT_EQ(video.FrameCount(), 2u);
}
