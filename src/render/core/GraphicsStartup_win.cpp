// The palette half of the graphics start-up: the application palette and DIB colour
// tables, which need GDI.
#include "render/core/GraphicsStartup.h"

#include <cstring>

namespace {

HPALETTE g_appPalette = nullptr;

struct LogPalette256 {
    WORD version;
    WORD count;
    PALETTEENTRY entries[256];
};

} // namespace

BOOL CreateAppPalette(HPALETTE* palette, const RenderPalette* source) {
    if (!palette || !source) {
        return FALSE;
    }
    LogPalette256 log{0x300, 256, {}};
    for (int i = 0; i < 256; ++i) {
        log.entries[i] = PALETTEENTRY{source->entries[i].peRed, source->entries[i].peGreen,
                                      source->entries[i].peBlue, PC_NOCOLLAPSE};
    }
    HPALETTE created = CreatePalette(reinterpret_cast<const LOGPALETTE*>(&log));
    if (!created) {
        return FALSE;
    }
    *palette = created;
    return TRUE;
}

void CreateStartupPalette() {
    const RenderPalette* standard = UseStandardPalette(0);
    if (!g_appPalette) {
        CreateAppPalette(&g_appPalette, standard);
    }
}

HPALETTE AppPalette() {
    return g_appPalette;
}

int FillColourTable(BITMAPINFOHEADER* header, HPALETTE palette, UINT usage) {
    if (!palette) {
        palette = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
    }
    if (!header) {
        return 0;
    }
    int count = static_cast<int>(header->biClrUsed);
    if (count == 0 && header->biBitCount <= 8) {
        count = 1 << header->biBitCount;
    }
    if ((count == 3 && header->biCompression == BI_BITFIELDS) || count <= 0) {
        return 1;
    }
    BYTE* table = reinterpret_cast<BYTE*>(header) + header->biSize;
    if (usage == DIB_PAL_COLORS) {
        auto* indices = reinterpret_cast<WORD*>(table);
        for (int i = 0; i < count; ++i) {
            indices[i] = static_cast<WORD>(i);
        }
        return 1;
    }
    count = count > 256 ? 256 : count;
    PALETTEENTRY entries[256] = {};
    GetPaletteEntries(palette, 0, static_cast<UINT>(count), entries);
    auto* quads = reinterpret_cast<RGBQUAD*>(table);
    for (int i = 0; i < count; ++i) {
        quads[i] = RGBQUAD{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
    }
    return 1;
}
