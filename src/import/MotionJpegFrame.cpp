#include "import/MotionJpegFrame.h"

#include <csetjmp>
#include <cstdio>
#include <new>

#include <jpeglib.h>

#include <jerror.h>

// The library reports an error through error_exit, which must not return: it jumps back to
// DecodeInto, which holds nothing that needs a destructor. Warnings (data cut short, corrupt
// entropy data, a marker where data belongs) are counted instead of printed: any of them
// makes the frame damaged.
struct MotionJpegFrame::Session {
    jpeg_decompress_struct info;
    jpeg_error_mgr error;
    std::jmp_buf back;
    bool created = false;
};

namespace {
void JumpBack(j_common_ptr info) {
    auto* session = reinterpret_cast<MotionJpegFrame::Session*>(info->client_data);
    std::longjmp(session->back, 1);
}
void CountWarnings(j_common_ptr info, int level) {
    if (level < 0) {
        ++info->err->num_warnings;
    }
}
void Silent(j_common_ptr) {}
} // namespace

MotionJpegFrame::MotionJpegFrame() : m_session(new Session) {
    Session& s = *m_session;
    s.info.err = jpeg_std_error(&s.error);
    s.error.error_exit = JumpBack;
    s.error.emit_message = CountWarnings;
    s.error.output_message = Silent;
    if (setjmp(s.back)) {
        // Out of memory for the decompressor itself: every Decode then fails.
        return;
    }
    jpeg_create_decompress(&s.info);
    s.info.client_data = m_session.get();
    s.created = true;
}

MotionJpegFrame::~MotionJpegFrame() {
    if (m_session->created) {
        jpeg_destroy_decompress(&m_session->info);
    }
}

uint32_t MotionJpegFrame::ScaledSide(uint32_t side, int denominator) {
    const uint32_t d = denominator == 2 || denominator == 4 || denominator == 8 ? denominator : 1;
    return (side + d - 1) / d;
}

namespace {
// Only here may the library jump back to.
bool DecodeInto(MotionJpegFrame::Session& s, std::span<const uint8_t> jpeg, int denominator,
                uint32_t width, uint32_t height, uint8_t* pixels, size_t stride) {
    jpeg_decompress_struct& info = s.info;
    if (setjmp(s.back)) {
        jpeg_abort_decompress(&info);
        return false;
    }
    s.error.num_warnings = 0;
    jpeg_mem_src(&info, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
        jpeg_abort_decompress(&info);
        return false;
    }
    info.out_color_space = JCS_EXT_BGRX;
    info.scale_num = 1;
    info.scale_denom = static_cast<unsigned>(denominator);
    jpeg_calc_output_dimensions(&info);
    // The frame's own size, not the stream header's, decides whether it fits the rows.
    if (info.output_width != width || info.output_height != height || info.output_components != 4) {
        jpeg_abort_decompress(&info);
        return false;
    }
    jpeg_start_decompress(&info);
    while (info.output_scanline < height) {
        JSAMPROW row = pixels + (height - 1 - info.output_scanline) * stride;
        if (jpeg_read_scanlines(&info, &row, 1) != 1) {
            jpeg_abort_decompress(&info);
            return false;
        }
    }
    jpeg_finish_decompress(&info);
    return info.err->num_warnings == 0;
}
} // namespace

bool MotionJpegFrame::Decode(std::span<const uint8_t> jpeg, int denominator, uint32_t width,
                             uint32_t height, uint8_t* pixels, size_t stride) {
    // The library takes its size as an unsigned long, 32 bits in the Windows build.
    if (!m_session->created || jpeg.empty() || jpeg.size() > 0x7FFFFFFFu || width == 0 ||
        height == 0 || stride / 4 < width) {
        return false;
    }
    const int d = denominator == 2 || denominator == 4 || denominator == 8 ? denominator : 1;
    return DecodeInto(*m_session, jpeg, d, width, height, pixels, stride);
}
