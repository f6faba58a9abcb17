// JPEG through the libjpeg 6 interface: greyscale files become 8-bit pictures with a grey
// ramp, colour files 32-bit blue, green, red, extra pixels straight from the library, and
// CMYK and YCCK files (the library gives both as CMYK) 32-bit pixels converted here. The
// picture is stood upright by the orientation of its Exif block, and its ICC profile (APP2
// chunks) is handed on for the importer's conversion to sRGB.
//
// A library error leaves through a long jump back to the session function that set it,
// which jumps over library frames only; the session function holds nothing that needs a
// destructor, and its caller releases the decompressor and raises the result.
#include "import/ColourProfile.h"
#include "import/ImageImporter.h"
#include "import/PictureOrientation.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include <jpeglib.h>

#include <jerror.h>

namespace {

constexpr size_t kChunkSize = 4096;

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

// Reads the importer's open file in 4,096-byte chunks, like the library's own file source.
struct SourceManager {
    jpeg_source_mgr pub;
    ByteReader* file;
    JOCTET* buffer;
    bool startOfFile;
};

void ErrorExit(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

void OutputMessage(j_common_ptr) {}

void InitSource(j_decompress_ptr cinfo) {
    reinterpret_cast<SourceManager*>(cinfo->src)->startOfFile = true;
}

boolean FillInputBuffer(j_decompress_ptr cinfo) {
    auto* source = reinterpret_cast<SourceManager*>(cinfo->src);
    UINT read = 0;
    bool failed = false;
    try {
        read = source->file->Read(source->buffer, kChunkSize);
    } catch (...) {
        failed = true;
    }
    // The error exit jumps, so it must not be taken from inside the handler above.
    if (failed) {
        ERREXIT(cinfo, JERR_FILE_READ);
    }
    if (read == 0) {
        if (source->startOfFile) {
            ERREXIT(cinfo, JERR_INPUT_EMPTY);
        }
        // A truncated file ends with an inserted end-of-image marker, so it decodes to
        // its end with the missing part filled by the library.
        WARNMS(cinfo, JWRN_JPEG_EOF);
        source->buffer[0] = 0xFF;
        source->buffer[1] = JPEG_EOI;
        read = 2;
    }
    source->pub.next_input_byte = source->buffer;
    source->pub.bytes_in_buffer = read;
    source->startOfFile = false;
    return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count) {
    if (count <= 0) {
        return;
    }
    jpeg_source_mgr* source = cinfo->src;
    while (count > static_cast<long>(source->bytes_in_buffer)) {
        count -= static_cast<long>(source->bytes_in_buffer);
        FillInputBuffer(cinfo);
    }
    source->next_input_byte += count;
    source->bytes_in_buffer -= static_cast<size_t>(count);
}

void TermSource(j_decompress_ptr) {}

// a·b/255 rounded, as the usual 8-bit colour conversions compute it.
uint8_t MulDiv255(unsigned a, unsigned b) {
    const unsigned t = a * b + 128;
    return static_cast<uint8_t>(((t >> 8) + t) >> 8);
}

// Converts a row of CMYK pixels in place to blue, green, red and a fourth byte of 255, as
// the library's own colour output has it. Files with an Adobe marker (all that print tools
// write) store each ink inverted, 255 for none; the others store the ink itself. With
// n = 255 - black, a channel is n - ink · n / 255.
void CmykToBgr(uint8_t* row, JDIMENSION width, bool inverted) {
    const unsigned flip = inverted ? 255 : 0;
    for (JDIMENSION x = 0; x < width; ++x, row += 4) {
        const unsigned n = 255 - (row[3] ^ flip);
        const uint8_t red = static_cast<uint8_t>(n - MulDiv255(row[0] ^ flip, n));
        const uint8_t green = static_cast<uint8_t>(n - MulDiv255(row[1] ^ flip, n));
        row[0] = static_cast<uint8_t>(n - MulDiv255(row[2] ^ flip, n));
        row[1] = green;
        row[2] = red;
        row[3] = 255;
    }
}

} // namespace

struct JpegSession {
    jpeg_decompress_struct cinfo;
    ErrorManager error;
    SourceManager source;
    // The Exif orientation found by the decoder, applied once the library is done.
    int orientation = 0;
};

namespace {

constexpr char kExifName[] = "Exif\0";                  // with the literal's zero: 6 bytes
constexpr char kIccName[] = "ICC_PROFILE";              // and its zero: 12 bytes
constexpr size_t kIccChunkHeader = sizeof kIccName + 2; // then chunk number and count

bool MarkerNamed(const jpeg_saved_marker_ptr marker, int code, const char* name, size_t size) {
    return marker->marker == code && marker->data_length >= size &&
           std::memcmp(marker->data, name, size) == 0;
}

// The orientation of the first Exif block (APP1), 0 when there is none.
int ExifOrientation(const jpeg_decompress_struct& cinfo) {
    for (jpeg_saved_marker_ptr m = cinfo.marker_list; m; m = m->next) {
        if (MarkerNamed(m, JPEG_APP0 + 1, kExifName, sizeof kExifName)) {
            return picture::OrientationInTiff(
                {m->data + sizeof kExifName, m->data_length - sizeof kExifName});
        }
    }
    return 0;
}

// The ICC profile the APP2 chunks make up, into the importer; left empty when the chunks
// are broken (the library then warns and gives none) or would exceed the profile limit.
// The chunks' lengths are added up first, so an oversized profile is never put together.
void TakeIccProfile(j_decompress_ptr cinfo, ImageImporter* importer) {
    size_t total = 0;
    for (jpeg_saved_marker_ptr m = cinfo->marker_list; m; m = m->next) {
        if (MarkerNamed(m, JPEG_APP0 + 2, kIccName, sizeof kIccName)) {
            total += m->data_length - std::min<size_t>(m->data_length, kIccChunkHeader);
        }
    }
    JOCTET* data = nullptr;
    unsigned int length = 0;
    if (total == 0 || total > picture::kMaxIccProfileBytes ||
        !jpeg_read_icc_profile(cinfo, &data, &length)) {
        return;
    }
    try {
        importer->m_iccProfile.assign(data, data + length);
    } catch (...) {
        importer->m_iccProfile.clear(); // without memory for it, the colours stay as stored
    }
    std::free(data);
}

// Creates the decompressor, attaches the file and reads the header, keeping the Exif and
// ICC markers when `markers` is set. Only runs inside a session function that has set the
// jump target.
void StartSession(JpegSession* s, ByteReader* file, bool markers) {
    s->cinfo.err = jpeg_std_error(&s->error.pub);
    s->error.pub.error_exit = ErrorExit;
    s->error.pub.output_message = OutputMessage;
    jpeg_create_decompress(&s->cinfo);
    s->source.file = file;
    s->source.buffer = static_cast<JOCTET*>((*s->cinfo.mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(&s->cinfo), JPOOL_PERMANENT, kChunkSize));
    s->source.pub.init_source = InitSource;
    s->source.pub.fill_input_buffer = FillInputBuffer;
    s->source.pub.skip_input_data = SkipInputData;
    s->source.pub.resync_to_restart = jpeg_resync_to_restart;
    s->source.pub.term_source = TermSource;
    s->source.pub.bytes_in_buffer = 0;
    s->source.pub.next_input_byte = nullptr;
    s->cinfo.src = &s->source.pub;
    if (markers) {
        // Saved in the library's pool, so at most the file's length.
        jpeg_save_markers(&s->cinfo, JPEG_APP0 + 1, 0xFFFF);
        jpeg_save_markers(&s->cinfo, JPEG_APP0 + 2, 0xFFFF);
    }
    jpeg_read_header(&s->cinfo, TRUE);
}

bool ProbeSession(JpegSession* s, ByteReader* file) {
    if (setjmp(s->error.jump)) {
        return false;
    }
    StartSession(s, file, false);
    return true;
}

ImageImporter::Error DecodeSession(JpegSession* s, ImageImporter* importer) {
    if (setjmp(s->error.jump)) {
        return ImageImporter::Failed;
    }
    StartSession(s, &importer->m_file, true);
    jpeg_decompress_struct& cinfo = s->cinfo;
    s->orientation = ExifOrientation(cinfo);
    TakeIccProfile(&cinfo, importer);
    const bool grey = cinfo.jpeg_color_space == JCS_GRAYSCALE;
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = grey ? JCS_GRAYSCALE : cmyk ? JCS_CMYK : JCS_EXT_BGRA;
    // The library's DCT scaling reads a large file at a fraction of its size directly.
    cinfo.scale_num = 1;
    cinfo.scale_denom = importer->m_jpegScale;
    jpeg_calc_output_dimensions(&cinfo);
    const JDIMENSION width = cinfo.output_width, height = cinfo.output_height;
    const WORD depth = grey ? 8 : 32;
    const uint64_t stride = picture::RowStride(width, depth);
    picture::SetHeader(importer->m_header, static_cast<LONG>(width), static_cast<LONG>(height),
                       depth);
    const ImageImporter::Error allocated = importer->TryAllocatePixels(stride, height);
    if (allocated != ImageImporter::Ok) {
        return allocated;
    }
    if (grey) {
        picture::SetGreyRamp(importer->m_colours, importer->m_header);
    }

    jpeg_start_decompress(&cinfo);
    if (cinfo.output_width != width || cinfo.output_height != height ||
        cinfo.output_components != depth / 8) {
        return ImageImporter::Failed;
    }
    while (cinfo.output_scanline < height) {
        JSAMPROW row = importer->m_pixels + (height - 1 - cinfo.output_scanline) * stride;
        if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) {
            return ImageImporter::Failed;
        }
        if (cmyk) {
            CmykToBgr(row, width, cinfo.saw_Adobe_marker);
        }
    }
    jpeg_finish_decompress(&cinfo);
    return ImageImporter::Ok;
}

} // namespace

bool ImageImporter::ProbeJpeg() {
    JpegSession session{};
    const bool found = ProbeSession(&session, &m_file);
    jpeg_destroy_decompress(&session.cinfo);
    return found;
}

void ImageImporter::ReadJpeg() {
    JpegSession session{};
    const Error result = DecodeSession(&session, this);
    jpeg_destroy_decompress(&session.cinfo);
    if (result == TooLarge && session.orientation >= 5) {
        // Refused, it still reports the size it would be shown at, as a decoded one does.
        std::swap(m_header.biWidth, m_header.biHeight);
    }
    if (result != Ok) {
        throw result;
    }
    picture::StandUpright(*this, session.orientation, false);
}
