// Work folders of runs: a dead run's folder goes when the next run starts, a living run's
// stays, and each run's own goes when it ends.
#include "../ScratchFolder.h"
#include "make/system/TempFile.h"
#include "make/system/WorkFolder.h"
#include "make/system/WorkFolderLock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

TEST(WorkFolder, RemovesWhatDeadRunsLeftAndKeepsTheLiving) {
    ScratchFolder scratch("pack-work");
    const fs::path parent = fs::path(scratch.Path()) / "maker";
    // A killed run: its folder and files, its lock file gone with it (or never made).
    fs::create_directories(parent / "run-7");
    scratch.Write("maker/run-7/vcp1.TMP", std::vector<uint8_t>(1000, 1));
    // A run that lives: another open file holds its lock.
    fs::create_directories(parent / "run-8");
    void* living = HoldLock((parent / "run-8" / kWorkFolderLock).string());
    ASSERT_NE(living, nullptr);
    scratch.Write("maker/run-8/vcp2.TMP", {2});
    // Not a run's folder at all.
    scratch.Write("maker/notes.txt", {3});
    {
        WorkFolder mine(parent.string());
        ASSERT_FALSE(mine.Path().empty());
        EXPECT_EQ(mine.Removed(), 1);
        EXPECT_FALSE(fs::exists(parent / "run-7"));
        EXPECT_TRUE(fs::exists(parent / "run-8" / "vcp2.TMP"));
        EXPECT_TRUE(fs::exists(parent / "notes.txt"));
        // Temporary files go into it while it is given.
        UseTempFolder(mine.Path());
        {
            TempFile file;
            EXPECT_EQ(fs::path(file.Path()).parent_path(), fs::path(mine.Path()));
        }
        UseTempFolder("");
        scratch.Write(fs::relative(mine.Path(), scratch.Path()).string() + "/left.TMP", {4});
    }
    // Its own folder went with what was left in it; the living run's is untouched.
    ReleaseLock(living);
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(parent)) {
        left.push_back(entry.path().filename().string());
    }
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"notes.txt", "run-8"}));
    fs::remove_all(parent / "run-8");
    fs::remove(parent / "notes.txt");
    // The last run leaves no parent behind.
    { WorkFolder last(parent.string()); }
    EXPECT_FALSE(fs::exists(parent));
}
