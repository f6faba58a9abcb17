// The GIF reader on files whose structure is always sound: signature, screen descriptor,
// colour tables and image descriptor are built from the input, which then chooses the
// sub-block sizes of the image data (as short as one byte) and the code stream. In one
// kind of run the stream is pixel values from the input, LZW-encoded, and every decoded
// pixel is checked against them; in the other it is the input's bytes, with the chain or
// the file ending anywhere.
#include "../tests/import/GifLzwEncoder.h"
#include "import_fuzz_support.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <random>

namespace {

struct Picture {
    int width = 1;
    int height = 1;
    int tableBits = 0; // 2 << tableBits colours
    bool globalTable = false;
    bool localTable = false;
    bool interlaced = false;
    int transparent = -1;
    int minCodeSize = 2;
};

void Put16(std::vector<uint8_t>& out, int v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void PutTable(std::vector<uint8_t>& out, int bits) {
    for (int i = 0; i < (2 << bits); ++i) {
        out.insert(out.end(), {static_cast<uint8_t>(i), static_cast<uint8_t>(3 * i),
                               static_cast<uint8_t>(255 - i)});
    }
}

Picture ChoosePicture(FuzzedDataProvider& in, int maxSide) {
    Picture p;
    p.width = in.ConsumeIntegralInRange(0, maxSide);
    p.height = in.ConsumeIntegralInRange(0, maxSide);
    p.tableBits = in.ConsumeIntegralInRange(0, 7);
    p.globalTable = in.ConsumeBool();
    p.localTable = in.ConsumeBool();
    p.interlaced = in.ConsumeBool();
    if (in.ConsumeBool()) {
        p.transparent = in.ConsumeIntegral<uint8_t>();
    }
    return p;
}

// Everything in front of the image data, up to the LZW minimum code size byte.
std::vector<uint8_t> Headers(const Picture& p) {
    std::vector<uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
    Put16(out, p.width);
    Put16(out, p.height);
    out.insert(out.end(),
               {static_cast<uint8_t>((p.globalTable ? 0x80 : 0) | 0x70 | p.tableBits), 0, 0});
    if (p.globalTable) {
        PutTable(out, p.tableBits);
    }
    if (p.transparent >= 0) {
        out.insert(out.end(), {0x21, 0xF9, 4, 1, 0, 0, static_cast<uint8_t>(p.transparent), 0});
    }
    out.push_back(0x2C);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, p.width);
    Put16(out, p.height);
    out.push_back(
        static_cast<uint8_t>((p.localTable ? 0x80 | p.tableBits : 0) | (p.interlaced ? 0x40 : 0)));
    if (p.localTable) {
        PutTable(out, p.tableBits);
    }
    out.push_back(static_cast<uint8_t>(p.minCodeSize));
    return out;
}

// Sub-blocks of one size, mostly a small one, or of a size per block from the input (1
// once the input is used up). The last block is shorter when the data runs out.
void PutBlocks(std::vector<uint8_t>& out, const std::vector<uint8_t>& data,
               FuzzedDataProvider& in) {
    out.reserve(out.size() + 2 * data.size() + 2);
    const bool perBlock = in.ConsumeBool();
    const int fixed =
        in.ConsumeBool() ? in.ConsumeIntegralInRange(1, 8) : in.ConsumeIntegralInRange(1, 255);
    for (size_t at = 0; at < data.size();) {
        const size_t size =
            static_cast<size_t>(perBlock ? in.ConsumeIntegralInRange(1, 255) : fixed);
        const size_t n = std::min(size, data.size() - at);
        const size_t end = out.size();
        out.resize(end + 1 + n);
        out[end] = static_cast<uint8_t>(n);
        std::memcpy(out.data() + end + 1, data.data() + at, n);
        at += n;
    }
}

// Pixel values below the alphabet size: from the input, or from a generator it seeds
// (runs of one value give long strings, many values fill the table fast).
std::vector<uint8_t> ChooseValues(FuzzedDataProvider& in, size_t count, int alphabet) {
    std::vector<uint8_t> values;
    if (in.ConsumeBool()) {
        values = in.ConsumeBytes<uint8_t>(count);
        for (uint8_t& v : values) {
            v = static_cast<uint8_t>(v % alphabet);
        }
        return values;
    }
    std::minstd_rand random(in.ConsumeIntegral<uint32_t>());
    const unsigned repeat = in.ConsumeIntegralInRange(0u, 15u);
    values.resize(count);
    for (size_t i = 0; i < count; ++i) {
        values[i] = static_cast<uint8_t>(i > 0 && random() % 16 < repeat ? values[i - 1]
                                                                         : random() % alphabet);
    }
    return values;
}

// Picture rows (0 = top) in the order the stream fills them.
std::vector<int> StoredRows(int height, bool interlaced) {
    std::vector<int> rows;
    if (!interlaced) {
        for (int r = 0; r < height; ++r) {
            rows.push_back(r);
        }
        return rows;
    }
    constexpr int kStart[4] = {0, 4, 2, 1};
    constexpr int kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
        for (int r = kStart[pass]; r < height; r += kStep[pass]) {
            rows.push_back(r);
        }
    }
    return rows;
}

// Each pixel holds its value cut to the depth; pixels after the last value are 0.
void CheckPixels(const ImageImporter& im, const Picture& p, const std::vector<uint8_t>& values) {
    const int colours = 2 << p.tableBits;
    const int depth = colours > 16 ? 8 : colours > 2 ? 4 : 1;
    if (im.m_header.biBitCount != depth) {
        __builtin_trap();
    }
    const size_t stride = picture::RowStride(static_cast<uint64_t>(p.width), depth);
    const int perByte = 8 / depth;
    const std::vector<int> rows = StoredRows(p.height, p.interlaced);
    for (size_t i = 0; i < static_cast<size_t>(p.width) * static_cast<size_t>(p.height); ++i) {
        const int x = static_cast<int>(i % static_cast<size_t>(p.width));
        const int y = rows[i / static_cast<size_t>(p.width)];
        const uint8_t* row = im.m_pixels + static_cast<size_t>(p.height - 1 - y) * stride;
        const int shift = (perByte - 1 - x % perByte) * depth;
        const int actual = row[x / perByte] >> shift & ((1 << depth) - 1);
        const int expected = i < values.size() ? values[i] & ((1 << depth) - 1) : 0;
        if (actual != expected) {
            __builtin_trap();
        }
    }
}

// A sound stream of the input's pixel values; it must decode to exactly those values. At
// most 128 x 128 pixels: enough to fill the table, and a run stays short even when the
// fuzzer gets little processor time.
void RunEncoded(FuzzedDataProvider& in) {
    Picture p = ChoosePicture(in, 128);
    p.width = std::max(p.width, 1);
    p.height = std::max(p.height, 1);
    p.minCodeSize = in.ConsumeIntegralInRange(2, GifDecoder::kMaxInitialCodeSize);
    const bool clearWhenFull = in.ConsumeBool();
    const size_t pixels = static_cast<size_t>(p.width) * static_cast<size_t>(p.height);
    const size_t count = in.ConsumeIntegralInRange<size_t>(0, pixels);
    const int alphabet = in.ConsumeIntegralInRange(1, 1 << std::min(p.minCodeSize, 8));
    const std::vector<uint8_t> values = ChooseValues(in, count, alphabet);

    std::vector<uint8_t> gif = Headers(p);
    PutBlocks(gif, importtest::LzwEncode(values, p.minCodeSize, clearWhenFull), in);
    gif.insert(gif.end(), {0, 0x3B});

    const importfuzz::ScratchFile file(gif.data(), gif.size());
    ImageImporter importer;
    importer.m_pixelLimit = importfuzz::kPixelLimit;
    if (!file.written() || !importer.Open(file.path())) {
        return;
    }
    importer.m_format = ImageImporter::Gif;
    if (importer.Decode() != ImageImporter::Ok) {
        __builtin_trap();
    }
    CheckPixels(importer, p, values);
}

// The input's bytes as the code stream. The chain ends with the empty block, with the
// end of the file, or inside a block whose size promises more than follows.
void RunRaw(FuzzedDataProvider& in) {
    Picture p = ChoosePicture(in, 4096);
    p.minCodeSize = in.ConsumeIntegralInRange(0, 12);
    const int ending = in.ConsumeIntegralInRange(0, 2);
    const std::vector<uint8_t> codes =
        in.ConsumeBytes<uint8_t>(in.ConsumeIntegralInRange<size_t>(0, in.remaining_bytes()));
    std::vector<uint8_t> gif = Headers(p);
    PutBlocks(gif, codes, in);
    if (ending == 0) {
        gif.insert(gif.end(), {0, 0x3B});
    } else if (ending == 2) {
        gif.push_back(in.ConsumeIntegralInRange<uint8_t>(1, 255));
    }
    importfuzz::DecodeAs(gif.data(), gif.size(), ImageImporter::Gif);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    if (in.ConsumeBool()) {
        RunEncoded(in);
    } else {
        RunRaw(in);
    }
    return 0;
}
