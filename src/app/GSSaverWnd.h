// The full-screen window of run mode: covers the primary screen, stays on top, hides the
// pointer, and closes on the first key, mouse button, mouse travel beyond the tolerance or
// loss of activation. It deletes itself after its window is gone.
#pragma once

#include "app/CCAnimationWnd.h"

class GSSaverWnd : public CCAnimationWnd {
    DECLARE_DYNAMIC(GSSaverWnd)
  public:
    GSSaverWnd(CCAnimation* animation, int regionOption, int mouseTolerance);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Virtual slot after CCAnimationWnd's: creates the window owned by `owner` and gives it
    // the keyboard focus.
    virtual BOOL CreateFullScreen(HWND owner);

  protected:
#ifdef _WIN32
    int OnCreate(LPCREATESTRUCT createStruct);
    void OnDestroy();
#endif
    DECLARE_MESSAGE_MAP()

    int m_mouseTolerance;
    BOOL m_startPointSet = FALSE;
    POINT m_startPoint{0, 0};
};
