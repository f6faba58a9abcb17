// The rectangle arithmetic of copying a region's bitmap to its window.
//
// The region bitmap is bottom-up with one spare row on top (GDI row 0, never drawn), so
// region rows are GDI rows 1..h read upwards: window row j (from the region's top) shows
// region row h - 1 - j, which is GDI source row j + 1. A changed box is in device pixels
// with rows counted upwards from the bottom of the bitmap:
//
//      GDI row 0      spare row
//      GDI row 1      device row h - 1   = window row 0
//      ...
//      GDI row h      device row 0       = window row h - 1
//
// Columns are widened to multiples of 4 pixels (whole 32-bit words of an 8-bit row).
#pragma once

#include "platform/Win32.h"

struct RegionBlit {
    int destX, destY; // in the window's client area
    int width, height;
    int srcX, srcY; // in the DIB section, GDI rows from the top
};

// The copy for a changed box on a region of w x h at `origin`; null or empty box: all.
RegionBlit ComputeRegionBlit(POINT origin, int w, int h, const RECT* changed);
