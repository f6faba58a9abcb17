#include "FrameImage.h"

#include "render/Renderer.h"

#include <png.h>

#include <cmath>
#include <cstdio>

RgbImage ImageFromRegion(const BITMAPINFOHEADER& header, const void* bits,
                         const RenderPalette* palette) {
    RgbImage image;
    image.width = header.biWidth;
    image.height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    image.rgb.resize(size_t(image.width) * image.height * 3);
    const size_t stride = (size_t(header.biBitCount) * image.width + 31) / 32 * 4;
    const auto* base = static_cast<const uint8_t*>(bits);
    for (int row = 0; row < image.height; ++row) {
        // Memory row 0 is the bottom of the picture unless the header says top-down.
        const int memoryRow = header.biHeight < 0 ? row : image.height - 1 - row;
        const uint8_t* src = base + stride * memoryRow;
        uint8_t* dst = &image.rgb[size_t(row) * image.width * 3];
        for (int x = 0; x < image.width; ++x, dst += 3) {
            if (header.biBitCount == 32) {
                dst[0] = src[4 * x + 2];
                dst[1] = src[4 * x + 1];
                dst[2] = src[4 * x];
            } else {
                const PALETTEENTRY& e = palette->entries[src[x]];
                dst[0] = e.peRed;
                dst[1] = e.peGreen;
                dst[2] = e.peBlue;
            }
        }
    }
    return image;
}

RgbImage ContactSheet(const std::vector<RgbImage>& frames) {
    RgbImage sheet;
    if (frames.empty()) {
        return sheet;
    }
    const int n = static_cast<int>(frames.size());
    const int columns = static_cast<int>(std::ceil(std::sqrt(double(n))));
    const int rows = (n + columns - 1) / columns;
    constexpr int gap = 4;
    const int w = frames[0].width, h = frames[0].height;
    sheet.width = columns * w + (columns - 1) * gap;
    sheet.height = rows * h + (rows - 1) * gap;
    sheet.rgb.assign(size_t(sheet.width) * sheet.height * 3, 0x40);
    for (int i = 0; i < n; ++i) {
        const int x0 = (i % columns) * (w + gap), y0 = (i / columns) * (h + gap);
        for (int y = 0; y < h; ++y) {
            const uint8_t* src = &frames[i].rgb[size_t(y) * w * 3];
            std::copy(src, src + size_t(w) * 3,
                      &sheet.rgb[(size_t(y0 + y) * sheet.width + x0) * 3]);
        }
    }
    return sheet;
}

bool WritePng(const std::string& path, const RgbImage& image) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    volatile bool ok = false;
    if (info && !setjmp(png_jmpbuf(png))) {
        png_init_io(png, file);
        png_set_IHDR(png, info, image.width, image.height, 8, PNG_COLOR_TYPE_RGB,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < image.height; ++y) {
            png_write_row(png, &image.rgb[size_t(y) * image.width * 3]);
        }
        png_write_end(png, nullptr);
        ok = true;
    }
    png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
    ok = (std::fclose(file) == 0) && ok;
    if (!ok) {
        std::remove(path.c_str());
    }
    return ok;
}

std::string NumberedPath(const std::string& path, int index) {
    char number[16];
    std::snprintf(number, sizeof number, "_%04d", index);
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return path + number;
    }
    return path.substr(0, dot) + number + path.substr(dot);
}
