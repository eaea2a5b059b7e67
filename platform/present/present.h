// Where the devices' finished frames go.
//
// A device hands every Present here, after the frame is complete; the host decides what becomes
// of it (a window, PNG files, a video, nothing) and advances its clock. No device knows which.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

struct HWND__;

namespace platform {

// A presented frame as 0x00RRGGBB pixels, top row first (16-bit back buffers are widened).
struct FrameImage {
  int width = 0;   // pixels
  int height = 0;  // pixels
  std::vector<std::uint32_t> xrgb;
};

// window: the device's window; image: null for a device that draws nothing.
using PresentHandler = std::function<void(HWND__* window, const FrameImage* image)>;

void SetPresentHandler(PresentHandler handler);
// Called by a device at each Present.
void DeliverPresent(HWND__* window, const FrameImage* image);

}  // namespace platform
