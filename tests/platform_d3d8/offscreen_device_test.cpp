#include "platform/d3d8/offscreen_device.h"

#include <gtest/gtest.h>

#include "d3d8_test_support.h"

namespace d3d8_test {
namespace {

using OffscreenDeviceTest = D3D8Test;

// The frame a device presents after clearing to `colour`.
platform::FrameImage PresentCleared(IDirect3DDevice8* device, std::vector<Delivery>& deliveries, D3DCOLOR colour) {
  EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, colour, 1.0f, 0), D3D_OK);
  EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  EXPECT_FALSE(deliveries.empty());
  return deliveries.empty() || !deliveries.back().image ? platform::FrameImage{} : *deliveries.back().image;
}

TEST_F(OffscreenDeviceTest, BackBufferHasTheAskedSizeAndADepthBufferOnlyWhenAsked) {
  IDirect3DDevice8* flat = nullptr;
  ASSERT_EQ(d3d8::CreateOffscreenDevice(d3d_, {24, 10}, &flat), D3D_OK);
  const platform::FrameImage frame = PresentCleared(flat, deliveries_, 0x123456);
  EXPECT_EQ(frame.width, 24);
  EXPECT_EQ(frame.height, 10);
  EXPECT_EQ(flat->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_INVALIDCALL);
  flat->Release();

  IDirect3DDevice8* deep = nullptr;
  ASSERT_EQ(d3d8::CreateOffscreenDevice(d3d_, {3, 5, D3DFMT_R5G6B5, true}, &deep), D3D_OK);
  EXPECT_EQ(PresentCleared(deep, deliveries_, 0xFFFFFF).width, 3);
  EXPECT_EQ(deep->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3D_OK);
  deep->Release();
}

// The owning form stands on a headless desktop of its own size, whatever the adapter was before.
TEST_F(OffscreenDeviceTest, OwnedDeviceSeesADesktopOfItsSize) {
  const d3d8::OffscreenDevice owned({40, 30});
  ASSERT_NE(owned.get(), nullptr);
  EXPECT_EQ(owned.result(), D3D_OK);
  D3DDISPLAYMODE desktop{};
  ASSERT_EQ(d3d_->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &desktop), D3D_OK);
  EXPECT_EQ(desktop.Width, 40u);
  EXPECT_EQ(desktop.Height, 30u);
  EXPECT_EQ(desktop.Format, D3DFMT_X8R8G8B8);
}

UINT g_firstSaw = 0, g_secondSaw = 0;  // the last message each procedure was sent
LRESULT CALLBACK First(HWND, UINT message, WPARAM, LPARAM) {
  g_firstSaw = message;
  return 1;
}
LRESULT CALLBACK Second(HWND, UINT message, WPARAM, LPARAM) {
  g_secondSaw = message;
  return 2;
}

// Each window procedure gets a class of its own, the same one again at every later window.
TEST_F(OffscreenDeviceTest, WindowsSendTheirMessagesToTheirOwnProcedure) {
  const HWND first = d3d8::CreateOffscreenWindow(6, 4, First);
  const HWND second = d3d8::CreateOffscreenWindow(6, 4, Second);
  const HWND firstAgain = d3d8::CreateOffscreenWindow(7, 3, First);
  ASSERT_TRUE(first && second && firstAgain);
  EXPECT_EQ(SendMessageA(second, WM_USER + 2, 0, 0), 2);
  EXPECT_EQ(SendMessageA(firstAgain, WM_USER + 1, 0, 0), 1);
  EXPECT_EQ(g_firstSaw, UINT(WM_USER + 1));
  EXPECT_EQ(g_secondSaw, UINT(WM_USER + 2));
  RECT client{};
  ASSERT_TRUE(GetClientRect(firstAgain, &client));
  EXPECT_EQ(client.right - client.left, 7);
  EXPECT_EQ(client.bottom - client.top, 3);
}

}  // namespace
}  // namespace d3d8_test
