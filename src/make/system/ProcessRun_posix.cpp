#include "make/system/ProcessRun.h"

#include "make/system/FileBytes.h"
#include "make/system/SearchPath.h"
#include "make/system/TempFile.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {
constexpr auto kPollInterval = std::chrono::milliseconds(20);

// Waits for the child, ending its whole process group when the run is cancelled or out of
// time (a script stand-in's own children included).
RunEnd WaitWithin(pid_t child, const RunLimits& limits, int& status) {
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        const pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child) {
            return RunEnd::kExited;
        }
        if (done < 0 && errno != EINTR) {
            return RunEnd::kNotStarted;
        }
        const bool cancelled = limits.cancel && limits.cancel->load();
        const bool late =
            limits.timeLimitMs != 0 && std::chrono::steady_clock::now() - start >=
                                           std::chrono::milliseconds(limits.timeLimitMs);
        if (cancelled || late) {
            kill(-child, SIGKILL);
            while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
            }
            return cancelled ? RunEnd::kCancelled : RunEnd::kTimedOut;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
}
} // namespace

std::string FindOnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    if (!path || program.empty()) {
        return {};
    }
    for (const std::string& entry : SplitSearchPath(path, ':')) {
        const std::string candidate = (entry.empty() ? "." : entry) + "/" + program;
        struct stat st;
        if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return {};
}

RunOutcome RunProgram(const std::string& path, const std::vector<std::string>& args,
                      const RunLimits& limits) {
    TempFile log;
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const std::string& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(
        &actions, 2, log.Path().empty() ? "/dev/null" : log.Path().c_str(), O_WRONLY | O_TRUNC, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    pid_t child = 0;
    const int started =
        posix_spawn(&child, path.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    RunOutcome outcome;
    if (started != 0) {
        return outcome;
    }
    int status = 0;
    outcome.end = WaitWithin(child, limits, status);
    if (outcome.end == RunEnd::kExited) {
        outcome.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    std::vector<uint8_t> text;
    uint64_t size = 0;
    std::string unused;
    if (!log.Path().empty() && ReadFileStart(log.Path(), kRunErrorBytes, text, size, unused)) {
        outcome.errors.assign(text.begin(), text.end());
    }
    return outcome;
}
