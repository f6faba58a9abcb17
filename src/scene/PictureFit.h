// How a picture is placed on a square cube face. A picture within 10 % of square covers the
// face as it is. Otherwise the face's mode byte decides: non-zero crops (the picture keeps
// its proportions and covers the face, its overflow cut off along the long side), zero
// letterboxes (its long side spans the face plus 1 % past both edges, bands of the face's
// grey remain beside the short side).
#pragma once

#include "platform/Win32.h"

struct PictureFit {
    bool reshaped = false; // false: the picture's corners are the face's corners
    // The picture's edges in face coordinates: u across the width (face corner i0 toward
    // i1), v down the height (i0 toward i3).
    double left = 0, right = 1, top = 0, bottom = 1;
    int letterbox = 0; // the bitmap fill's edge mode: 1 paints outside the picture
};

// Physical proportions: pixels per metre of 0 count as 3780; the counts are read as
// unsigned 32-bit values so a top-down picture (negative height) fits like its mirror.
double PictureAspect(const BITMAPINFOHEADER& header);
PictureFit FitPicture(const BITMAPINFOHEADER& header, BYTE mode);
