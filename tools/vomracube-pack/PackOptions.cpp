#include "PackOptions.h"

#include "make/SettingTable.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {
constexpr int64_t kMaxSideOption = 100000;

bool ParseSettingOption(const SettingInfo& setting, const std::string& text, PackOptions& options,
                        std::string& error) {
    int64_t value = 0;
    if (!ParseSetting(setting, text, value, error)) {
        return false;
    }
    options.settings[setting.slot] = static_cast<uint32_t>(value); // -1 is stored as 4294967295
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
    bool orderGiven = false; // --order or --change, which mean nothing without --photos
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
        std::string text;
        if (const SettingInfo* setting = FindSettingOption(arg)) {
            if (!value(text) || !ParseSettingOption(*setting, text, o, error)) {
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
        } else if (arg == "--pictures") {
            if (!value(text) || (text != "smooth" && text != "exact")) {
                error = error.empty() ? "--pictures takes smooth or exact, not \"" + text + "\""
                                      : error;
                return false;
            }
            o.pictureMode = text == "smooth" ? PictureMode::kSmooth : PictureMode::kExact;
        } else if (arg == "--photos") {
            if (!value(o.photoFolder.path)) {
                return false;
            }
            if (o.photoFolder.path.empty() || o.photoFolder.path.size() > kMaxPhotoFolderBytes) {
                error = "--photos takes a folder of at most " +
                        std::to_string(kMaxPhotoFolderBytes) + " bytes";
                return false;
            }
        } else if (arg == "--order") {
            if (!value(text) || !ParsePhotoOrder(text.c_str(), o.photoFolder.order)) {
                error = error.empty() ? "--order takes shuffle, name or date, not \"" + text + "\""
                                      : error;
                return false;
            }
            orderGiven = true;
        } else if (arg == "--change") {
            int64_t seconds = 0;
            if (!value(text) || !ParseWholeNumber(text, seconds) || seconds < 1 ||
                seconds > kMaxChangeSeconds) {
                error = error.empty()
                            ? "--change takes whole seconds from 1 to " +
                                  std::to_string(kMaxChangeSeconds) + ", not \"" + text + "\""
                            : error;
                return false;
            }
            o.photoFolder.changeSeconds = static_cast<uint32_t>(seconds);
            orderGiven = true;
        } else if (arg == "--strict") {
            o.strict = true;
        } else if (arg == "--upright") {
            o.upright = true;
        } else if (arg == "--max-side") {
            int64_t side = 0;
            if (!value(text) || !ParseWholeNumber(text, side) || side < 0 ||
                side > kMaxSideOption) {
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
    if (orderGiven && !o.photoFolder.Present()) {
        error = "--order and --change need --photos";
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
    for (const SettingInfo& o : SettingTable()) {
        char line[200];
        std::snprintf(line, sizeof line, "  %-15s %s..%s, default %s: %s\n", o.option,
                      FormatSetting(o, o.low).c_str(), FormatSetting(o, o.high).c_str(),
                      FormatSetting(o, kSettingDefaults[o.slot]).c_str(), o.meaning);
        text += line;
    }
    return text;
}
