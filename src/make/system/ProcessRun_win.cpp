#include "make/system/ProcessRun.h"
#include "make/system/SearchPath.h"

#include <windows.h>

#include <cstdlib>

namespace {
constexpr DWORD kPollInterval = 20; // ms between looks at the cancel flag

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

std::wstring Wide(const std::string& utf8) {
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) {
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                            length);
    }
    return wide;
}

// A handle closed on every way out.
class Handle {
  public:
    explicit Handle(HANDLE h = nullptr) : m_h(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    ~Handle() {
        if (m_h) {
            CloseHandle(m_h);
        }
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE Get() const { return m_h; }
    void Reset(HANDLE h) {
        if (m_h) {
            CloseHandle(m_h);
        }
        m_h = h == INVALID_HANDLE_VALUE ? nullptr : h;
    }

  private:
    HANDLE m_h;
};

// The program's standard error goes to a temporary file that the system deletes when the
// last handle to it closes, so that neither a kill of this process nor one of the program
// leaves it behind; a pipe would need a reader thread for a program that writes much.
HANDLE ErrorLog() {
    wchar_t folder[MAX_PATH];
    wchar_t name[MAX_PATH];
    const DWORD length = GetTempPathW(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH || GetTempFileNameW(folder, L"vce", 0, name) == 0) {
        return nullptr;
    }
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    const HANDLE file = CreateFileW(
        name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        &inherited, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DeleteFileW(name);
        return nullptr;
    }
    return file;
}

std::string ReadLog(HANDLE log) {
    std::string text(kRunErrorBytes, '\0');
    DWORD read = 0;
    if (!log || SetFilePointer(log, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
        !ReadFile(log, text.data(), static_cast<DWORD>(text.size()), &read, nullptr)) {
        return {};
    }
    text.resize(read);
    return text;
}

// A job that ends its processes when its last handle closes: when the run ends, and when
// this process ends in any way.
HANDLE KillingJob() {
    const HANDLE job = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job &&
        !SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        CloseHandle(job);
        return nullptr;
    }
    return job;
}

RunEnd WaitWithin(HANDLE process, HANDLE job, const RunLimits& limits) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (WaitForSingleObject(process, kPollInterval) != WAIT_TIMEOUT) {
            return RunEnd::kExited;
        }
        const bool cancelled = limits.cancel && limits.cancel->load();
        const bool late = limits.timeLimitMs != 0 && GetTickCount() - start >= limits.timeLimitMs;
        if (cancelled || late) {
            if (job) {
                TerminateJobObject(job, 1);
            }
            TerminateProcess(process, 1);
            WaitForSingleObject(process, 5000);
            return cancelled ? RunEnd::kCancelled : RunEnd::kTimedOut;
        }
    }
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

RunOutcome RunProgram(const std::string& path, const std::vector<std::string>& args,
                      const RunLimits& limits) {
    std::string line = Quote(path);
    for (const std::string& a : args) {
        line += ' ';
        line += Quote(a);
    }
    std::wstring wideLine = Wide(line);
    RunOutcome outcome;
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    Handle none(CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, OPEN_EXISTING, 0,
                            nullptr));
    Handle log(ErrorLog());
    Handle job(KillingJob());
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = none.Get();
    startup.hStdOutput = none.Get();
    startup.hStdError = log.Get() ? log.Get() : none.Get();
    PROCESS_INFORMATION process = {};
    // A console program started from a window program (the maker) would open a console
    // window of its own for as long as it runs. It starts suspended so that it is in the job
    // before it can start anything itself.
    const DWORD flags = CREATE_SUSPENDED | (GetConsoleWindow() ? 0 : CREATE_NO_WINDOW);
    if (!CreateProcessW(Wide(path).c_str(), wideLine.data(), nullptr, nullptr, TRUE, flags, nullptr,
                        nullptr, &startup, &process)) {
        return outcome;
    }
    Handle thread(process.hThread);
    Handle child(process.hProcess);
    if (job.Get() && !AssignProcessToJobObject(job.Get(), child.Get())) {
        job.Reset(nullptr);
    }
    ResumeThread(thread.Get());
    outcome.end = WaitWithin(child.Get(), job.Get(), limits);
    DWORD code = 0;
    if (outcome.end == RunEnd::kExited && GetExitCodeProcess(child.Get(), &code)) {
        outcome.code = static_cast<int>(code);
    }
    outcome.errors = ReadLog(log.Get());
    return outcome;
}
