// Device contexts for painting: CPaintDC brackets a WM_PAINT handler with BeginPaint and
// EndPaint. Windows only.
#pragma once

#ifdef _WIN32

#include "platform/Win32.h"

class CWnd;

class CPaintDC {
  public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC();
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    HDC m_hDC;
    PAINTSTRUCT m_ps;

    // The smallest rectangle around the area to paint; returns the region kind
    // (NULLREGION when there is nothing to paint).
    int GetClipBox(LPRECT rect) const;

  private:
    HWND m_hWnd;
};

#endif
