// --size against the screen the show opens on: `desktop` stands for the display's own size, and a
// window that would not fit on the screen gets a smaller size of the same shape.
#pragma once

#include <optional>
#include <string>

#include "host/host_options.h"
#include "platform/win32/window_backend.h"

namespace host {

// What the window backend says of the display the show opens on (pixels).
struct ScreenArea {
  int width = 0, height = 0;          // the desktop mode
  int workWidth = 0, workHeight = 0;  // what windows may cover; 0 x 0: unknown, the whole screen
};

// The display's area; nothing without a screen (headless).
std::optional<ScreenArea> ScreenOf(const win32::WindowBackend& backend, bool headless);

// Settles options.sizeWidth x sizeHeight for the screen:
// - --size desktop takes the screen's size; without a screen it is refused (false, `error` set);
// - a windowed size whose 4:3 client area does not fit the work area becomes the largest 4:3 one
//   that does, said in `note` (one line). Frames that leave the program (--capture, --frames)
//   keep the size asked for; full screen shows any size scaled to the screen.
bool SettleSize(HostOptions& options, const std::optional<ScreenArea>& screen, std::string& error, std::string& note);

}  // namespace host
