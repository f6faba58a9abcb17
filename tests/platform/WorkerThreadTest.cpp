#include "platform/WorkerThread.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Tally {
    std::vector<int> seen;
    int next = 0;
};

void Count(void* tally) {
    auto* t = static_cast<Tally*>(tally);
    t->seen.push_back(t->next);
}

// Each job's writes are the owner's to read once Wait returns, and the next Post sees the
// owner's writes in between: the read-ahead hands frames and indices back and forth so.
TEST(WorkerThread, JobsRunOneAtATimeAndHandBackTheirWrites) {
    WorkerThread worker;
    ASSERT_TRUE(worker.Start());
    worker.Wait(); // nothing posted: returns at once
    Tally tally;
    for (int i = 0; i < 200; ++i) {
        tally.next = i;
        worker.Post(&Count, &tally);
        worker.Wait();
        ASSERT_EQ(tally.seen.size(), static_cast<size_t>(i + 1));
        ASSERT_EQ(tally.seen.back(), i);
    }
    worker.Wait(); // already collected: returns at once
}

TEST(WorkerThread, EndingWaitsForTheJobInHandAndNeedsNoStart) {
    Tally tally;
    {
        WorkerThread worker;
        ASSERT_TRUE(worker.Start());
        worker.Post(&Count, &tally);
    }
    EXPECT_EQ(tally.seen.size(), 1u);
    WorkerThread never;
    never.Wait();
}

} // namespace
