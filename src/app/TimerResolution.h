// The system timer's resolution while the saver shows frames. Windows ends a thread's
// timed wait only on a clock interrupt, by default every 15.6 ms, so a wait of 15 ms can
// last 31 ms there and the frame loop would drop to half its rate. At 1 ms the waits end
// on time. The raised resolution is system-wide, so it is given back as soon as the
// frames stop, and at the latest when this object goes.
#pragma once

class TimerResolution {
  public:
    TimerResolution() = default;
    ~TimerResolution() { Restore(); }
    TimerResolution(const TimerResolution&) = delete;
    TimerResolution& operator=(const TimerResolution&) = delete;

    // Asks for 1 ms; a second call while raised does nothing.
    void Raise();
    // Gives back what Raise asked for, if anything.
    void Restore();

  private:
    bool m_raised = false;
};
