#include "SettingWords.h"

#include <string_view>

namespace {
struct Words {
    SettingControl control;
    const char* help;
};

// In payload text order, as the settings table. A line of help fits under its field at
// any scaling: about 27 characters.
constexpr Words kWords[] = {
    {SettingControl::kChoice, "How cubes and boxes move."},
    {SettingControl::kNumber, "0 shows one too; -1 none."},
    {SettingControl::kNumber, "1 is usual, 0 stops."},
    {SettingControl::kNumber, "1 is the usual size."},
    {SettingControl::kSwitch, "Desktop may show through."},
    {SettingControl::kNumber, "Plain coloured boxes."},
    {SettingControl::kNumber, "1 is usual, 0 stops."},
    {SettingControl::kNumber, "1 is the usual size."},
    {SettingControl::kNumber, "How far apart boxes move."},
};
static_assert(std::size(kWords) == kPayloadSettingCount);

// Named after the path each pattern draws.
constexpr const char* kPatterns[kMotionPatternCount] = {"Wander", "Carousel", "Rings",
                                                        "Figure eight"};

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The locale's separator becomes a full stop, once; a full stop typed stays one.
std::string WithFullStop(const std::string& text, const std::string& decimal) {
    if (decimal.empty() || decimal == ".") {
        return text;
    }
    const size_t at = text.find(decimal);
    if (at == std::string::npos) {
        return text;
    }
    return text.substr(0, at) + "." + text.substr(at + decimal.size());
}

std::string Range(const SettingInfo& setting, const std::string& decimal) {
    return FormatTyped(setting, setting.low, decimal) + " to " +
           FormatTyped(setting, setting.high, decimal);
}
} // namespace

SettingControl ControlOf(const SettingInfo& setting) {
    return kWords[setting.slot].control;
}

const char* SettingHelp(const SettingInfo& setting) {
    return kWords[setting.slot].help;
}

const char* MotionPatternName(int pattern) {
    return pattern >= 0 && pattern < kMotionPatternCount ? kPatterns[pattern] : nullptr;
}

const char* SwitchText(const SettingInfo&) {
    return "Transparent pictures";
}

std::string FormatTyped(const SettingInfo& setting, int64_t value, const std::string& decimal) {
    std::string text = FormatSetting(setting, value);
    const size_t dot = text.find('.');
    if (dot != std::string::npos && !decimal.empty()) {
        text.replace(dot, 1, decimal);
    }
    return text;
}

bool ParseTyped(const SettingInfo& setting, const std::string& text, const std::string& decimal,
                int64_t& value, std::string& error) {
    const std::string typed = Trimmed(text);
    const std::string plain = WithFullStop(typed, decimal);
    int64_t parsed = 0;
    const bool number =
        setting.thousandths ? ParseThousandths(plain, parsed) : ParseWholeNumber(plain, parsed);
    if (number && parsed >= setting.low && parsed <= setting.high) {
        value = parsed;
        return true;
    }
    const std::string kind = setting.thousandths ? "a number" : "a whole number";
    const std::string name = setting.label;
    if (typed.empty()) {
        error = name + " is empty: type " + kind + " from " + Range(setting, decimal) + ".";
    } else if (!number) {
        error = name + " takes " + kind + " from " + Range(setting, decimal) + "; \"" + typed +
                "\" is not one.";
    } else {
        error = name + " goes from " + Range(setting, decimal) + "; " + typed + " is too " +
                (parsed < setting.low ? "small." : "large.");
    }
    return false;
}
