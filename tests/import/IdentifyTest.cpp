#include "GifReference.h"
#include "GifTestSupport.h"
#include "ImportTestSupport.h"
#include "PictureWriters.h"

#include <unistd.h>

using namespace importtest;

namespace {

std::vector<uint8_t> TinyPng() {
    PngSpec s;
    s.rows = {1, 2, 3};
    return WritePng(s);
}

std::vector<uint8_t> TinyBmp(uint32_t infoSize = 40) {
    Bytes b;
    b.text("BM").u32(58).u16(0).u16(0).u32(54).u32(infoSize).u32(1).u32(1).u16(1).u16(24);
    b.u32(0).u32(4).u32(0).u32(0).u32(0).u32(0).u8(1).u8(2).u8(3).u8(0);
    return b.data();
}

class CurrentFolder {
  public:
    explicit CurrentFolder(const std::string& path) {
        m_saved = getcwd(m_buffer, sizeof m_buffer) ? m_buffer : "/";
        EXPECT_EQ(chdir(path.c_str()), 0);
    }
    ~CurrentFolder() { EXPECT_EQ(chdir(m_saved.c_str()), 0); }

  private:
    char m_buffer[4096];
    std::string m_saved;
};

} // namespace

TEST(Identify, ContentDecidesNotTheName) {
    ScratchDir dir;
    ImageImporter importer;
    EXPECT_EQ(importer.Identify(dir.Write("photo.bmp", TinyPng()).c_str()), ImageImporter::Png);
    EXPECT_EQ(importer.m_file.GetPosition(), 0u);
    EXPECT_EQ(importer.Identify(dir.Write("photo.png", TinyBmp()).c_str()), ImageImporter::Bmp);
    const std::vector<uint8_t> shortIcon = {0, 0, 1, 0};
    EXPECT_EQ(importer.Identify(dir.Write("x.ico", shortIcon).c_str()), ImageImporter::Unknown);
    EXPECT_EQ(importer.Identify((dir.path() + "/missing").c_str()), ImageImporter::None);
    EXPECT_FALSE(importer.m_open);
}

TEST(Identify, BareNameInTheCurrentFolder) {
    ScratchDir dir;
    dir.Write("face.png", TinyPng());
    CurrentFolder here(dir.path());
    const char* gone = "C:\\no such folder\\face.png";
    ImageImporter importer;
    EXPECT_EQ(importer.Identify(gone), ImageImporter::Png);
    EXPECT_EQ(importer.m_fileName, gone);
    Packed p(ImportPicture(gone));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->biWidth, 1);
}

// Any header size makes a BMP, so that one the reader does not know is refused with a
// reason; the probe still needs the size field.
TEST(Identify, BitmapProbeNeedsTheInfoHeaderSizeField) {
    EXPECT_EQ(DecodeBytes(TinyBmp(12))->format, ImageImporter::Bmp);
    EXPECT_EQ(DecodeBytes(TinyBmp(108))->format, ImageImporter::Bmp);
    std::vector<uint8_t> cut = TinyBmp();
    cut.resize(17);
    EXPECT_EQ(DecodeBytes(cut)->format, ImageImporter::Unknown);
}

TEST(Identify, IconProbe) {
    Bytes icon;
    icon.u16(0).u16(2).u16(1).u8(16).u8(16).u8(0).u8(0).fill(12, 0);
    EXPECT_EQ(DecodeBytes(icon.data())->format, ImageImporter::Ico);
    std::vector<uint8_t> reserved = icon.data();
    reserved[9] = 1;
    EXPECT_EQ(DecodeBytes(reserved)->format, ImageImporter::Unknown);
    std::vector<uint8_t> none = icon.data();
    none[4] = 0;
    EXPECT_EQ(DecodeBytes(none)->format, ImageImporter::Unknown);
}

TEST(Identify, UnrecognisedOrMissingFilesGiveNull) {
    ScratchDir dir;
    const int before = OpenFileCount();
    EXPECT_EQ(ImportPicture((dir.path() + "/missing.gif").c_str()), nullptr);
    EXPECT_EQ(ImportPicture(dir.Write("empty", {}).c_str()), nullptr);
    EXPECT_EQ(ImportPicture(dir.Write("text", {'h', 'e', 'l', 'l', 'o'}).c_str()), nullptr);
    EXPECT_EQ(ImportPicture(nullptr), nullptr);
    EXPECT_EQ(OpenFileCount(), before);
}

TEST(Identify, DecodeWithoutIdentifyIsBadFile) {
    ImageImporter importer;
    EXPECT_EQ(importer.Decode(), ImageImporter::BadFile);
}

// Each format's row joins its code, name, probe and reader: a file of every format is
// recognised, named and decoded by the reader of its own row.
TEST(Identify, EveryFormatIsNamedAndReadByItsOwnReader) {
    ScratchDir dir;
    Bytes icon;
    icon.u16(0).u16(1).u16(1).u8(5).u8(1).u8(0).u8(0).u16(1).u16(24).u32(60).u32(22);
    icon.u32(40).u32(5).u32(2).u16(1).u16(24).fill(24, 0).fill(16, 7).fill(4, 0);
    PngSpec png;
    png.width = 2;
    png.rows = {1, 2, 3, 4, 5, 6};
    WriteTiff(dir.path() + "/tiff", 4, 1, 3, std::vector<uint8_t>(12, 9));
    GifSpec gif;
    gif.width = 6;
    gif.height = 1;
    gif.values = {0, 1, 2, 3, 0, 1};
    struct Case {
        std::string path;
        int format;
        const char* name;
        LONG width;
    };
    const Case cases[] = {
        {dir.Write("bmp", TinyBmp()), ImageImporter::Bmp, "BMP", 1},
        {dir.Write("jpeg", WriteJpeg(3, 1, 1, {10, 20, 30})), ImageImporter::Jpeg, "JPEG", 3},
        {dir.Write("png", WritePng(png)), ImageImporter::Png, "PNG", 2},
        {dir.path() + "/tiff", ImageImporter::Tiff, "TIFF", 4},
        {dir.Write("ico", icon.data()), ImageImporter::Ico, "ICO/CUR", 5},
        {dir.Write("gif", MakeGif(gif)), ImageImporter::Gif, "GIF", 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ImageImporter importer;
        ASSERT_EQ(importer.Identify(c.path.c_str()), c.format);
        EXPECT_STREQ(ImageImporter::FormatName(c.format), c.name);
        ASSERT_EQ(importer.Decode(), ImageImporter::Ok);
        EXPECT_EQ(importer.m_header.biWidth, c.width);
        // The bytes form is what the file form reads: the same format, the same picture.
        const std::vector<uint8_t> bytes = ReadWhole(c.path);
        ImageImporter fromBytes;
        EXPECT_EQ(fromBytes.Identify(bytes), c.format);
        const Packed viaFile(ImportPicture(c.path.c_str()));
        const Packed viaBytes(ImportPicture(bytes));
        ASSERT_TRUE(viaFile && viaBytes);
        const SIZE_T size = GlobalSize(GlobalHandle(viaFile.get()));
        ASSERT_EQ(GlobalSize(GlobalHandle(viaBytes.get())), size);
        EXPECT_EQ(std::memcmp(viaFile.get(), viaBytes.get(), size), 0);
    }
}

// The readers' file calls over memory: reads stop at the end, seeks may pass it but not
// the start, and the bytes are never written.
TEST(Identify, ByteReaderReadsLikeAFile) {
    const uint8_t bytes[5] = {1, 2, 3, 4, 5};
    ByteReader reader(bytes);
    uint8_t out[8] = {};
    EXPECT_EQ(reader.Read(out, 3), 3u);
    EXPECT_EQ(reader.GetPosition(), 3u);
    EXPECT_EQ(reader.Read(out, 8), 2u);
    EXPECT_EQ(out[1], 5);
    EXPECT_EQ(reader.Read(out, 8), 0u);
    EXPECT_EQ(reader.Seek(10, CFile::begin), 10u);
    EXPECT_EQ(reader.Read(out, 1), 0u);
    EXPECT_EQ(reader.Seek(-4, CFile::end), 1u);
    EXPECT_EQ(reader.Seek(2, CFile::current), 3u);
    EXPECT_EQ(reader.Rest().size(), 2u);
    EXPECT_EQ(reader.GetLength(), 5u);
    EXPECT_THROW(reader.Seek(-4, CFile::current), CFileException);
    EXPECT_EQ(reader.GetPosition(), 3u);
    ImageImporter importer;
    EXPECT_EQ(importer.Identify(std::span<const uint8_t>()), ImageImporter::Unknown);
}

TEST(Identify, CodesWithoutAFormatHaveNoReader) {
    EXPECT_STREQ(ImageImporter::FormatName(ImageImporter::None), "None");
    EXPECT_STREQ(ImageImporter::FormatName(ImageImporter::Unknown), "Unknown");
    EXPECT_STREQ(ImageImporter::FormatName(-1), "Unknown");
    EXPECT_STREQ(ImageImporter::FormatName(99), "Unknown");

    ScratchDir dir;
    ImageImporter importer;
    const std::string text = dir.Write("text", {'h', 'e', 'l', 'l', 'o'});
    ASSERT_EQ(importer.Identify(text.c_str()), ImageImporter::Unknown);
    EXPECT_EQ(importer.Decode(), ImageImporter::BadFile);
    ASSERT_EQ(importer.Identify(dir.Write("bmp", TinyBmp()).c_str()), ImageImporter::Bmp);
    importer.m_format = 99;
    EXPECT_EQ(importer.Decode(), ImageImporter::BadFile);
}

TEST(Packing, InfoSizeFollowsDepthAndCompression) {
    ImageImporter importer;
    importer.m_header.biBitCount = 4;
    EXPECT_EQ(importer.GetInfoSize(), 40u + 64u);
    importer.m_header.biBitCount = 1;
    EXPECT_EQ(importer.GetInfoSize(), 48u);
    importer.m_header.biBitCount = 24;
    EXPECT_EQ(importer.GetInfoSize(), 40u);
    importer.m_header.biBitCount = 32;
    importer.m_header.biCompression = BI_BITFIELDS;
    EXPECT_EQ(importer.GetInfoSize(), 52u);
}
