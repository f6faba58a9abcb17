// Keeps the maker's window inside the work area of its monitor at any DPI and resolution:
// a window laid out larger than the work area is made as large as the work area and its
// controls scroll; the user may resize it down to a sensible minimum, and no larger than
// its controls need. The content's size is the bounding box of the child windows, measured
// again when the DPI changes (a per-monitor aware dialog scales its controls then).
#pragma once

#include "platform/Win32.h"

class WindowFit {
  public:
    // Measures the content and fits the window into its monitor's work area.
    void Attach(HWND window);
    // Size, scroll, wheel, minimum size and DPI messages; true when handled with `result`.
    bool Handle(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Scrolls `control` (a child) into sight where it is not: the keyboard's focus and a
    // field named in a message must be seen.
    void Reveal(HWND control);
    // Before a change of DPI rescales the controls: back to the unscrolled positions (then
    // Attach again).
    void Unscroll() { ScrollTo(0, 0); }
    // Whether the last handled message moved the controls.
    bool Scrolled() const { return m_scrolled; }

  private:
    void Measure();
    void FitIntoWorkArea();
    void UpdateBars();
    void ScrollTo(int x, int y);
    int NewPosition(int bar, int code) const;

    HWND m_window = nullptr;
    SIZE m_content{0, 0}; // the client area the controls need, unscrolled
    POINT m_position{0, 0};
    bool m_scrolled = false;
};
