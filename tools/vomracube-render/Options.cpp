#include "Options.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

const char kRenderUsage[] =
    "usage: vomracube-render [--size WxH] [--depth 32|8] [--time T] [--frames N [--step S]]\n"
    "                        [--sheet] [--reference] [--pictures smooth|exact] --out PATH\n"
    "                        [SAVER]\n"
    "Draws the scene at clock value T (default 0) into PATH as a PNG, top row first.\n"
    "With SAVER, the scene of that finished screen saver; without, the built-in defaults.\n"
    "--frames N draws N frames T, T+S, ... (S default 0.02, one clock step) into PATH with\n"
    "_0000, _0001, ... before the extension, or with --sheet into one contact sheet.\n"
    "--reference draws with every fast path of the renderer off (the plain loops it checks\n"
    "them against): slower, the same pixels.\n"
    "--pictures draws the picture faces smooth or exact whatever the saver says (savers\n"
    "made by the pack tool or the maker say smooth, older ones and the defaults exact).\n";

namespace {

constexpr int kMaxSide = 16384;
constexpr int kMaxFrames = 10000;
// Pixels of one frame, and of all frames of a contact sheet together.
constexpr double kMaxPixels = double(1 << 26);
constexpr double kMaxSheetPixels = double(1 << 28);

bool ParseInt(const char* text, int low, int high, int* value) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (end == text || *end || v < low || v > high) {
        return false;
    }
    *value = static_cast<int>(v);
    return true;
}

bool ParseDouble(const char* text, double* value) {
    char* end = nullptr;
    const double v = std::strtod(text, &end);
    if (end == text || *end || !std::isfinite(v)) {
        return false;
    }
    *value = v;
    return true;
}

bool ParseSize(const char* text, RenderOptions* o) {
    const char* x = std::strchr(text, 'x');
    if (!x) {
        return false;
    }
    const std::string w(text, x);
    return ParseInt(w.c_str(), 1, kMaxSide, &o->width) && ParseInt(x + 1, 1, kMaxSide, &o->height);
}

} // namespace

bool ParseRenderOptions(int argc, char** argv, RenderOptions* o, std::string* error) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        const auto takes = [&](bool ok) {
            if (!value || !ok) {
                *error = std::string("bad or missing value for ") + arg;
                return false;
            }
            ++i;
            return true;
        };
        if (!std::strcmp(arg, "--size")) {
            if (!takes(value && ParseSize(value, o))) {
                return false;
            }
        } else if (!std::strcmp(arg, "--depth")) {
            if (!takes(value && ParseInt(value, 8, 32, &o->depth) &&
                       (o->depth == 8 || o->depth == 32))) {
                return false;
            }
        } else if (!std::strcmp(arg, "--time")) {
            if (!takes(value && ParseDouble(value, &o->time))) {
                return false;
            }
        } else if (!std::strcmp(arg, "--frames")) {
            if (!takes(value && ParseInt(value, 1, kMaxFrames, &o->frames))) {
                return false;
            }
        } else if (!std::strcmp(arg, "--step")) {
            if (!takes(value && ParseDouble(value, &o->step))) {
                return false;
            }
        } else if (!std::strcmp(arg, "--pictures")) {
            const bool smooth = value && !std::strcmp(value, "smooth");
            if (!takes(value && (smooth || !std::strcmp(value, "exact")))) {
                return false;
            }
            o->pictures = smooth ? PictureMode::kSmooth : PictureMode::kExact;
        } else if (!std::strcmp(arg, "--reference")) {
            o->reference = true;
        } else if (!std::strcmp(arg, "--sheet")) {
            o->sheet = true;
        } else if (!std::strcmp(arg, "--out")) {
            if (!takes(value != nullptr)) {
                return false;
            }
            o->out = value;
        } else if (arg[0] == '-' && arg[1]) {
            *error = std::string("unknown option ") + arg;
            return false;
        } else if (o->saver.empty()) {
            o->saver = arg;
        } else {
            *error = "more than one saver given";
            return false;
        }
    }
    if (o->out.empty()) {
        *error = "--out PATH is required";
        return false;
    }
    const double pixels = double(o->width) * o->height;
    if (pixels > kMaxPixels || (o->sheet && pixels * o->frames > kMaxSheetPixels)) {
        *error = "the picture would be too large";
        return false;
    }
    return true;
}
