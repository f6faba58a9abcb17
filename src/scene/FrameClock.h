// The scene's time base. The clock advances by one step at most once per frame interval,
// and the windows paint at that same interval, so at full rate every frame shows a new
// clock value.
#pragma once

#include "platform/Win32.h"

// Milliseconds: the period of the preview window's timer and of the idle redraw list, and
// the shortest spacing of two clock steps.
constexpr DWORD kFrameInterval = 15;
// Clock units added by one step.
constexpr double kClockStep = 0.02;

// The picture clock for a scene clock value: one clock step per frame interval, i.e. 750 ms
// of picture time per clock unit. The result wraps like the tick counter, and a clock too
// large to say anything sensible about gives 0.
DWORD PictureTimeForClock(double clock);
