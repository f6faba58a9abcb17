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

// Encodes `rows` (RGB, top row first) into a buffer the library mallocs; the caller frees
// *out. False on a library error.
bool EncodeRows(const uint8_t* rgb, int width, int height, int quality, unsigned char** out,
                unsigned long* outSize) {
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
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    info.optimize_coding = TRUE;
    jpeg_start_compress(&info, TRUE);
    const size_t stride = static_cast<size_t>(width) * 3;
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb + info.next_scanline * stride);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}
} // namespace

bool EncodeJpeg(const RgbaImage& image, int quality, std::vector<uint8_t>& file) {
    if (image.width <= 0 || image.height <= 0 || image.width > JPEG_MAX_DIMENSION ||
        image.height > JPEG_MAX_DIMENSION) {
        return false;
    }
    std::vector<uint8_t> rgb(static_cast<size_t>(image.width) * image.height * 3);
    for (size_t i = 0, j = 0; j < rgb.size(); i += 4, j += 3) {
        std::memcpy(&rgb[j], &image.pixels[i], 3);
    }
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    const bool ok = EncodeRows(rgb.data(), image.width, image.height, quality, &out, &outSize);
    if (ok) {
        file.assign(out, out + outSize);
    }
    std::free(out);
    return ok;
}
