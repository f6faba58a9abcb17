#include "make/PayloadWriter.h"

#include <cstring>
#include <limits>

namespace {
// Offsets and lengths in the layout are 32-bit.
constexpr uint64_t kLayoutLimit = std::numeric_limits<uint32_t>::max();

bool PutU32(const ByteSink& sink, uint32_t v) {
    BYTE bytes[sizeof v];
    for (size_t i = 0; i < sizeof v; ++i) {
        bytes[i] = static_cast<BYTE>(v >> (8 * i));
    }
    return sink(bytes);
}

uint32_t GetU32(std::span<const BYTE> in, size_t at) {
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

size_t PayloadOffset(std::span<const BYTE> image) {
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

bool SaverSize(std::span<const BYTE> image, const uint32_t* settings, const PayloadFaceView* faces,
               uint64_t& size, std::span<const BYTE> extension) {
    if (extension.size() > kExtensionMaxBytes) {
        return false;
    }
    // The text is stored with its zero byte.
    uint64_t total = uint64_t{PayloadOffset(image)} + kPayloadMagicBytes +
                     FormatSettingsText(settings).size() + 1 + extension.size() +
                     kPayloadOffsetBytes;
    for (int i = 0; i < kPayloadFaceCount; ++i) {
        if (faces[i].data.size() > kLayoutLimit) {
            return false;
        }
        total += kFaceEntryHeadBytes + uint64_t{faces[i].data.size()};
    }
    size = total;
    return total <= kLayoutLimit;
}

bool StreamSaver(std::span<const BYTE> image, const uint32_t* settings,
                 const PayloadFaceView* faces, const ByteSink& sink,
                 std::span<const BYTE> extension) {
    uint64_t total = 0;
    if (!SaverSize(image, settings, faces, total, extension)) {
        return false;
    }
    const size_t offset = PayloadOffset(image);
    const std::string text = FormatSettingsText(settings);
    const auto* textBytes = reinterpret_cast<const BYTE*>(text.c_str());
    if (!sink(image.first(offset)) || !PutU32(sink, kPayloadMagic1) ||
        !PutU32(sink, kPayloadMagic2) || !sink({textBytes, text.size() + 1})) {
        return false;
    }
    for (int i = 0; i < kPayloadFaceCount; ++i) {
        if (!sink({&faces[i].mode, 1}) ||
            !PutU32(sink, static_cast<uint32_t>(faces[i].data.size())) || !sink(faces[i].data)) {
            return false;
        }
    }
    if (!extension.empty() && !sink(extension)) {
        return false;
    }
    return PutU32(sink, static_cast<uint32_t>(offset));
}

bool WritePayload(std::vector<BYTE>& image, const uint32_t* settings, const PayloadFace* faces,
                  const std::vector<BYTE>* extension) {
    const std::span<const BYTE> block =
        extension ? std::span<const BYTE>(*extension) : std::span<const BYTE>();
    PayloadFaceView views[kPayloadFaceCount];
    for (int i = 0; i < kPayloadFaceCount; ++i) {
        views[i] = {faces[i].mode, faces[i].data};
    }
    uint64_t total = 0;
    if (!SaverSize(image, settings, views, total, block)) {
        return false;
    }
    std::vector<BYTE> written;
    written.reserve(static_cast<size_t>(total));
    StreamSaver(
        image, settings, views,
        [&written](std::span<const BYTE> bytes) {
            written.insert(written.end(), bytes.begin(), bytes.end());
            return true;
        },
        block);
    image = std::move(written);
    return true;
}
