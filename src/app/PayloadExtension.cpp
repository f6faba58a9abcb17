#include "app/PayloadExtension.h"

#include "platform/Utf16.h"

#include <algorithm>
#include <cstring>

namespace {

uint32_t U32At(const uint8_t* p) {
    return p[0] | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

bool TagIs(const uint8_t* p, const char (&tag)[4]) {
    return std::memcmp(p, tag, 4) == 0;
}

void TakePhotoFolder(const uint8_t* data, uint32_t length, PhotoFolderSetting& out) {
    if (length <= kPhotoFolderHeadBytes || length - kPhotoFolderHeadBytes > kMaxPhotoFolderBytes) {
        return;
    }
    const uint8_t order = data[0];
    const uint32_t seconds = U32At(data + 1);
    const uint8_t* path = data + kPhotoFolderHeadBytes;
    const size_t pathBytes = length - kPhotoFolderHeadBytes;
    if (order > static_cast<uint8_t>(PhotoOrder::kDate) || seconds == 0 ||
        seconds > kMaxChangeSeconds || std::memchr(path, 0, pathBytes) != nullptr) {
        return;
    }
    out.path.assign(reinterpret_cast<const char*>(path), pathBytes);
    out.order = static_cast<PhotoOrder>(order);
    out.changeSeconds = seconds;
}

void TakeRecord(const uint8_t* tag, const uint8_t* data, uint32_t length, PayloadExtension& out) {
    if (TagIs(tag, kPictureModeTag) && length >= 1 && data[0] <= 1) {
        out.pictureMode = static_cast<PictureMode>(data[0]);
    } else if (TagIs(tag, kPhotoFolderTag)) {
        TakePhotoFolder(data, length, out.photoFolder);
    }
    if (TagIs(tag, kFaceNameTag) && length >= 2 && data[0] < kExtensionFaceCount) {
        std::string name(reinterpret_cast<const char*>(data + 1), length - 1);
        if (IsStorableFaceName(name)) {
            out.faceNames[data[0]] = std::move(name);
        }
    }
}

} // namespace

bool IsStorableFaceName(const std::string& name) {
    std::u16string wide;
    return !name.empty() && name.size() <= kMaxFaceNameBytes &&
           std::none_of(name.begin(), name.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }) &&
           utf16::FromUtf8(name, wide);
}

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
