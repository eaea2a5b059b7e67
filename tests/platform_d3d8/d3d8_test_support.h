// Shared set-up of the Direct3D 8 tests: a headless adapter with known modes, a window of known
// client size, and a present handler that keeps what the devices deliver.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "platform/d3d8/d3d8.h"
#include "platform/present/present.h"
#include "platform/win32/window_backend.h"

namespace d3d8_test {

// One Present as the host saw it.
struct Delivery {
  HWND window = nullptr;
  std::optional<platform::FrameImage> image;  // empty for a null frame
};

// A headless backend that also records the full-screen switches.
class RecordingBackend final : public win32::WindowBackend {
 public:
  std::vector<win32::ScreenMode> modes;
  win32::ScreenMode desktop{640, 480, 32, 60};
  std::vector<std::pair<HWND, bool>> fullscreenCalls;

  void CreateNativeWindow(HWND, const char*, int, int) override {}
  void DestroyNativeWindow(HWND) override {}
  void ShowNativeWindow(HWND, bool) override {}
  void SetFullscreen(HWND window, bool on) override { fullscreenCalls.emplace_back(window, on); }
  std::vector<win32::NativeKeyEvent> PollEvents() override { return {}; }
  bool WaitForEvents(int) override { return false; }
  void SetCursorVisible(bool) override {}
  int ShowMessageBox(HWND, const char*, const char*, UINT) override { return 1; }
  std::vector<win32::ScreenMode> DisplayModes() const override { return modes; }
  win32::ScreenMode DesktopMode() const override { return desktop; }
  void ShowFrame(HWND, const platform::FrameImage&) override {}
};

class D3D8Test : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A window whose client area is width x height pixels.
  static HWND MakeWindow(int width, int height);
  // Present parameters as the engine fills them for a windowed device: size from the window,
  // desktop format, automatic D16 depth.
  static D3DPRESENT_PARAMETERS WindowedParameters(D3DFORMAT format);
  // A REF device on a window of the given client size; fails the test if creation fails.
  IDirect3DDevice8* MakeDevice(int width, int height, D3DFORMAT format = D3DFMT_X8R8G8B8,
                               bool depth = true);

  RecordingBackend* backend_ = nullptr;  // owned by the Win32 layer while the test runs
  IDirect3D8* d3d_ = nullptr;
  std::vector<Delivery> deliveries_;
};

}  // namespace d3d8_test
