#include "app/PayloadExtension.h"

#include <cstring>

namespace {

uint32_t U32At(const uint8_t* p) {
    return p[0] | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

bool TagIs(const uint8_t* p, const char (&tag)[4]) {
    return std::memcmp(p, tag, 4) == 0;
}

void TakeRecord(const uint8_t* tag, const uint8_t* data, uint32_t length, PayloadExtension& out) {
    if (TagIs(tag, kPictureModeTag) && length >= 1 && data[0] <= 1) {
        out.pictureMode = static_cast<PictureMode>(data[0]);
    }
}

} // namespace

void ParsePayloadExtension(const uint8_t* bytes, size_t size, PayloadExtension& out) {
    if (bytes == nullptr || size < kExtensionHeadBytes || size > kExtensionMaxBytes ||
        !TagIs(bytes, kExtensionMagic) || U32At(bytes + 4) != kExtensionVersion) {
        return;
    }
    out.present = true;
    size_t at = kExtensionHeadBytes;
    while (size - at >= kExtensionRecordHeadBytes) {
        const uint8_t* tag = bytes + at;
        const uint32_t length = U32At(bytes + at + 4);
        at += kExtensionRecordHeadBytes;
        if (length > size - at) {
            return;
        }
        TakeRecord(tag, bytes + at, length, out);
        ++out.records;
        at += length;
    }
}
