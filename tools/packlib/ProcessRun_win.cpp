#include "ProcessRun.h"

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
    const std::string folders = path;
    for (size_t begin = 0; begin <= folders.size();) {
        size_t end = folders.find(';', begin);
        if (end == std::string::npos) {
            end = folders.size();
        }
        if (end > begin) {
            const std::string candidate =
                folders.substr(begin, end - begin) + "\\" + program + ".exe";
            const DWORD attributes = GetFileAttributesA(candidate.c_str());
            if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
                return candidate;
            }
        }
        begin = end + 1;
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
    if (!CreateProcessA(path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
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
