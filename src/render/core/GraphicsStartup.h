// Process-wide graphics set-up: the renderer's work-memory functions, the percent table
// that darkens texture colours by a light intensity, the application palette, and the
// building of DIB headers and colour tables for the drawing regions.
#pragma once

#include "platform/Win32.h"
#include "render/Renderer.h"

#include <cstddef>
#include <cstdint>

// Installs the memory functions, builds the percent table (a failure leaves it unbuilt)
// and, on Windows, creates the application palette. Returns 1.
int InitGraphics();
// Frees the percent table and the blend table.
void FreeGraphics();

// The renderer's memory functions: the size rounded up to a multiple of 4, ordinary heap.
void* RendererAlloc(size_t bytes);
void RendererFree(void* block);

// 101 rows of 256 bytes in a 26,112-byte block: entry j of row a is j·(a·0.01) in double
// precision, truncated. Null until InitGraphics (or when memory was short).
constexpr size_t kPercentTableBytes = 26112;
const uint8_t* PercentTable();
// Row p (clamped to 0..100) of the percent table; null when it is not built.
const uint8_t* PercentRow(int percent);
// Builds the table into `table` (at least 101 x 256 bytes).
void FillPercentTable(uint8_t* table);

// A zeroed, locked global block: header (biSize 40), colour table (16 standard colours
// repeated), the pixel rows and one spare row. Null when memory is short or the size is
// unreasonable. The caller frees it with the global memory functions.
BITMAPINFOHEADER* CreateDibHeader(int bits, int width, int height);

#ifdef _WIN32
// Creates the GDI palette from the 256 entries of `source`, each PC_NOCOLLAPSE.
BOOL CreateAppPalette(HPALETTE* palette, const RenderPalette* source);
// The application palette (null before InitGraphics).
HPALETTE AppPalette();
// Fills the DIB's colour table from a palette (null: the stock default palette), or with
// the indices 0..n-1 for DIB_PAL_COLORS. 0 only for a null header.
int FillColourTable(BITMAPINFOHEADER* header, HPALETTE palette, UINT usage);
#endif
