#include "framework/IdleRule.h"

namespace {
constexpr UINT kSysTimer = 0x0118; // caret blink
}

bool IdleRule::IsIdleResetting(const MSG& msg) {
    if (msg.message == WM_MOUSEMOVE || msg.message == WM_NCMOUSEMOVE) {
        const bool same = msg.message == m_lastMoveMessage && msg.pt.x == m_lastMovePoint.x &&
                          msg.pt.y == m_lastMovePoint.y;
        m_lastMoveMessage = msg.message;
        m_lastMovePoint = msg.pt;
        return !same;
    }
    return msg.message != WM_PAINT && msg.message != WM_TIMER && msg.message != kSysTimer;
}
