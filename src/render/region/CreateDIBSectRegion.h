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
    void BeginFrame() override;
    void EndFrame() override;
    void Blit(const RECT* changed) override;

  private:
    void BlitTo(HDC windowDC, const RECT* changed);

    // Between BeginFrame and EndFrame every blit of the frame goes through one window DC,
    // taken at the first blit and flushed and given back at the end of the frame: under
    // Wine each GetDC, ReleaseDC and GdiFlush is a round trip to the window server, and a
    // frame blits once per moving object.
    bool m_inFrame = false;
    HDC m_frameDC = nullptr;
    HBITMAP m_section = nullptr;
    HGDIOBJ m_previous = nullptr;
    HDC m_memoryDC = nullptr;
};

#endif
