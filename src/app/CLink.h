// The hyperlink control of the About box: an existing static control, taken over with
// SubclassDlgItem, that draws its text underlined in blue (purple once visited), shows the
// pointing-hand cursor and opens its target address when clicked.
#pragma once

#include "framework/GdiObject.h"
#include "framework/Static.h"

class CLink : public CStatic {
  public:
    CLink() = default;

    // Null makes the control inert.
    void SetTarget(const char* target) { m_target = target; }
    void SetVisited(bool visited) { m_visited = visited; }
    bool IsVisited() const { return m_visited; }

    // The text colour for the current state: purple once visited, blue before.
    COLORREF GetTextColour() const { return m_visited ? RGB(128, 0, 128) : RGB(0, 0, 255); }

#ifdef _WIN32
  protected:
    BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
    void OnPaint();
    HBRUSH CtlColor(HDC dc, UINT ctlColor);
    void OnLButtonDown(UINT flags, POINT point);
    void OpenTarget();
#endif

    DECLARE_MESSAGE_MAP()

  private:
    [[maybe_unused]] bool m_fontReady = false; // used by the window code only
    bool m_visited = false;
    CFont m_underlinedFont;
    const char* m_target = nullptr;
};
