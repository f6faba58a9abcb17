#include "PackOptions.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace {
constexpr int64_t kMaxSideOption = 100000;

// A setting option: its payload slot and the range it accepts. Thousandths options take
// decimals with up to three places ("1.25"), stored as integers (1250).
struct SettingOption {
    const char* name;
    PayloadSetting slot;
    bool thousandths;
    int64_t low, high; // in stored units
    const char* meaning;
};
constexpr SettingOption kSettingOptions[] = {
    {"--motion", kMotionStyle, false, 0, 3, "motion pattern of cubes and boxes"},
    {"--cubes", kCubeCount, false, -1, 1000, "picture cubes (0 shows one, -1 none)"},
    {"--cube-speed", kCubeSpeed, true, 0, 100000, "picture cube speed factor"},
    {"--cube-size", kCubeSize, true, 1, 100000, "picture cube size"},
    {"--transparency", kRegionOption, false, 0, 1,
     "1 lets picture fills be transparent on displays of more than 256 colours"},
    {"--boxes", kBoxCount, false, 0, 10000, "coloured boxes"},
    {"--box-speed", kBoxSpeed, true, 0, 100000, "box speed factor"},
    {"--box-size", kBoxSize, true, 1, 100000, "box size"},
    {"--box-phase", kBoxPhaseStep, true, 0, 1000000, "phase step between boxes"},
};

std::string Format(int64_t value, bool thousandths) {
    if (!thousandths) {
        return std::to_string(value);
    }
    std::string s = std::to_string(value / 1000);
    if (value % 1000) {
        char frac[8];
        std::snprintf(frac, sizeof frac, ".%03d", static_cast<int>(value % 1000));
        std::string f = frac;
        while (f.back() == '0') {
            f.pop_back();
        }
        s += f;
    }
    return s;
}

// Whole integers, optionally negative; nothing else may follow.
bool ParseInteger(const std::string& text, int64_t& value) {
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && p == end && !text.empty();
}

// "12", "1.5", ".25", "0.125": at most three decimal places, no sign, no exponent.
bool ParseThousandths(const std::string& text, int64_t& value) {
    const size_t dot = text.find('.');
    const std::string whole = text.substr(0, dot);
    std::string frac = dot == std::string::npos ? "" : text.substr(dot + 1);
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

bool ParseSetting(const SettingOption& o, const std::string& text, PackOptions& options,
                  std::string& error) {
    int64_t value = 0;
    const bool parsed = o.thousandths ? ParseThousandths(text, value) : ParseInteger(text, value);
    if (!parsed || value < o.low || value > o.high) {
        error = std::string(o.name) + " takes " + (o.thousandths ? "a number" : "a whole number") +
                " from " + Format(o.low, o.thousandths) + " to " + Format(o.high, o.thousandths) +
                ", not \"" + text + "\"";
        return false;
    }
    options.settings[o.slot] = static_cast<uint32_t>(value); // -1 is stored as 4294967295
    return true;
}

bool ParseFace(const std::string& arg, PackOptions& options, std::string& error) {
    if (options.faces.size() == kPayloadFaceCount) {
        error = "at most six faces, but \"" + arg + "\" is a seventh";
        return false;
    }
    FaceArgument face;
    std::string path = arg;
    if (path.rfind("fill:", 0) == 0) {
        face.mode = 1;
        path.erase(0, 5);
    } else if (path.rfind("fit:", 0) == 0) {
        face.mode = 0;
        path.erase(0, 4);
    }
    if (path.empty()) {
        error = "face \"" + arg + "\" names no file";
        return false;
    }
    face.path = path == "-" ? "" : path;
    options.faces.push_back(face);
    return true;
}

bool ParseMake(int argc, char** argv, PackOptions& o, std::string& error) {
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        const SettingOption* setting = nullptr;
        for (const SettingOption& s : kSettingOptions) {
            if (arg == s.name) {
                setting = &s;
            }
        }
        std::string text;
        if (setting) {
            if (!value(text) || !ParseSetting(*setting, text, o, error)) {
                return false;
            }
        } else if (arg == "--template" || arg == "-t") {
            if (!value(o.templatePath)) {
                return false;
            }
        } else if (arg == "--out" || arg == "-o") {
            if (!value(o.outPath)) {
                return false;
            }
        } else if (arg == "--fill" || arg == "--fit") {
            o.defaultMode = arg == "--fill" ? 1 : 0;
        } else if (arg == "--strict") {
            o.strict = true;
        } else if (arg == "--max-side") {
            int64_t side = 0;
            if (!value(text) || !ParseInteger(text, side) || side < 0 || side > kMaxSideOption) {
                error = error.empty()
                            ? "--max-side takes a whole number from 0 to " +
                                  std::to_string(kMaxSideOption) + ", not \"" + text + "\""
                            : error;
                return false;
            }
            o.maxSide = static_cast<int>(side);
        } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
            error = "unknown option " + arg;
            return false;
        } else if (!ParseFace(arg, o, error)) {
            return false;
        }
    }
    if (o.templatePath.empty() || o.outPath.empty()) {
        error = "make needs --template and --out";
        return false;
    }
    return true;
}
} // namespace

PackOptions::PackOptions() {
    std::copy(std::begin(kSettingDefaults), std::end(kSettingDefaults), settings);
}

bool ParsePackOptions(int argc, char** argv, PackOptions& o, std::string& error) {
    if (argc < 2) {
        error = "no command given";
        return false;
    }
    const std::string command = argv[1];
    if (command == "help" || command == "--help" || command == "-h") {
        o.command = PackOptions::Command::kHelp;
        return true;
    }
    if (command == "show") {
        if (argc != 3) {
            error = "show takes exactly one saver file";
            return false;
        }
        o.command = PackOptions::Command::kShow;
        o.saverPath = argv[2];
        return true;
    }
    if (command == "make") {
        o.command = PackOptions::Command::kMake;
        return ParseMake(argc, argv, o, error);
    }
    error = "unknown command \"" + command + "\"";
    return false;
}

std::string SettingsUsage() {
    std::string text;
    for (const SettingOption& o : kSettingOptions) {
        char line[200];
        std::snprintf(line, sizeof line, "  %-15s %s..%s, default %s: %s\n", o.name,
                      Format(o.low, o.thousandths).c_str(), Format(o.high, o.thousandths).c_str(),
                      Format(kSettingDefaults[o.slot], o.thousandths).c_str(), o.meaning);
        text += line;
    }
    return text;
}
