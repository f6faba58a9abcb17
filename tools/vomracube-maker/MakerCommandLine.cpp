#include "MakerCommandLine.h"

#include "app/Payload.h"

namespace {
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
} // namespace

std::vector<std::string> SplitCommandLine(const char* text) {
    std::vector<std::string> args;
    if (!text) {
        return args;
    }
    const char* p = text;
    for (;;) {
        while (IsBlank(*p)) {
            ++p;
        }
        if (!*p) {
            return args;
        }
        std::string arg;
        bool quoted = false;
        while (*p && (quoted || !IsBlank(*p))) {
            size_t backslashes = 0;
            while (*p == '\\') {
                ++backslashes;
                ++p;
            }
            if (*p == '"') {
                arg.append(backslashes / 2, '\\');
                if (backslashes % 2) {
                    arg.push_back('"');
                } else {
                    quoted = !quoted;
                }
                ++p;
            } else {
                arg.append(backslashes, '\\');
                if (*p && (quoted || !IsBlank(*p))) {
                    arg.push_back(*p++);
                }
            }
        }
        args.push_back(arg);
    }
}

bool IsSaverPath(const std::string& path) {
    static const char kExtension[] = ".scr";
    const size_t length = sizeof kExtension - 1;
    if (path.size() <= length) {
        return false;
    }
    for (size_t i = 0; i < length; ++i) {
        if (Lower(path[path.size() - length + i]) != kExtension[i]) {
            return false;
        }
    }
    return true;
}

MakerStart ParseMakerArguments(const std::vector<std::string>& args) {
    MakerStart start;
    if (args.size() == 1 && IsSaverPath(args[0])) {
        start.saver = args[0];
        return start;
    }
    for (const std::string& arg : args) {
        if (start.faces.size() == static_cast<size_t>(kPayloadFaceCount)) {
            ++start.ignored;
        } else {
            start.faces.push_back(arg == "-" ? std::string() : arg);
        }
    }
    return start;
}
