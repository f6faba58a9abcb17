// The date a photo was taken, read from its Exif block in either byte order, and every
// damaged block giving no date rather than a wrong one or a read outside the bytes.
#include "import/ExifDate.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// A JPEG head with an Exif block: IFD0 holding DateTime and a pointer to an Exif IFD that
// holds DateTimeOriginal (either may be left out).
Bytes ExifJpeg(bool little, const char* original, const char* changed) {
    Bytes t;
    auto u16 = [&](uint32_t v) {
        little ? t.insert(t.end(), {uint8_t(v), uint8_t(v >> 8)})
               : t.insert(t.end(), {uint8_t(v >> 8), uint8_t(v)});
    };
    auto u32 = [&](uint32_t v) {
        little ? (u16(v & 0xFFFF), u16(v >> 16)) : (u16(v >> 16), u16(v & 0xFFFF));
    };
    auto entry = [&](uint32_t tag, uint32_t type, uint32_t count, uint32_t value) {
        u16(tag);
        u16(type);
        u32(count);
        u32(value);
    };
    t.insert(t.end(), little ? "II" : "MM", (little ? "II" : "MM") + 2);
    u16(42);
    u32(8);
    // IFD0 at 8: two entries (2 + 24 + 4 bytes), Exif IFD at 38: one entry (2 + 12 + 4),
    // the two texts at 56 and 76.
    u16(2);
    entry(0x0132, 2, 20, changed ? 76 : 0);
    entry(0x8769, 4, 1, 38);
    u32(0);
    u16(1);
    entry(0x9003, 2, 20, original ? 56 : 0);
    u32(0);
    for (const char* text : {original, changed}) {
        const std::string s = text ? text : "";
        t.insert(t.end(), s.begin(), s.end());
        t.resize(t.size() + 20 - s.size());
    }
    Bytes out{0xFF, 0xD8, 0xFF, 0xE1};
    const size_t length = 2 + 6 + t.size();
    out.insert(out.end(), {uint8_t(length >> 8), uint8_t(length), 'E', 'x', 'i', 'f', 0, 0});
    out.insert(out.end(), t.begin(), t.end());
    out.insert(out.end(), {0xFF, 0xDA, 0x00, 0x02});
    return out;
}

TEST(ExifDate, TakenDateFirstThenTheChangeDateInEitherByteOrder) {
    const uint64_t taken = 1262401445;   // 2010-01-02 03:04:05
    const uint64_t changed = 1704067199; // 2023-12-31 23:59:59
    for (const bool little : {true, false}) {
        EXPECT_EQ(ExifDateTaken(ExifJpeg(little, "2010:01:02 03:04:05", "2023:12:31 23:59:59")),
                  taken);
        EXPECT_EQ(ExifDateTaken(ExifJpeg(little, nullptr, "2023:12:31 23:59:59")), changed);
        EXPECT_EQ(ExifDateTaken(ExifJpeg(little, "    :  :     :  :  ", "2023:12:31 23:59:59")),
                  changed)
            << "a blank date is no date";
    }
}

TEST(ExifDate, DamagedBlocksGiveNoDate) {
    const Bytes good = ExifJpeg(true, "2010:01:02 03:04:05", nullptr);
    for (size_t cut = 0; cut < good.size() - 4; ++cut) {
        const Bytes shorter(good.begin(), good.begin() + static_cast<long>(cut));
        EXPECT_FALSE(ExifDateTaken(shorter)) << cut;
    }
    for (const char* date : {"2010:13:02 03:04:05", "1969:01:01 00:00:00", "2010:0x:02 03:04:05"}) {
        EXPECT_FALSE(ExifDateTaken(ExifJpeg(true, date, nullptr))) << date;
    }
    // Offsets pointing far past the block (near 4 GiB) read nothing.
    for (size_t at = 12; at < 60; ++at) {
        Bytes b = good;
        b[at] = 0xFF;
        b[at + 1] = 0xFF;
        b[at + 2] = 0xFF;
        b[at + 3] = 0xFF;
        ExifDateTaken(b); // bounded reads; the sanitizer build watches
    }
    EXPECT_FALSE(ExifDateTaken(Bytes{0xFF, 0xD8}));
    EXPECT_FALSE(ExifDateTaken(Bytes{}));
}

} // namespace
