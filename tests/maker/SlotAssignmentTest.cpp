#include "vomracube-maker/SlotAssignment.h"

#include <gtest/gtest.h>

namespace {

TEST(SlotAssignment, FilesOnASlotFillItAndTheSlotsAfterIt) {
    const bool occupied[6] = {true, true, false, false, false, false};
    EXPECT_EQ(SlotsForFiles(1, 1, occupied), (std::vector<int>{1}));
    EXPECT_EQ(SlotsForFiles(1, 3, occupied), (std::vector<int>{1, 2, 3}));
    // Past the last slot nothing wraps round.
    EXPECT_EQ(SlotsForFiles(4, 5, occupied), (std::vector<int>{4, 5}));
    EXPECT_TRUE(SlotsForFiles(2, 0, occupied).empty());
}

TEST(SlotAssignment, FilesBesideTheSlotsTakeTheEmptyOnesElseStartAtTheFirst) {
    const bool some[6] = {true, false, true, false, true, true};
    EXPECT_EQ(SlotsForFiles(-1, 3, some), (std::vector<int>{1, 3}));
    const bool full[6] = {true, true, true, true, true, true};
    EXPECT_EQ(SlotsForFiles(-1, 2, full), (std::vector<int>{0, 1}));
    EXPECT_EQ(SlotsForFiles(6, 2, full), (std::vector<int>{0, 1})); // no such slot
}

} // namespace
