#include "d3d8_test_support.h"

#include <memory>

#include "platform/d3d8/d3d8_host.h"
#include "platform/d3d8/offscreen_device.h"
#include "platform/win32/win32_host.h"

namespace d3d8_test {

void D3D8Test::SetUp() {
  auto backend = std::make_unique<RecordingBackend>();
  backend->modes = {{640, 480, 32, 60}, {640, 480, 32, 75}, {800, 600, 16, 60},
                    {1024, 768, 24, 60}, {320, 200, 8, 60}, {640, 480, 16, 60}};
  backend_ = backend.get();
  win32::SetWindowBackend(std::move(backend));
  d3d8::UseNullDevice(false);
  platform::SetPresentHandler([this](HWND__* window, const platform::FrameImage* image) {
    Delivery delivery;
    delivery.window = window;
    if (image) delivery.image = *image;
    deliveries_.push_back(std::move(delivery));
  });
  d3d_ = Direct3DCreate8(D3D_SDK_VERSION);
  ASSERT_NE(d3d_, nullptr);
}

void D3D8Test::TearDown() {
  if (d3d_) {
    EXPECT_EQ(d3d_->Release(), 0u) << "a device or the test kept a reference";
  }
  platform::SetPresentHandler(nullptr);
  d3d8::UseNullDevice(false);
  win32::SetClientAreaLimit(0, 0);
  win32::SetWindowBackend(std::make_unique<win32::HeadlessBackend>());
}

HWND D3D8Test::MakeWindow(int width, int height) {
  HWND window = d3d8::CreateOffscreenWindow(width, height);
  EXPECT_NE(window, nullptr);
  return window;
}

D3DPRESENT_PARAMETERS D3D8Test::WindowedParameters(D3DFORMAT format) {
  D3DPRESENT_PARAMETERS pp{};
  pp.BackBufferFormat = format;
  pp.BackBufferCount = 1;
  pp.SwapEffect = D3DSWAPEFFECT_COPY;
  pp.Windowed = TRUE;
  pp.EnableAutoDepthStencil = TRUE;
  pp.AutoDepthStencilFormat = D3DFMT_D16;
  return pp;
}

IDirect3DDevice8* D3D8Test::MakeDevice(int width, int height, D3DFORMAT format, bool depth) {
  IDirect3DDevice8* device = nullptr;
  EXPECT_EQ(d3d8::CreateOffscreenDevice(d3d_, {width, height, format, depth}, &device), D3D_OK);
  return device;
}

}  // namespace d3d8_test
