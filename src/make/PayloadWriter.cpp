#include "make/PayloadWriter.h"

#include <cstring>
#include <limits>

namespace {
// Offsets and lengths in the layout are 32-bit.
constexpr uint64_t kLayoutLimit = std::numeric_limits<uint32_t>::max();

void PutU32(std::vector<BYTE>& out, uint32_t v) {
    for (size_t i = 0; i < sizeof v; ++i) {
        out.push_back(static_cast<BYTE>(v >> (8 * i)));
    }
}

uint32_t GetU32(const std::vector<BYTE>& in, size_t at) {
    uint32_t v;
    std::memcpy(&v, in.data() + at, sizeof v);
    return v;
}
} // namespace

std::string FormatSettingsText(const uint32_t* values) {
    std::string text;
    for (int i = 0; i < kPayloadSettingCount; ++i) {
        if (i > 0) {
            text += ',';
        }
        text += std::to_string(values[i]);
    }
    return text;
}

size_t PayloadOffset(const std::vector<BYTE>& image) {
    const size_t size = image.size();
    if (size < kPayloadLeastFileSize || size > kLayoutLimit) {
        return size;
    }
    const size_t offsetAt = size - kPayloadOffsetBytes;
    const uint32_t offset = GetU32(image, offsetAt);
    if (offset >= offsetAt || offsetAt - offset < kPayloadMagicBytes) {
        return size;
    }
    if (GetU32(image, offset) != kPayloadMagic1 ||
        GetU32(image, offset + sizeof kPayloadMagic1) != kPayloadMagic2) {
        return size;
    }
    return offset;
}

bool WritePayload(std::vector<BYTE>& image, const uint32_t* settings, const PayloadFace* faces,
                  const std::vector<BYTE>* extension) {
    const size_t extensionBytes = extension ? extension->size() : 0;
    if (extensionBytes > kExtensionMaxBytes) {
        return false;
    }
    const size_t offset = PayloadOffset(image);
    const std::string text = FormatSettingsText(settings);
    // The text is stored with its zero byte.
    uint64_t total = uint64_t{offset} + kPayloadMagicBytes + text.size() + 1 + extensionBytes +
                     kPayloadOffsetBytes;
    for (int i = 0; i < kPayloadFaceCount; ++i) {
        if (faces[i].data.size() > kLayoutLimit) {
            return false;
        }
        total += kFaceEntryHeadBytes + uint64_t{faces[i].data.size()};
    }
    if (total > kLayoutLimit) {
        return false;
    }
    image.resize(offset);
    image.reserve(static_cast<size_t>(total));
    PutU32(image, kPayloadMagic1);
    PutU32(image, kPayloadMagic2);
    image.insert(image.end(), text.begin(), text.end());
    image.push_back(0);
    for (int i = 0; i < kPayloadFaceCount; ++i) {
        image.push_back(faces[i].mode);
        PutU32(image, static_cast<uint32_t>(faces[i].data.size()));
        image.insert(image.end(), faces[i].data.begin(), faces[i].data.end());
    }
    if (extension) {
        image.insert(image.end(), extension->begin(), extension->end());
    }
    PutU32(image, static_cast<uint32_t>(offset));
    return true;
}
