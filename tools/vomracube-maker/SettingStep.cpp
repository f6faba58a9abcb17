#include "SettingStep.h"

#include <algorithm>

int64_t SettingStepSize(const SettingInfo& setting) {
    return setting.thousandths ? 50 : 1;
}

int64_t StepSetting(const SettingInfo& setting, int64_t value, int steps) {
    const int64_t step = SettingStepSize(setting);
    // Steps are bounded by the range, which is far inside 64 bits, so nothing overflows.
    const int64_t clampedSteps = std::clamp<int64_t>(steps, -1000000, 1000000);
    int64_t on = std::clamp(value, setting.low, setting.high);
    const int64_t below = on - ((on % step) + step) % step; // the grid point at or below
    if (clampedSteps > 0) {
        on = below + clampedSteps * step;
    } else if (clampedSteps < 0) {
        on = (below == on ? on : below + step) + clampedSteps * step;
    }
    return std::clamp(on, setting.low, setting.high);
}
