// TIFF through libtiff 4: the first image, read by file name as RGBA and turned into
// 32-bit blue, green, red, alpha pixels. libtiff reports errors by its results, so no
// jump is needed; its warning and error handlers are cleared before every open.
#include "import/ImageImporter.h"

#include <cstdint>
#include <utility>

#include <tiffio.h>

namespace {

TIFF* OpenQuietly(const char* fileName) {
    TIFFSetWarningHandler(nullptr);
    TIFFSetErrorHandler(nullptr);
    return TIFFOpen(fileName, "r");
}

ImageImporter::Error DecodeImage(TIFF* tiff, ImageImporter* importer) {
    uint32_t width = 0;
    uint32_t height = 0;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
    if (width == 0 || height == 0 || width > INT32_MAX || height > INT32_MAX) {
        return ImageImporter::BadFile;
    }
    const ImageImporter::Error allocated = importer->TryAllocatePixels(uint64_t{width} * 4, height);
    if (allocated != ImageImporter::Ok) {
        return allocated;
    }
    // The raster comes bottom row first, each pixel a 32-bit value with red in its low
    // byte: bytes red, green, blue, alpha.
    if (!TIFFReadRGBAImage(tiff, width, height, reinterpret_cast<uint32_t*>(importer->m_pixels),
                           0)) {
        return ImageImporter::Failed;
    }
    uint8_t* pixel = importer->m_pixels;
    for (uint64_t i = uint64_t{width} * height; i > 0; --i, pixel += 4) {
        std::swap(pixel[0], pixel[2]);
    }
    picture::SetHeader(importer->m_header, static_cast<LONG>(width), static_cast<LONG>(height), 32);
    return ImageImporter::Ok;
}

} // namespace

bool ImageImporter::ProbeTiff() {
    TIFF* tiff = OpenQuietly(m_fileName.c_str());
    if (!tiff) {
        return false;
    }
    TIFFClose(tiff);
    return true;
}

void ImageImporter::ReadTiff() {
    TIFF* tiff = OpenQuietly(m_fileName.c_str());
    if (!tiff) {
        throw Failed;
    }
    const Error result = DecodeImage(tiff, this);
    TIFFClose(tiff);
    if (result != Ok) {
        throw result;
    }
}
