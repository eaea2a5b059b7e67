#include "host/present_router.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/exit_status.h"
#include "host/stop_signals.h"
#include "platform/trace/trace.h"
#include "platform/win32/win32_host.h"

namespace host {

void PresentRouter::Present(HWND__* window, const platform::FrameImage* image) {
  const DWORD tick = GetTickCount();
  const DWORD* origin = win32::TimelineOrigin();
  const long t = origin ? static_cast<long>(static_cast<std::int32_t>(tick - *origin)) : 0;
  const bool undrawn = seek_ && seek_->Skipping();
  const bool beforeTheMoment = seek_ && seek_->Pending();
  if (stats_ && !undrawn) stats_->Frame(origin != nullptr, t);
  if (origin && musicFrame_ < 0) musicFrame_ = long(frame_), musicTick_ = tick;
  trace::Write("Present", "frame=" + std::to_string(frame_), "tick=" + std::to_string(tick),
               origin ? "t=" + std::to_string(t) : std::string("t=-"));

  PresentedFrame presented{window, image, frame_, musicFrame_, -1};
  if (origin && end_.escapeAtMs >= 0)
    presented.remainingMs = std::max(0L, long(musicTick_ + DWORD(end_.escapeAtMs) - tick));
  else if (origin && end_.captureEndMs >= 0)
    presented.remainingMs = std::max(0L, end_.captureEndMs - t);
  for (const auto& sink : sinks_) {
    if (undrawn || (beforeTheMoment && (!sink->ShowsTheRun() || seek_->QuietLoading()))) continue;
    std::string why;
    if (sink->Take(presented, why)) continue;
    for (const auto& s : sinks_) s->Abandon();
    std::fprintf(stderr, "vornhold: %s\n", why.c_str());
    std::exit(kExitFailure);
  }
  ++frame_;
  win32::AdvanceClockOneFrame();  // nothing on the real clock
  if (seek_) seek_->AfterPresent();
  EndWhereAsked(origin);
}

// Escape, read by the next frame: at the capture's end, or after a stop signal (at the timeline's
// start when it comes during loading, when the show reads no keys).
void PresentRouter::EndWhereAsked(const DWORD* origin) {
  if (end_.escapeAtMs < 0 && end_.captureEndMs >= 0 && origin && !endScheduled_ &&
      static_cast<std::int32_t>(GetTickCount() - *origin) >= end_.captureEndMs) {
    win32::ScheduleKeyPress(GetTickCount() - musicTick_, VK_ESCAPE);
    endScheduled_ = true;
  }
  if (StopAsked() && !stopScheduled_) {
    win32::ScheduleKeyPress(origin ? GetTickCount() - *origin : 0, VK_ESCAPE);
    stopScheduled_ = true;
  }
}

}  // namespace host
