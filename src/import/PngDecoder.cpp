// PNG through libpng 1.6: grey and palette pictures become 8-bit pictures with a colour
// table, all others 32-bit blue, green, red, (255 - alpha) pixels; a picture whose eXIf
// chunk records an orientation is stood upright by it. 16-bit samples keep their high byte,
// as other readers give them; an iCCP profile is handed on for the conversion to sRGB.
//
// libpng's errors leave through its own long jump (png_jmpbuf) back to the session
// function, over library frames only; the caller releases the structures and the row
// pointers and raises the result.
#include "import/ColourProfile.h"
#include "import/ImageImporter.h"
#include "import/PictureOrientation.h"
#include "import/PixelLayouts.h"

#include <algorithm>
#include <climits>
#include <csetjmp>
#include <cstdlib>

#include <png.h>

struct PngSession {
    png_structp png = nullptr;
    png_infop info = nullptr;
    png_bytep* rows = nullptr;
    int orientation = 0;

    ~PngSession() {
        std::free(rows);
        png_destroy_read_struct(&png, &info, nullptr);
    }
};

namespace {

constexpr size_t kSignatureSize = 8;

void ErrorFunction(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void WarningFunction(png_structp, png_const_charp) {}

// A short read raises a library error: libpng would otherwise work on bytes never read.
void ReadFunction(png_structp png, png_bytep data, size_t length) {
    auto* file = static_cast<ByteReader*>(png_get_io_ptr(png));
    bool complete = false;
    try {
        complete = length <= UINT_MAX && file->Read(data, static_cast<UINT>(length)) == length;
    } catch (...) {
        complete = false;
    }
    // png_error jumps, so it must not be called from inside the handler above.
    if (!complete) {
        png_error(png, "short read");
    }
}

// Steps shared by the probe and the decoder, after the signature has been read and
// checked: the structures, the read function and the header chunks. The caller has set
// the jump target.
void ReadHeader(PngSession* s, ByteReader* file) {
    png_set_read_fn(s->png, file, ReadFunction);
    png_set_sig_bytes(s->png, kSignatureSize);
    png_read_info(s->png, s->info);
}

// The orientation an eXIf chunk records, or 0.
int ExifOrientation(png_structp png, png_infop info) {
    png_uint_32 size = 0;
    png_bytep exif = nullptr;
    if (png_get_eXIf_1(png, info, &size, &exif) == 0 || exif == nullptr) {
        return 0;
    }
    return picture::OrientationInTiff({exif, size});
}

// The iCCP chunk's profile, which libpng has checked and inflated (within its own limit on
// chunk memory), into the importer; none above the profile limit.
void TakeIccProfile(png_structp png, png_infop info, ImageImporter* importer) {
    png_charp name = nullptr;
    int compression = 0;
    png_bytep profile = nullptr;
    png_uint_32 length = 0;
    if (png_get_iCCP(png, info, &name, &compression, &profile, &length) != 0 && profile &&
        length <= picture::kMaxIccProfileBytes) {
        importer->m_iccProfile.assign(profile, profile + length);
    }
}

bool CreateStructures(PngSession* s) {
    s->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, ErrorFunction, WarningFunction);
    if (!s->png) {
        return false;
    }
    s->info = png_create_info_struct(s->png);
    return s->info != nullptr;
}

bool ProbeSession(PngSession* s, ByteReader* file) {
    if (!CreateStructures(s)) {
        return false;
    }
    if (setjmp(png_jmpbuf(s->png))) {
        return false;
    }
    ReadHeader(s, file);
    return true;
}

// Picks the transformations and the colour table for the colour type; returns the
// produced depth.
WORD SetUpTransformations(png_structp png, png_infop info, ImageImporter* importer) {
    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colourType = 0;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colourType, nullptr, nullptr, nullptr);
    if (bitDepth < 8) {
        // Grey is widened with the grey-only expansion: the general one would also turn a
        // tRNS chunk into an alpha byte and the rows would no longer be 8-bit.
        if (colourType == PNG_COLOR_TYPE_PALETTE) {
            png_set_packing(png);
        } else {
            png_set_expand_gray_1_2_4_to_8(png);
        }
    } else if (bitDepth == 16) {
        png_set_strip_16(png);
    }

    BITMAPINFOHEADER& header = importer->m_header;
    switch (colourType) {
    case PNG_COLOR_TYPE_GRAY:
        picture::SetGreyRamp(importer->m_colours, header);
        return 8;
    case PNG_COLOR_TYPE_PALETTE: {
        png_colorp palette = nullptr;
        int count = 0;
        png_get_PLTE(png, info, &palette, &count);
        count = palette ? std::min(count, 256) : 0;
        for (int i = 0; i < count; ++i) {
            importer->m_colours[i] = RGBQUAD{palette[i].blue, palette[i].green, palette[i].red, 0};
        }
        header.biClrUsed = static_cast<DWORD>(count);
        // Only palettes carry a per-entry table; grey pictures get no transparency.
        png_bytep alpha = nullptr;
        int alphaCount = 0;
        if (png_get_valid(png, info, PNG_INFO_tRNS) &&
            png_get_tRNS(png, info, &alpha, &alphaCount, nullptr) && alpha) {
            for (int i = 0; i < alphaCount && i < 256; ++i) {
                importer->m_colours[i].rgbReserved = pixel::packed::ClearnessOf(alpha[i]);
            }
        }
        return 8;
    }
    case PNG_COLOR_TYPE_RGB:
        png_set_bgr(png);
        png_set_filler(png, 0, PNG_FILLER_AFTER);
        return 32;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        png_set_gray_to_rgb(png);
        [[fallthrough]];
    default: // PNG_COLOR_TYPE_RGB_ALPHA
        png_set_bgr(png);
        png_set_invert_alpha(png);
        return 32;
    }
}

ImageImporter::Error DecodeSession(PngSession* s, ImageImporter* importer) {
    if (!CreateStructures(s)) {
        return ImageImporter::NoMemory;
    }
    if (setjmp(png_jmpbuf(s->png))) {
        return ImageImporter::Failed;
    }
    ReadHeader(s, &importer->m_file);
    TakeIccProfile(s->png, s->info, importer);
    const png_uint_32 width = png_get_image_width(s->png, s->info);
    const png_uint_32 height = png_get_image_height(s->png, s->info);
    picture::SetHeader(importer->m_header, static_cast<LONG>(width), static_cast<LONG>(height), 0);
    const WORD depth = SetUpTransformations(s->png, s->info, importer);
    importer->m_header.biBitCount = depth;
    png_set_interlace_handling(s->png);
    png_read_update_info(s->png, s->info);

    // The rows must be exactly what the header says, or the renderer would read past them.
    const uint64_t stride = picture::RowStride(width, depth);
    if (png_get_rowbytes(s->png, s->info) != uint64_t{width} * (depth / 8)) {
        return ImageImporter::Failed;
    }
    const ImageImporter::Error allocated = importer->TryAllocatePixels(stride, height);
    if (allocated != ImageImporter::Ok) {
        return allocated;
    }
    s->rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * height));
    if (!s->rows) {
        return ImageImporter::NoMemory;
    }
    // The file's first row is the picture's top row, which goes last in memory.
    for (png_uint_32 i = 0; i < height; ++i) {
        s->rows[i] = importer->m_pixels + (height - 1 - i) * stride;
    }
    png_read_image(s->png, s->rows);
    // An eXIf chunk may follow the pixels; read into the same info, it is found either way.
    png_read_end(s->png, s->info);
    s->orientation = ExifOrientation(s->png, s->info);
    return ImageImporter::Ok;
}

bool ReadSignature(ByteReader& file) {
    png_byte signature[kSignatureSize];
    return file.Read(signature, kSignatureSize) == kSignatureSize &&
           png_sig_cmp(signature, 0, kSignatureSize) == 0;
}

} // namespace

bool ImageImporter::ProbePng() {
    if (!ReadSignature(m_file)) {
        return false;
    }
    PngSession session;
    return ProbeSession(&session, &m_file);
}

void ImageImporter::ReadPng() {
    if (!ReadSignature(m_file)) {
        throw BadFile;
    }
    Error result;
    int orientation = 0;
    {
        PngSession session;
        result = DecodeSession(&session, this);
        orientation = session.orientation;
    }
    if (result != Ok) {
        throw result;
    }
    picture::StandUpright(*this, orientation, false);
}
