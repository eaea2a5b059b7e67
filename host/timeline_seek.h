// Playing the show's timeline up to a moment without drawing it: a start at a moment (--start-at)
// and the viewer's seeks forward.
//
// The show is a pure function of its clock and its input, so it is not jumped: it plays every
// frame up to the moment, at a fixed step, while the devices keep every state and draw no pixel
// (platform::SetPixelsDrawn), the trace is muted and no frame reaches a sink. With a fixed step the
// frames from the moment on are then the very frames of a run that drew everything. Pixels are
// the only thing not made on the way, and a frame can only see an earlier frame's pixels through
// what that one left in the back and depth buffers: every scene of the show clears all of both
// before it draws, so none does. A scene that drew over its last frame instead (a feedback trail)
// would show undrawn pixels; the devices count such frames (platform::UndrawnPixelsPresented) and
// --stats names them, so that such a scene cannot pass unseen.
//
// On the real clock the seek steps at 60 frames/s (near a display's rate; the state a real-clock
// run reaches depends on its frame times anyway), then the real clock goes on from the moment
// reached and the music is set to the same moment, to the sample, and let go.
#pragma once

#include <cstdint>
#include <string>

namespace host {

class TimelineSeek {
 public:
  // runFixedFps: the run's fixed step; 0 on the real clock.
  explicit TimelineSeek(double runFixedFps) : runFixedFps_(runFixedFps) {}

  // Plays on undrawn to `ms` on the show's timeline, from where it stands (before the timeline
  // starts: from its start). A moment already reached asks for nothing.
  // quietLoading: nothing, the window included, is shown before the moment (a restart's loading
  // screen stays hidden behind the frame the viewer left).
  void SeekTo(long ms, bool quietLoading = false);
  // Drops what was asked for; drawing, the trace and the clock as they are outside a seek.
  void Reset();
  bool QuietLoading() const { return quietLoading_ && targetMs_ >= 0; }
  // A moment is asked for and its frame has not come yet (loading included).
  bool Pending() const { return targetMs_ >= 0; }
  // The frame now presented is undrawn.
  bool Skipping() const { return skipping_; }

  // The host calls these: when the timeline starts and at every poll of the show's queue (the
  // start of a frame; win32::SetTimelineObserver), and after every Present, once the clock has
  // advanced.
  void AtFrameStart();
  void AfterPresent();

  // One line for --stats about the last seek; empty when none was made.
  std::string Summary() const;

  // The show's timeline now, in ms; -1 before it starts.
  static long TimelineNow();

 private:
  void Begin();
  void End();

  double runFixedFps_;
  long targetMs_ = -1;
  bool skipping_ = false;
  bool quietLoading_ = false;
  std::int64_t beganNs_ = 0;  // steady clock
  unsigned long undrawnFrames_ = 0;
  long reachedMs_ = -1;
  double seconds_ = 0;
};

}  // namespace host
