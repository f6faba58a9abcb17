#include "make/picture/PngShrinking.h"

#include "import/ColourProfile.h"
#include "import/PictureOrientation.h"
#include "make/picture/AreaResample.h"
#include "make/picture/Orientation.h"
#include "platform/StdPath.h"

#include <csetjmp>
#include <fstream>
#include <memory>
#include <vector>

#include <png.h>

namespace {

void ErrorFunction(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void WarningFunction(png_structp, png_const_charp) {}

void ReadFunction(png_structp png, png_bytep data, size_t length) {
    auto* in = static_cast<std::ifstream*>(png_get_io_ptr(png));
    if (!in->read(reinterpret_cast<char*>(data), static_cast<std::streamsize>(length))) {
        png_error(png, "short read");
    }
}

struct Session {
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::vector<uint8_t> row;
    std::unique_ptr<RowShrinker> shrinker;
    std::vector<uint8_t> icc; // the iCCP chunk's profile, converted from once shrunk
    ~Session() { png_destroy_read_struct(&png, &info, nullptr); }
};

// Red, green, blue and alpha bytes from every colour type and depth.
void SetUpRgba(png_structp png, png_infop info) {
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    if (!(png_get_color_type(png, info) & PNG_COLOR_MASK_ALPHA) &&
        !png_get_valid(png, info, PNG_INFO_tRNS)) {
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    }
    png_read_update_info(png, info);
}

// The steps between libpng calls that may jump: nothing here needs a destructor.
bool Decode(Session* s, std::ifstream* in, int maxSide, int* orientation) {
    if (setjmp(png_jmpbuf(s->png))) {
        return false;
    }
    png_set_read_fn(s->png, in, ReadFunction);
    png_read_info(s->png, s->info);
    png_charp name = nullptr;
    int compression = 0;
    png_bytep profile = nullptr;
    png_uint_32 profileLength = 0;
    if (png_get_iCCP(s->png, s->info, &name, &compression, &profile, &profileLength) != 0 &&
        profile && profileLength <= picture::kMaxIccProfileBytes) {
        s->icc.assign(profile, profile + profileLength);
    }
    const png_uint_32 width = png_get_image_width(s->png, s->info);
    const png_uint_32 height = png_get_image_height(s->png, s->info);
    if (png_get_interlace_type(s->png, s->info) != PNG_INTERLACE_NONE || width > 0x7FFFFFFF ||
        height > 0x7FFFFFFF) {
        return false;
    }
    SetUpRgba(s->png, s->info);
    if (png_get_rowbytes(s->png, s->info) != uint64_t{width} * 4) {
        return false;
    }
    int newWidth = 0, newHeight = 0;
    ShrunkSize(static_cast<int>(width), static_cast<int>(height), maxSide, newWidth, newHeight);
    s->row.resize(size_t{width} * 4);
    s->shrinker = std::make_unique<RowShrinker>(width, height, newWidth, newHeight);
    for (png_uint_32 y = 0; y < height; ++y) {
        png_read_row(s->png, s->row.data(), nullptr);
        s->shrinker->AddRow(s->row.data());
    }
    png_read_end(s->png, s->info);
    png_uint_32 size = 0;
    png_bytep exif = nullptr;
    if (png_get_eXIf_1(s->png, s->info, &size, &exif) != 0 && exif) {
        *orientation = picture::OrientationInTiff({exif, size});
    }
    return true;
}

} // namespace

bool ShrinkPngWhileDecoding(const std::string& path, int maxSide, RgbaImage& image) {
    std::ifstream in(StdPath(path), std::ios::binary);
    png_byte signature[8] = {};
    if (!in.read(reinterpret_cast<char*>(signature), sizeof signature) ||
        png_sig_cmp(signature, 0, sizeof signature) != 0) {
        return false;
    }
    Session s;
    s.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, ErrorFunction, WarningFunction);
    s.info = s.png ? png_create_info_struct(s.png) : nullptr;
    if (!s.info) {
        return false;
    }
    png_set_sig_bytes(s.png, sizeof signature);
    int orientation = 0;
    bool done = false;
    try {
        done = Decode(&s, &in, maxSide, &orientation);
    } catch (const std::bad_alloc&) {
        done = false;
    }
    if (!done) {
        return false;
    }
    image = Upright(s.shrinker->Result(), orientation);
    // Averaged as stored, then converted: a conversion is not linear in stored levels, so a
    // mixed colour may differ from the importer's by a level or so.
    picture::ConvertRgbaToSrgb(s.icc, image.pixels.data(), image.pixels.size() / 4);
    return true;
}
