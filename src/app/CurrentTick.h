// The process-wide millisecond tick: GetTickCount, stored at start-up and at the start of
// every idle pass. It wraps after about 49.7 days, so the time between two ticks is always
// taken as an unsigned 32-bit difference, which stays right across the wrap.
#pragma once

#include "platform/Win32.h"

extern DWORD CurrentTick;

// Milliseconds from `then` to `now`, modulo 2^32.
constexpr DWORD TicksSince(DWORD now, DWORD then) {
    return static_cast<DWORD>(now - then);
}
