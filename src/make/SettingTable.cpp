#include "make/SettingTable.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace {
constexpr SettingInfo kSettings[] = {
    {"--motion", "Motion pattern", kMotionStyle, false, 0, 3, "motion pattern of cubes and boxes"},
    {"--cubes", "Picture cubes", kCubeCount, false, -1, 1000,
     "picture cubes (0 shows one, -1 none)"},
    {"--cube-speed", "Cube speed", kCubeSpeed, true, 0, 100000, "picture cube speed factor"},
    {"--cube-size", "Cube size", kCubeSize, true, 1, 100000, "picture cube size"},
    {"--transparency", "Transparency", kRegionOption, false, 0, 1,
     "1 lets picture fills be transparent on displays of more than 256 colours"},
    {"--boxes", "Boxes", kBoxCount, false, 0, 10000, "coloured boxes"},
    {"--box-speed", "Box speed", kBoxSpeed, true, 0, 100000, "box speed factor"},
    {"--box-size", "Box size", kBoxSize, true, 1, 100000, "box size"},
    {"--box-phase", "Box spacing", kBoxPhaseStep, true, 0, 1000000, "phase step between boxes"},
};
static_assert(std::size(kSettings) == kPayloadSettingCount);

constexpr bool SlotsInTextOrder() {
    for (size_t i = 0; i < std::size(kSettings); ++i) {
        if (kSettings[i].slot != static_cast<PayloadSetting>(i)) {
            return false;
        }
    }
    return true;
}
static_assert(SlotsInTextOrder());
} // namespace

std::span<const SettingInfo> SettingTable() {
    return kSettings;
}

const SettingInfo* FindSettingOption(const std::string& option) {
    for (const SettingInfo& s : kSettings) {
        if (option == s.option) {
            return &s;
        }
    }
    return nullptr;
}

std::string FormatSetting(const SettingInfo& setting, int64_t value) {
    if (!setting.thousandths) {
        return std::to_string(value);
    }
    // The sign is written once, so that -1.5 does not come out as "-1.-500".
    const uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : value;
    std::string s = value < 0 ? "-" : "";
    s += std::to_string(magnitude / 1000);
    if (magnitude % 1000) {
        char frac[8];
        std::snprintf(frac, sizeof frac, ".%03d", static_cast<int>(magnitude % 1000));
        std::string f = frac;
        while (f.back() == '0') {
            f.pop_back();
        }
        s += f;
    }
    return s;
}

int64_t SettingValue(const SettingInfo& setting, uint32_t stored) {
    // Counts are read by the saver as signed numbers; the thousandths never go below 0.
    return setting.thousandths ? int64_t{stored} : int64_t{static_cast<int32_t>(stored)};
}

std::string SettingRangeText(const SettingInfo& setting) {
    return "from " + FormatSetting(setting, setting.low) + " to " +
           FormatSetting(setting, setting.high);
}

bool ParseWholeNumber(const std::string& text, int64_t& value) {
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && p == end && !text.empty();
}

bool ParseThousandths(const std::string& text, int64_t& value) {
    const size_t dot = text.find('.');
    const std::string whole = text.substr(0, dot);
    std::string frac = dot == std::string::npos ? "" : text.substr(dot + 1);
    // Nine whole digits at most, so that the value times 1000 stays far inside 64 bits.
    if ((whole.empty() && frac.empty()) || frac.size() > 3 || whole.size() > 9) {
        return false;
    }
    auto digits = [](const std::string& s) {
        return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (!digits(whole) || !digits(frac)) {
        return false;
    }
    frac.resize(3, '0');
    value = (whole.empty() ? 0 : std::stoll(whole)) * 1000 + std::stoll(frac);
    return true;
}

bool ParseSetting(const SettingInfo& setting, const std::string& text, int64_t& value,
                  std::string& error) {
    int64_t parsed = 0;
    const bool ok =
        setting.thousandths ? ParseThousandths(text, parsed) : ParseWholeNumber(text, parsed);
    if (!ok || parsed < setting.low || parsed > setting.high) {
        error = std::string(setting.option) + " takes " +
                (setting.thousandths ? "a number" : "a whole number") + " " +
                SettingRangeText(setting) + ", not \"" + text + "\"";
        return false;
    }
    value = parsed;
    return true;
}
