// Shrinks a picture by area averaging: every new pixel is the mean of the part of the old
// picture it covers, whole old pixels and fractions of the ones on its border weighted by
// the area they share with it (an exact box filter). The fourth byte is averaged as a
// channel of its own, not used to weight the colours: what it means depends on the format
// the picture came from (opacity in a PNG, filler the decoder sets in a JPEG), and the
// saver reads the re-encoded picture's fourth byte exactly as it read the original's.
#pragma once

#include "make/picture/RgbaImage.h"

// The picture at width x height (each at least 1, and no larger than the source's: this
// is for shrinking; enlarging falls back to the same arithmetic, which then repeats pixels).
RgbaImage AreaResample(const RgbaImage& source, int width, int height);

// The size a picture of width x height takes when its longer side is brought down to
// maxSide (keeping the proportions, each side at least 1); unchanged when maxSide is 0 or
// the picture is no larger.
void ShrunkSize(int width, int height, int maxSide, int& newWidth, int& newHeight);
