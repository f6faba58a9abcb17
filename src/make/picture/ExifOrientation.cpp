#include "make/picture/ExifOrientation.h"

#include <cstring>

namespace {
constexpr uint16_t kOrientationTag = 0x0112;
constexpr uint16_t kTypeShort = 3;

// The TIFF structure inside the Exif block is in the byte order its header names.
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

// Orientation from a TIFF header and IFD0, or 0.
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
} // namespace

int ReadExifOrientation(std::span<const uint8_t> jpeg) {
    if (jpeg.size() < 4 || jpeg[0] != 0xFF || jpeg[1] != 0xD8) {
        return 0;
    }
    size_t at = 2;
    while (at + 4 <= jpeg.size()) {
        if (jpeg[at] != 0xFF) {
            return 0;
        }
        const uint8_t marker = jpeg[at + 1];
        if (marker == 0xFF) { // fill byte before a marker
            ++at;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) { // no length
            at += 2;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9) { // scan data or the end: no more headers
            return 0;
        }
        const size_t length = static_cast<size_t>(jpeg[at + 2] << 8 | jpeg[at + 3]);
        if (length < 2 || length > jpeg.size() - at - 2) {
            return 0;
        }
        const std::span<const uint8_t> body = jpeg.subspan(at + 4, length - 2);
        if (marker == 0xE1 && body.size() >= 6 && std::memcmp(body.data(), "Exif\0\0", 6) == 0) {
            return OrientationInTiff(body.subspan(6));
        }
        at += 2 + length;
    }
    return 0;
}

const char* OrientationText(int orientation) {
    switch (orientation) {
    case 2:
        return "mirrored left to right";
    case 3:
        return "turned 180 degrees";
    case 4:
        return "mirrored top to bottom";
    case 5:
        return "mirrored along its main diagonal";
    case 6:
        return "turned 90 degrees clockwise";
    case 7:
        return "mirrored along its other diagonal";
    case 8:
        return "turned 90 degrees anticlockwise";
    default:
        return "left as stored";
    }
}
