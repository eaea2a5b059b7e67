#include "d3d8_test_support.h"

namespace d3d8_test {
namespace {

using AdapterTest = D3D8Test;

TEST(Direct3DCreate8Test, AcceptsTheDirectX8And81VersionsOnly) {
  for (UINT version : {120u, 220u}) {
    IDirect3D8* d3d = Direct3DCreate8(version);
    ASSERT_NE(d3d, nullptr) << version;
    EXPECT_EQ(d3d->Release(), 0u);
  }
  EXPECT_EQ(Direct3DCreate8(32), nullptr);
  EXPECT_EQ(Direct3DCreate8(221), nullptr);
}

// The backend lists 640x480x32 twice (two refresh rates), a 24-bit and an 8-bit mode; the adapter
// keeps the backend's order, maps each depth to its format and leaves out the 8-bit mode.
TEST_F(AdapterTest, ModesFollowTheBackendWithTheFormatOfTheirDepth) {
  ASSERT_EQ(d3d_->GetAdapterModeCount(0), 5u);
  const D3DDISPLAYMODE expected[] = {{640, 480, 60, D3DFMT_X8R8G8B8},
                                     {640, 480, 75, D3DFMT_X8R8G8B8},
                                     {800, 600, 60, D3DFMT_R5G6B5},
                                     {1024, 768, 60, D3DFMT_R8G8B8},
                                     {640, 480, 60, D3DFMT_R5G6B5}};
  for (UINT i = 0; i < 5; ++i) {
    D3DDISPLAYMODE mode{};
    ASSERT_EQ(d3d_->EnumAdapterModes(0, i, &mode), D3D_OK);
    EXPECT_EQ(mode.Width, expected[i].Width) << i;
    EXPECT_EQ(mode.Height, expected[i].Height) << i;
    EXPECT_EQ(mode.RefreshRate, expected[i].RefreshRate) << i;
    EXPECT_EQ(mode.Format, expected[i].Format) << i;
  }
  D3DDISPLAYMODE mode{};
  EXPECT_EQ(d3d_->EnumAdapterModes(0, 5, &mode), D3DERR_INVALIDCALL);
  EXPECT_EQ(d3d_->EnumAdapterModes(1, 0, &mode), D3DERR_INVALIDCALL);
  EXPECT_EQ(d3d_->GetAdapterModeCount(1), 0u);
}

TEST_F(AdapterTest, DisplayModeIsTheDesktopTheHostSet) {
  backend_->desktop = {1024, 768, 16, 70};
  D3DDISPLAYMODE mode{};
  ASSERT_EQ(d3d_->GetAdapterDisplayMode(0, &mode), D3D_OK);
  EXPECT_EQ(mode.Width, 1024u);
  EXPECT_EQ(mode.Height, 768u);
  EXPECT_EQ(mode.RefreshRate, 70u);
  EXPECT_EQ(mode.Format, D3DFMT_R5G6B5);
  EXPECT_EQ(d3d_->GetAdapterDisplayMode(0, nullptr), D3DERR_INVALIDCALL);
}

// A windowed 16-bit desktop gives a 16-bit back buffer when the engine passes the desktop format.
TEST_F(AdapterTest, WindowedDeviceOnA16BitDesktopRenders16Bit) {
  backend_->desktop = {800, 600, 16, 60};
  D3DDISPLAYMODE desktop{};
  ASSERT_EQ(d3d_->GetAdapterDisplayMode(0, &desktop), D3D_OK);
  IDirect3DDevice8* device = MakeDevice(8, 4, desktop.Format);
  ASSERT_NE(device, nullptr);
  device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(255, 255, 255), 1.0f, 0);
  device->Present(nullptr, nullptr, nullptr, nullptr);
  ASSERT_EQ(deliveries_.size(), 1u);
  ASSERT_TRUE(deliveries_[0].image);
  EXPECT_EQ(deliveries_[0].image->xrgb[0], 0x00FFFFFFu);
  EXPECT_EQ(device->Release(), 0u);
}

TEST_F(AdapterTest, DevicesHoldAReferenceToTheirDirect3DObject) {
  EXPECT_EQ(d3d_->AddRef(), 2u);
  EXPECT_EQ(d3d_->Release(), 1u);
  IDirect3DDevice8* device = MakeDevice(4, 4);
  ASSERT_NE(device, nullptr);
  EXPECT_EQ(d3d_->AddRef(), 3u);
  EXPECT_EQ(d3d_->Release(), 2u);
  EXPECT_EQ(device->AddRef(), 2u);
  EXPECT_EQ(device->Release(), 1u);
  EXPECT_EQ(device->Release(), 0u);
  EXPECT_EQ(d3d_->AddRef(), 2u);
  EXPECT_EQ(d3d_->Release(), 1u);
}

}  // namespace
}  // namespace d3d8_test
