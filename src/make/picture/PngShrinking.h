// Shrinking a PNG file while it is decoded, for pictures too large to be decoded whole in
// the tools' memory (the 32-bit build above all): the rows go one at a time through a
// RowShrinker, so memory holds a row of the file and two rows of sums, never the picture.
#pragma once

#include "make/picture/RgbaImage.h"

#include <string>

// The PNG file brought down to fit maxSide (ShrunkSize) and stood upright as its eXIf
// orientation says, as the importer and AreaResample would make it. False when the file
// cannot be read that way: no PNG, interlaced rows (whose passes need the whole picture),
// or a library error.
bool ShrinkPngWhileDecoding(const std::string& path, int maxSide, RgbaImage& image);
