#include "import/PhotoDecode.h"

#include "framework/File.h"
#include "import/DrawableLayout.h"
#include "import/ImageImporter.h"

#include <algorithm>
#include <new>
#include <vector>

namespace {

uint32_t U16Be(const uint8_t* p) {
    return (uint32_t{p[0]} << 8) | p[1];
}

// The start-of-frame markers: C0-CF but for C4 (Huffman tables), C8 (reserved) and CC
// (arithmetic conditioning).
bool IsFrameMarker(uint8_t marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

} // namespace

bool JpegFrameSize(std::span<const uint8_t> bytes, uint32_t& width, uint32_t& height) {
    if (bytes.size() < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8) {
        return false;
    }
    size_t at = 2;
    // Each segment: FF, marker, 16-bit length counting itself; fill bytes FF may precede.
    while (at + 4 <= bytes.size()) {
        if (bytes[at] != 0xFF) {
            return false;
        }
        const uint8_t marker = bytes[at + 1];
        if (marker == 0xFF) {
            ++at;
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA) {
            return false; // the image's end or its scan, and no frame header before it
        }
        const uint32_t length = U16Be(&bytes[at + 2]);
        if (length < 2) {
            return false;
        }
        if (IsFrameMarker(marker)) {
            // Length, precision, height, width.
            if (length < 7 || at + 9 > bytes.size()) {
                return false;
            }
            height = U16Be(&bytes[at + 5]);
            width = U16Be(&bytes[at + 7]);
            return width > 0 && height > 0;
        }
        at += 2 + length;
    }
    return false;
}

unsigned JpegScaleFor(uint32_t width, uint32_t height, uint32_t side) {
    const uint32_t longer = std::max(width, height);
    unsigned scale = 8;
    while (scale > 1 && longer / scale < side) {
        scale /= 2;
    }
    return scale;
}

DecodedPhoto DecodePhotoBytes(std::span<const uint8_t> bytes, uint32_t side) {
    DecodedPhoto out;
    uint32_t width = 0;
    uint32_t height = 0;
    const unsigned scale =
        JpegFrameSize(bytes, width, height) ? JpegScaleFor(width, height, side) : 1;
    ImportReport report;
    PackedPicture imported(ImportPictureReporting(bytes, kMaxPhotoPixelBytes, &report, scale));
    if (!imported) {
        return out;
    }
    out.picture.reset(ToDrawableLayout(imported.release()));
    out.result = out.picture ? PhotoRead::kOk : PhotoRead::kNoPicture;
    return out;
}

DecodedPhoto DecodePhotoFile(const std::string& path, uint32_t side) {
    DecodedPhoto out;
    out.result = PhotoRead::kCannotOpen;
    try {
        CFile file;
        if (!file.Open(path.c_str(), CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary)) {
            return out;
        }
        const uint64_t length = file.GetLength();
        if (length == 0 || length > kMaxPhotoFileBytes) {
            out.result = PhotoRead::kNoPicture;
            return out;
        }
        std::vector<uint8_t> bytes(static_cast<size_t>(length));
        if (file.Read(bytes.data(), static_cast<UINT>(length)) != length) {
            return out; // cut short while read: the share went away, or the file is changing
        }
        return DecodePhotoBytes(bytes, side);
    } catch (const std::bad_alloc&) {
        out.result = PhotoRead::kCannotOpen; // tried again later, when memory may be free
    } catch (...) {
        out.result = PhotoRead::kCannotOpen;
    }
    return out;
}
