#include "app/ViewingState.h"

#include <cstring>

namespace {
// A power setting's identity in the system's layout: three little-endian numbers, then
// eight bytes.
struct SettingId {
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];
};
static_assert(sizeof(SettingId) == 16);

// GUID_CONSOLE_DISPLAY_STATE: 0 off, 1 on, 2 dimmed (Windows 8 and later).
constexpr SettingId kConsoleDisplayState = {
    0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
// GUID_MONITOR_POWER_ON: 0 off, 1 on (Windows Vista and 7).
constexpr SettingId kMonitorPowerOn = {
    0x02731015, 0x4510, 0x4526, {0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xea}};
constexpr uint32_t kDisplayOff = 0;

bool SameSetting(const SettingId& a, const SettingId& b) {
    return a.data1 == b.data1 && a.data2 == b.data2 && a.data3 == b.data3 &&
           std::memcmp(a.data4, b.data4, sizeof a.data4) == 0;
}
} // namespace

ViewingState::Change ViewingState::OnPowerSetting(const void* setting, const void* data,
                                                  size_t length) {
    if (!setting || !data || length < sizeof(uint32_t)) {
        return Change::kNone;
    }
    SettingId id;
    std::memcpy(&id, setting, sizeof id);
    if (!SameSetting(id, kConsoleDisplayState) && !SameSetting(id, kMonitorPowerOn)) {
        return Change::kNone;
    }
    uint32_t value;
    std::memcpy(&value, data, sizeof value);
    const bool wasSeen = Seen();
    m_displaysOff = value == kDisplayOff;
    return Since(wasSeen);
}

ViewingState::Change ViewingState::OnSessionChange(uint32_t code) {
    const bool wasSeen = Seen();
    switch (code) {
    case kSessionLock:
        m_locked = true;
        break;
    case kSessionUnlock:
        m_locked = false;
        break;
    case kConsoleDisconnect:
    case kRemoteDisconnect:
        m_disconnected = true;
        break;
    case kConsoleConnect:
    case kRemoteConnect:
        m_disconnected = false;
        break;
    default:
        break;
    }
    return Since(wasSeen);
}

ViewingState::Change ViewingState::Since(bool wasSeen) const {
    if (wasSeen == Seen()) {
        return Change::kNone;
    }
    return wasSeen ? Change::kHidden : Change::kShown;
}
