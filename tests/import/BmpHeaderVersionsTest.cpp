// BMP files with the larger headers, as ImageMagick writes them by default, against Pillow;
// the 52-, 56- and 108-byte headers and top-down rows made from those files.
#include "ImportTestSupport.h"
#include "PackedPictureReference.h"

using namespace importtest;

namespace {

constexpr size_t kFileHeader = 14;

uint32_t Get32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    if (b.size() < at + 4) {
        ADD_FAILURE() << "no room at " << at;
        return;
    }
    for (int i = 0; i < 4; ++i) {
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
    }
}

// The same file with its header cut to `size` bytes; the masks, where the file has them,
// stay at their place in the header.
std::vector<uint8_t> WithHeaderSize(const std::vector<uint8_t>& bmp, uint32_t size) {
    const uint32_t was = Get32(bmp, kFileHeader);
    std::vector<uint8_t> out(bmp.begin(), bmp.begin() + long(kFileHeader + size));
    out.insert(out.end(), bmp.begin() + long(kFileHeader + was), bmp.end());
    Put32(out, kFileHeader, size);
    Put32(out, 2, Get32(bmp, 2) - (was - size));
    Put32(out, 10, Get32(bmp, 10) - (was - size));
    return out;
}

// The same picture stored top row first.
std::vector<uint8_t> TopDown(const std::vector<uint8_t>& bmp) {
    std::vector<uint8_t> out = bmp;
    const uint32_t offBits = Get32(bmp, 10);
    const int32_t height = static_cast<int32_t>(Get32(bmp, 22));
    const uint32_t bits = bmp[28];
    const size_t stride = (size_t(Get32(bmp, 18)) * bits + 31) / 32 * 4;
    for (int32_t y = 0; y < height; ++y) {
        std::copy_n(bmp.begin() + long(offBits + stride * y), stride,
                    out.begin() + long(offBits + stride * (height - 1 - y)));
    }
    Put32(out, 22, static_cast<uint32_t>(-height));
    return out;
}

struct Case {
    std::string name;
    std::string options; // ImageMagick's, before the output
    std::string writer;  // its coder prefix
    uint32_t headerSize; // what the file must hold
};

const Case kCases[] = {
    {"v3-24", "-type TrueColor", "BMP3", 40},
    {"v5-24", "-type TrueColor", "BMP", 124},
    {"v5-32-alpha", "-alpha set -channel A -fx 0.5 +channel", "BMP", 124},
    {"v5-565", "-define bmp:subtype=RGB565", "BMP", 124},
    {"v4-1", "-type Bilevel", "BMP", 108},
    {"v5-4", "-colors 16 -type Palette", "BMP", 124},
    {"v5-8", "-colors 200 -type Palette -compress None", "BMP", 124},
    {"v5-rle8", "-colors 200 -type Palette -compress RLE", "BMP", 124},
};

// Pillow's RGB of every file, then each file's and its variants' import compared with it.
struct Generated {
    ScratchDir dir;
    std::vector<std::string> files;
    bool ok = true;
    Generated() {
        const std::string base = dir.path() + "/base.png";
        ok = std::system(("convert -size 13x7 xc: -sparse-color bilinear "
                          "'0,0 red 12,0 lime 0,6 blue 12,6 yellow' " +
                          base)
                             .c_str()) == 0;
        for (const Case& c : kCases) {
            const std::string file = dir.path() + "/" + c.name + ".bmp";
            ok = ok &&
                 std::system(
                     ("convert " + base + " " + c.options + " " + c.writer + ":" + file).c_str()) ==
                     0;
            files.push_back(file);
        }
        ok = ok && PillowDecode(dir, files);
    }
};

std::vector<uint8_t> ImportedRgb(const std::vector<uint8_t>& bytes) {
    const Packed packed = ImportBytes(bytes);
    if (!packed) {
        return {};
    }
    EXPECT_EQ(packed->biSize, 40u);
    return PackedRgb(packed.get());
}

} // namespace

TEST(BmpHeaderVersions, ImageMagickFilesDecodeLikePillow) {
    Generated g;
    ASSERT_TRUE(g.ok) << "ImageMagick's convert and python3 with Pillow are needed";
    for (size_t i = 0; i < std::size(kCases); ++i) {
        const std::vector<uint8_t> bytes = ReadWhole(g.files[i]);
        const std::vector<uint8_t> reference = ReadWhole(g.files[i] + ".rgb");
        ASSERT_GT(bytes.size(), kFileHeader + 4);
        EXPECT_EQ(Get32(bytes, kFileHeader), kCases[i].headerSize) << kCases[i].name;
        EXPECT_EQ(DifferentRgb(ImportedRgb(bytes), reference), 0) << kCases[i].name;
    }
}

// The smaller headers keep the masks of the bit-field files; the palette follows whatever
// header there is. Rows stored top first give the same picture.
TEST(BmpHeaderVersions, EveryHeaderSizeAndTopDownRowsGiveThePicture) {
    Generated g;
    ASSERT_TRUE(g.ok) << "ImageMagick's convert and python3 with Pillow are needed";
    for (size_t i = 1; i < std::size(kCases); ++i) {
        const Case& c = kCases[i];
        const std::vector<uint8_t> v5 = ReadWhole(g.files[i]);
        const std::vector<uint8_t> reference = ReadWhole(g.files[i] + ".rgb");
        for (uint32_t size : {52u, 56u, 108u}) {
            EXPECT_EQ(DifferentRgb(ImportedRgb(WithHeaderSize(v5, size)), reference), 0)
                << c.name << " as " << size;
        }
        // Run-length data is bottom-up by definition.
        if (Get32(v5, 30) != BI_RLE8) {
            EXPECT_EQ(DifferentRgb(ImportedRgb(TopDown(v5)), reference), 0) << c.name;
        }
    }
}

// Bit fields are handed on as a 40-byte bit-field file has them: three masks after the
// header, the alpha mask dropped.
TEST(BmpHeaderVersions, BitFieldsArePackedAsForTheInfoHeader) {
    Generated g;
    ASSERT_TRUE(g.ok) << "ImageMagick's convert and python3 with Pillow are needed";
    const Packed packed = ImportBytes(ReadWhole(g.dir.path() + "/v5-565.bmp"));
    ASSERT_TRUE(packed);
    EXPECT_EQ(packed->biCompression, static_cast<DWORD>(BI_BITFIELDS));
    EXPECT_EQ(packed->biBitCount, 16);
    const auto* masks = reinterpret_cast<const uint32_t*>(packed.get() + 1);
    EXPECT_EQ(masks[0], 0xF800u);
    EXPECT_EQ(masks[1], 0x07E0u);
    EXPECT_EQ(masks[2], 0x001Fu);
    EXPECT_EQ(GlobalSize(GlobalHandle(packed.get())), 40 + 12 + 2 * 7 * 14u);
}

// Embedded JPEG or PNG data, 4-bit run lengths and unknown header sizes are refused, each
// with its own reason.
TEST(BmpHeaderVersions, RefusalsSayWhatIsNotSupported) {
    Generated g;
    ASSERT_TRUE(g.ok) << "ImageMagick's convert and python3 with Pillow are needed";
    const std::vector<uint8_t> v5 = ReadWhole(g.dir.path() + "/v5-24.bmp");
    auto refusal = [&](std::vector<uint8_t> bytes) {
        ScratchDir dir;
        const std::string path = dir.Write("refused.bmp", bytes);
        ImportReport report;
        EXPECT_EQ(ImportPictureReporting(path.c_str(), 0xFFFFFFFFu, &report), nullptr);
        EXPECT_EQ(report.format, ImageImporter::Bmp);
        EXPECT_EQ(report.result, ImageImporter::BadFile);
        return std::string(report.detail ? report.detail : "");
    };
    std::vector<uint8_t> jpeg = v5;
    Put32(jpeg, 30, 4);
    EXPECT_EQ(refusal(jpeg), "BMP with embedded JPEG data");
    std::vector<uint8_t> png = v5;
    Put32(png, 30, 5);
    EXPECT_EQ(refusal(png), "BMP with embedded PNG data");
    std::vector<uint8_t> rle4 = v5;
    Put32(rle4, 30, 2);
    EXPECT_EQ(refusal(rle4), "BMP with 4-bit run-length compression");
    EXPECT_EQ(refusal(WithHeaderSize(v5, 64)), "BMP with an unknown header layout");
    std::vector<uint8_t> depth = v5;
    depth[28] = 12;
    EXPECT_EQ(refusal(depth), "BMP of a depth other than 1, 2, 4, 8, 16, 24 or 32 bits");
    // A pixel offset inside the header is no picture, whatever the header says.
    std::vector<uint8_t> offset = v5;
    Put32(offset, 10, 100);
    EXPECT_EQ(refusal(offset), "");
}
