// The viewer's hold on the show's timeline in the live window: pause, seeks and a restart.
//
// A seek forward plays on undrawn from where the show stands (TimelineSeek). The show cannot go
// back, so a seek back (and Home) lets the system's entry end, as Escape does, and runs it again
// from the start with the same answers to its dialog and the same window, seeking to the moment:
// the run after it is the one a start at that moment gives. A pause holds the clock and the music
// together and keeps the show's thread in the host until it ends, so no frame advances.
#pragma once

#include <functional>
#include <string>
#include <utility>

#include "host/timeline_seek.h"
#include "host/viewer_keys.h"

namespace host {

class ViewerTimeline final : public TimelineKeys {
 public:
  // hasTimeline: false for the page without end, which refuses seeks.
  ViewerTimeline(TimelineSeek& seek, bool hasTimeline) : seek_(seek), hasTimeline_(hasTimeline) {}

  std::string TogglePause() override;
  std::string SeekBy(long ms) override;
  std::string StepPart(int step) override;
  std::string Restart() override;
  bool Paused() const override { return paused_; }
  ViewerStatus Status() const override;

  // The host's run: whether the entry ended for a restart, and where the next run is to begin
  // (true once per request).
  bool TakeRestart(long& startAtMs);
  // Called when a restart is asked for, before the show ends (the window keeps itself for the
  // next run).
  void SetBeforeRestart(std::function<void()> call) { beforeRestart_ = std::move(call); }

 private:
  std::string SeekTo(long ms);

  TimelineSeek& seek_;
  bool hasTimeline_;
  bool paused_ = false;
  bool restartAsked_ = false;
  long restartAtMs_ = 0;
  std::function<void()> beforeRestart_;
};

// The part (1..10) playing at `timelineMs`; 0 before the timeline starts.
int PartAt(long timelineMs);

}  // namespace host
