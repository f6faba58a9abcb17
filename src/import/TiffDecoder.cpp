// TIFF through libtiff 4: the first image, read from the importer's bytes as RGBA and
// turned into 32-bit blue, green, red, alpha pixels, stood upright as its orientation tag
// says, with its ICC profile handed on for the conversion to sRGB. libtiff reports errors by its
// results, so no jump is needed; its warning and error handlers are cleared before every open.
#include "import/ColourProfile.h"
#include "import/ImageImporter.h"
#include "import/PictureOrientation.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <span>
#include <utility>

#include <tiffio.h>

namespace {

// libtiff reads through these over a cursor of its own on the held bytes, so that the
// importer's position is left alone. Nothing is ever written or mapped.
struct MemorySource {
    std::span<const uint8_t> bytes;
    uint64_t position = 0;
};

tmsize_t ReadProc(thandle_t handle, void* buffer, tmsize_t size) {
    auto* source = static_cast<MemorySource*>(handle);
    if (size < 0 || source->position >= source->bytes.size()) {
        return 0;
    }
    const uint64_t n =
        std::min<uint64_t>(static_cast<uint64_t>(size), source->bytes.size() - source->position);
    std::memcpy(buffer, source->bytes.data() + source->position, static_cast<size_t>(n));
    source->position += n;
    return static_cast<tmsize_t>(n);
}

tmsize_t WriteProc(thandle_t, void*, tmsize_t) {
    return -1;
}

toff_t SeekProc(thandle_t handle, toff_t offset, int whence) {
    auto* source = static_cast<MemorySource*>(handle);
    uint64_t base = 0;
    if (whence == SEEK_CUR) {
        base = source->position;
    } else if (whence == SEEK_END) {
        base = source->bytes.size();
    }
    // Offsets are unsigned here; a "negative" one wraps, as libtiff itself expects.
    source->position = base + offset;
    return source->position;
}

int CloseProc(thandle_t) {
    return 0;
}

toff_t SizeProc(thandle_t handle) {
    return static_cast<MemorySource*>(handle)->bytes.size();
}

int MapProc(thandle_t, void**, toff_t*) {
    return 0;
}

void UnmapProc(thandle_t, void*, toff_t) {}

TIFF* OpenQuietly(MemorySource& source) {
    TIFFSetWarningHandler(nullptr);
    TIFFSetErrorHandler(nullptr);
    // "m": no memory mapping, which would hand libtiff the bytes behind our procedures.
    return TIFFClientOpen("picture", "rm", &source, ReadProc, WriteProc, SeekProc, CloseProc,
                          SizeProc, MapProc, UnmapProc);
}

// The profile of the ICC tag, into the importer; none above the profile limit.
void TakeIccProfile(TIFF* tiff, ImageImporter* importer) {
    uint32_t length = 0;
    void* profile = nullptr;
    if (TIFFGetField(tiff, TIFFTAG_ICCPROFILE, &length, &profile) && profile &&
        length <= picture::kMaxIccProfileBytes) {
        const auto* bytes = static_cast<const uint8_t*>(profile);
        importer->m_iccProfile.assign(bytes, bytes + length);
    }
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
    TakeIccProfile(tiff, importer);
    return ImageImporter::Ok;
}

} // namespace

bool ImageImporter::ProbeTiff() {
    MemorySource source{m_file.Bytes()};
    TIFF* tiff = OpenQuietly(source);
    if (!tiff) {
        return false;
    }
    TIFFClose(tiff);
    return true;
}

void ImageImporter::ReadTiff() {
    MemorySource source{m_file.Bytes()};
    TIFF* tiff = OpenQuietly(source);
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
