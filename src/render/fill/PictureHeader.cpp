#include "render/fill/PictureHeader.h"

#include "render/Renderer.h"

int ReadPictureHeader(const BITMAPINFOHEADER* header, PictureHeader& pic) {
    if (header == nullptr) {
        return kErrBadBitmap;
    }
    const int bits = header->biBitCount;
    if (header->biPlanes == 4 && bits == 32) {
        pic.format = SourceFormat::kCmyk;
    } else if (header->biPlanes != 1) {
        return kErrBadBitmap;
    } else if (bits == 1 || bits == 4 || bits == 8) {
        pic.format = static_cast<SourceFormat>(bits / 4);
    } else if (bits == 16 || bits == 24 || bits == 32) {
        pic.format = static_cast<SourceFormat>(bits / 8 + 1);
    } else {
        return kErrBadBitmap;
    }
    // Compressed rows are not addressable by a row table; an empty or absurdly large
    // picture would make the tiled modes divide by zero or overflow their periods.
    const int64_t height = header->biHeight < 0 ? -int64_t{header->biHeight} : header->biHeight;
    if ((header->biCompression != BI_RGB && header->biCompression != BI_BITFIELDS) ||
        header->biWidth <= 0 || height <= 0 || header->biWidth > kMaxPictureSide ||
        height > kMaxPictureSide) {
        return kErrBadBitmap;
    }
    pic.bits = bits;
    pic.width = header->biWidth;
    pic.height = static_cast<int32_t>(height);
    pic.stride = (int64_t{pic.width} * bits + 31) / 32 * 4;
    if (pic.stride * pic.height > int64_t{0x7FFFFFFF}) {
        return kErrBadBitmap;
    }
    return kNoError;
}
