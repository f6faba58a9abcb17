#include "render/ImageTarget8.h"

#include "render/Compositors.h"
#include "render/Tables.h"

namespace image_target8 {
namespace {

// One dither row's tables, by column cell (x - dither origin x) & 3: the cube tables
// moved by the cell's colour offset, and the cell's byte of the grey table.
struct DitherRow {
    const uint8_t* red[4];
    const uint8_t* green[4];
    const uint8_t* blue[4];
    const uint32_t* grey;
    const uint8_t* map;
    int originX;

    explicit DitherRow(int32_t y) {
        const int row = (y + g_render.ditherOriginY) & 3;
        for (int k = 0; k < 4; ++k) {
            const int o = tables::kColourDither[row][k];
            red[k] = tables::kCubeRed + o;
            green[k] = tables::kCubeGreen + o;
            blue[k] = tables::kCubeBlue + o;
        }
        grey = g_render.palette.greyDither[row];
        map = g_render.palette.standardToPalette;
        originX = g_render.ditherOriginX;
    }

    uint8_t Index(uint32_t p, int32_t x) const { return IndexInCell(p, (x - originX) & 3); }

    uint8_t IndexInCell(uint32_t p, int k) const {
        const uint32_t b = p & 0xFF, g = (p >> 8) & 0xFF, r = (p >> 16) & 0xFF;
        if (((p ^ (p >> 8)) & 0xFFFF) == 0) { // r = g = b
            return static_cast<uint8_t>(grey[b] >> (8 * k));
        }
        return map[red[k][r] + green[k][g] + blue[k][b]];
    }
};

} // namespace

void DitherSpan(int32_t y, int32_t x0, int32_t x1, const uint32_t* src) {
    const DitherRow d(y);
    uint8_t* row = g_render.target.Row(y);
    int32_t x = x0;
    for (; x < x1 && ((x - d.originX) & 3) != 0; ++x) {
        row[x] = d.Index(src[x], x);
    }
    // Whole dither cells: the cell of each of the four is known.
    for (; x + 4 <= x1; x += 4) {
        row[x] = d.IndexInCell(src[x], 0);
        row[x + 1] = d.IndexInCell(src[x + 1], 1);
        row[x + 2] = d.IndexInCell(src[x + 2], 2);
        row[x + 3] = d.IndexInCell(src[x + 3], 3);
    }
    for (; x < x1; ++x) {
        row[x] = d.Index(src[x], x);
    }
}

void Composite(int32_t y, const CoverageRun* runs, int count) {
    const DitherRow d(y);
    uint8_t* row = g_render.target.Row(y);
    const uint32_t* src = g_render.rowBuffer;
    for (int i = 0; i < count; ++i) {
        const CoverageRun& run = runs[i];
        if (run.coverage >= 25) {
            for (int32_t x = run.x0; x < run.x1; ++x) {
                row[x] = d.Index(src[x], x);
            }
        } else {
            for (int32_t x = run.x0; x < run.x1; ++x) {
                row[x] = MixCoverage8(row[x], d.Index(src[x], x), run.coverage);
            }
        }
    }
}

} // namespace image_target8
