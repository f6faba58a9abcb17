#include "make/picture/PngWriter.h"

#include <cstring>
#include <png.h>

bool EncodePng(const RgbaImage& image, std::vector<uint8_t>& file) {
    if (image.width <= 0 || image.height <= 0) {
        return false;
    }
    const bool opaque = image.Opaque();
    std::vector<uint8_t> rgb;
    const uint8_t* rows = image.pixels.data();
    if (opaque) {
        rgb.resize(static_cast<size_t>(image.width) * image.height * 3);
        for (size_t i = 0, j = 0; j < rgb.size(); i += 4, j += 3) {
            std::memcpy(&rgb[j], &image.pixels[i], 3);
        }
        rows = rgb.data();
    }
    png_image info;
    std::memset(&info, 0, sizeof info);
    info.version = PNG_IMAGE_VERSION;
    info.width = static_cast<png_uint_32>(image.width);
    info.height = static_cast<png_uint_32>(image.height);
    info.format = opaque ? PNG_FORMAT_RGB : PNG_FORMAT_RGBA;
    // The simplified interface measures first (no buffer), then writes into the buffer.
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&info, nullptr, &size, 0, rows, 0, nullptr) || size == 0) {
        png_image_free(&info);
        return false;
    }
    file.resize(size);
    const bool ok = png_image_write_to_memory(&info, file.data(), &size, 0, rows, 0, nullptr);
    png_image_free(&info);
    file.resize(ok ? size : 0);
    return ok;
}
