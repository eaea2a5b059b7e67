// Wall-clock figures of a run (--stats): the frames before the timeline starts are the loading
// screen's, and the longest pause between two of them is the loading itself (the fades are frames).
#pragma once

#include <chrono>

namespace host {

class RunStats {
 public:
  using Clock = std::chrono::steady_clock;

  // `timelineMs`: the frame's time on the show's timeline, when it has started. Prints a line at
  // every minute of the timeline: for long runs, memory that grows shows there.
  void Frame(bool onTimeline, long timelineMs);
  void Print() const;

 private:
  unsigned long loadingFrames_ = 0, showFrames_ = 0;
  double longestLoadingPause_ = 0;  // s
  double slowestFrame_ = 0;         // s
  long slowestFrameAt_ = 0;         // timeline ms
  long nextMinuteMs_ = 60000;
  Clock::time_point firstFrame_, lastLoadingFrame_, firstShowFrame_, lastShowFrame_;
};

}  // namespace host
