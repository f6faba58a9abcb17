// The colour maps built when a target palette is installed (SetTargetPalette). They turn
// the renderer's 247 standard colours (and any 5-bit colour) into indices of the target
// palette, and palette indices back into standard colours for smoothing.
#pragma once

#include "platform/Win32.h"

#include <cstdint>

struct PaletteMaps {
    bool built = false;
    // Arbitrary-palette mode: the maps are the identity and colours come from the target
    // palette itself; standard mode: they go through the standard colours.
    bool arbitrary = true;
    PALETTEENTRY entries[256] = {};

    // Standard colour (or, in arbitrary mode, palette index) -> nearest target index.
    uint8_t standardToPalette[256] = {};
    // Two cube colours at once, a + 216·b -> standardToPalette[a] | standardToPalette[b] << 8,
    // for the 256-bit dither (one look-up per two pixels); one entry more, so that a
    // four-byte read at the last one stays inside.
    uint16_t cubePairs[216 * 216 + 1] = {};
    // Target index -> the highest standard index mapped to it (arbitrary: identity).
    uint8_t paletteToStandard[256] = {};
    // Target index -> 4 x the channel of its standard colour (arbitrary: of the entry).
    int32_t channelRed[256] = {}, channelGreen[256] = {}, channelBlue[256] = {};
    // Grey level k (0..30) -> target index, each repeated 17 times.
    uint8_t greyExpansion[31 * 17] = {};
    // Dither row r, grey value v -> the four target indices of that row's cells (byte k =
    // column k): greyExpansion[2v + grey offset].
    uint32_t greyDither[4][256] = {};
    // b·1024 + g·32 + r (5 bits each) -> nearest target index.
    uint8_t inverse[32 * 32 * 32] = {};

    // What the inverse map was built from, so an unchanged palette skips the rebuild.
    bool inverseValid = false;
    bool inverseArbitrary = false;
    PALETTEENTRY inverseEntries[256] = {};
};
