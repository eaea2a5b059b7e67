// Everything a host chooses about the platform, in one record handed over once before the show
// starts: the window system, the clock, the devices, the dialog's answer and where presented
// frames go. Fields left at their defaults keep the platform's own defaults.
#pragma once

#include <memory>

#include "platform/d3d8/d3d8_host.h"
#include "platform/present/present.h"
#include "platform/win32/win32_host.h"
#include "platform/win32/window_backend.h"

namespace platform {

struct Settings {
  // The window system; null keeps the one in place (headless until a host sets another).
  std::unique_ptr<win32::WindowBackend> windowBackend;
  double fixedStepFps = 0;  // frames/s of the fixed-step clock; 0: the real clock
  // Windows get the largest client area of their shape inside this one (pixels); 0 x 0: as asked.
  int clientAreaLimitWidth = 0;
  int clientAreaLimitHeight = 0;
  bool nullDevice = false;  // every device draws nothing
  d3d8::HardwareDevice hardwareDevice = d3d8::HardwareDevice::kNever;
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
  bool rasterizerHelper = false;  // WebAssembly without threads: every row on one thread
#else
  bool rasterizerHelper = true;  // the software device's helper thread
#endif
  // Whether presented frames' pixels go anywhere besides the window (files, a video).
  bool framePixelsWanted = true;
  win32::DialogAnswer dialogAnswer;  // empty: the window backend shows dialogs to the viewer
  PresentHandler presentHandler;     // empty: presented frames go nowhere
};

// Puts every field in force, each replacing what was there before.
void Apply(Settings settings);

}  // namespace platform
