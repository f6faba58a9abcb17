// Bit-field pictures in the layout the drawing code reads. The renderer takes 16-bit pixels
// as 5-5-5 and 32-bit pixels as blue, green and red bytes, whatever masks a bit-field
// picture carries, so a face with other masks (5-6-5 above all, which many tools write)
// would show wrong colours. Such a picture is rewritten once, when its face opens: 16-bit
// pixels as 24-bit blue-green-red, 32-bit pixels as blue-green-red bytes with the fourth
// byte kept where no colour mask uses it. The importer's own output stays as decoded.
#pragma once

#include "platform/Win32.h"

// True when the renderer draws the packed picture's pixels as its masks say.
bool HasDrawableMasks(const BITMAPINFOHEADER* packed);

// Takes a packed picture in a global-memory block and returns one the renderer draws
// right: the same block when it already is, else a new one (the old block is freed).
// Null when the new block cannot be allocated; the old block is freed then too.
BITMAPINFOHEADER* ToDrawableLayout(BITMAPINFOHEADER* packed);
