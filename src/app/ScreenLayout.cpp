#include "app/ScreenLayout.h"

namespace {
bool IsKept(const ScreenArea* kept, int count, const RECT& rect) {
    for (int i = 0; i < count; ++i) {
        if (EqualRect(&kept[i].rect, &rect)) {
            return true;
        }
    }
    return false;
}
} // namespace

int ArrangeScreens(ScreenArea* areas, int count) {
    if (!areas || count <= 0) {
        return 0;
    }
    int primary = -1;
    for (int i = 0; i < count && primary < 0; ++i) {
        if (areas[i].primary && !IsRectEmpty(&areas[i].rect)) {
            primary = i;
        }
    }
    // Rotating the primary area to the front keeps the others in their order.
    if (primary > 0) {
        const ScreenArea first = areas[primary];
        for (int i = primary; i > 0; --i) {
            areas[i] = areas[i - 1];
        }
        areas[0] = first;
    }
    int kept = 0;
    for (int i = 0; i < count && kept < kMaxScreens; ++i) {
        const ScreenArea area = areas[i];
        if (IsRectEmpty(&area.rect) || IsKept(areas, kept, area.rect)) {
            continue;
        }
        areas[kept] = area;
        areas[kept].primary = primary >= 0 && kept == 0;
        ++kept;
    }
    return kept;
}
