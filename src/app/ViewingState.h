// Whether anyone can see run mode's frames. Nobody can while every display is off (the
// console's display state, or the monitor power state that older systems report instead)
// or while the session is locked or disconnected from its console or remote screen; the
// frame loop then draws nothing and sleeps until a message comes.
//
// Fed from the notifications the system sends the saver's main window
// (ViewingNotifications_win.cpp): power-setting changes with the setting's identity and
// data as they arrive, and session changes by their code. A dimmed display is still seen.
#pragma once

#include <cstddef>
#include <cstdint>

class ViewingState {
  public:
    enum class Change { kNone, kHidden, kShown };

    // Session change codes (WM_WTSSESSION_CHANGE's wParam).
    static constexpr uint32_t kConsoleConnect = 1;
    static constexpr uint32_t kConsoleDisconnect = 2;
    static constexpr uint32_t kRemoteConnect = 3;
    static constexpr uint32_t kRemoteDisconnect = 4;
    static constexpr uint32_t kSessionLock = 7;
    static constexpr uint32_t kSessionUnlock = 8;

    // A power-setting notification: `setting` points at the 16-byte identity as the system
    // lays it out, `data` at `length` bytes of its value. Settings of no interest and values
    // too short to hold one change nothing.
    Change OnPowerSetting(const void* setting, const void* data, size_t length);
    Change OnSessionChange(uint32_t code);

    bool Seen() const { return !m_displaysOff && !m_locked && !m_disconnected; }

  private:
    // The change from `wasSeen` to now.
    Change Since(bool wasSeen) const;

    bool m_displaysOff = false;
    bool m_locked = false;
    bool m_disconnected = false;
};
