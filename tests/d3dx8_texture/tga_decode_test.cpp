#include <gtest/gtest.h>

#include "image_builders.h"
#include "platform/d3dx8/image_decode.h"

namespace image_test {
namespace {

d3dx::DecodedImage Decode(const Bytes& file) {
  d3dx::DecodedImage image;
  EXPECT_EQ(d3dx::DecodeImage(file.data(), file.size(), &image), D3D_OK);
  return image;
}

// A 2 x 2 picture: file pixels p0 p1 / p2 p3 in stream order.
const Bytes kBgr = {0x01, 0x02, 0x03, 0x11, 0x12, 0x13, 0x21, 0x22, 0x23, 0x31, 0x32, 0x33};
constexpr uint32_t kP0 = 0xFF030201, kP1 = 0xFF131211, kP2 = 0xFF232221, kP3 = 0xFF333231;

TEST(TgaDecode, OriginBitsDecideRowAndColumnOrder) {
  TgaSpec spec;
  spec.width = 2;
  spec.height = 2;
  spec.id = {'i', 'd'};  // skipped
  d3dx::DecodedImage image = Decode(MakeTga(spec, kBgr));
  EXPECT_EQ(image.argb, (std::vector<uint32_t>{kP2, kP3, kP0, kP1})) << "first row is the bottom";
  EXPECT_FALSE(image.hasAlpha);
  EXPECT_EQ(image.fileFormat, D3DFMT_R8G8B8);
  spec.descriptor = 0x20;
  EXPECT_EQ(Decode(MakeTga(spec, kBgr)).argb, (std::vector<uint32_t>{kP0, kP1, kP2, kP3}));
  spec.descriptor = 0x30;
  EXPECT_EQ(Decode(MakeTga(spec, kBgr)).argb, (std::vector<uint32_t>{kP1, kP0, kP3, kP2}));
  spec.descriptor = 0x10;
  EXPECT_EQ(Decode(MakeTga(spec, kBgr)).argb, (std::vector<uint32_t>{kP3, kP2, kP1, kP0}));
}

TEST(TgaDecode, PixelSizesDecideAlpha) {
  TgaSpec spec;
  spec.width = 2;
  spec.descriptor = 0x28;  // top-down; the 8 attribute bits are ignored
  spec.bpp = 32;
  d3dx::DecodedImage image = Decode(MakeTga(spec, {1, 2, 3, 0x40, 4, 5, 6, 0}));
  EXPECT_EQ(image.argb, (std::vector<uint32_t>{0x40030201, 0x00060504}));
  EXPECT_TRUE(image.hasAlpha);
  EXPECT_EQ(image.fileFormat, D3DFMT_A8R8G8B8);

  spec.bpp = 16;  // A1R5G5B5
  image = Decode(MakeTga(spec, {0x1F, 0x80, 0x00, 0x7C}));
  EXPECT_EQ(image.argb, (std::vector<uint32_t>{0xFF0000FF, 0x00FF0000}));
  EXPECT_TRUE(image.hasAlpha);
  EXPECT_EQ(image.fileFormat, D3DFMT_A1R5G5B5);

  spec.bpp = 15;  // X1R5G5B5: the top bit is ignored
  image = Decode(MakeTga(spec, {0x1F, 0x80, 0x00, 0x7C}));
  EXPECT_EQ(image.argb, (std::vector<uint32_t>{0xFF0000FF, 0xFFFF0000}));
  EXPECT_FALSE(image.hasAlpha);

  spec.imageType = 3;  // grey
  spec.bpp = 8;
  image = Decode(MakeTga(spec, {0x00, 0x7F}));
  EXPECT_EQ(image.argb, (std::vector<uint32_t>{0xFF000000, 0xFF7F7F7F}));
  EXPECT_EQ(image.fileFormat, D3DFMT_L8);
  spec.bpp = 16;  // grey and alpha
  image = Decode(MakeTga(spec, {0x10, 0x20, 0x30, 0x40}));
  EXPECT_EQ(image.argb, (std::vector<uint32_t>{0x20101010, 0x40303030}));
  EXPECT_TRUE(image.hasAlpha);
}

TEST(TgaDecode, ColourMapsStartAtTheirFirstIndex) {
  TgaSpec spec;
  spec.imageType = 1;
  spec.width = 3;
  spec.bpp = 8;
  spec.descriptor = 0x20;
  spec.mapFirst = 4;
  spec.mapLength = 2;
  spec.mapBits = 24;
  spec.colorMap = {0x10, 0x20, 0x30, 0x40, 0x50, 0x60};
  d3dx::DecodedImage image = Decode(MakeTga(spec, {5, 4, 9}));
  EXPECT_EQ(image.argb, (std::vector<uint32_t>{0xFF605040, 0xFF302010, 0xFFFFFFFF}))
      << "index 9 lies outside the map";
  EXPECT_FALSE(image.hasAlpha);
  EXPECT_EQ(image.fileFormat, D3DFMT_P8);

  spec.mapBits = 32;
  spec.colorMap = {0x10, 0x20, 0x30, 0x80, 0x40, 0x50, 0x60, 0x00};
  image = Decode(MakeTga(spec, {5, 4, 4}));
  EXPECT_EQ(image.argb, (std::vector<uint32_t>{0x00605040, 0x80302010, 0x80302010}));
  EXPECT_TRUE(image.hasAlpha);
}

TEST(TgaDecode, RunLengthPacketsMayCrossRows) {
  TgaSpec spec;
  spec.imageType = 10;
  spec.width = 3;
  spec.height = 2;
  spec.descriptor = 0x20;
  // A run of 4 (crosses into row 1), then 2 literal pixels.
  const Bytes stream = {0x83, 1, 2, 3, 0x01, 4, 5, 6, 7, 8, 9};
  d3dx::DecodedImage image = Decode(MakeTga(spec, stream));
  EXPECT_EQ(image.argb, (std::vector<uint32_t>{0xFF030201, 0xFF030201, 0xFF030201, 0xFF030201,
                                               0xFF060504, 0xFF090807}));

  spec.imageType = 11;  // grey, bottom-up
  spec.bpp = 8;
  spec.descriptor = 0;
  image = Decode(MakeTga(spec, {0x02, 10, 20, 30, 0x82, 40}));
  EXPECT_EQ(image.argb, (std::vector<uint32_t>{0xFF282828, 0xFF282828, 0xFF282828, 0xFF0A0A0A,
                                               0xFF141414, 0xFF1E1E1E}));

  spec.imageType = 9;  // colour-mapped, 16-bit map entries
  spec.mapLength = 1;
  spec.mapBits = 16;
  spec.colorMap = {0x00, 0xFC};  // A=1, full red
  spec.descriptor = 0x20;
  image = Decode(MakeTga(spec, {0x85, 0}));
  EXPECT_EQ(image.argb, std::vector<uint32_t>(6, 0xFFFF0000));
  EXPECT_TRUE(image.hasAlpha);
}

}  // namespace
}  // namespace image_test
