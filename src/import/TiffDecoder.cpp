// TIFF through libtiff 4: the first image, read by file name as RGBA and turned into
// 32-bit blue, green, red, alpha pixels, stood upright as its orientation tag says.
// libtiff reports errors by its results, so no jump is needed; its warning and error
// handlers are cleared before every open.
#include "import/ImageImporter.h"
#include "import/PictureOrientation.h"

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
    picture::SetHeader(importer->m_header, static_cast<LONG>(width), static_cast<LONG>(height), 32);
    const ImageImporter::Error allocated = importer->TryAllocatePixels(uint64_t{width} * 4, height);
    if (allocated != ImageImporter::Ok) {
        return allocated;
    }
    // Each pixel a 32-bit value with red in its low byte: bytes red, green, blue, alpha.
    // The library only mirrors rows and columns for an orientation; asked for the one the
    // file records, it gives the raster as stored, top row first, and the turn is made
    // here. An upright picture comes bottom row first straight away.
    uint16_t orientation = ORIENTATION_TOPLEFT;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ORIENTATION, &orientation);
    const bool turned = orientation > ORIENTATION_TOPLEFT && orientation <= ORIENTATION_LEFTBOT;
    if (!TIFFReadRGBAImageOriented(tiff, width, height,
                                   reinterpret_cast<uint32_t*>(importer->m_pixels),
                                   turned ? orientation : ORIENTATION_BOTLEFT, 0)) {
        return ImageImporter::Failed;
    }
    uint8_t* pixel = importer->m_pixels;
    for (uint64_t i = uint64_t{width} * height; i > 0; --i, pixel += 4) {
        std::swap(pixel[0], pixel[2]);
    }
    if (turned) {
        picture::StandUpright(*importer, orientation, true);
    }
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
    Error result = Failed;
    try {
        result = DecodeImage(tiff, this);
    } catch (...) {
        TIFFClose(tiff);
        throw;
    }
    TIFFClose(tiff);
    if (result != Ok) {
        throw result;
    }
}
