#include <gtest/gtest.h>

#include <chrono>

#include "platform/win32/win32.h"
#include "platform/win32/win32_host.h"
#include "win32_test_support.h"

namespace {

class ScriptedInputTest : public ::testing::Test {
 protected:
  void SetUp() override { win32_test::DrainQueue(); }
  void TearDown() override {
    win32_test::DrainQueue();
    win32::UseRealClock();
  }
  static void AdvanceTo(DWORD tick) {
    while (GetTickCount() < tick) win32::AdvanceClockOneFrame();
  }
};

TEST_F(ScriptedInputTest, KeyPressArrivesAtTheFirstPollOnceItsTimelineTimeIsReached) {
  win32::UseFixedStepClock(100.0);
  HWND main = win32_test::NewWindow();
  AdvanceTo(50);
  DWORD startTick = GetTickCount();
  win32::SetTimelineOrigin(&startTick);
  EXPECT_EQ(win32::TimelineOrigin(), &startTick);
  win32::ScheduleKeyPress(30, VK_ESCAPE);
  startTick = 0;  // a later re-set of the origin does not move the script

  MSG msg{};
  AdvanceTo(70);
  EXPECT_FALSE(PeekMessageA(&msg, main, 0, 0, PM_NOREMOVE));
  AdvanceTo(80);
  ASSERT_TRUE(PeekMessageA(&msg, main, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, WM_KEYDOWN);

  // Typed input: the character comes between the key's down and up, and lParam is the keystroke's.
  ASSERT_EQ(GetMessageA(&msg, main, 0, 0), TRUE);
  EXPECT_EQ(msg.hwnd, main);
  EXPECT_EQ(msg.wParam, VK_ESCAPE);
  EXPECT_EQ(msg.lParam, 0x00010001) << "repeat count 1, scan code 1";
  TranslateMessage(&msg);
  ASSERT_EQ(GetMessageA(&msg, main, 0, 0), TRUE);
  EXPECT_EQ(msg.message, WM_CHAR);
  EXPECT_EQ(msg.wParam, 27u);
  ASSERT_EQ(GetMessageA(&msg, main, 0, 0), TRUE);
  EXPECT_EQ(msg.message, WM_KEYUP);
  EXPECT_EQ(msg.wParam, VK_ESCAPE);
  EXPECT_EQ(static_cast<std::uint64_t>(msg.lParam), 0xC0010001u);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(ScriptedInputTest, KeysGoInTimeOrderToTheNewestWindow) {
  win32::UseFixedStepClock(100.0);
  win32_test::NewWindow();
  HWND newest = win32_test::NewWindow();
  DWORD startTick = GetTickCount();
  win32::SetTimelineOrigin(&startTick);
  win32::ScheduleKeyPress(20, 'B');
  win32::ScheduleKeyPress(10, 'A');
  win32::ScheduleKeyPress(20, 'C');
  AdvanceTo(startTick + 40);

  std::vector<WPARAM> downs;
  MSG msg{};
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    EXPECT_EQ(msg.hwnd, newest);
    if (msg.message == WM_KEYDOWN) downs.push_back(msg.wParam);
  }
  EXPECT_EQ(downs, (std::vector<WPARAM>{'A', 'B', 'C'}));
}

TEST_F(ScriptedInputTest, GetMessageWaitsForAKeyDueOnTheRealClock) {
  win32::UseRealClock();
  HWND main = win32_test::NewWindow();
  DWORD startTick = GetTickCount();
  win32::SetTimelineOrigin(&startTick);
  win32::ScheduleKeyPress(30, VK_RETURN);
  MSG msg{};
  ASSERT_EQ(GetMessageA(&msg, main, 0, 0), TRUE);
  EXPECT_EQ(msg.message, WM_KEYDOWN);
  EXPECT_EQ(msg.wParam, VK_RETURN);
  EXPECT_GE(static_cast<std::int32_t>(GetTickCount() - startTick), 30);
}

TEST_F(ScriptedInputTest, NothingFiresBeforeTheOriginIsSet) {
  win32::UseFixedStepClock(100.0);
  HWND main = win32_test::NewWindow();
  win32::SetTimelineOrigin(nullptr);
  win32::ScheduleKeyPress(10, VK_SPACE);
  AdvanceTo(500);
  MSG msg{};
  EXPECT_FALSE(PeekMessageA(&msg, main, 0, 0, PM_REMOVE));

  DWORD startTick = GetTickCount();  // 500
  win32::SetTimelineOrigin(&startTick);
  EXPECT_FALSE(PeekMessageA(&msg, main, 0, 0, PM_REMOVE)) << "due at 510, not at once";
  AdvanceTo(510);
  ASSERT_TRUE(PeekMessageA(&msg, main, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.wParam, VK_SPACE);
}

}  // namespace
