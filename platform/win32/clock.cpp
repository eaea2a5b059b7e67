// The platform clock behind GetTickCount and QueryPerformanceCounter, in real or fixed-step mode.
//
// Both modes count from a base: the clock's value (milliseconds and counts) where the mode last
// began, so that a switch between modes, or a pause, never moves the clock back or forth. A fresh
// fixed-step clock starts both at 0 and a real one at the run's start, as before any switch.
#include <chrono>
#include <cmath>
#include <cstdint>
#include <mutex>

#include "platform/win32/win32.h"
#include "platform/win32/win32_host.h"

namespace {

constexpr std::int64_t kCounterFrequency = 10'000'000;  // counts per second

using Steady = std::chrono::steady_clock;

Steady::time_point RunStart() {
  static const auto start = Steady::now();
  return start;
}
// Takes the run's start when the program loads, not at the first read.
[[maybe_unused]] const auto g_runStartAtLoad = RunStart();

// Where the clock stands: read by the show's thread and by SDL's audio thread (scripted input
// never reads it there, but the sound library's callers may), so one lock guards it.
struct ClockState {
  bool fixedStep = false;
  double framesPerSecond = 100.0;
  std::uint64_t frames = 0;       // fixed step: frames since the mode began
  std::uint64_t baseMs = 0;       // the clock where the current mode (or the last resume) began
  std::int64_t baseCount = 0;
  Steady::time_point anchor = RunStart();  // real mode: the moment baseMs/baseCount stand for
  bool paused = false;                     // real mode: held at the base
};

std::mutex g_lock;
ClockState g_clock;

// Integral rates use exact integer arithmetic; others long double.
bool IntegralRate(double fps, std::uint64_t& asInteger) {
  if (fps < 1.0 || fps != std::floor(fps) || fps > 1e9) return false;
  asInteger = static_cast<std::uint64_t>(fps);
  return true;
}

std::uint64_t FixedMilliseconds(const ClockState& c) {
  std::uint64_t f = 0;
  if (IntegralRate(c.framesPerSecond, f)) return c.baseMs + c.frames * 1000 / f;
  return c.baseMs + static_cast<std::uint64_t>(std::floor(static_cast<long double>(c.frames) * 1000.0L / c.framesPerSecond));
}

std::int64_t FixedCount(const ClockState& c) {
  std::uint64_t f = 0;
  if (IntegralRate(c.framesPerSecond, f))
    return c.baseCount + static_cast<std::int64_t>((c.frames * 2 * kCounterFrequency + f) / (2 * f));
  return c.baseCount +
         static_cast<std::int64_t>(std::llround(static_cast<long double>(c.frames) * kCounterFrequency / c.framesPerSecond));
}

Steady::duration RealElapsed(const ClockState& c) { return c.paused ? Steady::duration{} : Steady::now() - c.anchor; }

std::uint64_t Milliseconds(const ClockState& c) {
  if (c.fixedStep) return FixedMilliseconds(c);
  return c.baseMs + std::uint64_t(std::chrono::duration_cast<std::chrono::milliseconds>(RealElapsed(c)).count());
}

std::int64_t Count(const ClockState& c) {
  if (c.fixedStep) return FixedCount(c);
  return c.baseCount + std::chrono::duration_cast<std::chrono::nanoseconds>(RealElapsed(c)).count() /
                           (1'000'000'000 / kCounterFrequency);
}

// The next mode starts where the clock stands now.
void Rebase(ClockState& c) {
  c.baseMs = Milliseconds(c);
  c.baseCount = Count(c);
  c.frames = 0;
  c.anchor = Steady::now();
}

}  // namespace

namespace win32 {

void UseRealClock() {
  const std::lock_guard lock(g_lock);
  g_clock = ClockState{};
}

void UseFixedStepClock(double framesPerSecond) {
  const std::lock_guard lock(g_lock);
  g_clock = ClockState{};
  g_clock.fixedStep = true;
  g_clock.framesPerSecond = framesPerSecond > 0.0 ? framesPerSecond : 100.0;
}

void ContinueWithFixedStep(double framesPerSecond) {
  const std::lock_guard lock(g_lock);
  Rebase(g_clock);
  g_clock.fixedStep = true;
  g_clock.paused = false;
  g_clock.framesPerSecond = framesPerSecond > 0.0 ? framesPerSecond : 100.0;
}

void ContinueWithRealClock() {
  const std::lock_guard lock(g_lock);
  Rebase(g_clock);
  g_clock.fixedStep = false;
  g_clock.paused = false;
}

void HoldClock(bool held) {
  const std::lock_guard lock(g_lock);
  if (g_clock.fixedStep || g_clock.paused == held) return;
  Rebase(g_clock);
  g_clock.paused = held;
}

bool FixedStepClock() {
  const std::lock_guard lock(g_lock);
  return g_clock.fixedStep;
}

void AdvanceClockOneFrame() {
  const std::lock_guard lock(g_lock);
  if (g_clock.fixedStep) ++g_clock.frames;
}

}  // namespace win32

DWORD GetTickCount() {
  const std::lock_guard lock(g_lock);
  return static_cast<DWORD>(Milliseconds(g_clock));
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* count) {
  if (!count) return FALSE;
  const std::lock_guard lock(g_lock);
  count->QuadPart = Count(g_clock);
  return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
  if (!frequency) return FALSE;
  frequency->QuadPart = kCounterFrequency;
  return TRUE;
}
