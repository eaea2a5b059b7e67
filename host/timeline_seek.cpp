#include "host/timeline_seek.h"

#include <chrono>
#include <cstdint>
#include <cstdio>

#include "platform/bass/bass_host.h"
#include "platform/present/present.h"
#include "platform/trace/trace.h"
#include "platform/win32/win32_host.h"

namespace host {
namespace {

constexpr double kRealClockSeekFps = 60.0;

std::int64_t SteadyNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

long TimelineSeek::TimelineNow() {
  const DWORD* origin = win32::TimelineOrigin();
  return origin ? long(std::int32_t(GetTickCount() - *origin)) : -1;
}

void TimelineSeek::SeekTo(long ms, bool quietLoading) {
  if (ms < 0) return;
  targetMs_ = ms;
  quietLoading_ = quietLoading;
  AtFrameStart();
}

void TimelineSeek::AtFrameStart() {
  if (targetMs_ < 0) return;
  const long now = TimelineNow();
  if (now < 0) return;  // still loading: the timeline has not started
  if (now >= targetMs_) {
    if (skipping_) End();
    else targetMs_ = -1;
    return;
  }
  if (!skipping_) Begin();
}

void TimelineSeek::Reset() {
  if (skipping_) End();
  targetMs_ = -1;
}

void TimelineSeek::AfterPresent() {
  if (!skipping_) return;
  ++undrawnFrames_;
  if (TimelineNow() >= targetMs_) End();
}

void TimelineSeek::Begin() {
  skipping_ = true;
  beganNs_ = SteadyNs();
  undrawnFrames_ = 0;
  platform::SetPixelsDrawn(false);
  trace::Mute(true);
  if (runFixedFps_ <= 0) {
    win32::ContinueWithFixedStep(kRealClockSeekFps);
    bass::HoldStreams(true);
  }
}

// The next frame is the first at or after the moment: it is drawn, traced and delivered.
void TimelineSeek::End() {
  skipping_ = false;
  reachedMs_ = TimelineNow();
  targetMs_ = -1;
  platform::SetPixelsDrawn(true);
  trace::Mute(false);
  if (runFixedFps_ <= 0) {
    win32::ContinueWithRealClock();
    // The music started with the timeline; parts played alone re-base the timeline, not the music.
    const std::uint64_t musicMs = std::uint32_t(GetTickCount() - win32::TimelineOriginValue());
    bass::SeekPlayingStreams(musicMs * std::uint64_t(bass::OutputRate()) / 1000);
    bass::HoldStreams(false);
  }
  seconds_ = double(SteadyNs() - beganNs_) / 1e9;
}

std::string TimelineSeek::Summary() const {
  if (reachedMs_ < 0) return {};
  char line[200];
  std::snprintf(line, sizeof line, "seek: reached %ld ms on the timeline in %.3f s (%lu frames played undrawn)",
                reachedMs_, seconds_, undrawnFrames_);
  std::string text = line;
  if (const unsigned long stale = platform::UndrawnPixelsPresented())
    text += "\nvornhold: seek: " + std::to_string(stale) + " frames after it drew over undrawn pixels: they differ from a full run";
  return text;
}

}  // namespace host
