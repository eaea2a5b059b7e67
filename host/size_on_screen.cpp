#include "host/size_on_screen.h"

#include <algorithm>
#include <cstdint>

namespace host {
namespace {

// The largest area of the show's 4:3 shape inside width x height, in whole pixels.
void Largest4By3(int& width, int& height) {
  if (std::int64_t(width) * 3 <= std::int64_t(height) * 4)
    height = int(std::int64_t(width) * 3 / 4);
  else
    width = int(std::int64_t(height) * 4 / 3);
}

std::string Size(int width, int height) { return std::to_string(width) + "x" + std::to_string(height); }

}  // namespace

std::optional<ScreenArea> ScreenOf(const win32::WindowBackend& backend, bool headless) {
  if (headless) return std::nullopt;
  const win32::ScreenMode desktop = backend.DesktopMode();
  ScreenArea area{desktop.width, desktop.height, 0, 0};
  if (!backend.WorkArea(area.workWidth, area.workHeight)) area.workWidth = area.workHeight = 0;
  return area;
}

bool SettleSize(HostOptions& options, const std::optional<ScreenArea>& screen, std::string& error, std::string& note) {
  note.clear();
  if (options.sizeDesktop) {
    if (!screen || screen->width <= 0 || screen->height <= 0) {
      error = "--size desktop needs a display to take its size from; there is none";
      return false;
    }
    options.sizeWidth = screen->width;
    options.sizeHeight = screen->height;
  }
  const bool framesLeave = !options.captureFile.empty() || !options.framesDirectory.empty();
  if (options.sizeWidth <= 0 || !screen || framesLeave || options.windowed == false) return true;
  const int roomWidth = screen->workWidth > 0 ? screen->workWidth : screen->width;
  const int roomHeight = screen->workHeight > 0 ? screen->workHeight : screen->height;
  int width = options.sizeWidth, height = options.sizeHeight;
  Largest4By3(width, height);
  if (roomWidth <= 0 || roomHeight <= 0 || (width <= roomWidth && height <= roomHeight)) return true;
  int fitWidth = std::min(width, roomWidth), fitHeight = std::min(height, roomHeight);
  Largest4By3(fitWidth, fitHeight);
  note = "--size " + Size(options.sizeWidth, options.sizeHeight) + ": a " + Size(width, height) +
         " window does not fit on the screen (" + Size(roomWidth, roomHeight) + " free); it is " +
         Size(fitWidth, fitHeight);
  options.sizeWidth = fitWidth;
  options.sizeHeight = fitHeight;
  return true;
}

}  // namespace host
