// Packing: header, colour table and pixel rows copied into one fixed global block.
#include "import/ImageImporter.h"

#include <atomic>
#include <cstring>
#include <limits>

namespace {
std::atomic<uint64_t> g_decoded{0};

// Decodes what the importer identified and packs it; the report says what happened.
BITMAPINFOHEADER* DecodeAndPack(ImageImporter& importer, ImportReport& out) {
    out.result = ImageImporter::BadFile;
    if (out.format == ImageImporter::None || out.format == ImageImporter::Unknown) {
        if (importer.m_tooLarge) {
            out.result = ImageImporter::TooLarge;
        }
        return nullptr;
    }
    ++g_decoded;
    out.result = importer.Decode();
    out.width = importer.m_header.biWidth;
    // A top-down height of -2^31 rows has no positive LONG: it is reported as the largest.
    const LONG height = importer.m_header.biHeight;
    out.height = height >= 0                                  ? height
                 : height == std::numeric_limits<LONG>::min() ? std::numeric_limits<LONG>::max()
                                                              : -height;
    if (out.result != ImageImporter::Ok) {
        out.detail = importer.m_detail;
        return nullptr;
    }
    out.bitCount = importer.m_header.biBitCount;

    const DWORD infoSize = importer.GetInfoSize();
    const uint64_t total = uint64_t{infoSize} + importer.m_pixelSize;
    const HGLOBAL block =
        total <= SIZE_MAX ? GlobalAlloc(GMEM_FIXED, static_cast<SIZE_T>(total)) : nullptr;
    auto* packed = block ? static_cast<BITMAPINFOHEADER*>(GlobalLock(block)) : nullptr;
    if (!packed) {
        if (block) {
            GlobalFree(block);
        }
        out.result = ImageImporter::NoMemory;
        return nullptr;
    }
    importer.GetInfo(packed);
    if (importer.m_pixelSize) {
        std::memcpy(reinterpret_cast<uint8_t*>(packed) + infoSize, importer.m_pixels,
                    importer.m_pixelSize);
    }
    importer.FreePixels();
    return packed;
}

// One import from bytes or from a named file, whichever Identify is given.
template <typename Source>
BITMAPINFOHEADER* ImportFrom(const Source& source, DWORD pixelLimit, ImportReport* report,
                             unsigned jpegScale) {
    ImportReport unused;
    ImportReport& out = report ? *report : unused;
    ImageImporter importer;
    importer.m_pixelLimit = pixelLimit;
    importer.m_jpegScale = jpegScale;
    out.format = importer.Identify(source);
    return DecodeAndPack(importer, out);
}
} // namespace

uint64_t PicturesDecoded() {
    return g_decoded.load();
}

BITMAPINFOHEADER* ImportPicture(std::span<const uint8_t> bytes) {
    return ImportPictureReporting(bytes, picture::kMaxPixelBytes, nullptr);
}

BITMAPINFOHEADER* ImportPicture(const char* fileName) {
    return ImportPictureReporting(fileName, picture::kMaxPixelBytes, nullptr);
}

BITMAPINFOHEADER* ImportPictureReporting(std::span<const uint8_t> bytes, DWORD pixelLimit,
                                         ImportReport* report, unsigned jpegScale) {
    return ImportFrom(bytes, pixelLimit, report, jpegScale);
}

// The importer reads the file itself rather than through the bytes form, so that the
// report can tell a file too long to read from one that does not open.
BITMAPINFOHEADER* ImportPictureReporting(const char* fileName, DWORD pixelLimit,
                                         ImportReport* report, unsigned jpegScale) {
    return ImportFrom(fileName, pixelLimit, report, jpegScale);
}
