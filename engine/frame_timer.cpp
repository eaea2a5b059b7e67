#include "engine/frame_timer.h"

#include <cmath>

#include "platform/win32/win32.h"

void FrameTimer::Start(float newSpeed) {
  speed = newSpeed;
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);  // the counter is read before the frequency
  last = counter.QuadPart;
  LARGE_INTEGER freq;
  QueryPerformanceFrequency(&freq);
  frequency = freq.QuadPart;
}

void FrameTimer::Tick() {
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  now = counter.QuadPart;
  // Extended precision for the division; the counter difference is signed.
  const long double elapsed = static_cast<long double>(now - last);
  delta = static_cast<float>(elapsed / (static_cast<long double>(frequency) / speed));
  rate = speed / delta;
  if (!(delta > 0.0f)) delta = 1.0f;  // also when the division gave no number
  last = now;
}
