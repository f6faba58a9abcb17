// What the up and down arrows of a setting do: whole numbers step by one, sizes, speeds and
// the phase step by a twentieth, always landing inside the setting's range.
#pragma once

#include "make/SettingTable.h"

#include <cstdint>

// The stored step of one arrow press.
int64_t SettingStepSize(const SettingInfo& setting);
// `value` moved by `steps` presses (negative: down), first rounded to the step grid so that
// a typed 1.23 goes to 1.25 or 1.2, and held inside [low, high].
int64_t StepSetting(const SettingInfo& setting, int64_t value, int steps);
