// GIF files: the first image only, with its palette, the transparent colour of a graphic
// control extension, and interlacing. Pixels are packed at 1, 4 or 8 bits by colour count.
// An image that does not cover its logical screen exactly is placed on it as an animation
// shows its first frame: 32-bit pixels, the screen's background colour marked clear around
// the image and under its transparent pixels.
#include "import/GifBlocks.h"
#include "import/GifRowOrder.h"
#include "import/ImageImporter.h"
#include "import/PictureLimits.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

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

// One screen pixel in the packed picture's 32-bit layout: blue, green, red, 255 - opacity.
uint32_t ScreenPixel(const RGBQUAD& c) {
    return c.rgbBlue | uint32_t{c.rgbGreen} << 8 | uint32_t{c.rgbRed} << 16;
}
constexpr uint32_t kClear = 0xFF000000u;

struct Screen {
    LONG width = 0, height = 0;
    uint32_t background = 0; // as ScreenPixel gives it
};

// Replaces the decoded image (palette pixels, bottom row first) by the whole screen with
// the image at (left, top), clipped to the screen. A screen larger than a face may be in the
// saver keeps the bare image, whatever limit the caller set, so that every caller gets the
// same picture.
void PlaceOnScreen(ImageImporter& importer, const Screen& screen, LONG left, LONG top,
                   int transparent) {
    BITMAPINFOHEADER& h = importer.m_header;
    const uint64_t stride = uint64_t{static_cast<uint64_t>(screen.width)} * 4;
    if (stride * static_cast<uint64_t>(screen.height) > picture::kMaxPixelBytes) {
        return;
    }
    const LONG width = h.biWidth, height = h.biHeight;
    const int depth = h.biBitCount;
    const uint64_t imageStride = picture::RowStride(static_cast<uint64_t>(width), depth);
    uint8_t* image = importer.m_pixels;
    importer.m_pixels = nullptr;
    importer.m_pixelSize = 0;
    struct Release {
        uint8_t* p;
        ~Release() { std::free(p); }
    } release{image};
    importer.AllocatePixels(stride, static_cast<uint64_t>(screen.height));
    auto* canvas = reinterpret_cast<uint32_t*>(importer.m_pixels);
    std::fill(canvas, canvas + uint64_t{static_cast<uint64_t>(screen.width)} * screen.height,
              screen.background | kClear);
    const LONG right = std::min<LONG>(screen.width, left + width);
    const LONG bottom = std::min<LONG>(screen.height, top + height);
    for (LONG y = top; y < bottom; ++y) {
        const uint8_t* row = image + (height - 1 - (y - top)) * imageStride;
        uint32_t* to = canvas + uint64_t{static_cast<uint64_t>(screen.height - 1 - y)} *
                                    static_cast<uint64_t>(screen.width);
        for (LONG x = left; x < right; ++x) {
            const LONG bit = (x - left) * depth;
            const int index = row[bit / 8] >> (8 - depth - bit % 8) & ((1 << depth) - 1);
            if (index != transparent) {
                to[x] = ScreenPixel(importer.m_colours[index]);
            }
        }
    }
    picture::SetHeader(h, screen.width, screen.height, 32);
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
    Screen screen{Le16(head + 6), Le16(head + 8), 0};
    if (flags & 0x80) {
        ReadColourTable(*this, static_cast<int>(m_header.biClrUsed));
        // Without a global table the background is black.
        if (head[11] < m_header.biClrUsed) {
            screen.background = ScreenPixel(m_colours[head[11]]);
        }
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
    LONG left = 0, top = 0;
    ReadGifImage(left, top);
    const bool covers = left == 0 && top == 0 && m_header.biWidth == screen.width &&
                        m_header.biHeight == screen.height;
    if (!covers && screen.width > 0 && screen.height > 0) {
        PlaceOnScreen(*this, screen, left, top, transparent);
    }
    if (transparent >= 0 && m_header.biBitCount <= 8) {
        m_colours[transparent].rgbReserved = 255;
    }
}

void ImageImporter::ReadGifImage(LONG& left, LONG& top) {
    uint8_t descriptor[9];
    ReadExact(descriptor, sizeof descriptor);
    left = Le16(descriptor);
    top = Le16(descriptor + 2);
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
