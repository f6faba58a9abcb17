// Runs another program (the clip converter) and waits for it, within a time limit and for
// as long as nobody cancels it.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

// The full name of `program` in the first folder of PATH that holds it as an executable
// file; empty when none does.
std::string FindOnPath(const std::string& program);

// What a run may take. `cancel` is set by another thread (the maker's Cancel button); the
// program is ended within about 50 ms of either.
struct RunLimits {
    const std::atomic<bool>* cancel = nullptr;
    uint32_t timeLimitMs = 0; // 0: as long as the program runs
};

enum class RunEnd : uint8_t { kExited, kNotStarted, kCancelled, kTimedOut };

struct RunOutcome {
    RunEnd end = RunEnd::kNotStarted;
    int code = -1;      // the exit code, when it exited
    std::string errors; // the start of what it wrote to standard error
};

// The most of a program's error output that is kept.
constexpr size_t kRunErrorBytes = 64 * 1024;

// Runs the program with `args` (not through a shell, so no argument is interpreted) with
// nothing on its standard input and output and its standard error kept. The program and
// whatever it starts end when the run is cancelled or out of time, and on Windows also
// when this process ends, killed or not (a job object that kills on close).
RunOutcome RunProgram(const std::string& path, const std::vector<std::string>& args,
                      const RunLimits& limits);
