// Packing: header, colour table and pixel rows copied into one fixed global block.
#include "import/ImageImporter.h"

#include <cstring>

BITMAPINFOHEADER* ImportPicture(const char* fileName) {
    return ImportPictureReporting(fileName, 0xFFFFFFFFu, nullptr);
}

BITMAPINFOHEADER* ImportPictureReporting(const char* fileName, DWORD pixelLimit,
                                         ImportReport* report, unsigned jpegScale) {
    ImportReport unused;
    ImportReport& out = report ? *report : unused;
    ImageImporter importer;
    importer.m_pixelLimit = pixelLimit;
    importer.m_jpegScale = jpegScale;
    out.format = importer.Identify(fileName);
    out.result = ImageImporter::BadFile;
    if (out.format == ImageImporter::None || out.format == ImageImporter::Unknown) {
        return nullptr;
    }
    out.result = importer.Decode();
    out.width = importer.m_header.biWidth;
    out.height =
        importer.m_header.biHeight < 0 ? -importer.m_header.biHeight : importer.m_header.biHeight;
    if (out.result != ImageImporter::Ok) {
        out.detail = importer.m_detail;
        return nullptr;
    }

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
