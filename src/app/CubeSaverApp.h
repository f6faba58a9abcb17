// The application object: starts the picture and renderer services, creates the one
// animation, enters the mode the command line asks for, drives the frame clock from the
// idle passes and tears everything down at exit.
//
// Between frames the loop sleeps: every pass that does frame work tells the message loop
// when the next redraw or clock step is due, and while the system timer runs at 1 ms (in
// run and preview modes) the loop wakes for it on time or for any message before.
#pragma once

#include "app/TimerResolution.h"
#include "framework/WinApp.h"

class CubeAnimation;
class CWnd;

class CubeSaverApp : public CWinApp {
  public:
    CubeSaverApp() = default;

    BOOL InitInstance() override;
    BOOL OnIdle(LONG count) override;
    int ExitInstance() override;

  protected:
    // For programs that run the frame loop with an animation of their own: start-up uses
    // it instead of a new CubeAnimation, and exit deletes it in the same way.
    explicit CubeSaverApp(CubeAnimation* animation) : m_animation(animation) {}

  private:
    // Parses the command line and calls the animation's mode operation; the window of the
    // mode, or null when the program is to end.
    CWnd* EnterMode();
    // The window of a mode that shows frames, with the fine timer raised for it.
    CWnd* ShowingFrames(CWnd* window);
    // Milliseconds from CurrentTick until the next redraw or clock step is due.
    DWORD TicksToNextFrameWork() const;
    // Whether anyone can see the frames; gives back the fine timer while nobody can and
    // raises it again after.
    bool FramesSeen();

    CubeAnimation* m_animation = nullptr;
    TimerResolution m_timerResolution;
    bool m_framesSeen = true;
};
