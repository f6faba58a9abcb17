#include "make/MediaType.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
using Bytes = std::vector<uint8_t>;

Bytes Text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}
Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
Bytes Be32(uint32_t v) {
    return {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16),
            static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
}
Bytes Le32(uint32_t v) {
    return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
            static_cast<uint8_t>(v >> 24)};
}
Bytes Ftyp(const std::string& brand) {
    return Be32(16) + Text("ftyp" + brand) + Be32(0);
}
Bytes PngChunk(const std::string& type, const Bytes& data) {
    return Be32(static_cast<uint32_t>(data.size())) + Text(type) + data + Be32(0);
}
const Bytes kPngSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// EBML header holding one DocType element.
Bytes Ebml(const std::string& docType) {
    const Bytes docTypeElement =
        Bytes{0x42, 0x82, static_cast<uint8_t>(0x80 | docType.size())} + Text(docType);
    const Bytes version = {0x42, 0x86, 0x81, 0x01};
    const Bytes body = version + docTypeElement;
    return Bytes{0x1A, 0x45, 0xDF, 0xA3, static_cast<uint8_t>(0x80 | body.size())} + body;
}
} // namespace

TEST(MediaType, IsoMediaBrandsTellVideoFromPictures) {
    EXPECT_EQ(RecogniseMedia(Ftyp("isom")).kind, MediaKind::kMp4);
    EXPECT_EQ(RecogniseMedia(Ftyp("mp42")).kind, MediaKind::kMp4);
    EXPECT_EQ(RecogniseMedia(Ftyp("qt  ")).kind, MediaKind::kQuickTime);
    EXPECT_EQ(RecogniseMedia(Ftyp("3gp5")).kind, MediaKind::kThreeGp);
    EXPECT_EQ(RecogniseMedia(Ftyp("heic")).kind, MediaKind::kHeif);
    EXPECT_EQ(RecogniseMedia(Ftyp("avif")).kind, MediaKind::kAvif);
    EXPECT_EQ(RecogniseMedia(Be32(8) + Text("wide") + Be32(8) + Text("mdat")).kind,
              MediaKind::kQuickTime);
    EXPECT_TRUE(RecogniseMedia(Ftyp("isom")).moving);
    EXPECT_FALSE(RecogniseMedia(Ftyp("heic")).moving);
    EXPECT_EQ(RecogniseMedia(Ftyp("isom")).name, "MP4 video");
}

TEST(MediaType, EbmlDocTypeTellsWebmFromMatroska) {
    EXPECT_EQ(RecogniseMedia(Ebml("webm")).kind, MediaKind::kWebm);
    EXPECT_EQ(RecogniseMedia(Ebml("matroska")).kind, MediaKind::kMatroska);
    // A header cut inside its DocType still counts as Matroska by its signature.
    const Bytes cut = Ebml("webm");
    EXPECT_EQ(RecogniseMedia(Bytes(cut.begin(), cut.end() - 3)).kind, MediaKind::kMatroska);
}

TEST(MediaType, WebpAndPngAreAnimatedOnlyWithTheirAnimationChunks) {
    const Bytes vp8 = Text("VP8 ") + Le32(2) + Bytes{0, 0};
    const Bytes vp8x = Text("VP8X") + Le32(10) + Bytes(10, 0);
    const Bytes anim = Text("ANIM") + Le32(6) + Bytes(6, 0);
    EXPECT_EQ(RecogniseMedia(Text("RIFF") + Le32(14) + Text("WEBP") + vp8).kind, MediaKind::kWebp);
    EXPECT_EQ(RecogniseMedia(Text("RIFF") + Le32(40) + Text("WEBP") + vp8x + anim).kind,
              MediaKind::kAnimatedWebp);

    const Bytes ihdr = PngChunk("IHDR", Bytes(13, 0));
    const Bytes actl = PngChunk("acTL", Be32(7) + Be32(0));
    const MediaType apng = RecogniseMedia(kPngSignature + ihdr + actl + PngChunk("IDAT", {}));
    EXPECT_EQ(apng.kind, MediaKind::kAnimatedPng);
    EXPECT_EQ(apng.frames, 7);
    // acTL after the first IDAT is not an animation (and such a file is not ours to judge).
    EXPECT_EQ(RecogniseMedia(kPngSignature + ihdr + PngChunk("IDAT", {}) + actl).kind,
              MediaKind::kUnknown);
}

TEST(MediaType, OtherContainersBySignature) {
    EXPECT_EQ(RecogniseMedia(Text("OggS") + Bytes(20, 0)).kind, MediaKind::kOgg);
    EXPECT_EQ(RecogniseMedia(Text("FLV\x01") + Bytes(20, 0)).kind, MediaKind::kFlv);
    EXPECT_EQ(RecogniseMedia(Bytes{0, 0, 1, 0xBA, 0x44}).kind, MediaKind::kMpegProgram);
    Bytes ts(188 * 4, 0);
    for (size_t i = 0; i < ts.size(); i += 188) {
        ts[i] = 0x47;
    }
    EXPECT_EQ(RecogniseMedia(ts).kind, MediaKind::kMpegTransport);
    EXPECT_EQ(RecogniseMedia(Bytes{0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11}).kind,
              MediaKind::kAsf);
    // Pictures the importer does not take say what they are.
    EXPECT_EQ(RecogniseMedia(Bytes{0xFF, 0x0A, 0xFA}).kind, MediaKind::kJpegXl);
    EXPECT_EQ(RecogniseMedia(Bytes{0, 0, 0, 0x0C, 'J', 'X', 'L', ' ', 0x0D, 0x0A, 0x87, 0x0A}).kind,
              MediaKind::kJpegXl);
    EXPECT_EQ(RecogniseMedia(Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0, 2}).kind, MediaKind::kJpeg);
    EXPECT_EQ(RecogniseMedia(Text("plain text, nothing more")).kind, MediaKind::kUnknown);
    EXPECT_EQ(RecogniseMedia(Bytes{}).kind, MediaKind::kUnknown);
}

TEST(MediaType, BmpHeaderSizeAndEmbeddedDataAreNamed) {
    const Bytes fileHeader = Text("BM") + Bytes(12, 0);
    Bytes v5 = fileHeader + Le32(124) + Bytes(120, 0);
    EXPECT_EQ(RecogniseMedia(v5).name, "BMP with a 124-byte header");
    Bytes jpeg = fileHeader + Le32(40) + Bytes(36, 0);
    jpeg[30] = 4; // biCompression BI_JPEG
    EXPECT_EQ(RecogniseMedia(jpeg).name, "BMP with embedded JPEG data");
    jpeg[30] = 5;
    EXPECT_EQ(RecogniseMedia(jpeg).name, "BMP with embedded PNG data");
}

TEST(MediaType, ChunkSizesPastTheEndStopTheWalk) {
    // Sizes near 2^32 must neither wrap the walk around nor read past the span.
    const Bytes webp = Text("RIFF") + Le32(0) + Text("WEBP") + Text("VP8X") + Le32(0xFFFFFFFF);
    EXPECT_EQ(RecogniseMedia(webp).kind, MediaKind::kWebp);
    const Bytes png = kPngSignature + Be32(0xFFFFFFF0) + Text("tEXt") + Bytes(4, 0);
    EXPECT_EQ(RecogniseMedia(png).kind, MediaKind::kUnknown);
    const Bytes ebml = {0x1A, 0x45, 0xDF, 0xA3, 0x01, 0xFF, 0xFF, 0xFF,
                        0xFF, 0xFF, 0xFF, 0xFF, 0x42, 0x82, 0xFF};
    EXPECT_EQ(RecogniseMedia(ebml).kind, MediaKind::kMatroska);
    // A three-byte header whose element's size field reaches past the header's end (the
    // fuzzer's find): the element must not be read.
    EXPECT_EQ(RecogniseMedia(Bytes{0x1A, 0x45, 0xDF, 0xA3, 0x83, 0x42, 0x82, 0x42, 0x01}).kind,
              MediaKind::kMatroska);
}
