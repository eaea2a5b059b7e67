// The platform clock behind GetTickCount.
//
// Real mode: the steady system clock, counted from the first read so that the 32-bit tick count
// starts small and wraps only after 49.7 days of running.
#include "platform/win32/win32.h"

#include <chrono>

namespace {

std::chrono::steady_clock::time_point ClockOrigin() {
  static const auto origin = std::chrono::steady_clock::now();
  return origin;
}

}  // namespace

DWORD GetTickCount() {
  const auto elapsed = std::chrono::steady_clock::now() - ClockOrigin();
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
  return static_cast<DWORD>(static_cast<std::uint64_t>(ms));
}
