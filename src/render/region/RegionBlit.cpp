#include "render/region/RegionBlit.h"

RegionBlit ComputeRegionBlit(POINT origin, int w, int h, const RECT* changed) {
    if (changed == nullptr || changed->left >= changed->right || changed->top >= changed->bottom) {
        return {origin.x, origin.y, w, h, 0, 1};
    }
    const int x0 = changed->left & ~3;
    const int width = (changed->right - x0 + 3) & ~3;
    const int height = changed->bottom - changed->top;
    return {origin.x + x0,          origin.y + h - changed->bottom, width, height, x0,
            h - changed->bottom + 1};
}
