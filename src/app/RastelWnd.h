// A window that owns an offscreen drawing region sized to its drawing rectangle, and keeps
// the region's palette and display format right: the region is made on WM_CREATE, made
// anew on every display change and freed on WM_DESTROY.
#pragma once

#include "framework/Wnd.h"

class RastelRegion;

class RastelWnd : public CWnd {
    DECLARE_DYNAMIC(RastelWnd)
  public:
    explicit RastelWnd(int regionOption);
    ~RastelWnd() override;

    // Virtual slot after CWnd's: the rectangle the drawing region and the view are sized
    // to; here the client rectangle.
    virtual void GetDrawRect(RECT* rect);

    RastelRegion* GetRegion() const { return m_region; }

  protected:
    // A new, initialised region for the drawing rectangle, or null; reports "Not enough
    // memory" when the window has no region to go on with.
    RastelRegion* CreateRegion();

#ifdef _WIN32
    int OnCreate(LPCREATESTRUCT createStruct);
    void OnDestroy();
    LRESULT OnDisplayChange(WPARAM bitsPerPixel, LPARAM size);
    void OnPaletteChanged(CWnd* focusWnd);
    BOOL OnQueryNewPalette();
#endif
    DECLARE_MESSAGE_MAP()

    RastelRegion* m_region = nullptr;
    int m_regionOption;
};
