#include "d3d8_test_support.h"
#include "platform/d3d8/device.h"
#include "platform/d3d8/ref/ref_device.h"

namespace d3d8_test {
namespace {

using ClearPresentTest = D3D8Test;

d3d8::ref::RefBackend& RefOf(IDirect3DDevice8* device) {
  auto* front = dynamic_cast<d3d8::Device*>(device);
  return dynamic_cast<d3d8::ref::RefBackend&>(front->Backend());
}

// The engine's Clear: no rectangles, target and depth, black, depth 1.0.
HRESULT EngineClear(IDirect3DDevice8* device) {
  return device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x00000000, 1.0f, 0);
}

TEST_F(ClearPresentTest, EngineClearLeavesEveryPixelZeroAndEveryDepthFar) {
  for (D3DFORMAT format : {D3DFMT_X8R8G8B8, D3DFMT_R8G8B8, D3DFMT_R5G6B5}) {
    IDirect3DDevice8* device = MakeDevice(7, 5, format);
    ASSERT_NE(device, nullptr);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF123456, 0.25f, 0),
              D3D_OK);
    ASSERT_EQ(EngineClear(device), D3D_OK);
    auto& ref = RefOf(device);
    for (std::uint8_t byte : ref.BackBuffer().bytes) ASSERT_EQ(byte, 0) << "format " << format;
    for (std::uint16_t depth : ref.DepthBuffer()->values) {
      ASSERT_EQ(depth, 0xFFFF) << "format " << format;
    }
    device->Present(nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(deliveries_.back().image);
    EXPECT_EQ(deliveries_.back().image->xrgb, std::vector<std::uint32_t>(35, 0u));
    EXPECT_EQ(device->Release(), 0u);
  }
}

// Rectangles are clipped to the viewport (the whole back buffer); overlapping ones are fine.
TEST_F(ClearPresentTest, RectanglesClearOnlyTheirPixels) {
  IDirect3DDevice8* device = MakeDevice(6, 4);
  ASSERT_NE(device, nullptr);
  EngineClear(device);
  const D3DRECT rects[] = {{1, 1, 3, 2}, {4, -5, 100, 1}, {2, 2, 2, 4}};
  ASSERT_EQ(device->Clear(3, rects, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x80FF8000, 0.5f, 0),
            D3D_OK);
  device->Present(nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(deliveries_.back().image);
  const std::vector<std::uint32_t> expected = {
      0, 0, 0, 0, 0xFF8000, 0xFF8000,  //
      0, 0xFF8000, 0xFF8000, 0, 0, 0,  //
      0, 0, 0, 0, 0, 0,                //
      0, 0, 0, 0, 0, 0,
  };
  EXPECT_EQ(deliveries_.back().image->xrgb, expected);
  const auto& depth = RefOf(device).DepthBuffer()->values;
  EXPECT_EQ(depth[1 * 6 + 1], 32768);  // 0.5 rounded to the nearest 16-bit step
  EXPECT_EQ(depth[0 * 6 + 5], 32768);
  EXPECT_EQ(depth[0 * 6 + 0], 0xFFFF);
  EXPECT_EQ(depth[2 * 6 + 2], 0xFFFF) << "an empty rectangle clears nothing";
  EXPECT_EQ(device->Release(), 0u);
}

// 16-bit targets keep the top bits of each channel; presenting widens them back by repeating the
// top bits, so full channels stay full.
TEST_F(ClearPresentTest, SixteenBitTargetsConvertTheClearColour) {
  struct Case {
    D3DFORMAT format;
    std::uint16_t stored;
    std::uint32_t presented;
  };
  const Case cases[] = {
      // 0xFF8040C0: R 0x80 -> 16, G 0x40 -> 16 (6 bits) or 8 (5 bits), B 0xC0 -> 24.
      // Widened: 5-bit 16 -> 0x84, 6-bit 16 -> 0x41, 5-bit 8 -> 0x42, 5-bit 24 -> 0xC6.
      {D3DFMT_R5G6B5, (16 << 11) | (16 << 5) | 24, 0x8441C6},
      {D3DFMT_X1R5G5B5, (16 << 10) | (8 << 5) | 24, 0x8442C6},
      {D3DFMT_A1R5G5B5, 0x8000 | (16 << 10) | (8 << 5) | 24, 0x8442C6},
  };
  for (const Case& c : cases) {
    IDirect3DDevice8* device = MakeDevice(2, 1, c.format);
    ASSERT_NE(device, nullptr);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF8040C0, 1.0f, 0), D3D_OK);
    const auto& bytes = RefOf(device).BackBuffer().bytes;
    ASSERT_EQ(bytes.size(), 4u);
    EXPECT_EQ(bytes[0] | (bytes[1] << 8), c.stored) << "format " << c.format;
    device->Present(nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(deliveries_.back().image);
    EXPECT_EQ(deliveries_.back().image->xrgb[1], c.presented) << "format " << c.format;
    EXPECT_EQ(device->Release(), 0u);
  }
}

TEST_F(ClearPresentTest, ClearRefusesWhatTheDeviceCannotDo) {
  IDirect3DDevice8* device = MakeDevice(4, 4, D3DFMT_X8R8G8B8, false);
  ASSERT_NE(device, nullptr);
  EXPECT_EQ(EngineClear(device), D3DERR_INVALIDCALL) << "no depth buffer to clear";
  EXPECT_EQ(device->Clear(2, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->Clear(0, nullptr, 0, 0, 1.0f, 0), D3DERR_INVALIDCALL);
  // Without a stencil buffer the stencil flag does nothing.
  EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_STENCIL, 0x00FFFFFF, 1.0f, 0),
            D3D_OK);
  device->Present(nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(deliveries_.back().image->xrgb[15], 0xFFFFFFu);
  EXPECT_EQ(device->Release(), 0u);
}

// Present delivers the back buffer top row first, to the device window or the override.
TEST_F(ClearPresentTest, PresentDeliversTheBackBufferToTheWindow) {
  IDirect3DDevice8* device = MakeDevice(3, 2, D3DFMT_A8R8G8B8);
  ASSERT_NE(device, nullptr);
  EngineClear(device);
  const D3DRECT bottomRight = {2, 1, 3, 2};
  const D3DRECT topLeft = {0, 0, 1, 1};
  device->Clear(1, &bottomRight, D3DCLEAR_TARGET, 0x7F010203, 1.0f, 0);
  device->Clear(1, &topLeft, D3DCLEAR_TARGET, 0xFFA0B0C0, 1.0f, 0);
  ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  HWND other = MakeWindow(3, 2);
  ASSERT_EQ(device->Present(nullptr, nullptr, other, nullptr), D3D_OK);
  ASSERT_EQ(deliveries_.size(), 2u);
  ASSERT_TRUE(deliveries_[0].image);
  EXPECT_EQ(deliveries_[0].image->xrgb,
            (std::vector<std::uint32_t>{0xA0B0C0, 0, 0, 0, 0, 0x010203}));
  EXPECT_NE(deliveries_[0].window, other);
  EXPECT_EQ(deliveries_[1].window, other);
  const RECT source = {0, 0, 1, 1};
  EXPECT_EQ(device->Present(&source, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(deliveries_.size(), 2u);
  EXPECT_EQ(device->Release(), 0u);
}

}  // namespace
}  // namespace d3d8_test
