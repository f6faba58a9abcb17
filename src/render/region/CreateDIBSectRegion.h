// The window's drawing region: a DIB section (8 bits with palette indices on palette
// displays, 32 bits on every true-colour display) selected into a memory DC, copied to
// the window with BitBlt.
#pragma once

#include "render/region/RastelRegion.h"

#ifdef _WIN32

class CreateDIBSectRegion : public RastelRegion {
    DECLARE_DYNAMIC(CreateDIBSectRegion)
  public:
    // Clears the transparency option on displays of 8 bits per pixel or fewer.
    explicit CreateDIBSectRegion(int transparencyOption);
    ~CreateDIBSectRegion() override;

    BOOL Init(CWnd* window, const RECT* rect) override;
    void Blit(const RECT* changed) override;

  private:
    HBITMAP m_section = nullptr;
    HGDIOBJ m_previous = nullptr;
    HDC m_memoryDC = nullptr;
};

#endif
