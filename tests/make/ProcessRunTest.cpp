// Runs of stand-in programs (shell scripts): exit codes and error text, and the ends a
// cancel, a time limit or a missing program bring.
#include "../ScratchFolder.h"
#include "make/system/ProcessRun.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sys/stat.h>
#include <thread>

namespace {
std::string Script(const ScratchFolder& folder, const std::string& name, const std::string& body) {
    const std::string text = "#!/bin/sh\n" + body + "\n";
    const std::string path = folder.Write(name, std::vector<uint8_t>(text.begin(), text.end()));
    chmod(path.c_str(), 0700);
    return path;
}
} // namespace

TEST(ProcessRun, EndsAsTheProgramOrItsLimitsSay) {
    ScratchFolder folder("pack-run");
    const std::string fails = Script(folder, "fails", "echo \"$1 is not there\" >&2; exit 3");
    const std::string sleeps = Script(folder, "sleeps", "sleep 30; sleep 30");
    std::atomic<bool> cancel{false};
    struct Case {
        const char* what;
        std::string program;
        uint32_t limitMs;
        bool cancelSoon;
        RunEnd end;
        int code;
        const char* errors;
    } cases[] = {
        {"exit code and error text", fails, 0, false, RunEnd::kExited, 3, "x.mp4 is not there\n"},
        {"cancelled", sleeps, 0, true, RunEnd::kCancelled, -1, ""},
        {"out of time", sleeps, 200, false, RunEnd::kTimedOut, -1, ""},
        {"no such program", folder.File("missing"), 0, false, RunEnd::kNotStarted, -1, ""},
    };
    for (const Case& c : cases) {
        cancel = false;
        std::thread canceller([&] {
            if (c.cancelSoon) {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
                cancel = true;
            }
        });
        const auto start = std::chrono::steady_clock::now();
        const RunOutcome run = RunProgram(c.program, {"x.mp4"}, RunLimits{&cancel, c.limitMs});
        const auto seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start);
        canceller.join();
        EXPECT_EQ(run.end, c.end) << c.what;
        EXPECT_EQ(run.code, c.code) << c.what;
        EXPECT_EQ(run.errors, c.errors) << c.what;
        // Far below the script's 60 s: the program (and its own child) was ended, not awaited.
        EXPECT_LT(seconds.count(), 20.0) << c.what;
    }
    folder.Remove("fails");
    folder.Remove("sleeps");
    EXPECT_TRUE(folder.Entries().empty());
}
