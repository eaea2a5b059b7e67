#include "host/viewer_overlay.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/win32/dialog_painter.h"

namespace host {
namespace {

constexpr double kPoints = 8.0;                // text size at 96 DPI, as the dialogs' font
constexpr std::uint32_t kPanelAlpha = 0xB0;    // dark enough to read light text over a bright frame
constexpr std::uint32_t kText = 0xF0F0F0;
constexpr int kMargin = 8;                     // pixels at scale 1 from the frame's corner
constexpr int kPadding = 6;                    // pixels at scale 1 from the panel's edge to the text

constexpr const char* kKeyLines[] = {
    "Space  pause / go on",  "Left / Right  5 s back / on", "Page Up / Down  part back / on",
    "Home  from the start",  "F11, Alt+Enter  full screen", "F12  screenshot",
    "F1  this panel",        "Escape  end the show",
};

// Text coverage over the panel: straight (not premultiplied) alpha, as the window blends it.
std::uint32_t PanelPixel(std::uint8_t coverage) {
  const std::uint32_t alpha = kPanelAlpha + (255 - kPanelAlpha) * coverage / 255;
  // The text's share of the colour: coverage of the whole pixel's opacity.
  const std::uint32_t share = alpha ? 255 * coverage / alpha : 0;
  std::uint32_t colour = 0;
  for (int shift = 0; shift < 24; shift += 8) colour |= (((kText >> shift) & 0xFF) * share / 255) << shift;
  return alpha << 24 | colour;
}

}  // namespace

std::string TimelineClock(long ms) {
  if (ms < 0) return "-";
  char text[32];
  std::snprintf(text, sizeof text, "%ld:%02ld.%03ld", ms / 60000, ms / 1000 % 60, ms % 1000);
  return text;
}

std::vector<std::string> OverlayLines(const OverlayContent& content) {
  std::vector<std::string> lines;
  if (content.panel) {
    const ViewerStatus& s = content.status;
    std::string where = s.timelineMs < 0 ? "loading" : TimelineClock(s.timelineMs);
    if (s.part > 0) where += "  part " + std::to_string(s.part);
    if (content.paused) where += "  paused";
    lines.push_back(where);
    lines.push_back(std::to_string(content.framesPerSecond) + " frames/s" +
                    (s.device.empty() ? "" : "  " + s.device));
    lines.insert(lines.end(), std::begin(kKeyLines), std::end(kKeyLines));
  }
  if (!content.notice.empty()) lines.push_back(content.notice);
  return lines;
}

platform::FrameImage DrawOverlay(const std::vector<std::string>& lines, double scale) {
  platform::FrameImage picture;
  if (lines.empty()) return picture;
  std::vector<win32::TextCoverage> set;
  int textWidth = 0, lineHeight = 0;
  for (const std::string& line : lines) {
    set.push_back(win32::SetTextLine(line, kPoints, scale));
    textWidth = std::max(textWidth, set.back().width);
    lineHeight = std::max(lineHeight, set.back().height);
  }
  const int margin = int(std::lround(kMargin * scale)), padding = int(std::lround(kPadding * scale));
  const int panelWidth = textWidth + 2 * padding;
  const int panelHeight = lineHeight * int(lines.size()) + 2 * padding;
  picture.width = margin + panelWidth;
  picture.height = margin + panelHeight;
  picture.xrgb.assign(std::size_t(picture.width) * std::size_t(picture.height), 0);  // transparent
  for (int y = margin; y < picture.height; ++y)
    std::fill_n(picture.xrgb.begin() + std::ptrdiff_t(y) * picture.width + margin, panelWidth, PanelPixel(0));
  for (std::size_t i = 0; i < set.size(); ++i) {
    const win32::TextCoverage& text = set[i];
    const int top = margin + padding + int(i) * lineHeight, left = margin + padding;
    for (int y = 0; y < text.height; ++y)
      for (int x = 0; x < text.width; ++x)
        picture.xrgb[std::size_t(top + y) * std::size_t(picture.width) + std::size_t(left + x)] =
            PanelPixel(text.coverage[std::size_t(y) * std::size_t(text.width) + std::size_t(x)]);
  }
  return picture;
}

}  // namespace host
