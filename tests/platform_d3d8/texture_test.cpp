#include <cstring>

#include "d3d8_test_support.h"
#include "platform/d3d8/d3d8_host.h"
#include "platform/d3d8/texture.h"

namespace d3d8_test {
namespace {

using TextureTest = D3D8Test;

TEST_F(TextureTest, LevelsZeroMakesTheFullChainDownToOnePixel) {
  IDirect3DDevice8* device = MakeDevice(8, 8);
  IDirect3DTexture8* texture = nullptr;
  ASSERT_EQ(device->CreateTexture(64, 16, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
  ASSERT_EQ(texture->GetLevelCount(), 7u);
  const UINT widths[] = {64, 32, 16, 8, 4, 2, 1};
  const UINT heights[] = {16, 8, 4, 2, 1, 1, 1};
  for (UINT level = 0; level < 7; ++level) {
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(texture->GetLevelDesc(level, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, widths[level]);
    EXPECT_EQ(desc.Height, heights[level]);
    EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
    EXPECT_EQ(desc.Type, D3DRTYPE_SURFACE);
    EXPECT_EQ(desc.Size, widths[level] * heights[level] * 4);
  }
  D3DSURFACE_DESC desc{};
  EXPECT_EQ(texture->GetLevelDesc(7, &desc), D3DERR_INVALIDCALL);
  EXPECT_EQ(texture->Release(), 0u);

  ASSERT_EQ(device->CreateTexture(5, 3, 2, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, &texture), D3D_OK);
  EXPECT_EQ(texture->GetLevelCount(), 2u);
  EXPECT_EQ(texture->Release(), 0u);
  EXPECT_EQ(device->Release(), 0u);
}

TEST_F(TextureTest, BadRequestsAreRefusedAndLeaveNoTexture) {
  IDirect3DDevice8* device = MakeDevice(8, 8);
  IDirect3DTexture8* texture = reinterpret_cast<IDirect3DTexture8*>(this);
  EXPECT_EQ(device->CreateTexture(0, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(texture, nullptr);
  EXPECT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_P8, D3DPOOL_MANAGED, &texture),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device->CreateTexture(4, 4, 4, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture),
            D3DERR_INVALIDCALL);  // a 4 x 4 chain has 3 levels
  EXPECT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, nullptr),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device->Release(), 0u);
}

// The caps name the largest texture, large enough for the show's 512 x 512 pictures; one texel wider or taller is
// refused, on the software and the null device alike.
TEST_F(TextureTest, CapsBoundTheTexturesADeviceMakes) {
  for (const bool null : {false, true}) {
    SCOPED_TRACE(null ? "null device" : "software device");
    d3d8::UseNullDevice(null);
    IDirect3DDevice8* device = MakeDevice(8, 8);
    EXPECT_EQ(device->GetDeviceCaps(nullptr), D3DERR_INVALIDCALL);
    D3DCAPS8 caps{};
    ASSERT_EQ(device->GetDeviceCaps(&caps), D3D_OK);
    EXPECT_GE(caps.MaxTextureWidth, 512u);
    EXPECT_GE(caps.MaxTextureHeight, 512u);
    const struct {
      UINT width, height;
      HRESULT result;
    } kSizes[] = {{caps.MaxTextureWidth, 1, D3D_OK},
                  {1, caps.MaxTextureHeight, D3D_OK},
                  {caps.MaxTextureWidth + 1, 1, D3DERR_INVALIDCALL},
                  {1, caps.MaxTextureHeight + 1, D3DERR_INVALIDCALL},
                  {0xFFFFFFFFu, 0xFFFFFFFFu, D3DERR_INVALIDCALL}};
    for (const auto& size : kSizes) {
      IDirect3DTexture8* texture = nullptr;
      EXPECT_EQ(device->CreateTexture(size.width, size.height, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture),
                size.result)
          << size.width << " x " << size.height;
      if (texture) texture->Release();
    }
    EXPECT_EQ(device->Release(), 0u);
  }
}

// Bytes written through a lock come back through another lock, and a rectangle lock starts at the
// rectangle's first pixel with the level's pitch.
TEST_F(TextureTest, LockRoundTripsAndRectangleLocksPointInside) {
  IDirect3DDevice8* device = MakeDevice(8, 8);
  IDirect3DTexture8* texture = nullptr;
  ASSERT_EQ(device->CreateTexture(4, 3, 1, 0, D3DFMT_A4R4G4B4, D3DPOOL_MANAGED, &texture), D3D_OK);
  D3DLOCKED_RECT locked{};
  ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
  ASSERT_EQ(locked.Pitch, 8);
  EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL) << "already locked";
  for (int y = 0; y < 3; ++y) {
    auto* row = reinterpret_cast<std::uint16_t*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
    for (int x = 0; x < 4; ++x) row[x] = static_cast<std::uint16_t>(0x1000 * y + x);
  }
  ASSERT_EQ(texture->UnlockRect(0), D3D_OK);
  EXPECT_EQ(texture->UnlockRect(0), D3DERR_INVALIDCALL) << "not locked";

  const RECT rect{1, 2, 3, 3};
  ASSERT_EQ(texture->LockRect(0, &locked, &rect, D3DLOCK_READONLY), D3D_OK);
  std::uint16_t first = 0;
  std::memcpy(&first, locked.pBits, 2);
  EXPECT_EQ(first, 0x2001);
  ASSERT_EQ(texture->UnlockRect(0), D3D_OK);
  const RECT outside{2, 0, 5, 1};
  EXPECT_EQ(texture->LockRect(0, &locked, &outside, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(texture->Release(), 0u);
  EXPECT_EQ(device->Release(), 0u);
}

// Memory layouts: the channel positions of each format, and missing alpha reading as opaque.
TEST(TexelFormats, EachFormatWidensToArgb) {
  using d3d8::TexelToColor;
  EXPECT_EQ(TexelToColor(D3DFMT_A8R8G8B8, 0x80123456u), 0x80123456u);
  EXPECT_EQ(TexelToColor(D3DFMT_X8R8G8B8, 0x00123456u), 0xFF123456u);
  EXPECT_EQ(TexelToColor(D3DFMT_R5G6B5, 0xF800u), 0xFFFF0000u);
  EXPECT_EQ(TexelToColor(D3DFMT_R5G6B5, 0x07E0u), 0xFF00FF00u);
  EXPECT_EQ(TexelToColor(D3DFMT_R5G6B5, 0x001Fu), 0xFF0000FFu);
  EXPECT_EQ(TexelToColor(D3DFMT_X1R5G5B5, 0x7C00u), 0xFFFF0000u);
  EXPECT_EQ(TexelToColor(D3DFMT_A1R5G5B5, 0x03E0u), 0x0000FF00u);
  EXPECT_EQ(TexelToColor(D3DFMT_A1R5G5B5, 0x801Fu), 0xFF0000FFu);
  EXPECT_EQ(TexelToColor(D3DFMT_A4R4G4B4, 0x8F21u), 0x88FF2211u);
}

}  // namespace
}  // namespace d3d8_test
