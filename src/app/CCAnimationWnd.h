// A window that shows an animation: it asks the animation for a view of its drawing
// rectangle and paints one frame per frame interval, driven by a window timer (preview) or
// by the idle redraw list (full screen). In a child window a left click (button down, then up)
// tells the parent with WM_USER + 1.
#pragma once

#include "app/RastelWnd.h"
#include "scene/FrameClock.h"

class CCAnimation;
class CCAnimationView;

constexpr UINT_PTR kFrameTimerId = 1;
constexpr UINT kPreviewClickMessage = WM_USER + 1;

class CCAnimationWnd : public RastelWnd {
    DECLARE_DYNAMIC(CCAnimationWnd)
  public:
    CCAnimationWnd(CCAnimation* animation, int regionOption, BOOL selfDeleting, bool windowTimer);
    ~CCAnimationWnd() override;

    void PostNcDestroy() override;

    // Virtual slot after RastelWnd's. Without a parent: a full-screen window; with one: a
    // child covering `rect`, or the parent's whole client area when `rect` is null.
    virtual BOOL Create(HWND parent, const RECT* rect);

    // Virtual slot after Create: whether `window` is one of the windows that show this
    // animation together (run mode's window of every monitor); here only this window.
    virtual bool IsOwnWindow(HWND window) const;

    CCAnimationView* GetView() const { return m_view; }
    int GetScreen() const { return m_screen; }

#ifdef _WIN32
    // Moves and sizes the window to `area` (screen coordinates) without activating it, then
    // makes its drawing region and, when the drawing rectangle changed, its camera anew.
    void FitToArea(const RECT& area);
    // A frame of the idle redraw list, drawn straight away through the window's own DC.
    void DrawFrame();
#endif

  protected:
#ifdef _WIN32
    int OnCreate(LPCREATESTRUCT createStruct);
    void OnDestroy();
    void OnTimer(UINT_PTR id);
    void OnPaint();
    void OnLButtonDown(UINT flags, POINT point);
    void OnLButtonUp(UINT flags, POINT point);
    void OnPaletteChanged(CWnd* focusWnd);
    LRESULT OnDisplayChange(WPARAM bitsPerPixel, LPARAM size);
    bool HasParentWindow() const;
    // BringWindowToTop when it would change something.
    void KeepOnTop();
    // The animation's next frame into the region and onto the window.
    void DrawScene();
    // A new region for the current drawing rectangle, and a new camera when that changed.
    void RebuildDrawing();
#endif
    DECLARE_MESSAGE_MAP()

    CCAnimation* m_animation; // not owned
    CCAnimationView* m_view = nullptr;
    BOOL m_clickPending = FALSE;
    BOOL m_selfDeleting;
    RECT m_rect{0, 0, 0, 0};
    bool m_windowTimer;
    int m_screen = 0; // whose scene the window shows: 0 the primary monitor's
};
