// FrameTimer: the time between two frames on the high-resolution performance counter.
//
// Units: `delta` is in 1/`speed` seconds (every caller passes 100.0, so hundredths of a second);
// `rate` is `speed` / `delta`, frames per second. After a Tick, `delta` is never 0 or negative.
#pragma once

#include <cstdint>

class FrameTimer {
 public:
  void Start(float speed);
  void Tick();

  float speed = 0.0f;
  float rate = 0.0f;
  std::int64_t frequency = 0;  // counts per second
  std::int64_t now = 0;        // counter at the latest Tick
  std::int64_t last = 0;       // counter at the previous Tick (or Start)
  float delta = 0.0f;
};
