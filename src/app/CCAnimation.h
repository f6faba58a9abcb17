// The animation interface the shell knows: an object that owns a scene and its clock,
// creates the window of each mode, makes the camera for a window and draws one frame into
// a drawing region whenever that window paints.
#pragma once

#include "app/ViewingState.h"
#include "framework/Object.h"
#include "platform/Win32.h"

class CWnd;
class RastelRegion;
class CCAnimationView;

class CCAnimation : public CObject {
    DECLARE_DYNAMIC(CCAnimation)
  public:
    ~CCAnimation() override = default;

    // Virtual slots after CObject's three, in this order.

    // Configure mode: the About box owned by the parent. Null when the animation cannot be
    // initialised.
    virtual CWnd* Configure(CWnd* owner) = 0;
    // Run mode: the full-screen saver window; mouse travel beyond the tolerance ends it.
    virtual CWnd* Run(int tolerance);
    // Preview mode: a child window of the display-settings dialog's preview area.
    virtual CWnd* Preview(HWND parent) = 0;
    // The camera for a window's client rectangle; the caller owns it.
    virtual CCAnimationView* CreateView(const RECT* client) = 0;
    // Reads the settings (once) and builds the scene; non-zero when the scene is not empty.
    virtual BOOL Initialise(CWnd* parent) = 0;
    // Advances the clock from the millisecond tick.
    virtual void Tick(DWORD now) = 0;
    // Draws one frame between the region's BeginFrame and EndFrame.
    virtual void Draw(RastelRegion* region, CCAnimationView* view) = 0;
    // Kept for slot order; no animation of this system uses the value.
    virtual void SetParameter(DWORD value);
    // The transparency option every drawing region of this animation is created with.
    virtual int GetRegionOption() = 0;
    // Forgets the region drawn last, so the next Draw clears and copies the whole region.
    virtual void ResetRegion() = 0;

    // Run mode shows a scene of its own on every monitor; screen 0, the primary monitor,
    // is the scene Initialise built, and the three operations below act on it alone unless
    // an animation overrides them.

    // Makes sure screens 0 to count - 1 have a scene; false when one could not be built.
    virtual BOOL PrepareScreens(int count);
    // The camera for a window of the screen; the caller owns it.
    virtual CCAnimationView* CreateScreenView(int screen, const RECT* client);
    // Draws the screen's scene, as Draw does.
    virtual void DrawScreen(int screen, RastelRegion* region, CCAnimationView* view);

    // Whether anyone can see the frames: run mode's main window keeps it, the frame loop
    // draws none while nobody can.
    ViewingState& Viewing() { return m_viewing; }
    const ViewingState& Viewing() const { return m_viewing; }

  protected:
    CCAnimation() = default;

  private:
    ViewingState m_viewing;
};
