#include "make/system/ProcessRun.h"
#include "make/system/ArgumentQuote.h"
#include "make/system/SearchPath.h"
#include "platform/FileNames.h"
#include "platform/Wide.h"

#include <windows.h>

namespace {
// PATH in UTF-8: the ANSI environment has lost the characters outside the code page.
std::string SearchPathVariable() {
    const DWORD size = GetEnvironmentVariableW(L"PATH", nullptr, 0);
    if (size == 0) {
        return {};
    }
    std::wstring value(size, L'\0');
    const DWORD length = GetEnvironmentVariableW(L"PATH", value.data(), size);
    if (length == 0 || length >= size) {
        return {};
    }
    value.resize(length);
    return wide::ToUtf8Lossy(value);
}
} // namespace

std::string FindOnPath(const std::string& program) {
    const std::string path = SearchPathVariable();
    if (path.empty() || program.empty()) {
        return {};
    }
    for (const std::string& folder : SplitSearchPath(path, ';')) {
        if (folder.empty()) {
            continue;
        }
        const std::string candidate = folder + "\\" + program + ".exe";
        if (names::Exists(candidate.c_str()) && !names::IsFolder(candidate.c_str())) {
            return candidate;
        }
    }
    return {};
}

int RunProgram(const std::string& path, const std::vector<std::string>& args, std::string&) {
    std::string line = QuoteArgument(path);
    for (const std::string& a : args) {
        line += ' ';
        line += QuoteArgument(a);
    }
    const std::wstring program = wide::FromUtf8(path);
    std::wstring wideLine = wide::FromUtf8(line);
    if (program.empty() || wideLine.empty()) {
        return -1;
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    // A console program started from a window program (the maker) would open a console
    // window of its own for as long as it runs; from the pack tool it shares the console.
    const DWORD flags = GetConsoleWindow() ? 0 : CREATE_NO_WINDOW;
    if (!CreateProcessW(program.c_str(), wideLine.data(), nullptr, nullptr, FALSE, flags, nullptr,
                        nullptr, &startup, &process)) {
        return -1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    const bool ok = GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ok ? static_cast<int>(code) : -1;
}
