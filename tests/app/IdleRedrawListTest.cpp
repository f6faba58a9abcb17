#include "app/IdleRedrawList.h"

#include "app/CurrentTick.h"
#include "scene/FrameClock.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

// The list only compares and hands back window pointers; these stand in for windows.
CCAnimationWnd* Window(int n) {
    return reinterpret_cast<CCAnimationWnd*>(0x1000 * n);
}

std::vector<CCAnimationWnd*> g_redrawn;
void Record(CCAnimationWnd* window) {
    g_redrawn.push_back(window);
}

class IdleRedrawListTest : public ::testing::Test {
  protected:
    void SetUp() override { g_redrawn.clear(); }
    IdleRedrawList list{&Record};
};

TEST_F(IdleRedrawListTest, NewWindowIsRedrawnOnTheFirstService) {
    ASSERT_TRUE(list.Add(Window(1), kFrameInterval));
    EXPECT_TRUE(list.Service(100000));
    EXPECT_EQ(g_redrawn, std::vector{Window(1)});
    const IdleRedrawTimer* record = list.Find(Window(1));
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->count, 1u);
    EXPECT_EQ(record->lastTick, 100000u);
}

// Right after the tick counter wraps, `now` is below the interval; a new record must still
// be drawn at once rather than waiting for the tick to pass the interval.
TEST_F(IdleRedrawListTest, NewWindowIsRedrawnEvenWhenTheTickIsBelowTheInterval) {
    list.Add(Window(1), kFrameInterval);
    list.Service(3);
    EXPECT_EQ(g_redrawn.size(), 1u);
}

TEST_F(IdleRedrawListTest, RedrawsOnlyOnceTheIntervalHasElapsed) {
    list.Add(Window(1), kFrameInterval);
    list.Service(1000);
    list.Service(1000 + kFrameInterval - 1);
    EXPECT_EQ(g_redrawn.size(), 1u);
    list.Service(1000 + kFrameInterval);
    EXPECT_EQ(g_redrawn.size(), 2u);
    list.Service(1500); // a late pass redraws once, it does not catch up
    EXPECT_EQ(g_redrawn.size(), 3u);
    EXPECT_EQ(list.Find(Window(1))->lastTick, 1500u);
}

TEST_F(IdleRedrawListTest, IntervalCountsAcrossTheTickWrap) {
    list.Add(Window(1), kFrameInterval);
    const DWORD beforeWrap = 0xFFFFFFF5u;
    list.Service(beforeWrap);
    list.Service(static_cast<DWORD>(beforeWrap + kFrameInterval - 1));
    EXPECT_EQ(g_redrawn.size(), 1u);
    list.Service(static_cast<DWORD>(beforeWrap + kFrameInterval));
    EXPECT_EQ(g_redrawn.size(), 2u);
}

// What the frame loop sleeps on: the earliest window's due time, counted like Service.
TEST_F(IdleRedrawListTest, TicksToNextRedrawIsTheEarliestWindowsDueTime) {
    EXPECT_EQ(list.TicksToNextRedraw(1000), std::nullopt);
    list.Add(Window(1), kFrameInterval);
    EXPECT_EQ(list.TicksToNextRedraw(1000), 0u); // never redrawn: due at once
    list.Service(1000);
    EXPECT_EQ(list.TicksToNextRedraw(1000), kFrameInterval);
    EXPECT_EQ(list.TicksToNextRedraw(1000 + kFrameInterval - 1), 1u);
    EXPECT_EQ(list.TicksToNextRedraw(1000 + kFrameInterval), 0u);
    EXPECT_EQ(list.TicksToNextRedraw(5000), 0u); // late: due, never negative

    list.Add(Window(2), 40);
    list.Service(1010); // only window 2 is due
    EXPECT_EQ(list.TicksToNextRedraw(1010), kFrameInterval - 10);
    list.Remove(Window(1));
    EXPECT_EQ(list.TicksToNextRedraw(1010), 40u);
}

TEST_F(IdleRedrawListTest, TicksToNextRedrawCountsAcrossTheTickWrap) {
    list.Add(Window(1), kFrameInterval);
    const DWORD beforeWrap = 0xFFFFFFF5u;
    list.Service(beforeWrap);
    EXPECT_EQ(list.TicksToNextRedraw(static_cast<DWORD>(beforeWrap + 12)), kFrameInterval - 12);
}

TEST_F(IdleRedrawListTest, AddingAgainChangesOnlyTheInterval) {
    list.Add(Window(1), kFrameInterval);
    list.Service(500);
    list.Add(Window(1), 40);
    const IdleRedrawTimer* record = list.Find(Window(1));
    EXPECT_EQ(record->interval, 40u);
    EXPECT_EQ(record->count, 1u);
    EXPECT_EQ(record->lastTick, 500u);
    EXPECT_EQ(record->next, nullptr); // still the only record
    list.Service(530);
    EXPECT_EQ(g_redrawn.size(), 1u);
    list.Service(540);
    EXPECT_EQ(g_redrawn.size(), 2u);
}

TEST_F(IdleRedrawListTest, NewRecordsGoToTheHeadAndRemoveUnlinks) {
    list.Add(Window(1), kFrameInterval);
    list.Add(Window(2), kFrameInterval);
    list.Add(Window(3), kFrameInterval);
    list.Service(100);
    EXPECT_EQ(g_redrawn, (std::vector{Window(3), Window(2), Window(1)}));

    list.Remove(Window(2));
    EXPECT_EQ(list.Find(Window(2)), nullptr);
    const IdleRedrawTimer* head = list.Head();
    ASSERT_NE(head, nullptr);
    EXPECT_EQ(head->window, Window(3));
    EXPECT_EQ(head->next->window, Window(1));
    EXPECT_EQ(head->next->previous, head);

    list.Remove(Window(3));
    list.Remove(Window(3)); // absent: nothing happens
    EXPECT_EQ(list.Head()->window, Window(1));
    EXPECT_EQ(list.Head()->previous, nullptr);
    list.Remove(Window(1));
    EXPECT_FALSE(list.Service(200));
}

TEST_F(IdleRedrawListTest, FreeAllEmptiesTheList) {
    list.Add(Window(1), kFrameInterval);
    list.Add(Window(2), kFrameInterval);
    list.FreeAll();
    EXPECT_EQ(list.Head(), nullptr);
    EXPECT_FALSE(list.Service(100));
    EXPECT_TRUE(g_redrawn.empty());
}

// A redraw that takes windows out of the list (a window destroyed while painting) must
// not disturb the walk.
IdleRedrawList* g_list = nullptr;
void RemoveSelfAndNext(CCAnimationWnd* window) {
    g_redrawn.push_back(window);
    g_list->Remove(window);
    if (window == Window(3)) {
        g_list->Remove(Window(2));
    }
}

TEST(IdleRedrawListRemoval, RemovingDuringServiceIsSafe) {
    g_redrawn.clear();
    IdleRedrawList list(&RemoveSelfAndNext);
    g_list = &list;
    list.Add(Window(1), kFrameInterval);
    list.Add(Window(2), kFrameInterval);
    list.Add(Window(3), kFrameInterval);
    EXPECT_FALSE(list.Service(100)); // everything was removed
    EXPECT_EQ(g_redrawn, (std::vector{Window(3), Window(1)}));
    EXPECT_EQ(list.Head(), nullptr);
    g_list = nullptr;
}

TEST(CurrentTick, DifferencesAreUnsigned32Bit) {
    EXPECT_EQ(TicksSince(20, 5), 15u);
    EXPECT_EQ(TicksSince(4, 0xFFFFFFF5u), 15u);
    EXPECT_EQ(TicksSince(5, 5), 0u);
}

} // namespace
