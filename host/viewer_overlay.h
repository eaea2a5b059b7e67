// The viewer's overlay: what it says (the timeline's time and part, frames per second, the device,
// the keys, a passing notice) and its picture, a translucent dark panel with light text that the
// window draws unscaled over the scaled frame (WindowBackend::SetOverlay).
#pragma once

#include <string>
#include <vector>

#include "host/viewer_keys.h"
#include "platform/present/present.h"

namespace host {

// A timeline time as m:ss.mmm ("1:01.234"); "-" before the timeline starts (ms < 0).
std::string TimelineClock(long ms);

// What the overlay shows. With `panel` off only the notice is left; nothing when that is empty too.
struct OverlayContent {
  bool panel = false;
  ViewerStatus status;
  bool paused = false;
  int framesPerSecond = 0;  // frames shown in the last second
  std::string notice;       // one line, or empty
};
std::vector<std::string> OverlayLines(const OverlayContent& content);

// The lines on their panel as 0xAARRGGBB pixels, with a transparent margin to the frame's corner;
// text set at `scale` (the display's, as dialogs are). An empty picture (0 x 0) for no lines.
platform::FrameImage DrawOverlay(const std::vector<std::string>& lines, double scale);

}  // namespace host
