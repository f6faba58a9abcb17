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

bool HasDrawableMasks(const BITMAPINFOHEADER* packed) {
    if (packed->biCompression != BI_BITFIELDS ||
        (packed->biBitCount != 16 && packed->biBitCount != 32)) {
        return true;
    }
    const Masks m = ReadMasks(packed);
    return packed->biBitCount == 16 ? m.red == kRed555 && m.green == kGreen555 && m.blue == kBlue555
                                    : m.red == kRed32 && m.green == kGreen32 && m.blue == kBlue32;
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

void ConvertMaskedRow(const BYTE* in, BYTE* out, LONG width, WORD bits, const Masks& m) {
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

// Four 2-bit pixels a byte, first pixel in the high bits, become two 4-bit ones a byte.
void WidenTwoBitRow(const BYTE* in, BYTE* out, LONG width) {
    for (LONG x = 0; x < width; x += 2) {
        const BYTE pair = static_cast<BYTE>(in[x / 4] << (x % 4 * 2));
        out[x / 2] = static_cast<BYTE>((pair >> 6) << 4 | ((pair >> 4) & 3));
    }
}

// The layout a picture is rewritten into: its depth and whether its masks are replaced.
struct Target {
    WORD bits;
    bool unmask;
};

Target TargetOf(const BITMAPINFOHEADER* packed) {
    if (packed->biBitCount == 2) {
        return {4, false};
    }
    if (!HasDrawableMasks(packed)) {
        return {static_cast<WORD>(packed->biBitCount == 16 ? 24 : 32), true};
    }
    return {packed->biBitCount, false};
}

// Bytes of the colour table or masks after the header, as the importer packs them.
uint64_t TableBytes(const BITMAPINFOHEADER* packed) {
    if (packed->biCompression == BI_BITFIELDS) {
        return 3 * sizeof(DWORD);
    }
    return packed->biBitCount <= 8 ? sizeof(RGBQUAD) << packed->biBitCount : 0;
}

} // namespace

bool IsDrawableLayout(const BITMAPINFOHEADER* packed) {
    return packed->biHeight > 0 && packed->biBitCount != 2 && HasDrawableMasks(packed);
}

BITMAPINFOHEADER* ToDrawableLayout(BITMAPINFOHEADER* packed) {
    if (!packed || packed->biWidth <= 0 || packed->biHeight == 0 || IsDrawableLayout(packed)) {
        return packed;
    }
    const Target target = TargetOf(packed);
    const WORD bits = packed->biBitCount;
    const LONG width = packed->biWidth;
    const bool topDown = packed->biHeight < 0;
    const uint64_t rows = topDown ? -int64_t{packed->biHeight} : packed->biHeight;
    const uint64_t inStride = picture::RowStride(width, bits);
    const uint64_t outStride = picture::RowStride(width, target.bits);
    const uint64_t inTable = TableBytes(packed);
    const uint64_t outTable = target.unmask      ? 0
                              : target.bits <= 8 ? sizeof(RGBQUAD) << target.bits
                                                 : inTable;
    BITMAPINFOHEADER* out = NewBlock(sizeof(BITMAPINFOHEADER) + outTable + outStride * rows);
    if (!out) {
        PackedPicture::Free(packed);
        return nullptr;
    }
    *out = *packed;
    out->biSize = sizeof(BITMAPINFOHEADER);
    out->biHeight = static_cast<LONG>(rows);
    out->biBitCount = target.bits;
    out->biSizeImage = static_cast<DWORD>(outStride * rows);
    BYTE* table = reinterpret_cast<BYTE*>(out + 1);
    const BYTE* in = reinterpret_cast<const BYTE*>(packed) + packed->biSize;
    std::memset(table, 0, outTable);
    std::memcpy(table, in, target.unmask ? 0 : inTable);
    if (target.unmask) {
        out->biCompression = BI_RGB;
        out->biClrUsed = out->biClrImportant = 0;
    } else if (target.bits <= 8) {
        out->biClrUsed = 1u << target.bits;
    }
    const Masks m = ReadMasks(packed);
    BYTE* pixels = table + outTable;
    in += inTable;
    for (uint64_t y = 0; y < rows; ++y) {
        // Bottom row first: a top-down picture's last stored row.
        const BYTE* from = in + (topDown ? rows - 1 - y : y) * inStride;
        BYTE* to = pixels + y * outStride;
        if (target.unmask) {
            ConvertMaskedRow(from, to, width, bits, m);
        } else if (bits == 2) {
            WidenTwoBitRow(from, to, width);
        } else {
            std::memcpy(to, from, inStride);
        }
    }
    PackedPicture::Free(packed);
    return out;
}
