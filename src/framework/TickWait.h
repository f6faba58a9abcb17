// Waiting until a millisecond tick arrives, when the tick may move in coarse steps.
//
// On Windows GetTickCount moves with the system clock interrupt, in steps of about 15.6 ms,
// however finely the thread's waits are timed. After a wait of the whole distance the tick
// can still show its old value; waiting the whole distance again would make the frame
// late by a full step. So the first wait covers the distance and every later one a single
// millisecond, until the tick has arrived or the wait ended for another reason (input).
#pragma once

#include "platform/Win32.h"

// now() gives the current tick; wait(ms) waits up to ms milliseconds and returns false when
// something other than the time ended it. A due tick that has passed, or lies more than
// 2^31 ms ahead, means no wait.
template <class Now, class Wait> void WaitForTick(DWORD due, Now now, Wait wait) {
    const LONG left = static_cast<LONG>(due - now());
    if (left <= 0) {
        return;
    }
    DWORD length = static_cast<DWORD>(left);
    while (wait(length) && static_cast<LONG>(due - now()) > 0) {
        length = 1;
    }
}
