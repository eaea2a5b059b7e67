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

// window: the device's window; image: null for a device that draws nothing, or from one that showed
// the frame in the window itself while FramePixelsWanted() is false.
using PresentHandler = std::function<void(HWND__* window, const FrameImage* image)>;

void SetPresentHandler(PresentHandler handler);
// Called by a device at each Present.
void DeliverPresent(HWND__* window, const FrameImage* image);

// Whether the host does more with a frame's pixels than show them in the window (PNG files, a
// video). A device that shows frames in the window itself reads them back from the graphics card
// only while this is true. True until the host says otherwise.
void SetFramePixelsWanted(bool wanted);
bool FramePixelsWanted();

// While false, devices keep every state and take every call but do no pixel work: Clear and draws
// leave the surfaces as they were and Present hands the host no image (a seek plays the timeline
// up to a moment this way). True until the host says otherwise.
void SetPixelsDrawn(bool drawn);
bool PixelsDrawn();

// Counts the frames presented with pixels drawn whose back buffer still held something a device
// left undrawn: a frame that drew over an undrawn one instead of clearing all of it first. Such a
// frame differs from the same frame of a run that drew everything.
void NoteUndrawnPixelsPresented();
unsigned long UndrawnPixelsPresented();

}  // namespace platform
