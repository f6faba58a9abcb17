#include "make/PayloadExtensionWriter.h"

namespace {

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
}

void PutRecord(std::vector<uint8_t>& out, const char (&tag)[4], const std::vector<uint8_t>& data) {
    out.insert(out.end(), tag, tag + 4);
    PutU32(out, static_cast<uint32_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
}

} // namespace

std::vector<uint8_t> FormatPayloadExtension(const PayloadExtension& extension) {
    std::vector<uint8_t> out(kExtensionMagic, kExtensionMagic + 4);
    PutU32(out, kExtensionVersion);
    PutRecord(out, kPictureModeTag, {static_cast<uint8_t>(extension.pictureMode)});
    for (int face = 0; face < kExtensionFaceCount; ++face) {
        const std::string& name = extension.faceNames[face];
        // A name the reader would refuse is left out rather than cut or patched.
        if (IsStorableFaceName(name)) {
            std::vector<uint8_t> data{static_cast<uint8_t>(face)};
            data.insert(data.end(), name.begin(), name.end());
            PutRecord(out, kFaceNameTag, data);
        }
    }
    const PhotoFolderSetting& folder = extension.photoFolder;
    if (folder.Present()) {
        std::vector<uint8_t> data{static_cast<uint8_t>(folder.order)};
        PutU32(data, folder.changeSeconds);
        data.insert(data.end(), folder.path.begin(), folder.path.end());
        PutRecord(out, kPhotoFolderTag, data);
    }
    return out;
}
