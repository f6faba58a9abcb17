#include "PixelFile.h"

#include <cstdint>
#include <cstdio>

bool WritePixelFile(const char* path, const BITMAPINFOHEADER& header, const void* bits) {
    const int bytesPerPixel = header.biBitCount == 32 ? 4 : header.biBitCount == 8 ? 1 : 0;
    const int32_t width = header.biWidth;
    // The region's bitmaps are bottom-up: memory row 0 is the bottom of the picture.
    const int32_t height = header.biHeight;
    if (bytesPerPixel == 0 || width <= 0 || height <= 0 || width > 65536 || height > 65536 ||
        bits == nullptr) {
        return false;
    }
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) {
        return false;
    }
    const size_t stride = (size_t(header.biBitCount) * width + 31) / 32 * 4;
    const size_t rowBytes = size_t(width) * bytesPerPixel;
    bool ok =
        std::fprintf(file, "P7\nWIDTH %d\nHEIGHT %d\nDEPTH %d\nMAXVAL 255\nTUPLTYPE %s\nENDHDR\n",
                     int(width), int(height), bytesPerPixel,
                     bytesPerPixel == 4 ? "BGRX" : "INDEX") > 0;
    const auto* base = static_cast<const uint8_t*>(bits);
    for (int32_t row = height - 1; ok && row >= 0; --row) {
        ok = std::fwrite(base + stride * row, 1, rowBytes, file) == rowBytes;
    }
    ok = std::fclose(file) == 0 && ok;
    if (!ok) {
        std::remove(path);
    }
    return ok;
}
