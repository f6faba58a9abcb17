// The nine settings as the authoring front ends present them: option name, label, range and
// meaning, in payload text order. Values are in stored units: counts as given (-1 is kept as
// 4294967295 in the payload), sizes, speeds and the phase step in thousandths.
#pragma once

#include "app/Payload.h"

#include <cstdint>
#include <span>
#include <string>

struct SettingInfo {
    const char* option; // command-line option, "--cube-size"
    const char* label;  // window label, "Cube size"
    PayloadSetting slot;
    bool thousandths;
    int64_t low, high; // in stored units
    const char* meaning;
};

// The nine entries, in payload text order (entry i has slot i).
std::span<const SettingInfo> SettingTable();
// The entry whose command-line option is `option` ("--boxes"); null for any other text.
const SettingInfo* FindSettingOption(const std::string& option);

// A stored value as a user reads it: "3", "-1", "1.25" (thousandths without trailing zeros).
std::string FormatSetting(const SettingInfo& setting, int64_t value);
// A stored payload value as the signed value the front ends show (4294967295 is -1).
int64_t SettingValue(const SettingInfo& setting, uint32_t stored);
// Parses what a user typed: whole numbers, or for thousandths up to three decimals. False,
// with a message naming the option's range in `error`, for text it does not take or a value
// outside the range.
bool ParseSetting(const SettingInfo& setting, const std::string& text, int64_t& value,
                  std::string& error);
// "from 0 to 3", "from 1 to 100": the range in the form FormatSetting writes.
std::string SettingRangeText(const SettingInfo& setting);

// The two forms ParseSetting takes, for other numbers the front ends read. Whole numbers:
// optional minus sign and digits, nothing else. Thousandths: "12", "1.5", ".25", "0.125",
// at most nine whole digits and three decimals, no sign, no exponent; `value` in thousandths.
bool ParseWholeNumber(const std::string& text, int64_t& value);
bool ParseThousandths(const std::string& text, int64_t& value);
