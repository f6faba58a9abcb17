// Size limits and the kept fuzz inputs: whatever a file claims, an import either fits the
// pixel size limit or ends with TooLarge, and never with a short allocation.
#include "GifTestSupport.h"
#include "PictureWriters.h"

#include <filesystem>
#include <fstream>
#include <iterator>

using namespace importtest;

namespace {

ImageImporter::Error DecodeWithLimit(const std::vector<uint8_t>& bytes, DWORD limit) {
    ScratchDir dir;
    ImageImporter importer;
    importer.m_pixelLimit = limit;
    EXPECT_NE(importer.Identify(dir.Write("p", bytes).c_str()), ImageImporter::Unknown);
    const ImageImporter::Error result = importer.Decode();
    if (result != ImageImporter::Ok) {
        EXPECT_EQ(importer.m_pixels, nullptr);
    }
    return result;
}

} // namespace

TEST(Limits, EveryDecoderChecksTheLimit) {
    GifSpec gif;
    gif.values.assign(8, 1);
    EXPECT_EQ(DecodeWithLimit(MakeGif(gif), 7), ImageImporter::TooLarge);
    EXPECT_EQ(DecodeWithLimit(MakeGif(gif), 8), ImageImporter::Ok);

    const std::vector<uint8_t> jpeg = WriteJpeg(8, 8, 1, std::vector<uint8_t>(64, 9));
    EXPECT_EQ(DecodeWithLimit(jpeg, 63), ImageImporter::TooLarge);
    EXPECT_EQ(DecodeWithLimit(jpeg, 64), ImageImporter::Ok);

    PngSpec png;
    png.width = 3;
    png.rows = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    EXPECT_EQ(DecodeWithLimit(WritePng(png), 11), ImageImporter::TooLarge);
    EXPECT_EQ(DecodeWithLimit(WritePng(png), 12), ImageImporter::Ok);

    ScratchDir dir;
    const std::string tiff = dir.path() + "/t.tif";
    WriteTiff(tiff, 2, 2, 3, std::vector<uint8_t>(12, 5));
    std::ifstream in(tiff, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(DecodeWithLimit(bytes, 15), ImageImporter::TooLarge);
    EXPECT_EQ(DecodeWithLimit(bytes, 16), ImageImporter::Ok);
}

TEST(Limits, IconDimensionsThatOverflow) {
    Bytes icon;
    icon.u16(0).u16(1).u16(1).u8(0).u8(0).u8(0).u8(0).u16(1).u16(32).u32(40).u32(22);
    icon.u32(40).u32(0x7FFFFFFF).u32(0x7FFFFFFE).u16(1).u16(32).fill(24, 0);
    EXPECT_EQ(DecodeBytes(icon.data())->result, ImageImporter::TooLarge);
}

TEST(Limits, ReportNamesFormatAndResult) {
    ScratchDir dir;
    GifSpec gif;
    Bytes noImage = GifHead(gif);
    noImage.u8(0x3B);
    ImportReport report;
    EXPECT_EQ(ImportPictureReporting(dir.Write("g", noImage.data()).c_str(), 0xFFFFFFFFu, &report),
              nullptr);
    EXPECT_EQ(report.format, ImageImporter::Gif);
    EXPECT_EQ(report.result, ImageImporter::NoImage);

    // A top-down BMP of 2^31 rows: refused, its height reported as the largest there is.
    Bytes tall;
    tall.u8('B').u8('M').u32(58).u32(0).u32(54);
    tall.u32(40).u32(1).u32(0x80000000u).u16(1).u16(24).fill(24, 0).fill(4, 0);
    EXPECT_EQ(ImportPictureReporting(dir.Write("b", tall.data()).c_str(), 0xFFFFFFFFu, &report),
              nullptr);
    EXPECT_EQ(report.format, ImageImporter::Bmp);
    EXPECT_NE(report.result, ImageImporter::Ok);
    EXPECT_EQ(report.height, 0x7FFFFFFF);
}

// Every input a fuzzer found is kept under fuzz/regressions/<fuzzer>/ and must import
// (or fail) cleanly; the sanitiser build checks the memory behaviour.
TEST(Limits, KeptFuzzInputs) {
    namespace fs = std::filesystem;
    const fs::path root =
        fs::path(VC_TEST_DATA).parent_path().parent_path() / "fuzz" / "regressions";
    if (!fs::exists(root)) {
        GTEST_SKIP() << "no kept inputs";
    }
    int count = 0;
    for (const auto& dir : fs::directory_iterator(root)) {
        if (dir.path().filename().string().rfind("import_", 0) != 0) {
            continue;
        }
        for (const auto& file : fs::directory_iterator(dir.path())) {
            Packed p(ImportPicture(file.path().string().c_str()));
            if (p) {
                EXPECT_GT(p->biWidth, 0) << file.path();
            }
            ++count;
        }
    }
    RecordProperty("inputs", count);
}
