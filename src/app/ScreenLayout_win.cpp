#include "app/ScreenLayout.h"

namespace {
// The enumeration may list more monitors than are covered; the extra ones are counted
// so that the primary one is still found among them.
constexpr int kMaxListed = 64;

struct Listing {
    ScreenArea areas[kMaxListed];
    int count;
};

BOOL CALLBACK ListMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    auto* listing = reinterpret_cast<Listing*>(data);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (listing->count < kMaxListed && GetMonitorInfoA(monitor, &info)) {
        listing->areas[listing->count].rect = info.rcMonitor;
        listing->areas[listing->count].primary = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
        ++listing->count;
    }
    return listing->count < kMaxListed;
}
} // namespace

int ReadScreenLayout(ScreenArea* areas) {
    Listing listing{};
    EnumDisplayMonitors(nullptr, nullptr, &ListMonitor, reinterpret_cast<LPARAM>(&listing));
    int count = ArrangeScreens(listing.areas, listing.count);
    if (count == 0 || !listing.areas[0].primary) {
        // Without a primary monitor in the list the primary screen still comes first.
        const int listed = count < kMaxScreens ? count : kMaxScreens - 1;
        for (int i = listed; i > 0; --i) {
            listing.areas[i] = listing.areas[i - 1];
        }
        SetRect(&listing.areas[0].rect, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                GetSystemMetrics(SM_CYSCREEN));
        listing.areas[0].primary = true;
        count = ArrangeScreens(listing.areas, listed + 1);
    }
    for (int i = 0; i < count; ++i) {
        areas[i] = listing.areas[i];
    }
    return count;
}
