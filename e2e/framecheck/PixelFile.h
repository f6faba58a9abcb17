// The pixel files the pixel checks compare: a drawing region's bitmap exactly as stored,
// written as a PAM file with the top row first. 32-bit regions give four bytes a pixel in
// memory order (TUPLTYPE BGRX: blue, green, red, the pad byte as the renderer left it);
// 8-bit regions give one palette index a pixel (TUPLTYPE INDEX). Rows carry no padding.
#pragma once

#include "platform/Win32.h"

// False when the header is unusable or the file cannot be written completely.
bool WritePixelFile(const char* path, const BITMAPINFOHEADER& header, const void* bits);
