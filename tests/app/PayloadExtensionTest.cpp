// The payload's extension block as the reader takes it: known records, unknown ones skipped,
// and every damaged form leaving the defaults of what it cannot give.
#include "app/PayloadExtension.h"
#include "make/PayloadExtensionWriter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes U32(uint32_t v) {
    return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
}

Bytes Block(uint32_t version, const std::vector<Bytes>& records) {
    Bytes out{'V', 'C', 'X', 'B'};
    const Bytes v = U32(version);
    out.insert(out.end(), v.begin(), v.end());
    for (const Bytes& r : records) {
        out.insert(out.end(), r.begin(), r.end());
    }
    return out;
}

// tag: four characters, as the block stores them.
Bytes Record(const char (&tag)[5], const Bytes& data, uint32_t length) {
    Bytes out(tag, tag + 4);
    const Bytes l = U32(length);
    out.insert(out.end(), l.begin(), l.end());
    out.insert(out.end(), data.begin(), data.end());
    return out;
}
Bytes Record(const char (&tag)[5], const Bytes& data) {
    return Record(tag, data, static_cast<uint32_t>(data.size()));
}

TEST(PayloadExtension, ReadsKnownRecordsAndSkipsTheRest) {
    struct Case {
        const char* what;
        Bytes block;
        bool present;
        int records;
        PictureMode mode;
    };
    const Bytes smooth = Record("PICT", {1});
    const Case cases[] = {
        {"smooth", Block(1, {smooth}), true, 1, PictureMode::kSmooth},
        {"exact", Block(1, {Record("PICT", {0})}), true, 1, PictureMode::kExact},
        {"unknown records around it",
         Block(1, {Record("NAME", {1, 2, 3}), smooth, Record("XTRA", {})}), true, 3,
         PictureMode::kSmooth},
        {"empty block", Block(1, {}), true, 0, PictureMode::kExact},
        {"unknown mode value", Block(1, {Record("PICT", {7})}), true, 1, PictureMode::kExact},
        {"empty mode record", Block(1, {Record("PICT", {})}), true, 1, PictureMode::kExact},
        {"other version", Block(2, {smooth}), false, 0, PictureMode::kExact},
        {"bad magic",
         [&] {
             Bytes b = Block(1, {smooth});
             b[0] = 'W';
             return b;
         }(),
         false, 0, PictureMode::kExact},
        {"record longer than the block", Block(1, {Record("PICT", {1}, 2)}), true, 0,
         PictureMode::kExact},
        {"length past 4 GiB wraps nothing", Block(1, {smooth, Record("NAME", {}, 0xFFFFFFF8u)}),
         true, 1, PictureMode::kSmooth},
        {"trailing bytes shorter than a record head",
         [&] {
             Bytes b = Block(1, {smooth});
             b.insert(b.end(), {'P', 'I', 'C'});
             return b;
         }(),
         true, 1, PictureMode::kSmooth},
        {"shorter than the head", Bytes{'V', 'C', 'X', 'B', 1}, false, 0, PictureMode::kExact},
    };
    for (const Case& c : cases) {
        PayloadExtension e;
        ParsePayloadExtension(c.block.data(), c.block.size(), e);
        EXPECT_EQ(e.present, c.present) << c.what;
        EXPECT_EQ(e.records, c.records) << c.what;
        EXPECT_EQ(e.pictureMode, c.mode) << c.what;
    }
    PayloadExtension none;
    ParsePayloadExtension(nullptr, 100, none);
    EXPECT_FALSE(none.present);
}

TEST(PayloadExtension, WriterGivesWhatTheReaderTakesAndBlocksAreBounded) {
    for (const PictureMode mode : {PictureMode::kExact, PictureMode::kSmooth}) {
        PayloadExtension written;
        written.pictureMode = mode;
        const Bytes block = FormatPayloadExtension(written);
        PayloadExtension read;
        ParsePayloadExtension(block.data(), block.size(), read);
        EXPECT_TRUE(read.present);
        EXPECT_EQ(read.pictureMode, mode);
    }
    Bytes huge = Block(1, {Record("PICT", {1})});
    huge.resize(kExtensionMaxBytes + 1);
    PayloadExtension e;
    ParsePayloadExtension(huge.data(), huge.size(), e);
    EXPECT_FALSE(e.present);
}

TEST(PayloadExtension, FaceNamesAreTakenOnlyWhole) {
    struct Case {
        const char* what;
        Bytes record;
        int face;         // -1: no name is taken
        const char* name; // for face
    };
    auto name = [](uint8_t face, const std::string& text) {
        Bytes data{face};
        data.insert(data.end(), text.begin(), text.end());
        return Record("NAME", data);
    };
    const std::string longest(kMaxFaceNameBytes, 'n');
    const Case cases[] = {
        {"plain", name(0, "IMG_0001.jpg"), 0, "IMG_0001.jpg"},
        {"last face, UTF-8", name(5, "\xCE\xA9.png"), 5, "\xCE\xA9.png"},
        {"longest", name(2, longest), 2, longest.c_str()},
        {"one byte too long", name(2, longest + "n"), -1, ""},
        {"no seventh face", name(6, "a.jpg"), -1, ""},
        {"empty name", name(1, ""), -1, ""},
        {"control character", name(1, "a\nb.jpg"), -1, ""},
        {"ill-formed UTF-8", name(1, "\xC3(.jpg"), -1, ""},
        {"a lone surrogate encoded", name(1, "\xED\xA0\x80.jpg"), -1, ""},
    };
    for (const Case& c : cases) {
        const Bytes block = Block(1, {c.record, Record("PICT", {1})});
        PayloadExtension e;
        ParsePayloadExtension(block.data(), block.size(), e);
        EXPECT_EQ(e.pictureMode, PictureMode::kSmooth) << c.what << ": the records after it stand";
        for (int face = 0; face < kExtensionFaceCount; ++face) {
            EXPECT_EQ(e.faceNames[face], face == c.face ? c.name : "")
                << c.what << ", face " << face;
        }
    }
    // The writer leaves out what the reader would refuse, and the rest round-trips.
    PayloadExtension written;
    written.faceNames[0] = "a.jpg";
    written.faceNames[3] = "bad\x01.jpg";
    written.faceNames[5] = longest;
    const Bytes block = FormatPayloadExtension(written);
    PayloadExtension read;
    ParsePayloadExtension(block.data(), block.size(), read);
    EXPECT_EQ(read.records, 3);
    EXPECT_EQ(read.faceNames[0], "a.jpg");
    EXPECT_EQ(read.faceNames[3], "");
    EXPECT_EQ(read.faceNames[5], longest);
}

// FOLD: order byte, 32-bit seconds, the path to the record's end.
Bytes Folder(uint8_t order, uint32_t seconds, const std::string& path) {
    Bytes data{order};
    const Bytes s = U32(seconds);
    data.insert(data.end(), s.begin(), s.end());
    data.insert(data.end(), path.begin(), path.end());
    return Record("FOLD", data);
}

TEST(PayloadExtension, PhotoFolderRoundTripsAndDamagedRecordsGiveNoFolder) {
    const std::string path = "C:\\Users\\\xce\xa9\\Photos";
    for (const PhotoOrder order : {PhotoOrder::kShuffle, PhotoOrder::kName, PhotoOrder::kDate}) {
        PayloadExtension written;
        written.pictureMode = PictureMode::kSmooth;
        written.photoFolder = {path, order, 2};
        const Bytes block = FormatPayloadExtension(written);
        PayloadExtension read;
        ParsePayloadExtension(block.data(), block.size(), read);
        EXPECT_EQ(read.photoFolder.path, path);
        EXPECT_EQ(read.photoFolder.order, order);
        EXPECT_EQ(read.photoFolder.changeSeconds, 2u);
        EXPECT_EQ(read.pictureMode, PictureMode::kSmooth);
    }
    // Without a folder the writer adds no record: older savers' blocks stay as they were.
    EXPECT_EQ(FormatPayloadExtension(PayloadExtension{}).size(), 8u + 8u + 1u);

    struct Case {
        const char* what;
        Bytes record;
    };
    const Case refused[] = {
        {"order past date", Folder(3, 10, "D:\\p")},
        {"no seconds", Folder(0, 0, "D:\\p")},
        {"more than a day", Folder(0, kMaxChangeSeconds + 1, "D:\\p")},
        {"empty path", Folder(0, 10, "")},
        {"NUL in the path", Folder(0, 10, std::string("D:\\p\0q", 6))},
        {"path too long", Folder(0, 10, std::string(kMaxPhotoFolderBytes + 1, 'a'))},
        {"head cut short", Record("FOLD", {0, 10, 0})},
        {"no bytes", Record("FOLD", {})},
    };
    for (const Case& c : refused) {
        const Bytes block = Block(1, {c.record, Record("PICT", {1})});
        PayloadExtension e;
        ParsePayloadExtension(block.data(), block.size(), e);
        EXPECT_FALSE(e.photoFolder.Present()) << c.what;
        EXPECT_EQ(e.photoFolder.changeSeconds, kDefaultChangeSeconds) << c.what;
        EXPECT_EQ(e.pictureMode, PictureMode::kSmooth) << c.what << ": the next record is read";
    }
    const Bytes longest =
        Block(1, {Folder(2, kMaxChangeSeconds, std::string(kMaxPhotoFolderBytes, 'a'))});
    PayloadExtension e;
    ParsePayloadExtension(longest.data(), longest.size(), e);
    EXPECT_EQ(e.photoFolder.path.size(), kMaxPhotoFolderBytes);
    EXPECT_EQ(e.photoFolder.changeSeconds, kMaxChangeSeconds);
}

} // namespace
