#include "make/picture/ExifOrientation.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
using Bytes = std::vector<uint8_t>;

// A JPEG start: SOI, then `segments`, then the start of a scan.
Bytes Jpeg(std::initializer_list<Bytes> segments) {
    Bytes out = {0xFF, 0xD8};
    for (const Bytes& s : segments) {
        out.insert(out.end(), s.begin(), s.end());
    }
    out.insert(out.end(), {0xFF, 0xDA, 0x00, 0x02});
    return out;
}

Bytes Segment(uint8_t marker, const Bytes& body) {
    const size_t length = body.size() + 2;
    Bytes out = {0xFF, marker, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)};
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

// An Exif APP1 body whose IFD0 holds `entries` entries, the orientation entry last.
Bytes Exif(bool bigEndian, uint16_t type, uint16_t value, int otherEntries = 1) {
    Bytes b = {'E', 'x', 'i', 'f', 0, 0};
    auto u16 = [&](uint16_t v) {
        b.push_back(static_cast<uint8_t>(bigEndian ? v >> 8 : v));
        b.push_back(static_cast<uint8_t>(bigEndian ? v : v >> 8));
    };
    auto u32 = [&](uint32_t v) {
        u16(static_cast<uint16_t>(bigEndian ? v >> 16 : v));
        u16(static_cast<uint16_t>(bigEndian ? v : v >> 16));
    };
    const Bytes order = bigEndian ? Bytes{'M', 'M', 0, 42} : Bytes{'I', 'I', 42, 0};
    b.insert(b.end(), order.begin(), order.end());
    u32(8);
    u16(static_cast<uint16_t>(otherEntries + 1));
    for (int i = 0; i < otherEntries; ++i) { // ImageWidth, a LONG
        u16(0x0100);
        u16(4);
        u32(1);
        u32(640);
    }
    u16(0x0112);
    u16(type);
    u32(1);
    u16(value);
    u16(0);
    u32(0); // no next IFD
    return b;
}
} // namespace

TEST(ExifOrientation, ReadsTheTagInEitherByteOrderAfterOtherSegments) {
    const Bytes app0 = Segment(0xE0, {'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0});
    for (int value = 1; value <= 8; ++value) {
        EXPECT_EQ(ReadExifOrientation(Jpeg({app0, Segment(0xE1, Exif(false, 3, value))})), value);
        EXPECT_EQ(ReadExifOrientation(Jpeg({Segment(0xE1, Exif(true, 3, value, 3))})), value);
    }
}

TEST(ExifOrientation, AnythingMissingOrOddGivesZero) {
    EXPECT_EQ(ReadExifOrientation(Jpeg({})), 0);                                 // no Exif
    EXPECT_EQ(ReadExifOrientation(Jpeg({Segment(0xE1, Exif(false, 3, 9))})), 0); // out of range
    EXPECT_EQ(ReadExifOrientation(Jpeg({Segment(0xE1, Exif(false, 3, 0))})), 0);
    EXPECT_EQ(ReadExifOrientation(Jpeg({Segment(0xE1, Exif(false, 4, 6))})), 0); // not a SHORT
    EXPECT_EQ(ReadExifOrientation(Jpeg({Segment(0xE1, {'X', 'M', 'P', 0})})), 0);
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    EXPECT_EQ(ReadExifOrientation(png), 0);
    EXPECT_EQ(ReadExifOrientation(Bytes{}), 0);
}

TEST(ExifOrientation, TruncationAnywhereNeverReadsPastTheEnd) {
    const Bytes whole = Jpeg({Segment(0xE1, Exif(true, 3, 6, 2))});
    ASSERT_EQ(ReadExifOrientation(whole), 6);
    // Cut the file short at every length: a heap copy of exactly that size, so that the
    // address sanitizer sees any read past it.
    for (size_t n = 0; n + 4 < whole.size(); ++n) {
        const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
        EXPECT_EQ(ReadExifOrientation(cut), 0) << n;
    }
}

TEST(ExifOrientation, IfdOffsetOrCountPointingOutsideGivesZero) {
    Bytes body = Exif(false, 3, 6);
    body[6 + 4] = 0xF0; // IFD0 offset far past the segment
    EXPECT_EQ(ReadExifOrientation(Jpeg({Segment(0xE1, body)})), 0);
    body = Exif(false, 3, 6);
    body[6 + 8 + 2 + 12] = 0x13; // no orientation tag, and 65535 entries counted
    body[6 + 8] = 0xFF;
    body[6 + 9] = 0xFF;
    EXPECT_EQ(ReadExifOrientation(Jpeg({Segment(0xE1, body)})), 0);
}
