// The application object: starts the picture and renderer services, creates the one
// animation, enters the mode the command line asks for, drives the frame clock from the
// idle passes and tears everything down at exit.
#pragma once

#include "framework/WinApp.h"

class CubeAnimation;
class CWnd;

class CubeSaverApp : public CWinApp {
  public:
    CubeSaverApp() = default;

    BOOL InitInstance() override;
    BOOL OnIdle(LONG count) override;
    int ExitInstance() override;

  private:
    // Parses the command line and calls the animation's mode operation; the window of the
    // mode, or null when the program is to end.
    CWnd* EnterMode();

    CubeAnimation* m_animation = nullptr;
};
