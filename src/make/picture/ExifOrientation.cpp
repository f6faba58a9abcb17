#include "make/picture/ExifOrientation.h"

#include "import/PictureOrientation.h"

#include <cstring>

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
            return picture::OrientationInTiff(body.subspan(6));
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
