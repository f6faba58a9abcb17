// A drawing region in ordinary memory, with the drawing behaviour of the window's
// DIB-section region (same bitmap layout, depth rule, transform, palette and fills) but no
// window: for tests, benchmarks and tools. Pixels are read through GetHeader/GetBits:
// bottom-up rows, 8 bits per pixel (palette indices of the renderer's default palette,
// which is also the header's colour table) or 32 bits (bytes B, G, R, X).
#pragma once

#include "render/region/RastelRegion.h"

class MemoryRegion : public RastelRegion {
    DECLARE_DYNAMIC(MemoryRegion)
  public:
    // depth: 8 or 32 (anything above 8 draws at 32, as on true-colour displays). The
    // transparency option is cleared for 8 bits, as for the window region.
    MemoryRegion(int transparencyOption, int depth);
    ~MemoryRegion() override;

    // The window may be null. 0 for an empty rectangle or when memory is short.
    BOOL Init(CWnd* window, const RECT* rect) override;

    int GetWidth() const { return m_rect.right; }
    int GetHeight() const { return m_rect.bottom; }
    int GetStride() const { return m_stride; }
    // Row y in memory order (0 = the bottom of the picture).
    uint8_t* Row(int y) const;

  private:
    void Release();

    int m_stride = 0;
};
