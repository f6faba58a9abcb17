// Which dispatched messages restart the idle pass count. A message that reports no change
// of state and arrives all the time must not restart it, or the idle work that waits for
// a few quiet passes would never run:
//   - WM_PAINT, the caret-blink system timer (0x0118) and WM_TIMER (the preview window's
//     frame timer) never reset;
//   - WM_MOUSEMOVE and WM_NCMOUSEMOVE reset only when the cursor moved or the kind of
//     mouse message changed since the previous mouse-move;
//   - every other message resets.
#pragma once

#include "platform/Win32.h"

class IdleRule {
  public:
    // True when the message just dispatched restarts the idle pass count.
    bool IsIdleResetting(const MSG& msg);

  private:
    UINT m_lastMoveMessage = 0;
    POINT m_lastMovePoint{-1, -1};
};
