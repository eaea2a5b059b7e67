// Where finished frames go, and the run's trace file.
//
// The graphics devices hand every Present here; the host decides what happens to the frame (a
// window, PNG files, nothing), writes the trace line and advances a fixed-step clock. Nothing in
// the platform's services knows which of these are active.
#pragma once

#include <cstdint>
#include <cstdio>
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
// Called by a device at each Present, after the frame is complete.
void DeliverPresent(HWND__* window, const FrameImage* image);

// The trace: one line per engine-level operation, enabled by the host.
bool TraceEnabled();
void TraceOpen(std::FILE* file);  // takes ownership; null turns tracing off
void TraceLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Names that trace lines give objects ("tex3", "mesh5", "room0"). Unnamed objects give "".
void SetTraceName(const void* object, const char* name);
const char* TraceName(const void* object);

// Device calls that a scene makes itself are traced under their own names; the device calls an
// engine or mesh operation makes are part of that operation's one line. Such an operation holds a
// TraceQuiet for its duration; TraceDeviceCall writes only while none is held.
class TraceQuiet {
 public:
  TraceQuiet();
  ~TraceQuiet();
  TraceQuiet(const TraceQuiet&) = delete;
  TraceQuiet& operator=(const TraceQuiet&) = delete;
};
void TraceDeviceCall(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace platform
