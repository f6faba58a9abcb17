// Listing a photo folder: pictures by their extension in the folder and its subfolders,
// hidden files and folders, other files and links passed over, a missing folder said so.
#include "PhotoFolderTestSupport.h"

#include "import/PhotoDecode.h"
#include "import/PhotoScan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

std::vector<std::string> ScanAll(const std::string& root, PhotoScan::Status& status,
                                 uint32_t step = 3) {
    PhotoScan scan(root);
    std::vector<FoundPhoto> found;
    int steps = 0;
    do {
        status = scan.Step(step, found);
    } while (status == PhotoScan::Status::kListing && ++steps < 10000);
    std::vector<std::string> names;
    for (const FoundPhoto& f : found) {
        names.push_back(f.path.substr(root.size() + 1));
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(PhotoScan, TakesPicturesInSubfoldersAndPassesOverHiddenOthersAndLinks) {
    PhotoTree tree;
    tree.PutPhoto("a.jpg", 1);
    tree.PutPhoto("B.JPEG", 2);
    tree.PutPhoto("trip/day1/c.png", 3);
    tree.PutPhoto("trip/d.Tif", 4);
    tree.PutPhoto(".hidden.jpg", 5);
    tree.PutPhoto(".cache/e.jpg", 6);
    tree.Put("notes.txt", {1, 2, 3});
    tree.Put("jpg", {1});
    tree.Put("trip/movie.mp4", {1});
    std::filesystem::create_directory_symlink(tree.Root(), tree.Root() + "/loop");
    std::filesystem::create_symlink(tree.Root() + "/a.jpg", tree.Root() + "/link.jpg");

    PhotoScan::Status status;
    EXPECT_EQ(ScanAll(tree.Root(), status),
              (std::vector<std::string>{"B.JPEG", "a.jpg", "trip/d.Tif", "trip/day1/c.png"}));
    EXPECT_EQ(status, PhotoScan::Status::kDone);
}

TEST(PhotoScan, AMissingFolderIsSaidSoAndAnEmptyOneEnds) {
    PhotoScan::Status status;
    EXPECT_TRUE(ScanAll("/nonexistent/vc-photos", status).empty());
    EXPECT_EQ(status, PhotoScan::Status::kNoFolder);
    PhotoTree empty;
    EXPECT_TRUE(ScanAll(empty.Root(), status).empty());
    EXPECT_EQ(status, PhotoScan::Status::kDone);
}

TEST(PhotoScan, PictureNamesGoByTheirExtensionOnly) {
    struct Case {
        const char* name;
        bool picture;
    };
    const Case cases[] = {
        {"x.jpg", true},      {"x.JPG", true},  {"x.webp", true}, {"x.heic", true},
        {"x.jpg.txt", false}, {"x", false},     {".jpg", true},   {"x.jpeg2", false},
        {"x.", false},        {"x.tiff", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsPictureName(c.name), c.picture) << c.name;
    }
}

TEST(PhotoDecode, JpegFrameSizeIsReadFromTheHeaderAndDamageGivesNone) {
    using Bytes = std::vector<uint8_t>;
    // SOI, an APP0 of 4 bytes, SOF0 with 8-bit samples, height 3000, width 4000.
    const Bytes good{0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x04, 0x00, 0x00, 0xFF, 0xFF,
                     0xC0, 0x00, 0x11, 0x08, 0x0B, 0xB8, 0x0F, 0xA0, 0x03};
    uint32_t w = 0, h = 0;
    ASSERT_TRUE(JpegFrameSize(good, w, h));
    EXPECT_EQ(w, 4000u);
    EXPECT_EQ(h, 3000u);
    for (size_t cut = 0; cut + 1 < good.size(); ++cut) { // the last byte is not needed
        EXPECT_FALSE(JpegFrameSize(std::span(good.data(), cut), w, h)) << cut;
    }
    const Bytes noFrame{0xFF, 0xD8, 0xFF, 0xDA, 0x00, 0x02};
    const Bytes zeroLength{0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x00, 0xFF, 0xC0};
    const Bytes past{0xFF, 0xD8, 0xFF, 0xE0, 0xFF, 0xFF};
    for (const Bytes& b : {noFrame, zeroLength, past}) {
        EXPECT_FALSE(JpegFrameSize(b, w, h));
    }

    struct Scale {
        uint32_t width, height, side;
        unsigned scale;
    };
    const Scale scales[] = {
        {4000, 3000, 400, 8},  {4000, 3000, 501, 4}, {4000, 3000, 1000, 4}, {4000, 3000, 1001, 2},
        {3000, 4000, 2001, 1}, {100, 100, 600, 1},   {4000, 3000, 0, 8},
    };
    for (const Scale& s : scales) {
        EXPECT_EQ(JpegScaleFor(s.width, s.height, s.side), s.scale) << s.side;
    }
}

} // namespace
