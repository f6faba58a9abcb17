#include "render/core/GraphicsStartup.h"

#include "render/core/Tables.h"

#include <cstdint>
#include <cstdlib>

namespace {

uint8_t* g_percent = nullptr;

// The 16 colours of a new DIB's colour table, as 0x00RRGGBB (bytes B, G, R, 0).
constexpr uint32_t kDibColours[16] = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

} // namespace

#ifdef _WIN32
void CreateStartupPalette(); // GraphicsStartup_win.cpp
#endif

void* RendererAlloc(size_t bytes) {
    if (bytes > SIZE_MAX - 3) {
        return nullptr;
    }
    return std::malloc((bytes + 3) & ~size_t{3});
}

void RendererFree(void* block) {
    std::free(block);
}

void FillPercentTable(uint8_t* table) {
    // The product of j with the rounded double a·0.01, truncated: this is one lower than
    // j·a/100 at five entries (row 29 at 100 and 200, row 58 at 50, 100 and 200), which the
    // picture colours have always been scaled with.
    for (int a = 0; a <= 100; ++a) {
        const double scale = a * 0.01;
        for (int j = 0; j < 256; ++j) {
            table[a * 256 + j] = static_cast<uint8_t>(static_cast<int>(j * scale));
        }
    }
}

int InitGraphics() {
    SetMemoryHandlers(RendererAlloc, RendererFree);
    if (!g_percent) {
        g_percent = static_cast<uint8_t*>(std::malloc(kPercentTableBytes));
        if (g_percent) {
            FillPercentTable(g_percent);
        }
    }
#ifdef _WIN32
    CreateStartupPalette();
#else
    UseStandardPalette(0);
#endif
    return 1;
}

void FreeGraphics() {
    std::free(g_percent);
    g_percent = nullptr;
    tables::FreeBlendTable();
}

const uint8_t* PercentTable() {
    return g_percent;
}

const uint8_t* PercentRow(int percent) {
    if (!g_percent) {
        return nullptr;
    }
    percent = percent < 0 ? 0 : percent > 100 ? 100 : percent;
    return g_percent + percent * 256;
}

BITMAPINFOHEADER* CreateDibHeader(int bits, int width, int height) {
    if (bits <= 0 || bits > 32 || width < 0 || height < 0) {
        return nullptr;
    }
    const uint64_t stride =
        ((uint64_t{static_cast<uint32_t>(bits)} * width / 8) + 3) & ~uint64_t{3};
    const uint64_t table = bits <= 8 ? uint64_t{4} << bits : 0;
    const uint64_t image = stride * static_cast<uint64_t>(height);
    const uint64_t total = image + table + stride + sizeof(BITMAPINFOHEADER);
    if (image > 0x7FFFFFFF || total > 0x7FFFFFFF) {
        return nullptr;
    }
    HGLOBAL block = GlobalAlloc(GMEM_ZEROINIT, static_cast<SIZE_T>(total));
    auto* header = block ? static_cast<BITMAPINFOHEADER*>(GlobalLock(block)) : nullptr;
    if (!header) {
        if (block) {
            GlobalFree(block);
        }
        return nullptr;
    }
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = width;
    header->biHeight = height;
    header->biPlanes = 1;
    header->biBitCount = static_cast<WORD>(bits);
    header->biCompression = BI_RGB;
    header->biSizeImage = static_cast<DWORD>(image);
    header->biXPelsPerMeter = 1000;
    header->biYPelsPerMeter = 1000;
    const DWORD used = bits == 4 ? 16 : bits == 8 ? 256 : 0;
    header->biClrUsed = used;
    header->biClrImportant = used;
    auto* colours = reinterpret_cast<uint32_t*>(header + 1);
    for (DWORD i = 0; i < used; ++i) {
        colours[i] = kDibColours[i % 16];
    }
    return header;
}
