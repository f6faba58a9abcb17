// GIF files: the first image only, with its palette, the transparent colour of a graphic
// control extension, and interlacing. Pixels are packed at 1, 4 or 8 bits by colour count.
#include "import/GifBlocks.h"
#include "import/GifRowOrder.h"
#include "import/ImageImporter.h"
#include "import/PictureLimits.h"

#include <cctype>

using gif::kExtensionIntroducer;
using gif::kGraphicControlLabel;
using gif::kImageSeparator;
using gif::kTrailer;
using picture::Le16;

namespace {

void ReadColourTable(ImageImporter& importer, int count) {
    uint8_t triples[256 * 3];
    importer.ReadExact(triples, static_cast<UINT>(count * 3));
    for (int i = 0; i < count; ++i) {
        importer.m_colours[i] = RGBQUAD{triples[3 * i + 2], triples[3 * i + 1], triples[3 * i], 0};
    }
}

} // namespace

bool ImageImporter::ProbeGif() {
    uint8_t head[13];
    if (m_file.Read(head, sizeof head) != sizeof head) {
        return false;
    }
    return head[0] == 'G' && head[1] == 'I' && head[2] == 'F' && std::isdigit(head[3]) &&
           std::isdigit(head[4]);
}

void ImageImporter::ReadGif() {
    uint8_t head[13];
    ReadExact(head, sizeof head);
    if (head[0] != 'G' || head[1] != 'I' || head[2] != 'F' || !std::isdigit(head[3]) ||
        !std::isdigit(head[4])) {
        throw BadFile;
    }
    const uint8_t flags = head[10];
    picture::SetHeader(m_header, 0, 0, static_cast<WORD>(((flags >> 4) & 7) + 1));
    // The colour count is kept from the screen descriptor even without a global table: it
    // chooses the depth of an image that brings no table of its own.
    m_header.biClrUsed = 2u << (flags & 7);
    if (flags & 0x80) {
        ReadColourTable(*this, static_cast<int>(m_header.biClrUsed));
    }

    int transparent = -1;
    for (;;) {
        uint8_t introducer;
        ReadExact(&introducer, 1);
        if (introducer == kImageSeparator) {
            break;
        }
        if (introducer == kTrailer) {
            m_detail = "GIF without an image";
            throw NoImage;
        }
        if (introducer != kExtensionIntroducer) {
            throw BadFile;
        }
        uint8_t label;
        ReadExact(&label, 1);
        if (label == kGraphicControlLabel) {
            // Block size, flags, delay (2), transparent index, terminator.
            uint8_t control[6];
            ReadExact(control, sizeof control);
            if (control[1] & 1) {
                transparent = control[4];
            }
            continue;
        }
        for (;;) {
            uint8_t size;
            ReadExact(&size, 1);
            if (size == 0) {
                break;
            }
            m_file.Seek(size, CFile::current);
        }
    }
    ReadGifImage();
    if (transparent >= 0) {
        m_colours[transparent].rgbReserved = 255;
    }
}

void ImageImporter::ReadGifImage() {
    uint8_t descriptor[9];
    ReadExact(descriptor, sizeof descriptor);
    const LONG width = Le16(descriptor + 4);
    const LONG height = Le16(descriptor + 6);
    const uint8_t flags = descriptor[8];
    if (width == 0 || height == 0) {
        throw BadFile;
    }
    m_header.biWidth = width;
    m_header.biHeight = height;
    if (flags & 0x80) {
        m_header.biClrUsed = 2u << (flags & 7);
        ReadColourTable(*this, static_cast<int>(m_header.biClrUsed));
    }

    const DWORD colours = m_header.biClrUsed;
    m_header.biBitCount = colours > 16 ? 8 : colours > 2 ? 4 : 1;
    const uint64_t stride = picture::RowStride(static_cast<uint64_t>(width), m_header.biBitCount);
    AllocatePixels(stride, static_cast<uint64_t>(height));

    uint8_t codeSize;
    ReadExact(&codeSize, 1);
    if (codeSize > GifDecoder::kMaxInitialCodeSize) {
        throw BadFile;
    }
    m_gif.Init(codeSize, &m_file);
    DecodeGifPixels(static_cast<DWORD>(stride), (flags & 0x40) != 0);
}

// Rows fill from picture row 0 (the last row in memory). Within a byte the first pixel is
// in the high bits; it overwrites the byte and the following pixels are ORed in. Values
// wider than the depth are cut to it, so a corrupt stream cannot reach past the table.
void ImageImporter::DecodeGifPixels(DWORD stride, bool interlaced) {
    const LONG width = m_header.biWidth;
    const LONG height = m_header.biHeight;
    const int depth = m_header.biBitCount;
    const int perByte = 8 / depth;
    const int mask = (1 << depth) - 1;
    picture::GifRowOrder order(height, interlaced);
    LONG row = 0;
    LONG column = 0;
    uint8_t* line = m_pixels + static_cast<size_t>(height - 1 - row) * stride;
    for (;;) {
        const int value = m_gif.NextValue();
        if (value == GifDecoder::kNoValueYet) {
            continue;
        }
        if (value < 0) {
            return;
        }
        const int slot = column % perByte;
        const int shift = (perByte - 1 - slot) * depth;
        uint8_t& target = line[column / perByte];
        const uint8_t bits = static_cast<uint8_t>((value & mask) << shift);
        target = slot == 0 ? bits : static_cast<uint8_t>(target | bits);
        if (++column == width) {
            column = 0;
            row = order.Next();
            if (row < 0) {
                return;
            }
            line = m_pixels + static_cast<size_t>(height - 1 - row) * stride;
        }
    }
}
