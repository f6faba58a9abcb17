// Waiting until a millisecond tick arrives, when the tick may move in coarse steps or lag.
//
// On Windows GetTickCount moves with the system clock interrupt, in steps of about 15.6 ms,
// however finely the thread's waits are timed: after a wait of the whole distance the tick
// can still show its old value, and waiting the whole distance again would make the frame
// late by a full step. Under Wine the tick is exact but only brought up to date when the
// window server runs, so after a stretch of work without calls to it the tick lags and the
// distance it gives is too long. So the first wait's length comes from a finer clock, and
// every later one is a single millisecond, until the tick has arrived or the wait ended for
// another reason (input).
#pragma once

#include "platform/Win32.h"

// now() gives the current tick; wait(ms) waits up to ms milliseconds and returns false when
// something other than the time ended it. A due tick that has passed, or lies more than
// 2^31 ms ahead, means no wait.
template <class Now, class Wait> void WaitForTick(DWORD due, DWORD firstWait, Now now, Wait wait) {
    if (static_cast<LONG>(due - now()) <= 0) {
        return;
    }
    DWORD length = firstWait;
    while (wait(length) && static_cast<LONG>(due - now()) > 0) {
        length = 1;
    }
}
