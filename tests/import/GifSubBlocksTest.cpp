// Image data in sub-blocks of every size: encoders may cut the code stream into blocks as
// short as one byte, so a code can span several of them.
#include "GifReference.h"
#include "GifTestSupport.h"

#include <random>

using namespace importtest;

namespace {

struct Picture {
    std::string file;
    GifSpec spec;
};

// Random values over the whole palette: short strings, so the table fills and the encoder
// clears it several times.
GifSpec RandomPicture(int colourBits, int blockSize, std::mt19937& random) {
    GifSpec s;
    s.width = 211;
    s.height = 233;
    s.globalColours = 1 << colourBits;
    s.minCodeSize = std::max(2, colourBits);
    s.blockSize = blockSize;
    s.clearWhenFull = true;
    for (int i = 0; i < s.width * s.height; ++i) {
        s.values.push_back(static_cast<uint8_t>(random() % static_cast<unsigned>(s.globalColours)));
    }
    return s;
}

int DifferentValues(const ImageImporter& im, const GifSpec& s) {
    int different = 0;
    for (int y = 0; y < s.height; ++y) {
        for (int x = 0; x < s.width; ++x) {
            different += GifIndexAt(im, x, y) != s.values[static_cast<size_t>(y * s.width + x)];
        }
    }
    return different;
}

int DifferentPixels(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    if (a.size() != b.size()) {
        return -1;
    }
    int different = 0;
    for (size_t i = 0; i < a.size(); i += 3) {
        different += a[i] != b[i] || a[i + 1] != b[i + 1] || a[i + 2] != b[i + 2];
    }
    return different;
}

// Decodes every picture and compares it with the values it was made from and with Pillow.
void ExpectLikePillow(const ScratchDir& dir, const std::vector<Picture>& pictures) {
    std::vector<std::string> files;
    for (const Picture& p : pictures) {
        files.push_back(p.file);
    }
    ASSERT_TRUE(PillowDecode(dir, files)) << "python3 with Pillow (python3-pil) is needed";
    for (const Picture& p : pictures) {
        ImageImporter im;
        if (im.Identify(p.file.c_str()) != ImageImporter::Gif || im.Decode() != ImageImporter::Ok) {
            ADD_FAILURE() << p.file << " not decoded";
            continue;
        }
        EXPECT_EQ(DifferentValues(im, p.spec), 0) << p.file;
        EXPECT_EQ(DifferentPixels(GifRgb(im), ReadWhole(p.file + ".rgb")), 0) << p.file;
    }
}

} // namespace

// Codes of 3 to 12 bits against blocks of 1 to 255 bytes: a 1-byte block holds less than
// one code, so one code may need two new blocks.
TEST(GifSubBlocks, EveryBlockSizeAndCodeWidthDecodesLikePillow) {
    ScratchDir dir;
    std::mt19937 random(11);
    std::vector<Picture> pictures;
    for (int blockSize : {1, 2, 3, 7, 255}) {
        for (int colourBits = 1; colourBits <= 8; ++colourBits) {
            GifSpec s = RandomPicture(colourBits, blockSize, random);
            int clears = 0;
            const std::vector<uint8_t> gif = MakeGif(s, &clears);
            ASSERT_GE(clears, 1) << "the table must fill for " << colourBits << " bits";
            const std::string name =
                "b" + std::to_string(blockSize) + "c" + std::to_string(colourBits) + ".gif";
            pictures.push_back({dir.Write(name, gif), s});
        }
    }
    ExpectLikePillow(dir, pictures);
}

// Four million pixels with the widest literal codes (12 bits from the start) in 1-byte
// blocks: every code spans two or three blocks.
TEST(GifSubBlocks, LargePictureInOneByteBlocksDecodesLikePillow) {
    GifSpec s;
    s.width = 2000;
    s.height = 2000;
    s.globalColours = 256;
    s.minCodeSize = 11;
    s.blockSize = 1;
    s.clearWhenFull = true;
    for (int y = 0; y < s.height; ++y) {
        for (int x = 0; x < s.width; ++x) {
            s.values.push_back(static_cast<uint8_t>((x / 40) * 7 + (y / 40) * 13));
        }
    }
    ScratchDir dir;
    ExpectLikePillow(dir, {{dir.Write("large.gif", MakeGif(s)), s}});
}

// Codes of 9 bits, one pixel each: the chain cut after 10 bytes holds 8 whole codes (the
// clear code and 7 pixels) and one bit of the next. The broken code ends the image.
TEST(GifSubBlocks, ChainEndingInsideACodeEndsTheImage) {
    GifSpec s;
    s.width = 16;
    s.height = 2;
    s.globalColours = 256;
    s.minCodeSize = 8;
    for (int i = 1; i <= 32; ++i) {
        s.values.push_back(static_cast<uint8_t>(i));
    }
    std::vector<uint8_t> data = LzwEncode(s.values, s.minCodeSize);
    data.resize(10);
    for (size_t blockSize : {1, 2, 255}) {
        Bytes b = GifHead(s);
        b.raw(ImageHead(s).data()).u8(s.minCodeSize).raw(SubBlocks(data, true, blockSize));
        b.u8(0x3B);
        auto d = DecodeBytes(b.data());
        ASSERT_EQ(d->result, ImageImporter::Ok) << blockSize;
        for (int x = 0; x < s.width; ++x) {
            EXPECT_EQ(GifIndexAt(d->importer, x, 0), x < 7 ? x + 1 : 0) << blockSize << " " << x;
        }
        EXPECT_EQ(GifIndexAt(d->importer, 0, 1), 0) << blockSize;
    }
}

// Blocks of one byte up to the end of the file: the block that the file cuts short still
// fails the import, however many blocks came before it.
TEST(GifSubBlocks, FileEndingInsideTinyBlocksFails) {
    GifSpec s;
    s.width = 40;
    s.height = 40;
    s.globalColours = 256;
    s.minCodeSize = 8;
    s.blockSize = 1;
    for (int i = 0; i < s.width * s.height; ++i) {
        s.values.push_back(static_cast<uint8_t>(i * 7));
    }
    std::vector<uint8_t> gif = MakeGif(s);
    gif.resize(gif.size() / 2);
    EXPECT_EQ(DecodeBytes(gif)->result, ImageImporter::Failed);
}
