#include "../ScratchFolder.h"
#include "make/system/ProcessRun.h"
#include "make/system/SearchPath.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

using Folders = std::vector<std::string>;

TEST(SearchPath, EveryEntryInOrderWithEmptyOnesKept) {
    EXPECT_EQ(SplitSearchPath("/usr/bin:/bin", ':'), (Folders{"/usr/bin", "/bin"}));
    EXPECT_EQ(SplitSearchPath(":/bin:", ':'), (Folders{"", "/bin", ""}));
    EXPECT_EQ(SplitSearchPath("", ':'), (Folders{""}));
    EXPECT_EQ(SplitSearchPath("C:\\a;D:\\b", ';'), (Folders{"C:\\a", "D:\\b"}));
}

// The first folder holding an executable file of the name wins; a folder or a file that
// cannot run of that name does not count.
TEST(SearchPath, FindOnPathTakesTheFirstRunnableFile) {
    ScratchFolder folder("pack-path");
    const std::string first = folder.File("first"), second = folder.File("second");
    ASSERT_EQ(mkdir(first.c_str(), 0700), 0);
    ASSERT_EQ(mkdir(second.c_str(), 0700), 0);
    ASSERT_EQ(mkdir((first + "/tool").c_str(), 0700), 0); // a folder of that name
    const std::string plain = folder.Write("first/other", {'x'});
    const std::string tool = folder.Write("second/tool", {'#', '!'});
    ASSERT_EQ(chmod(tool.c_str(), 0700), 0);
    const char* saved = std::getenv("PATH");
    const std::string before = saved ? saved : "";
    setenv("PATH", (":" + first + ":" + second).c_str(), 1);
    EXPECT_EQ(FindOnPath("tool"), tool);
    EXPECT_EQ(FindOnPath("other"), ""); // not executable
    EXPECT_EQ(FindOnPath(""), "");
    setenv("PATH", before.c_str(), 1);
    folder.Remove("first/other");
    folder.Remove("second/tool");
    rmdir((first + "/tool").c_str());
    rmdir(first.c_str());
    rmdir(second.c_str());
}
