// The full-screen windows of run mode: one on every monitor, each showing that monitor's
// scene at the monitor's own size. They stay on top, hide the pointer, and the saver closes
// on the first key, mouse button, mouse travel beyond the tolerance (from where the cursor
// was at the first mouse message any of them received) or loss of the activation to
// another program; the activation moving between them closes nothing.
//
// The primary monitor's window is the application's main window. It owns the windows of
// the other monitors, so they go when it goes; every closing input, whichever window gets
// it, closes the primary window; and on a display change it moves, makes and removes the
// other windows to follow the new monitor layout. Every window deletes itself after its
// window is gone.
//
// The primary window also learns whether anyone can see the frames (the displays' power
// state, the session locked or disconnected) and keeps the animation's ViewingState: while
// nobody can, the frame loop draws nothing, and it starts again at once when someone can.
#pragma once

#include "app/CCAnimationWnd.h"
#include "app/MouseTravel.h"
#include "app/ScreenLayout.h"
#include "app/ViewingState.h"
#ifdef _WIN32
#include "app/ViewingNotifications.h"
#endif

class GSSaverWnd : public CCAnimationWnd {
    DECLARE_DYNAMIC(GSSaverWnd)
  public:
    // The primary monitor's window.
    GSSaverWnd(CCAnimation* animation, int regionOption, int mouseTolerance);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool IsOwnWindow(HWND window) const override;

    // Virtual slot after CCAnimationWnd's: creates the primary monitor's window owned by
    // `owner`, gives it the keyboard focus, then covers the other monitors.
    virtual BOOL CreateFullScreen(HWND owner);

  protected:
#ifdef _WIN32
    int OnCreate(LPCREATESTRUCT createStruct);
    void OnDestroy();
#endif
    DECLARE_MESSAGE_MAP()

  private:
    // The window of another monitor, showing scene `screen`.
    GSSaverWnd(GSSaverWnd* primary, int screen);

#ifdef _WIN32
    // Creates another monitor's window over `area`, hidden: it is shown without taking
    // the activation.
    BOOL CreateOnScreen(const RECT& area);
    // Primary window: fits every window to the current monitors, making and removing the
    // windows of the other monitors as needed; with `onlyWhenChanged`, only when the
    // monitors are not those the windows were last fitted to.
    void FollowScreenLayout(bool onlyWhenChanged);
    // Primary window: windows for areas 1 to count - 1 (moved there, or made), and none
    // for screens beyond them.
    void CoverOtherScreens(const ScreenArea* areas, int count);
    // Closes the whole saver, from whichever window the input came to.
    void CloseSaver();
    // Primary window: the frames were hidden or shown again.
    void OnViewingChange(ViewingState::Change change);
#endif

    GSSaverWnd* m_primary; // the primary monitor's window; this window for itself
    CursorTravel m_travel; // used in the primary window only
    // Primary window: the windows of the other monitors, by screen (slot 0 unused).
    GSSaverWnd* m_others[kMaxScreens] = {};
    ScreenArea m_layout[kMaxScreens] = {}; // primary window: the monitors last fitted to
    int m_layoutCount = 0;
#ifdef _WIN32
    ViewingNotifications m_viewingNotifications; // primary window only
#endif
};
