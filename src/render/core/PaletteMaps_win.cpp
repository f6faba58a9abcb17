// Installing the display's system palette as the target palette.
#include "render/core/Context.h"

int SetTargetPaletteFromDC(HDC dc) {
    if (!dc) {
        return RenderFail(kErrBadArgument);
    }
    RenderPalette palette{0x300, 256, {}};
    if (GetSystemPaletteEntries(dc, 0, 256, palette.entries) == 0) {
        return RenderFail(kErrBadArgument);
    }
    return SetTargetPalette(&palette);
}
