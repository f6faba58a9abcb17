// The monitors run mode covers: one drawing area per monitor, in virtual-screen
// coordinates (a monitor left of or above the primary one has negative coordinates, and
// monitors may leave gaps between them). The primary monitor always comes first, because
// its scene is built first and its window is the application's main window.
#pragma once

#include "platform/Win32.h"

// More monitors than this are not covered; no desk comes near it, and a fixed bound keeps
// the layout free of allocation.
constexpr int kMaxScreens = 16;

struct ScreenArea {
    RECT rect;
    bool primary;
};

// Puts the areas in the order the windows are made: the first primary area, then the
// others in the order given. Empty areas and repeats of an area already kept (mirrored
// monitors) are dropped. Returns how many areas remain at the front, at most kMaxScreens.
int ArrangeScreens(ScreenArea* areas, int count);

// The system's monitors, arranged as above; at least one area (the primary screen, from
// its metrics, when the monitors cannot be listed). Windows only.
int ReadScreenLayout(ScreenArea* areas);
