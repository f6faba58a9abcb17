#include "framework/IdleRule.h"

#include <gtest/gtest.h>

namespace {

MSG Message(UINT message, LONG x = 0, LONG y = 0) {
    MSG msg{};
    msg.message = message;
    msg.pt = {x, y};
    return msg;
}

TEST(IdleRule, FrequentStatelessMessagesDoNotReset) {
    IdleRule rule;
    EXPECT_FALSE(rule.IsIdleResetting(Message(WM_PAINT)));
    EXPECT_FALSE(rule.IsIdleResetting(Message(WM_TIMER)));
    EXPECT_FALSE(rule.IsIdleResetting(Message(0x0118))); // caret blink
}

TEST(IdleRule, OtherMessagesReset) {
    IdleRule rule;
    EXPECT_TRUE(rule.IsIdleResetting(Message(0x0100))); // WM_KEYDOWN
    EXPECT_TRUE(rule.IsIdleResetting(Message(WM_USER + 1)));
    EXPECT_TRUE(rule.IsIdleResetting(Message(0x0010))); // WM_CLOSE
}

TEST(IdleRule, MouseMovesResetOnlyWhenTheCursorMoved) {
    IdleRule rule;
    EXPECT_TRUE(rule.IsIdleResetting(Message(WM_MOUSEMOVE, 10, 20)));
    EXPECT_FALSE(rule.IsIdleResetting(Message(WM_MOUSEMOVE, 10, 20)));
    EXPECT_TRUE(rule.IsIdleResetting(Message(WM_MOUSEMOVE, 11, 20)));
    // The same point as a different kind of move counts as new.
    EXPECT_TRUE(rule.IsIdleResetting(Message(WM_NCMOUSEMOVE, 11, 20)));
    EXPECT_FALSE(rule.IsIdleResetting(Message(WM_NCMOUSEMOVE, 11, 20)));
    // Other messages in between do not make a repeated position new.
    EXPECT_TRUE(rule.IsIdleResetting(Message(0x0100)));
    EXPECT_FALSE(rule.IsIdleResetting(Message(WM_NCMOUSEMOVE, 11, 20)));
}

} // namespace
