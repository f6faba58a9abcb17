#include "make/VideoConversion.h"

namespace {
bool Plain(const std::string& arg) {
    if (arg.empty()) {
        return false;
    }
    for (char c : arg) {
        const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' || c == '/' ||
                          c == ':' || c == '=' || c == ',' || c == '+' || c == '\\';
        if (!safe) {
            return false;
        }
    }
    return true;
}

std::string Quoted(const std::string& arg) {
    if (Plain(arg)) {
        return arg;
    }
#ifdef _WIN32
    std::string out = "\"";
    for (char c : arg) {
        out += c == '"' ? std::string("\\\"") : std::string(1, c);
    }
    return out + "\"";
#else
    std::string out = "'";
    for (char c : arg) {
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return out + "'";
#endif
}
} // namespace

std::vector<std::string> VideoConversionArguments(const std::string& input,
                                                  const std::string& output) {
    // Fit inside side x side without enlarging; the codec works on 4x4 blocks. The commas
    // inside min() are escaped so that the filter graph does not split there.
    const std::string side = std::to_string(kVideoMaxSide);
    const std::string filter = "scale=w=min(" + side + "\\,iw):h=min(" + side +
                               "\\,ih):force_original_aspect_ratio=decrease:force_divisible_by=4," +
                               "fps=" + std::to_string(kVideoFrameRate);
    return {"-i",   "file:" + input, "-an", "-vf", filter,
            "-c:v", "msvideo1",      "-f",  "avi", "file:" + output};
}

std::vector<std::string> UnattendedArguments(std::vector<std::string> args) {
    const char* quiet[] = {"-nostdin", "-hide_banner", "-loglevel", "error", "-y"};
    args.insert(args.begin(), std::begin(quiet), std::end(quiet));
    return args;
}

std::string CommandText(const std::string& program, const std::vector<std::string>& args) {
    std::string text = Quoted(program);
    for (const std::string& a : args) {
        text += ' ';
        text += Quoted(a);
    }
    return text;
}

std::string AviNameFor(const std::string& input) {
    const size_t slash = input.find_last_of("/\\");
    const size_t dot = input.rfind('.');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
    const std::string stem = hasExtension ? input.substr(0, dot) : input;
    // An AVI already: a new name beside it rather than over it.
    return stem + (stem + ".avi" == input || stem + ".AVI" == input ? "-msvideo1.avi" : ".avi");
}

uint32_t ConversionTimeLimitMs(uint64_t clipBytes) {
    constexpr uint64_t kBaseMs = 120'000;
    constexpr uint64_t kMsPerMiB = 10'000;
    constexpr uint64_t kMostMs = 6 * 3600'000; // six hours: a 2 GiB clip and more
    const uint64_t ms = kBaseMs + (clipBytes >> 20) * kMsPerMiB;
    return static_cast<uint32_t>(ms < kMostMs ? ms : kMostMs);
}

std::string VideoConversionText() {
    return "AVI, Microsoft Video 1, at most " + std::to_string(kVideoMaxSide) +
           " pixels wide or high, " + std::to_string(kVideoFrameRate) +
           " frames per second, no sound";
}

bool WindowsHasCodec(uint32_t compression) {
    auto code = [](const char* c) {
        return uint32_t{static_cast<uint8_t>(c[0])} | uint32_t{static_cast<uint8_t>(c[1])} << 8 |
               uint32_t{static_cast<uint8_t>(c[2])} << 16 |
               uint32_t{static_cast<uint8_t>(c[3])} << 24;
    };
    constexpr uint32_t kRle8 = 1, kRle4 = 2;
    for (const char* c : {"MSVC", "msvc", "CRAM", "cram", "WHAM", "cvid", "CVID", "mrle", "MRLE"}) {
        if (compression == code(c)) {
            return true;
        }
    }
    return compression == kRle8 || compression == kRle4;
}
