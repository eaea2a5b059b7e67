#include "host/viewer_timeline.h"


#include "demo/part_schedule.h"
#include "platform/bass/bass_host.h"
#include "platform/d3d8/d3d8_host.h"
#include "platform/win32/win32_host.h"

namespace host {
namespace {

constexpr const char* kNoTimeline = "the secret page has no timeline: seeking is off";

}  // namespace

int PartAt(long timelineMs) {
  if (timelineMs < 0) return 0;
  int part = 1;
  for (int k = 1; k < 10; ++k)
    if (timelineMs >= kPartStartMs[k]) part = k + 1;
  return part;
}

std::string ViewerTimeline::TogglePause() {
  paused_ = !paused_;
  win32::HoldClock(paused_);
  bass::HoldStreams(paused_);
  return {};
}

std::string ViewerTimeline::SeekBy(long ms) {
  if (!hasTimeline_) return kNoTimeline;
  const long now = TimelineSeek::TimelineNow();
  if (now < 0) return "the show is still loading";
  return SeekTo(now + ms < 0 ? 0 : now + ms);
}

std::string ViewerTimeline::StepPart(int step) {
  if (!hasTimeline_) return kNoTimeline;
  const long now = TimelineSeek::TimelineNow();
  if (now < 0) return "the show is still loading";
  const int part = PartAt(now) + step;  // 1..10
  if (part > 10) return "the finale is the last part";
  return SeekTo(part < 1 ? 0 : kPartStartMs[part - 1]);
}

std::string ViewerTimeline::Restart() {
  if (!hasTimeline_) return kNoTimeline;
  return SeekTo(0);
}

// Forward: on from here. Back: the entry ends (the Escape reaches the show at its next frame)
// and runs again to the moment. Either way a pause ends: the show has to run to get there.
std::string ViewerTimeline::SeekTo(long ms) {
  if (paused_) TogglePause();  // a seek plays on: the show must run to reach the moment
  if (ms > TimelineSeek::TimelineNow()) {
    seek_.SeekTo(ms);
    return {};
  }
  if (!restartAsked_) {
    if (beforeRestart_) beforeRestart_();
    win32::ScheduleKeyPress(0, VK_ESCAPE);
  }
  restartAsked_ = true;
  restartAtMs_ = ms;
  return {};
}

bool ViewerTimeline::TakeRestart(long& startAtMs) {
  if (!restartAsked_) return false;
  restartAsked_ = false;
  startAtMs = restartAtMs_;
  return true;
}

ViewerStatus ViewerTimeline::Status() const {
  ViewerStatus status;
  status.timelineMs = TimelineSeek::TimelineNow();
  status.part = PartAt(status.timelineMs);
  status.device = d3d8::DeviceInUse();
  return status;
}

}  // namespace host
