// A software (REF) device on a headless window of the given size, for tests that draw.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "platform/d3d8/d3d8.h"
#include "platform/win32/win32.h"
#include "platform/win32/window_backend.h"

namespace testsupport {

class HeadlessDevice {
 public:
  HeadlessDevice(int width, int height) {
    auto backend = std::make_unique<win32::HeadlessBackend>();
    backend->SetDesktopMode({width, height, 32, 60});
    win32::SetWindowBackend(std::move(backend));
    static const ATOM registered = [] {  // a class registers once per process
      WNDCLASSEXA wc = {};
      wc.cbSize = sizeof wc;
      wc.lpfnWndProc = DefWindowProcA;
      wc.lpszClassName = "headless test device";
      return RegisterClassExA(&wc);
    }();
    (void)registered;
    const HWND window =
        CreateWindowExA(0, "headless test device", "", WS_POPUP, 0, 0, width, height, nullptr, nullptr, nullptr, nullptr);
    d3d_ = Direct3DCreate8(120);
    D3DPRESENT_PARAMETERS pp = {};
    pp.Windowed = TRUE;
    pp.SwapEffect = D3DSWAPEFFECT_COPY;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D16;
    EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_REF, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device_),
              D3D_OK);
  }
  ~HeadlessDevice() {
    if (device_) device_->Release();
    if (d3d_) d3d_->Release();
  }
  HeadlessDevice(const HeadlessDevice&) = delete;
  HeadlessDevice& operator=(const HeadlessDevice&) = delete;

  IDirect3DDevice8* get() const { return device_; }

 private:
  IDirect3D8* d3d_ = nullptr;
  IDirect3DDevice8* device_ = nullptr;
};

}  // namespace testsupport
