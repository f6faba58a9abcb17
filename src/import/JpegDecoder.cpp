// JPEG through the libjpeg 6 interface: greyscale files become 8-bit pictures with a grey
// ramp, colour files 32-bit blue, green, red, extra pixels straight from the library, and
// CMYK and YCCK files (the library gives both as CMYK) 32-bit pixels converted here.
//
// A library error leaves through a long jump back to the session function that set it,
// which jumps over library frames only; the session function holds nothing that needs a
// destructor, and its caller releases the decompressor and raises the result.
#include "import/ImageImporter.h"

#include <csetjmp>
#include <cstdio>

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
};

namespace {

// Creates the decompressor, attaches the file and reads the header. Only runs inside a
// session function that has set the jump target.
void StartSession(JpegSession* s, ByteReader* file) {
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
    jpeg_read_header(&s->cinfo, TRUE);
}

bool ProbeSession(JpegSession* s, ByteReader* file) {
    if (setjmp(s->error.jump)) {
        return false;
    }
    StartSession(s, file);
    return true;
}

ImageImporter::Error DecodeSession(JpegSession* s, ImageImporter* importer) {
    if (setjmp(s->error.jump)) {
        return ImageImporter::Failed;
    }
    StartSession(s, &importer->m_file);
    jpeg_decompress_struct& cinfo = s->cinfo;
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
    if (result != Ok) {
        throw result;
    }
}
