#include "app/ViewingState.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

using Change = ViewingState::Change;

// The two display settings' identities in the system's byte order (little-endian numbers).
constexpr uint8_t kConsoleDisplay[16] = {0x56, 0x95, 0xe6, 0x6f, 0x4a, 0x70, 0xa0, 0x47,
                                         0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47};
constexpr uint8_t kMonitorPower[16] = {0x15, 0x10, 0x73, 0x02, 0x10, 0x45, 0x26, 0x45,
                                       0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xea};
// GUID_ACDC_POWER_SOURCE: a setting of no interest.
constexpr uint8_t kPowerSource[16] = {0x6c, 0xcb, 0x65, 0x5d, 0x74, 0xb5, 0x5f, 0x4e,
                                      0x92, 0x2d, 0x17, 0xb9, 0x6b, 0x5f, 0xc9, 0xc0};

struct Event {
    const uint8_t* setting; // null: a session change
    uint32_t value;         // the setting's value or the session code
    Change expected;
    bool seenAfter;
};

void Play(const std::vector<Event>& events) {
    ViewingState state;
    for (size_t i = 0; i < events.size(); ++i) {
        const Event& e = events[i];
        const Change change = e.setting ? state.OnPowerSetting(e.setting, &e.value, sizeof e.value)
                                        : state.OnSessionChange(e.value);
        EXPECT_EQ(change, e.expected) << "event " << i;
        EXPECT_EQ(state.Seen(), e.seenAfter) << "event " << i;
    }
}

TEST(ViewingState, DisplayOffHidesAndOnOrDimmedShows) {
    Play({
        {kConsoleDisplay, 1, Change::kNone, true},
        {kConsoleDisplay, 0, Change::kHidden, false},
        {kConsoleDisplay, 0, Change::kNone, false},
        {kConsoleDisplay, 2, Change::kShown, true}, // dimmed is still seen
        {kMonitorPower, 0, Change::kHidden, false},
        {kMonitorPower, 1, Change::kShown, true},
        {kPowerSource, 0, Change::kNone, true},
    });
}

TEST(ViewingState, LockAndDisconnectHideUntilBothAreUndone) {
    Play({
        {nullptr, ViewingState::kSessionLock, Change::kHidden, false},
        {nullptr, ViewingState::kRemoteDisconnect, Change::kNone, false},
        {nullptr, ViewingState::kSessionUnlock, Change::kNone, false},
        {nullptr, ViewingState::kConsoleConnect, Change::kShown, true},
        {nullptr, ViewingState::kConsoleDisconnect, Change::kHidden, false},
        {nullptr, ViewingState::kRemoteConnect, Change::kShown, true},
        {nullptr, 5 /* logon */, Change::kNone, true},
    });
}

TEST(ViewingState, DisplayOnDoesNotShowALockedSession) {
    Play({
        {kConsoleDisplay, 0, Change::kHidden, false},
        {nullptr, ViewingState::kSessionLock, Change::kNone, false},
        {kConsoleDisplay, 1, Change::kNone, false},
        {nullptr, ViewingState::kSessionUnlock, Change::kShown, true},
    });
}

TEST(ViewingState, ShortOrMissingDataChangesNothing) {
    ViewingState state;
    const uint32_t off = 0;
    EXPECT_EQ(state.OnPowerSetting(kConsoleDisplay, &off, 3), Change::kNone);
    EXPECT_EQ(state.OnPowerSetting(kConsoleDisplay, nullptr, 4), Change::kNone);
    EXPECT_EQ(state.OnPowerSetting(nullptr, &off, 4), Change::kNone);
    EXPECT_TRUE(state.Seen());
    // Longer data is read for its first four bytes, wherever it lies.
    uint8_t unaligned[9] = {};
    std::memcpy(unaligned + 1, &off, sizeof off);
    EXPECT_EQ(state.OnPowerSetting(kConsoleDisplay, unaligned + 1, 8), Change::kHidden);
}

} // namespace
