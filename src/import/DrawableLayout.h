// Packed pictures in the layout the drawing code reads. The renderer takes bottom-up rows of
// 1, 4, 8, 16, 24 or 32 bits; it takes 16-bit pixels as 5-5-5 and 32-bit pixels as blue,
// green and red bytes, whatever masks a bit-field picture carries. The importer passes on
// what a file holds, so a picture it accepts may still be one the renderer would refuse or
// misread: top-down rows (a negative height), 2-bit pixels, or masks other than those (5-6-5
// above all, which many tools write). Such a picture is rewritten once, when its face opens:
// rows bottom-up, 2-bit pixels as 4-bit ones with the same table, 16-bit bit-field pixels as
// 24-bit blue-green-red, 32-bit ones as blue-green-red bytes with the fourth byte kept where
// no colour mask uses it. The importer's own output stays as decoded.
#pragma once

#include "platform/Win32.h"

// True when the renderer draws the packed picture as it stands.
bool IsDrawableLayout(const BITMAPINFOHEADER* packed);

// Takes a packed picture in a global-memory block and returns one the renderer draws
// right: the same block when it already is, else a new one (the old block is freed).
// Null when the new block cannot be allocated; the old block is freed then too.
BITMAPINFOHEADER* ToDrawableLayout(BITMAPINFOHEADER* packed);
