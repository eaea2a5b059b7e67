// FrameTimer on the fixed-step clock: at 100 frames per second every frame is exactly 10 ms, so
// with speed 100 each frame's delta is exactly 1.0.
#include <gtest/gtest.h>

#include "engine/frame_timer.h"
#include "platform/settings/settings.h"
#include "platform/win32/win32_host.h"

namespace {

void UseFixedStep(double framesPerSecond) {
  platform::Settings settings;
  settings.fixedStepFps = framesPerSecond;
  platform::Apply(std::move(settings));
}

TEST(FrameTimer, DeltaIsTheTimeSinceTheLastTickInHundredths) {
  UseFixedStep(100);
  FrameTimer timer;
  timer.Start(100.0f);
  win32::AdvanceClockOneFrame();
  win32::AdvanceClockOneFrame();  // set-up before the first frame counts too
  timer.Tick();
  EXPECT_FLOAT_EQ(timer.delta, 2.0f);
  EXPECT_FLOAT_EQ(timer.rate, 50.0f);
  win32::AdvanceClockOneFrame();
  timer.Tick();
  EXPECT_FLOAT_EQ(timer.delta, 1.0f);
  EXPECT_FLOAT_EQ(timer.rate, 100.0f);
  platform::Apply({});
}

TEST(FrameTimer, NoTimeOrTimeGoingBackwardsGivesOne) {
  UseFixedStep(100);
  FrameTimer timer;
  timer.Start(100.0f);
  timer.Tick();  // the same counter value
  EXPECT_EQ(timer.delta, 1.0f);
  timer.last = timer.now + 5000;  // a counter that went backwards
  timer.Tick();
  EXPECT_EQ(timer.delta, 1.0f);
  timer.frequency = 0;  // no number at all
  timer.Tick();
  EXPECT_EQ(timer.delta, 1.0f);
  platform::Apply({});
}

}  // namespace
