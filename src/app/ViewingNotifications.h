// The notifications a window needs to know whether anyone can see it (ViewingState): the
// display state's power settings and the session's changes. Both registrations are made
// through functions looked up when they are needed, so the saver still starts on systems
// without them (the frames then simply never stop). Registering makes the system report
// the current display state at once.
#pragma once

#include "platform/Win32.h"

class ViewingNotifications {
  public:
    ViewingNotifications() = default;
    ~ViewingNotifications() { Unregister(); }
    ViewingNotifications(const ViewingNotifications&) = delete;
    ViewingNotifications& operator=(const ViewingNotifications&) = delete;

    // Asks for WM_POWERBROADCAST (PBT_POWERSETTINGCHANGE) and WM_WTSSESSION_CHANGE messages
    // to `window`; whatever the system offers of them.
    void Register(HWND window);
    // Before the window goes.
    void Unregister();

  private:
    HWND m_window = nullptr;
    void* m_displayState = nullptr; // HPOWERNOTIFY
    void* m_monitorPower = nullptr; // HPOWERNOTIFY
    HMODULE m_sessionLibrary = nullptr;
    bool m_sessionRegistered = false;
};
