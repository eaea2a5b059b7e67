// PartLoop: the one render-loop shape every part plays.
//
//   setup    the scene prepares; if the previous part's flag is off, `startTick` is re-based so
//            that this part still sees its own scheduled times; a fresh FrameTimer starts (speed
//            100: deltas in hundredths of a second)
//   loop     while `running`, the part's flag is on and the timeline has not reached the end:
//            at most one window message (GetMessage returning 0 ends this part only; wParam 27,
//            Escape, clears `running` for good), Tick, then the scene's frame, which draws and
//            presents
//   finish   the scene releases what it made
#pragma once

#include <cstdint>

#include "demo/demo.h"

// How a part's window closes on the timeline.
enum class PartEnd {
  kReached,  // the loop ends once the time reaches `end`
  kPassed,   // ... only once it has passed `end`
  kNever,    // no time limit: only Escape, a quit message or the flag ends it
};

// When a part plays, on the demo timeline (milliseconds since `startTick`).
struct PartWindow {
  const BYTE* flag = nullptr;          // the loop runs while *flag is 1; null: no flag gates it
  const BYTE* previousFlag = nullptr;  // *previousFlag 0: re-base `startTick`; null: never
  std::int32_t start = 0;              // scheduled start, ms
  std::int32_t end = 0;                // ms, as `closes` says
  PartEnd closes = PartEnd::kReached;
};

class PartScene {
 public:
  virtual ~PartScene() = default;
  virtual void Setup() {}
  // One frame: advance by `delta` (hundredths of a second), draw and Present.
  virtual void Frame(float delta) = 0;
  virtual void Finish() {}
};

// Milliseconds on the demo timeline, as a signed 32-bit difference of tick counts.
std::int32_t TimelineMs(const Demo& demo);

void PartLoop(Demo& demo, const PartWindow& window, PartScene& scene);
