// A software (REF) device on a window nobody sees, for the programs and tests that make textures or
// draw outside the show (texinfo, the data generator's contact sheet, the tests).
//
// The window is a WS_POPUP whose client area has the asked size; there is one window class per
// window procedure, registered at its first use. The Win32 subset has no DestroyWindow, so each
// window stays until the process ends. The device is windowed, one back buffer of the window's
// size, copy swap.
#pragma once

#include "platform/d3d8/d3d8.h"
#include "platform/win32/win32.h"

namespace d3d8 {

struct OffscreenDeviceSetup {
  int width = 8;                      // pixels: the window's client area, and so the back buffer
  int height = 8;                     // pixels
  D3DFORMAT format = D3DFMT_UNKNOWN;  // of the back buffer; D3DFMT_UNKNOWN: the desktop's
  bool depth = false;                 // an automatic D16 depth buffer
};

// A window nobody sees whose client area is width x height pixels, its messages going to
// `procedure`; null when it cannot be made.
HWND CreateOffscreenWindow(int width, int height, WNDPROC procedure = DefWindowProcA);

// CreateDevice(D3DDEVTYPE_REF) through `d3d` on a new offscreen window; D3DERR_NOTAVAILABLE when
// the window cannot be made.
HRESULT CreateOffscreenDevice(IDirect3D8* d3d, const OffscreenDeviceSetup& setup, IDirect3DDevice8** device);

// A Direct3D object of its own and an offscreen device, released together, for a program that draws
// without a screen: it first installs a headless window backend whose desktop is width x height at
// 32 bits per pixel, so that the device sees no real display.
class OffscreenDevice {
 public:
  explicit OffscreenDevice(const OffscreenDeviceSetup& setup);
  ~OffscreenDevice();
  OffscreenDevice(const OffscreenDevice&) = delete;
  OffscreenDevice& operator=(const OffscreenDevice&) = delete;

  IDirect3DDevice8* get() const { return device_; }  // null when creation failed
  HRESULT result() const { return result_; }         // why it failed; D3D_OK with a device

 private:
  IDirect3D8* d3d_ = nullptr;
  IDirect3DDevice8* device_ = nullptr;
  HRESULT result_ = D3D_OK;
};

}  // namespace d3d8
