#include "VideoConversion.h"

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
    const std::string side = std::to_string(kVideoMaxSide);
    // Fit inside side x side without enlarging; the codec works on 4x4 blocks.
    const std::string filter = "scale=w='min(" + side + ",iw)':h='min(" + side +
                               ",ih)':force_original_aspect_ratio=decrease:force_divisible_by=4," +
                               "fps=" + std::to_string(kVideoFrameRate);
    return {"-nostdin", "-hide_banner", "-loglevel", "error",    "-y", "-i",  input, "-an",
            "-vf",      filter,         "-c:v",      "msvideo1", "-f", "avi", output};
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
    return (hasExtension ? input.substr(0, dot) : input) + ".avi";
}

std::string VideoConversionText() {
    return "AVI, Microsoft Video 1, at most " + std::to_string(kVideoMaxSide) +
           " pixels wide or high, " + std::to_string(kVideoFrameRate) +
           " frames per second, no sound";
}
