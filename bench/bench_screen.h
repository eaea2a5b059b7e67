// A headless window of a chosen size with a DxEngine on the software device, for the drawing
// benchmarks.
#pragma once

#include <memory>

#include "Win32Platform/Window/qv_core.h"
#include "engine/dx_engine.h"
#include "platform/d3d8/offscreen_device.h"
#include "platform/win32/win32.h"
#include "platform/win32/window_backend.h"

class BenchScreen {
 public:
  // Check ok() before drawing: the device may fail to come up.
  BenchScreen(int width, int height) {
    auto backend = std::make_unique<win32::HeadlessBackend>();
    backend->SetDesktopMode({width, height, 32, 60});
    win32::SetWindowBackend(std::move(backend));
    core_.m_hWnd = d3d8::CreateOffscreenWindow(width, height, QvCore::WndProc);
    ok_ = engine.CreateDevice(&core_, 1) != 0;
    if (ok_) engine.SetProjection(0.783f, 1.0f, 0.1f, 1000.0f);  // the show's default projection
  }
  ~BenchScreen() {
    if (ok_) engine.Shutdown();
  }
  BenchScreen(const BenchScreen&) = delete;
  BenchScreen& operator=(const BenchScreen&) = delete;

  bool ok() const { return ok_; }

  DxEngine engine;

 private:
  QvCore core_;
  bool ok_ = false;
};
