#include <gtest/gtest.h>

#include <cstring>

#include "image_builders.h"
#include "platform/d3d8/offscreen_device.h"
#include "platform/d3dx8/d3dx8.h"
#include "platform/d3dx8/texture_layout.h"

namespace image_test {
namespace {

d3dx::DecodedImage ImageOf(int w, int h, bool alpha) {
  d3dx::DecodedImage image;
  image.width = w;
  image.height = h;
  image.hasAlpha = alpha;
  image.argb.assign(static_cast<size_t>(w) * h, 0xFF000000u);
  return image;
}

TEST(TextureLayout, SidesRoundUpToPowersOfTwoWithAFullMipChain) {
  d3dx::TextureLayout layout = d3dx::ChooseTextureLayout(ImageOf(3, 5, false));
  EXPECT_EQ(layout.width, 4u);
  EXPECT_EQ(layout.height, 8u);
  EXPECT_EQ(layout.levels, 4u);
  EXPECT_EQ(layout.format, D3DFMT_X8R8G8B8);
  layout = d3dx::ChooseTextureLayout(ImageOf(256, 64, true));
  EXPECT_EQ(layout.width, 256u);
  EXPECT_EQ(layout.height, 64u);
  EXPECT_EQ(layout.levels, 9u);
  EXPECT_EQ(layout.format, D3DFMT_A8R8G8B8);
  layout = d3dx::ChooseTextureLayout(ImageOf(1, 1, false));
  EXPECT_EQ(layout.width, 1u);
  EXPECT_EQ(layout.levels, 1u);
  EXPECT_EQ(d3dx::RoundUpToPowerOfTwo(257), 512u);
  EXPECT_EQ(d3dx::RoundUpToPowerOfTwo(9000), d3dx::kMaxTextureSide);
}

TEST(TextureLayout, ResizeKeepsEqualSizesExactAndStretchesToTheEdges) {
  d3dx::PixelImage image{3, 1, {0xFF000000, 0x80402010, 0x00FFFFFF}};
  EXPECT_EQ(d3dx::ResizeImage(image, 3, 1).argb, image.argb);

  // Enlarging 2 -> 4 with a tent: outer pixels keep the edge values (clamped), inner ones mix
  // 3/4 of the near pixel with 1/4 of the far one.
  d3dx::PixelImage two{2, 1, {0xFF000000, 0xFF0000C8}};
  EXPECT_EQ(d3dx::ResizeImage(two, 4, 1).argb,
            (std::vector<uint32_t>{0xFF000000, 0xFF000032, 0xFF000096, 0xFF0000C8}));
  // A flat colour stays flat whatever the factor, in both directions.
  d3dx::PixelImage flat{5, 3, std::vector<uint32_t>(15, 0x7F336699)};
  EXPECT_EQ(d3dx::ResizeImage(flat, 8, 4).argb, std::vector<uint32_t>(32, 0x7F336699));
  EXPECT_EQ(d3dx::ResizeImage(flat, 2, 1).argb, std::vector<uint32_t>(2, 0x7F336699));
}

TEST(TextureLayout, HalvingAveragesTwoByTwoBlocksRounded) {
  d3dx::PixelImage image{2, 2, {0x00000000, 0x04040404, 0x01010101, 0xFF000001}};
  // Alpha (0 + 4 + 1 + 255 + 2) / 4 = 65; red (0 + 4 + 1 + 0 + 2) / 4 = 1; blue (0+4+1+1+2)/4 = 2.
  EXPECT_EQ(d3dx::HalveImage(image).argb, (std::vector<uint32_t>{0x41010102}));
  d3dx::PixelImage row{4, 1, {0x10, 0x20, 0x30, 0x41}};
  d3dx::PixelImage half = d3dx::HalveImage(row);
  EXPECT_EQ(half.width, 2u);
  EXPECT_EQ(half.height, 1u);
  EXPECT_EQ(half.argb, (std::vector<uint32_t>{0x18, 0x39}));
}

class TextureFromFile : public ::testing::Test {
 protected:
  void SetUp() override {
    d3d_ = Direct3DCreate8(D3D_SDK_VERSION);
    ASSERT_NE(d3d_, nullptr);
    ASSERT_EQ(d3d8::CreateOffscreenDevice(d3d_, {}, &device_), D3D_OK);
  }
  void TearDown() override {
    if (device_) device_->Release();
    if (d3d_) {
      EXPECT_EQ(d3d_->Release(), 0u);
    }
  }

  std::vector<uint32_t> Level(IDirect3DTexture8* texture, UINT level, D3DSURFACE_DESC* desc) {
    EXPECT_EQ(texture->GetLevelDesc(level, desc), D3D_OK);
    D3DLOCKED_RECT locked{};
    EXPECT_EQ(texture->LockRect(level, &locked, nullptr, 0), D3D_OK);
    std::vector<uint32_t> pixels(desc->Width * desc->Height);
    for (UINT y = 0; y < desc->Height; ++y) {
      std::memcpy(&pixels[y * desc->Width], static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch,
                  desc->Width * 4);
    }
    texture->UnlockRect(level);
    return pixels;
  }

  IDirect3D8* d3d_ = nullptr;
  IDirect3DDevice8* device_ = nullptr;
};

TEST_F(TextureFromFile, PowerOfTwoImagesLandUnchangedWithTheirMipChain) {
  TgaSpec spec;
  spec.width = 2;
  spec.height = 2;
  spec.bpp = 32;
  spec.descriptor = 0x20;
  const Bytes file = MakeTga(spec, {0, 0, 0, 0, 4, 4, 4, 4, 8, 8, 8, 8, 12, 12, 12, 255});
  IDirect3DTexture8* texture = nullptr;
  ASSERT_EQ(D3DXCreateTextureFromFileInMemory(device_, file.data(), static_cast<UINT>(file.size()),
                                              &texture),
            D3D_OK);
  ASSERT_EQ(texture->GetLevelCount(), 2u);
  D3DSURFACE_DESC desc{};
  EXPECT_EQ(Level(texture, 0, &desc),
            (std::vector<uint32_t>{0x00000000, 0x04040404, 0x08080808, 0xFF0C0C0C}));
  EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
  EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
  EXPECT_EQ(Level(texture, 1, &desc), (std::vector<uint32_t>{0x43060606}));
  EXPECT_EQ(texture->Release(), 0u);
}

TEST_F(TextureFromFile, OddSizesAreStretchedOverTheWholeTexture) {
  BmpSpec spec;
  spec.width = 3;
  spec.height = 1;
  // Left pixel red, the rest blue: the stretched texture keeps red at the left edge and blue at
  // the right edge, so coordinates 0..1 still span the whole picture.
  const Bytes file = MakeBmp(spec, {{0, 0, 255, 255, 0, 0, 255, 0, 0}});
  IDirect3DTexture8* texture = nullptr;
  ASSERT_EQ(D3DXCreateTextureFromFileInMemory(device_, file.data(), static_cast<UINT>(file.size()),
                                              &texture),
            D3D_OK);
  D3DSURFACE_DESC desc{};
  const std::vector<uint32_t> level0 = Level(texture, 0, &desc);
  EXPECT_EQ(desc.Width, 4u);
  EXPECT_EQ(desc.Height, 1u);
  EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
  EXPECT_EQ(level0.front(), 0xFFFF0000u);
  EXPECT_EQ(level0.back(), 0xFF0000FFu);
  EXPECT_EQ(texture->GetLevelCount(), 3u);
  texture->Release();
}

TEST_F(TextureFromFile, BadDataAndArgumentsLeaveNoTexture) {
  const Bytes junk(64, 0x5A);
  IDirect3DTexture8* texture = reinterpret_cast<IDirect3DTexture8*>(this);
  EXPECT_EQ(D3DXCreateTextureFromFileInMemory(device_, junk.data(), 64, &texture),
            D3DXERR_INVALIDDATA);
  EXPECT_EQ(texture, nullptr);
  EXPECT_EQ(D3DXCreateTextureFromFileInMemory(nullptr, junk.data(), 64, &texture),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(D3DXCreateTextureFromFileInMemory(device_, junk.data(), 0, &texture),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(D3DXCreateTextureFromFileInMemory(device_, junk.data(), 64, nullptr),
            D3DERR_INVALIDCALL);
}

}  // namespace
}  // namespace image_test
