// The nine settings as the maker's window presents them to people: a short name for each
// motion pattern, one line of help per setting, numbers written and read with the decimal
// separator of the user's locale, and complaints in words that name the field, never a
// command-line option.
#pragma once

#include "make/SettingTable.h"

#include <cstdint>
#include <string>

// How a setting is edited: a list of names, a check box, or a number typed or stepped.
enum class SettingControl { kChoice, kSwitch, kNumber };

SettingControl ControlOf(const SettingInfo& setting);
// One line under the field: what the setting does, in words.
const char* SettingHelp(const SettingInfo& setting);
// The four motion patterns' names in pattern order; null past the last.
const char* MotionPatternName(int pattern);
constexpr int kMotionPatternCount = 4;
// The check box's text for the switch setting.
const char* SwitchText(const SettingInfo& setting);

// "2,5" under a locale that writes two and a half so; `decimal` is that separator (one or
// more characters, "." when the locale gives none).
std::string FormatTyped(const SettingInfo& setting, int64_t value, const std::string& decimal);
// What a person typed, with either the locale's separator or a full stop, spaces around it
// ignored. False, with a sentence that names the field and its range in `error`, for text
// that is no number or a value outside the range: the caller keeps the field marked, and
// nothing is saved until it is put right.
bool ParseTyped(const SettingInfo& setting, const std::string& text, const std::string& decimal,
                int64_t& value, std::string& error);
