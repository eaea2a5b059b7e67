#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/win32/win32.h"
#include "platform/win32/win32_host.h"

namespace {

class ClockTest : public ::testing::Test {
 protected:
  void TearDown() override { win32::UseRealClock(); }
};

LONGLONG Counter() {
  LARGE_INTEGER c{};
  EXPECT_TRUE(QueryPerformanceCounter(&c));
  return c.QuadPart;
}

TEST_F(ClockTest, HundredFramesPerSecondGiveExactTenMillisecondFrames) {
  win32::UseFixedStepClock(100.0);
  EXPECT_TRUE(win32::FixedStepClock());
  EXPECT_EQ(GetTickCount(), 0u);
  EXPECT_EQ(Counter(), 0);
  for (int frame = 1; frame <= 250; ++frame) {
    win32::AdvanceClockOneFrame();
    ASSERT_EQ(GetTickCount(), static_cast<DWORD>(frame * 10));
    ASSERT_EQ(Counter(), frame * 100000LL);
  }
  LARGE_INTEGER f{};
  EXPECT_TRUE(QueryPerformanceFrequency(&f));
  EXPECT_EQ(f.QuadPart, 10000000);
}

TEST_F(ClockTest, RatesThatDoNotDivideASecondRoundPerFrameWithoutDrift) {
  win32::UseFixedStepClock(30.0);
  const DWORD ticks[] = {33, 66, 100, 133, 166, 200};
  const LONGLONG counts[] = {333333, 666667, 1000000, 1333333, 1666667, 2000000};
  for (int i = 0; i < 6; ++i) {
    win32::AdvanceClockOneFrame();
    EXPECT_EQ(GetTickCount(), ticks[i]) << "frame " << i + 1;
    EXPECT_EQ(Counter(), counts[i]) << "frame " << i + 1;
  }
  for (int i = 6; i < 30000; ++i) win32::AdvanceClockOneFrame();
  EXPECT_EQ(GetTickCount(), 1000000u) << "30000 frames at 30/s are exactly 1000 s";
  EXPECT_EQ(Counter(), 10000000000LL);

  win32::UseFixedStepClock(29.97);  // restarts at 0
  EXPECT_EQ(GetTickCount(), 0u);
  win32::AdvanceClockOneFrame();
  EXPECT_EQ(GetTickCount(), 33u);
  EXPECT_EQ(Counter(), 333667);
}

TEST_F(ClockTest, RealClockRunsOnItsOwnAndIgnoresFrameAdvances) {
  win32::UseRealClock();
  EXPECT_FALSE(win32::FixedStepClock());
  const DWORD tick0 = GetTickCount();
  const LONGLONG count0 = Counter();
  win32::AdvanceClockOneFrame();
  std::this_thread::sleep_for(std::chrono::milliseconds(25));
  const DWORD elapsedMs = GetTickCount() - tick0;
  const LONGLONG elapsedCounts = Counter() - count0;
  EXPECT_GE(elapsedMs, 25u);
  EXPECT_LT(elapsedMs, 5000u);
  EXPECT_GE(elapsedCounts, 250000);
  // Both read the same clock: the counter agrees with the tick count to a millisecond or so.
  EXPECT_NEAR(static_cast<double>(elapsedCounts) / 10000.0, elapsedMs, 2.0);
}

// A seek steps through the timeline at a fixed rate from wherever the real clock stood, then the
// real clock takes over from the moment reached; a pause holds it. No switch may move the clock
// back, or forward by more than the time that really passed.
TEST_F(ClockTest, SwitchesAndPausesGoOnFromWhereTheClockStands) {
  win32::UseFixedStepClock(100.0);
  for (int i = 0; i < 7; ++i) win32::AdvanceClockOneFrame();
  win32::ContinueWithFixedStep(60.0);  // another rate from 70 ms on
  EXPECT_EQ(GetTickCount(), 70u);
  EXPECT_EQ(Counter(), 700000);
  for (int i = 0; i < 3; ++i) win32::AdvanceClockOneFrame();
  EXPECT_EQ(GetTickCount(), 120u);
  EXPECT_EQ(Counter(), 1200000);

  win32::ContinueWithRealClock();
  EXPECT_FALSE(win32::FixedStepClock());
  const DWORD atSwitch = GetTickCount();
  EXPECT_GE(atSwitch, 120u);
  EXPECT_LT(atSwitch, 120u + 1000u);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_GE(GetTickCount(), atSwitch + 20);

  win32::HoldClock(true);
  const DWORD held = GetTickCount();
  const LONGLONG heldCount = Counter();
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_EQ(GetTickCount(), held) << "a held clock stands still";
  EXPECT_EQ(Counter(), heldCount);
  win32::HoldClock(false);
  std::this_thread::sleep_for(std::chrono::milliseconds(10));
  const DWORD released = GetTickCount();
  EXPECT_GE(released, held + 10);
  EXPECT_LT(released, held + 30) << "the pause's time is not counted";

  win32::ContinueWithFixedStep(50.0);
  const DWORD fixedFrom = GetTickCount();
  EXPECT_GE(fixedFrom, released);
  win32::AdvanceClockOneFrame();
  EXPECT_EQ(GetTickCount(), fixedFrom + 20);
}

}  // namespace
