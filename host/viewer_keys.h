// What the viewer's keys ask of the show's timeline. The host's run implements it; the window
// that reads the keys calls it. Every call returns at once (a seek happens over the next frames).
#pragma once
#include <string>
namespace host {
struct ViewerStatus {
  long timelineMs = -1;  // the frame on screen, ms on the show's timeline; < 0 while loading
  int part = 0;          // 1..10, 0 before the first part
  std::string device;    // "software", "OpenGL (llvmpipe ...)", "null"
};
class TimelineKeys {
 public:
  virtual ~TimelineKeys() = default;
  // Each returns an empty string when done, or one line saying why not (shown on the overlay).
  virtual std::string TogglePause() = 0;
  virtual std::string SeekBy(long ms) = 0;     // Left: -5000, Right: +5000
  virtual std::string StepPart(int step) = 0;  // Page Up: -1, Page Down: +1
  virtual std::string Restart() = 0;           // Home
  virtual bool Paused() const = 0;
  virtual ViewerStatus Status() const = 0;
};
}  // namespace host
