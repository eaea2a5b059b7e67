// What becomes of each presented frame: a trace line, the run's statistics, every frame sink in
// turn; and the end of the run where the host sets it (a capture's end, a stop signal), sent to
// the show as an Escape key.
#pragma once

#include <memory>
#include <vector>

#include "host/frame_sinks.h"
#include "host/run_stats.h"
#include "host/timeline_seek.h"
#include "platform/present/present.h"
#include "platform/win32/win32.h"

namespace host {

struct RunEnd {
  long escapeAtMs = -1;    // ms after the music starts; < 0: not scripted
  long captureEndMs = -1;  // timeline ms at which a capture without escapeAtMs ends; < 0: none
};

class PresentRouter {
 public:
  // `sinks` and `stats` (null without --stats) outlive the router.
  // `seek` (null: the run never seeks) too: frames it plays undrawn reach no sink, and before
  // its first moment only a sink that shows the run gets frames.
  PresentRouter(RunEnd end, std::vector<std::unique_ptr<FrameSink>>& sinks, RunStats* stats,
                TimelineSeek* seek = nullptr)
      : end_(end), sinks_(sinks), stats_(stats), seek_(seek) {}

  // Called for every Present; a sink that cannot go on ends the program (exit status 2) after
  // every sink has been abandoned.
  void Present(HWND__* window, const platform::FrameImage* image);

 private:
  void EndWhereAsked(const DWORD* origin);

  RunEnd end_;
  std::vector<std::unique_ptr<FrameSink>>& sinks_;
  RunStats* stats_;
  TimelineSeek* seek_;
  unsigned long frame_ = 0;
  long musicFrame_ = -1;  // the first frame on the timeline, where the music starts
  DWORD musicTick_ = 0;
  bool endScheduled_ = false;
  bool stopScheduled_ = false;
};

}  // namespace host
