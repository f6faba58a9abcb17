#include "make/system/ProcessRun.h"
#include "make/system/SearchPath.h"

#include <windows.h>

#include <cstdlib>

namespace {
// One argument quoted as the C runtime splits a command line: backslashes double only
// before a quote, and a quote is escaped.
std::string Quote(const std::string& arg) {
    std::string out = "\"";
    size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    return out + "\"";
}
} // namespace

std::string FindOnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    if (!path || program.empty()) {
        return {};
    }
    for (const std::string& folder : SplitSearchPath(path, ';')) {
        if (folder.empty()) {
            continue;
        }
        const std::string candidate = folder + "\\" + program + ".exe";
        const DWORD attributes = GetFileAttributesA(candidate.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            return candidate;
        }
    }
    return {};
}

int RunProgram(const std::string& path, const std::vector<std::string>& args, std::string&) {
    std::string line = Quote(path);
    for (const std::string& a : args) {
        line += ' ';
        line += Quote(a);
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    // A console program started from a window program (the maker) would open a console
    // window of its own for as long as it runs; from the pack tool it shares the console.
    const DWORD flags = GetConsoleWindow() ? 0 : CREATE_NO_WINDOW;
    if (!CreateProcessA(path.c_str(), line.data(), nullptr, nullptr, FALSE, flags, nullptr, nullptr,
                        &startup, &process)) {
        return -1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    const bool ok = GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ok ? static_cast<int>(code) : -1;
}
