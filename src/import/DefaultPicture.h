// The built-in default picture: a bitmap resource of the executable, 200 x 200 pixels at
// 8 bits per pixel with a 256-entry colour table. On Windows it is read from the resource;
// natively the same picture is painted into a static buffer. res/picture140.bmp is written
// from PaintDefaultPicture (tools/make-default-picture), so both builds show the same bytes.
#pragma once

#include "import/DefaultPictureId.h"
#include "platform/Win32.h"

#include <cstddef>

constexpr int kDefaultPictureId = IDB_DEFAULTPICTURE;
constexpr int kDefaultPictureSide = 200;
// Header, 256 colours and 200 rows of 200 bytes (already a multiple of 4).
constexpr size_t kDefaultPictureBytes =
    sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD) + kDefaultPictureSide * kDefaultPictureSide;
static_assert(kDefaultPictureBytes == 41064);

// Paints the picture as a packed picture into `out` (kDefaultPictureBytes bytes).
void PaintDefaultPicture(BYTE* out);

// Platform part: the packed picture of bitmap resource `id`, or null when there is none.
const BITMAPINFOHEADER* FindBitmapResource(int id);
