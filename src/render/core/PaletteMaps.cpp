// UseStandardPalette and SetTargetPalette: the maps from the renderer's standard colours
// to the installed target palette and back, and the inverse colour map.
#include "render/core/Context.h"
#include "render/core/Tables.h"

#include <cstring>

namespace {

// The nearest entry to (r, g, b): squared distance from the squares table, entries from
// the last to the first, an entry abandoned as soon as its partial sum reaches the best
// distance, and replaced only when strictly nearer, so a tie goes to the higher index.
// The squares table is re-based on the target colour once per search.
template <typename Entry> int Nearest(int r, int g, int b, const Entry* entries, int count) {
    const int32_t* squares = tables::kSquares + 255;
    const int32_t* dr = squares - r;
    const int32_t* dg = squares - g;
    const int32_t* db = squares - b;
    int best = count - 1;
    int32_t bestDistance = INT32_MAX;
    for (int k = count - 1; k >= 0; --k) {
        int32_t d = dr[entries[k].peRed];
        if (d >= bestDistance) {
            continue;
        }
        d += dg[entries[k].peGreen];
        if (d >= bestDistance) {
            continue;
        }
        d += db[entries[k].peBlue];
        if (d < bestDistance) {
            bestDistance = d;
            best = k;
        }
    }
    return best;
}

void BuildInverse(PaletteMaps& m) {
    const PALETTEENTRY* standard = tables::kStandardColours.entries;
    for (int b = 0; b < 32; ++b) {
        for (int g = 0; g < 32; ++g) {
            for (int r = 0; r < 32; ++r) {
                const int cr = tables::kWiden5[r], cg = tables::kWiden5[g], cb = tables::kWiden5[b];
                const int s = m.arbitrary ? Nearest(cr, cg, cb, m.entries, 256)
                                          : Nearest(cr, cg, cb, standard, tables::kStandardCount);
                m.inverse[b * 1024 + g * 32 + r] = m.standardToPalette[s];
            }
        }
    }
}

} // namespace

const RenderPalette* UseStandardPalette(int standard) {
    g_render.standardPalette = standard != 0;
    g_render.fill.solidValid = false;
    return &tables::kDefaultPalette;
}

int SetTargetPalette(const RenderPalette* palette) {
    if (!palette) {
        return RenderFail(kErrBadArgument);
    }
    PaletteMaps& m = g_render.palette;
    std::memcpy(m.entries, palette->entries, sizeof m.entries);
    std::memset(m.paletteToStandard, 0, sizeof m.paletteToStandard);
    std::memset(m.channelRed, 0, sizeof m.channelRed);
    std::memset(m.channelGreen, 0, sizeof m.channelGreen);
    std::memset(m.channelBlue, 0, sizeof m.channelBlue);
    m.arbitrary = g_render.standardPalette;

    if (!m.arbitrary) {
        for (int i = 0; i < tables::kStandardCount; ++i) {
            const PALETTEENTRY& s = tables::kStandardColours.entries[i];
            const int p = Nearest(s.peRed, s.peGreen, s.peBlue, m.entries, 256);
            m.standardToPalette[i] = static_cast<uint8_t>(p);
            m.paletteToStandard[p] = static_cast<uint8_t>(i);
        }
        for (int p = 0; p < 256; ++p) {
            const PALETTEENTRY& s = tables::kStandardColours.entries[m.paletteToStandard[p]];
            // Indices no standard colour maps to keep zero channels.
            const bool mapped = m.standardToPalette[m.paletteToStandard[p]] == p;
            m.channelRed[p] = mapped ? 4 * s.peRed : 0;
            m.channelGreen[p] = mapped ? 4 * s.peGreen : 0;
            m.channelBlue[p] = mapped ? 4 * s.peBlue : 0;
        }
    } else {
        for (int p = 0; p < 256; ++p) {
            m.standardToPalette[p] = static_cast<uint8_t>(p);
            m.paletteToStandard[p] = static_cast<uint8_t>(p);
            m.channelRed[p] = 4 * m.entries[p].peRed;
            m.channelGreen[p] = 4 * m.entries[p].peGreen;
            m.channelBlue[p] = 4 * m.entries[p].peBlue;
        }
    }

    for (int b = 0; b < tables::kCubeCount; ++b) {
        const uint16_t high = static_cast<uint16_t>(m.standardToPalette[b] << 8);
        for (int a = 0; a < tables::kCubeCount; ++a) {
            m.cubePairs[a + tables::kCubeCount * b] = high | m.standardToPalette[a];
        }
    }
    for (int k = 0; k < tables::kGreySteps; ++k) {
        std::memset(m.greyExpansion + 17 * k, m.standardToPalette[tables::kGreyRampFirst + k], 17);
    }
    for (int row = 0; row < 4; ++row) {
        for (int v = 0; v < 256; ++v) {
            uint32_t cells = 0;
            for (int column = 0; column < 4; ++column) {
                cells |= uint32_t{m.greyExpansion[2 * v + tables::kGreyDither[row][column]]}
                         << (8 * column);
            }
            m.greyDither[row][v] = cells;
        }
    }
    m.built = true;
    g_render.fill.solidValid = false;

    if (m.inverseValid && m.inverseArbitrary == m.arbitrary &&
        std::memcmp(m.inverseEntries, m.entries, sizeof m.entries) == 0) {
        return 0;
    }
    std::memcpy(m.inverseEntries, m.entries, sizeof m.entries);
    m.inverseArbitrary = m.arbitrary;
    BuildInverse(m);
    m.inverseValid = true;
    return 0;
}
