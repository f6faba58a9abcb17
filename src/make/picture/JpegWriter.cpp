#include "make/picture/JpegWriter.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <jpeglib.h>

namespace {
// The library reports errors through error_exit, which must not return: it jumps back to
// EncodeRows, which owns nothing that needs a destructor.
struct ErrorJump {
    jpeg_error_mgr manager;
    std::jmp_buf back;
};

void JumpBack(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorJump*>(info->err)->back, 1);
}

void Silent(j_common_ptr, int) {}

// Encodes rows (top row first, `stride` bytes apart) into a buffer the library mallocs; the
// caller frees *out. False on a library error.
bool EncodeRows(const JpegRows& rows, int quality, unsigned char** out, unsigned long* outSize) {
    jpeg_compress_struct info;
    ErrorJump error;
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = JumpBack;
    error.manager.emit_message = Silent;
    if (setjmp(error.back)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, out, outSize);
    info.image_width = static_cast<JDIMENSION>(rows.width);
    info.image_height = static_cast<JDIMENSION>(rows.height);
    info.input_components = rows.layout == JpegRows::kRgbx ? 4 : 3;
    info.in_color_space = rows.layout == JpegRows::kRgbx ? JCS_EXT_RGBX : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    info.optimize_coding = rows.optimizeCoding ? TRUE : FALSE;
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rows.pixels + info.next_scanline * rows.stride);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}
} // namespace

bool EncodeJpegRows(const JpegRows& rows, int quality, std::vector<uint8_t>& file) {
    const size_t pixelBytes = rows.layout == JpegRows::kRgbx ? 4 : 3;
    if (!rows.pixels || rows.width <= 0 || rows.height <= 0 || rows.width > JPEG_MAX_DIMENSION ||
        rows.height > JPEG_MAX_DIMENSION || rows.stride / pixelBytes < size_t(rows.width) ||
        quality < 1 || quality > 100) {
        return false;
    }
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    const bool ok = EncodeRows(rows, quality, &out, &outSize);
    if (ok) {
        file.assign(out, out + outSize);
    }
    std::free(out);
    return ok;
}

bool EncodeJpeg(const RgbaImage& image, int quality, std::vector<uint8_t>& file) {
    if (image.width <= 0 || image.height <= 0 || image.width > JPEG_MAX_DIMENSION ||
        image.height > JPEG_MAX_DIMENSION) {
        return false;
    }
    std::vector<uint8_t> rgb(static_cast<size_t>(image.width) * image.height * 3);
    for (size_t i = 0, j = 0; j < rgb.size(); i += 4, j += 3) {
        std::memcpy(&rgb[j], &image.pixels[i], 3);
    }
    const JpegRows rows{rgb.data(), static_cast<size_t>(image.width) * 3, image.width, image.height,
                        JpegRows::kRgb};
    return EncodeJpegRows(rows, quality, file);
}
