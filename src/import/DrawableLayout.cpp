#include "import/DrawableLayout.h"

#include "import/PackedPicture.h"

#include "import/ImageImporter.h"

#include <cstring>

namespace {

constexpr DWORD kRed555 = 0x7C00, kGreen555 = 0x03E0, kBlue555 = 0x001F;
constexpr DWORD kRed32 = 0x00FF0000, kGreen32 = 0x0000FF00, kBlue32 = 0x000000FF;

struct Masks {
    DWORD red, green, blue;
};

Masks ReadMasks(const BITMAPINFOHEADER* packed) {
    Masks m{};
    std::memcpy(&m, reinterpret_cast<const BYTE*>(packed) + packed->biSize, sizeof m);
    return m;
}

// A channel of `pixel` under `mask`, scaled to 8 bits and rounded to nearest.
BYTE Channel(DWORD pixel, DWORD mask) {
    if (mask == 0) {
        return 0;
    }
    const int shift = __builtin_ctz(mask);
    const uint64_t max = mask >> shift;
    const uint64_t value = (pixel & mask) >> shift;
    return static_cast<BYTE>((2 * value * 255 + max) / (2 * max));
}

BITMAPINFOHEADER* NewBlock(uint64_t size) {
    HGLOBAL block = size <= SIZE_MAX ? GlobalAlloc(GMEM_FIXED, static_cast<SIZE_T>(size)) : nullptr;
    auto* packed = block ? static_cast<BITMAPINFOHEADER*>(GlobalLock(block)) : nullptr;
    if (!packed && block) {
        GlobalFree(block);
    }
    return packed;
}

void ConvertRow(const BYTE* in, BYTE* out, LONG width, WORD bits, const Masks& m) {
    const DWORD spare = ~(m.red | m.green | m.blue) & 0xFF000000u;
    for (LONG x = 0; x < width; ++x) {
        DWORD pixel = 0;
        std::memcpy(&pixel, in + x * (bits / 8), bits / 8);
        BYTE* o = out + x * (bits == 16 ? 3 : 4);
        o[0] = Channel(pixel, m.blue);
        o[1] = Channel(pixel, m.green);
        o[2] = Channel(pixel, m.red);
        if (bits == 32) {
            o[3] = spare == 0xFF000000u ? static_cast<BYTE>(pixel >> 24) : 0;
        }
    }
}

} // namespace

bool HasDrawableMasks(const BITMAPINFOHEADER* packed) {
    if (packed->biCompression != BI_BITFIELDS ||
        (packed->biBitCount != 16 && packed->biBitCount != 32)) {
        return true;
    }
    const Masks m = ReadMasks(packed);
    return packed->biBitCount == 16 ? m.red == kRed555 && m.green == kGreen555 && m.blue == kBlue555
                                    : m.red == kRed32 && m.green == kGreen32 && m.blue == kBlue32;
}

BITMAPINFOHEADER* ToDrawableLayout(BITMAPINFOHEADER* packed) {
    if (!packed || HasDrawableMasks(packed) || packed->biWidth <= 0) {
        return packed;
    }
    const WORD bits = packed->biBitCount;
    const WORD outBits = bits == 16 ? 24 : 32;
    const LONG width = packed->biWidth;
    const uint64_t rows = packed->biHeight < 0 ? -int64_t{packed->biHeight} : packed->biHeight;
    const uint64_t inStride = picture::RowStride(width, bits);
    const uint64_t outStride = picture::RowStride(width, outBits);
    BITMAPINFOHEADER* out = NewBlock(sizeof(BITMAPINFOHEADER) + outStride * rows);
    if (!out) {
        PackedPicture::Free(packed);
        return nullptr;
    }
    *out = *packed;
    out->biSize = sizeof(BITMAPINFOHEADER);
    out->biBitCount = outBits;
    out->biCompression = BI_RGB;
    out->biSizeImage = static_cast<DWORD>(outStride * rows);
    out->biClrUsed = out->biClrImportant = 0;
    const Masks m = ReadMasks(packed);
    const BYTE* in = reinterpret_cast<const BYTE*>(packed) + packed->biSize + sizeof(Masks);
    BYTE* pixels = reinterpret_cast<BYTE*>(out + 1);
    for (uint64_t y = 0; y < rows; ++y) {
        ConvertRow(in + y * inStride, pixels + y * outStride, width, bits, m);
    }
    PackedPicture::Free(packed);
    return out;
}
