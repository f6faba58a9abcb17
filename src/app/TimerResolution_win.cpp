#include "app/TimerResolution.h"

#include "platform/Win32.h"

#include <mmsystem.h>

namespace {
constexpr UINT kFinestPeriod = 1; // milliseconds
} // namespace

void TimerResolution::Raise() {
    if (!m_raised) {
        m_raised = timeBeginPeriod(kFinestPeriod) == TIMERR_NOERROR;
    }
}

void TimerResolution::Restore() {
    if (m_raised) {
        timeEndPeriod(kFinestPeriod);
        m_raised = false;
    }
}
