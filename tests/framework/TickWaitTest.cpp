#include "framework/TickWait.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Time passes only when waited on. The tick follows it exactly, or in coarse steps as
// GetTickCount on Windows, which jumps by its step once that much time has passed since the
// last jump; and it may start behind, as Wine's tick after a stretch without server calls.
class FakeClock {
  public:
    FakeClock(DWORD start, DWORD step, DWORD lag = 0)
        : m_time(start + lag), m_shown(start), m_step(step) {}

    DWORD Now() const { return m_shown; }
    // Waits the whole length unless input is set to arrive after `inputAfter` waits.
    bool Wait(DWORD milliseconds) {
        waits.push_back(milliseconds);
        if (inputAfter != 0 && waits.size() == inputAfter) {
            return false;
        }
        m_time += milliseconds;
        while (static_cast<DWORD>(m_time - m_shown) >= m_step) {
            m_shown += m_step;
        }
        return true;
    }

    std::vector<DWORD> waits;
    size_t inputAfter = 0;

  private:
    DWORD m_time;  // real time
    DWORD m_shown; // what the tick says
    DWORD m_step;
};

// `first` as the caller's finer clock measures what is left of the distance.
void WaitOn(FakeClock& clock, DWORD due, DWORD first) {
    WaitForTick(
        due, first, [&clock] { return clock.Now(); },
        [&clock](DWORD milliseconds) { return clock.Wait(milliseconds); });
}

TEST(WaitForTick, AFineTickIsWaitedForInOnePiece) {
    FakeClock clock(1000, 1);
    WaitOn(clock, 1015, 15);
    EXPECT_EQ(clock.waits, std::vector<DWORD>{15});
    EXPECT_EQ(clock.Now(), 1015u);
}

// Four milliseconds went by since the tick was last brought up to date: the tick still
// says 15 ms to go, the finer clock 11, and waiting 15 would make the frame late.
TEST(WaitForTick, ALaggingTickIsNotTrustedForTheFirstWait) {
    FakeClock clock(1000, 1, 4);
    WaitOn(clock, 1015, 11);
    EXPECT_EQ(clock.waits, std::vector<DWORD>{11});
    EXPECT_EQ(clock.Now(), 1015u);
}

// The tick jumped just before the frame: after 15 ms it still shows the old value, and
// waiting 15 ms again would make the frame a whole step late.
TEST(WaitForTick, ACoarseTickIsWaitedForAMillisecondAtATimeAfterTheFirstWait) {
    FakeClock clock(1000, 16);
    WaitOn(clock, 1015, 15);
    EXPECT_EQ(clock.waits, (std::vector<DWORD>{15, 1}));
    EXPECT_EQ(clock.Now(), 1016u);
}

TEST(WaitForTick, NoWaitForATickThatHasComeOrIsTooFarAhead) {
    FakeClock clock(1000, 1);
    WaitOn(clock, 1000, 0);
    WaitOn(clock, 990, 0);
    WaitOn(clock, 1000u + 0x80000000u, 15); // farther than half the tick range: in the past
    EXPECT_TRUE(clock.waits.empty());
}

TEST(WaitForTick, CountsAcrossTheWrapOfTheTick) {
    FakeClock clock(0xFFFFFFF8u, 1);
    WaitOn(clock, 7, 15);
    EXPECT_EQ(clock.waits, std::vector<DWORD>{15});
}

TEST(WaitForTick, InputEndsTheWaitAtOnce) {
    FakeClock first(1000, 1);
    first.inputAfter = 1;
    WaitOn(first, 1015, 15);
    EXPECT_EQ(first.waits.size(), 1u);

    FakeClock coarse(1000, 16); // input during the millisecond waits
    coarse.inputAfter = 2;
    WaitOn(coarse, 1015, 15);
    EXPECT_EQ(coarse.waits, (std::vector<DWORD>{15, 1}));
    EXPECT_EQ(coarse.Now(), 1000u);
}

} // namespace
