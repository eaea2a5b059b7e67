// The platform clock behind GetTickCount and QueryPerformanceCounter, in real or fixed-step mode.
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>

#include "platform/win32/win32.h"
#include "platform/win32/win32_host.h"

namespace {

constexpr std::int64_t kCounterFrequency = 10'000'000;  // counts per second

std::chrono::steady_clock::time_point RunStart() {
  static const auto start = std::chrono::steady_clock::now();
  return start;
}
// Takes the run's start when the program loads, not at the first read.
[[maybe_unused]] const auto g_runStartAtLoad = RunStart();

std::atomic<bool> g_fixedStep{false};
std::atomic<double> g_framesPerSecond{100.0};
std::atomic<std::uint64_t> g_frames{0};

// Integral rates use exact integer arithmetic; others long double.
bool IntegralRate(double fps, std::uint64_t& asInteger) {
  if (fps < 1.0 || fps != std::floor(fps) || fps > 1e9) return false;
  asInteger = static_cast<std::uint64_t>(fps);
  return true;
}

std::uint64_t FixedMilliseconds() {
  const std::uint64_t n = g_frames.load();
  const double fps = g_framesPerSecond.load();
  std::uint64_t f = 0;
  if (IntegralRate(fps, f)) return n * 1000 / f;
  return static_cast<std::uint64_t>(std::floor(static_cast<long double>(n) * 1000.0L / fps));
}

std::int64_t FixedCount() {
  const std::uint64_t n = g_frames.load();
  const double fps = g_framesPerSecond.load();
  std::uint64_t f = 0;
  if (IntegralRate(fps, f)) {
    return static_cast<std::int64_t>((n * 2 * kCounterFrequency + f) / (2 * f));
  }
  return static_cast<std::int64_t>(
      std::llround(static_cast<long double>(n) * kCounterFrequency / fps));
}

std::chrono::steady_clock::duration RealElapsed() {
  return std::chrono::steady_clock::now() - RunStart();
}

}  // namespace

namespace win32 {

void UseRealClock() { g_fixedStep = false; }

void UseFixedStepClock(double framesPerSecond) {
  g_framesPerSecond = framesPerSecond > 0.0 ? framesPerSecond : 100.0;
  g_frames = 0;
  g_fixedStep = true;
}

bool FixedStepClock() { return g_fixedStep; }

void AdvanceClockOneFrame() {
  if (g_fixedStep) ++g_frames;
}

}  // namespace win32

DWORD GetTickCount() {
  if (g_fixedStep) return static_cast<DWORD>(FixedMilliseconds());
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(RealElapsed()).count();
  return static_cast<DWORD>(static_cast<std::uint64_t>(ms));
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* count) {
  if (!count) return FALSE;
  if (g_fixedStep) {
    count->QuadPart = FixedCount();
  } else {
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(RealElapsed()).count();
    count->QuadPart = ns / (1'000'000'000 / kCounterFrequency);
  }
  return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
  if (!frequency) return FALSE;
  frequency->QuadPart = kCounterFrequency;
  return TRUE;
}
