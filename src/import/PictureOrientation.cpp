#include "import/PictureOrientation.h"

#include "import/ImageImporter.h"

#include <cstdlib>
#include <cstring>

namespace {
constexpr uint16_t kOrientationTag = 0x0112;
constexpr uint16_t kTypeShort = 3;

// The TIFF structure is in the byte order its header names.
struct TiffReader {
    std::span<const uint8_t> data;
    bool bigEndian = false;

    bool Has(uint64_t offset, uint64_t bytes) const { return offset + bytes <= data.size(); }
    uint16_t U16(uint64_t at) const {
        const uint8_t* p = data.data() + at;
        return bigEndian ? static_cast<uint16_t>(p[0] << 8 | p[1])
                         : static_cast<uint16_t>(p[1] << 8 | p[0]);
    }
    uint32_t U32(uint64_t at) const {
        const uint32_t a = U16(at), b = U16(at + 2);
        return bigEndian ? a << 16 | b : b << 16 | a;
    }
};

// Where the upright pixel (x, y) lies in the stored picture of width w and height h, both
// counted from the top-left corner. Orientation 6, for one, asks for a quarter turn
// clockwise: the upright top row is the stored left column read upward.
struct StoredAt {
    int64_t x, y;
};
StoredAt Source(int orientation, int64_t x, int64_t y, int64_t w, int64_t h) {
    switch (orientation) {
    case 2:
        return {w - 1 - x, y};
    case 3:
        return {w - 1 - x, h - 1 - y};
    case 4:
        return {x, h - 1 - y};
    case 5:
        return {y, x};
    case 6:
        return {y, h - 1 - x};
    case 7:
        return {w - 1 - y, h - 1 - x};
    case 8:
        return {w - 1 - y, x};
    default:
        return {x, y};
    }
}
} // namespace

namespace picture {

int OrientationInTiff(std::span<const uint8_t> tiff) {
    TiffReader r{tiff};
    if (!r.Has(0, 8)) {
        return 0;
    }
    if (std::memcmp(tiff.data(), "II*\0", 4) == 0) {
        r.bigEndian = false;
    } else if (std::memcmp(tiff.data(), "MM\0*", 4) == 0) {
        r.bigEndian = true;
    } else {
        return 0;
    }
    const uint64_t ifd = r.U32(4);
    if (!r.Has(ifd, 2)) {
        return 0;
    }
    const uint64_t count = r.U16(ifd);
    for (uint64_t i = 0; i < count; ++i) {
        const uint64_t entry = ifd + 2 + 12 * i;
        if (!r.Has(entry, 12)) {
            return 0;
        }
        if (r.U16(entry) != kOrientationTag) {
            continue;
        }
        // One SHORT sits in the first two bytes of the four-byte value field.
        if (r.U16(entry + 2) != kTypeShort || r.U32(entry + 4) < 1) {
            return 0;
        }
        const int value = r.U16(entry + 8);
        return value >= 1 && value <= 8 ? value : 0;
    }
    return 0;
}

void StandUpright(ImageImporter& importer, int orientation, bool topDown) {
    BITMAPINFOHEADER& h = importer.m_header;
    const int64_t bytes = h.biBitCount / 8;
    if ((bytes != 1 && bytes != 4) || ((orientation < 2 || orientation > 8) && !topDown)) {
        return;
    }
    const int64_t w = h.biWidth, rows = h.biHeight;
    const bool swap = orientation >= 5 && orientation <= 8;
    const int64_t outW = swap ? rows : w, outH = swap ? w : rows;
    const uint64_t inStride = RowStride(static_cast<uint64_t>(w), h.biBitCount);
    const uint64_t outStride = RowStride(static_cast<uint64_t>(outW), h.biBitCount);
    // The stored pixels move aside; AllocatePixels gives the importer a fresh buffer.
    uint8_t* stored = importer.m_pixels;
    importer.m_pixels = nullptr;
    importer.m_pixelSize = 0;
    struct Release {
        uint8_t* p;
        ~Release() { std::free(p); }
    } release{stored};
    importer.AllocatePixels(outStride, static_cast<uint64_t>(outH));
    for (int64_t y = 0; y < outH; ++y) {
        uint8_t* to = importer.m_pixels + (outH - 1 - y) * outStride;
        for (int64_t x = 0; x < outW; ++x, to += bytes) {
            const StoredAt at = Source(orientation, x, y, w, rows);
            const int64_t row = topDown ? at.y : rows - 1 - at.y;
            std::memcpy(to, stored + row * inStride + at.x * bytes, static_cast<size_t>(bytes));
        }
    }
    h.biWidth = static_cast<LONG>(outW);
    h.biHeight = static_cast<LONG>(outH);
}

} // namespace picture
