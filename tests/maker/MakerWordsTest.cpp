// The maker's small word and list helpers: the recent savers' list and menu texts, and what
// Install says.
#include "vomracube-maker/InstallDialog.h"
#include "vomracube-maker/RecentSavers.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {
TEST(RecentSavers, TheLatestComesFirstOnceAndTheListStaysShort) {
    std::vector<std::string> recent;
    AddRecent(recent, "");
    EXPECT_TRUE(recent.empty());
    for (int i = 0; i < 10; ++i) {
        AddRecent(recent, "C:\\s\\" + std::to_string(i) + ".scr");
    }
    ASSERT_EQ(recent.size(), kRecentSavers);
    EXPECT_EQ(recent.front(), "C:\\s\\9.scr");
    EXPECT_EQ(recent.back(), "C:\\s\\2.scr");
    // Opened again in other letters: moved to the front, not listed twice.
    AddRecent(recent, "c:\\S\\5.SCR");
    ASSERT_EQ(recent.size(), kRecentSavers);
    EXPECT_EQ(recent.front(), "c:\\S\\5.SCR");
    EXPECT_EQ(std::count_if(recent.begin(), recent.end(),
                            [](const std::string& s) { return s.find("5.") != std::string::npos; }),
              1);
    EXPECT_EQ(RecentMenuText(0, "C:\\Tom & Jerry.scr"), "&1  C:\\Tom && Jerry.scr");
    EXPECT_EQ(RecentMenuText(7, "a.scr"), "&8  a.scr");
}

TEST(InstallWords, TheWaitIsSaidAsPeopleSayIt) {
    EXPECT_EQ(WaitText(1), "1 minute");
    EXPECT_EQ(WaitText(10), "10 minutes");
    EXPECT_EQ(WaitText(60), "1 hour");
    EXPECT_EQ(WaitText(120), "2 hours");
    EXPECT_EQ(WaitText(90), "90 minutes");
    EXPECT_EQ(InstalledText(10), "VomraCube is now your screen saver; it starts after 10 minutes.");
}
} // namespace
