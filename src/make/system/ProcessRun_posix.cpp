#include "make/system/ProcessRun.h"

#include "make/system/FileBytes.h"
#include "make/system/SearchPath.h"
#include "make/system/TempFile.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

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

int RunProgram(const std::string& path, const std::vector<std::string>& args, std::string& errors) {
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
    pid_t child = 0;
    const int started = posix_spawn(&child, path.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0) {
        return -1;
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            return -1;
        }
    }
    std::vector<uint8_t> text;
    std::string unused;
    if (!log.Path().empty() && ReadWholeFile(log.Path(), text, unused)) {
        errors.assign(text.begin(), text.end());
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
