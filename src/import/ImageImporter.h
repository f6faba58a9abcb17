// The picture importer: recognises a picture file by its content and decodes it into a
// packed picture (BITMAPINFOHEADER, colour table, rows padded to 4 bytes, bottom row
// first) in one GMEM_FIXED global block.
#pragma once

#include "platform/Win32.h"

// Imports one picture file (BMP, ICO/CUR, GIF, JPEG, PNG or TIFF, recognised by content).
// Returns a locked GMEM_FIXED global block that the caller owns and frees with
// GlobalUnlock and GlobalFree(GlobalHandle(block)), or null. No file stays open and no
// memory stays held, whatever the outcome.
BITMAPINFOHEADER* ImportPicture(const char* fileName);
