// Packing: header, colour table and pixel rows copied into one fixed global block.
#include "import/ImageImporter.h"

#include <cstring>

BITMAPINFOHEADER* ImportPicture(const char* fileName) {
    return ImportPictureWithLimit(fileName, 0xFFFFFFFFu);
}

BITMAPINFOHEADER* ImportPictureWithLimit(const char* fileName, DWORD pixelLimit) {
    ImageImporter importer;
    importer.m_pixelLimit = pixelLimit;
    const int format = importer.Identify(fileName);
    if (format == ImageImporter::None || format == ImageImporter::Unknown)
        return nullptr;
    if (importer.Decode() != ImageImporter::Ok)
        return nullptr;

    const DWORD infoSize = importer.GetInfoSize();
    const uint64_t total = uint64_t{infoSize} + importer.m_pixelSize;
    if (total > SIZE_MAX)
        return nullptr;
    const HGLOBAL block = GlobalAlloc(GMEM_FIXED, static_cast<SIZE_T>(total));
    if (!block)
        return nullptr;
    auto* packed = static_cast<BITMAPINFOHEADER*>(GlobalLock(block));
    if (!packed) {
        GlobalFree(block);
        return nullptr;
    }
    importer.GetInfo(packed);
    if (importer.m_pixelSize)
        std::memcpy(reinterpret_cast<uint8_t*>(packed) + infoSize, importer.m_pixels,
                    importer.m_pixelSize);
    importer.FreePixels();
    return packed;
}
