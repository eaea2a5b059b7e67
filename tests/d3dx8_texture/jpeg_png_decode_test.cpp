#include <gtest/gtest.h>

#include <cstdlib>
#include <png.h>

#include "image_builders.h"
#include "platform/d3dx8/image_decode.h"

namespace image_test {
namespace {

d3dx::DecodedImage Decode(const Bytes& file) {
  d3dx::DecodedImage image;
  EXPECT_EQ(d3dx::DecodeImage(file.data(), file.size(), &image), D3D_OK);
  return image;
}

TEST(PngDecode, ColourTypesAndDepthsGiveExactPixels) {
  PngSpec spec;
  spec.width = 2;
  spec.height = 2;
  d3dx::DecodedImage image = Decode(MakePng(spec, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
  EXPECT_EQ(image.argb, (std::vector<uint32_t>{0xFF010203, 0xFF040506, 0xFF070809, 0xFF0A0B0C}));
  EXPECT_FALSE(image.hasAlpha);
  EXPECT_EQ(image.fileFormat, D3DFMT_R8G8B8);

  spec.colorType = PNG_COLOR_TYPE_RGB_ALPHA;
  spec.interlaced = true;
  image = Decode(MakePng(spec, {1, 2, 3, 0, 4, 5, 6, 0x80, 7, 8, 9, 0xFF, 10, 11, 12, 1}));
  EXPECT_EQ(image.argb, (std::vector<uint32_t>{0x00010203, 0x80040506, 0xFF070809, 0x010A0B0C}));
  EXPECT_TRUE(image.hasAlpha);
  EXPECT_EQ(image.fileFormat, D3DFMT_A8R8G8B8);

  spec.colorType = PNG_COLOR_TYPE_GRAY;
  spec.interlaced = false;
  spec.bitDepth = 2;  // 0..3 widen to 0, 85, 170, 255
  image = Decode(MakePng(spec, {0, 1, 2, 3}));
  EXPECT_EQ(image.argb, (std::vector<uint32_t>{0xFF000000, 0xFF555555, 0xFFAAAAAA, 0xFFFFFFFF}));
  EXPECT_EQ(image.fileFormat, D3DFMT_L8);

  // 16-bit channels scale to 8 bits with rounding: 0x8080 -> 0x80, 0x00FF -> 0x01.
  spec.colorType = PNG_COLOR_TYPE_RGB;
  spec.bitDepth = 16;
  image = Decode(MakePng(spec, {0xFFFF, 0x8080, 0x00FF, 0, 0, 0, 0x1234, 0x5678, 0x9ABC, 0, 0, 0}));
  EXPECT_EQ(image.argb[0], 0xFFFF8001u);
  EXPECT_EQ(image.argb[2], 0xFF12569Au);
}

TEST(PngDecode, PaletteTransparencyBecomesAlpha) {
  PngSpec spec;
  spec.width = 3;
  spec.colorType = PNG_COLOR_TYPE_PALETTE;
  spec.bitDepth = 4;
  spec.palette = {0x102030, 0x405060, 0x708090};
  spec.paletteAlpha = {0x00, 0x80};  // the third entry stays opaque
  d3dx::DecodedImage image = Decode(MakePng(spec, {2, 0, 1}));
  EXPECT_EQ(image.argb, (std::vector<uint32_t>{0xFF708090, 0x00102030, 0x80405060}));
  EXPECT_TRUE(image.hasAlpha);
  EXPECT_EQ(image.fileFormat, D3DFMT_P8);
}

// JPEG is lossy: colour conversion to YCbCr and back and the quantisation of each 8x8 block move
// values even at quality 100, so pixels are compared within a tolerance. The picture has smooth
// gradients only, where that error stays small; a wrong channel order or row order would still
// be off by far more.
TEST(JpegDecode, ColourAndGreyPicturesComeBackWithinTheLossyTolerance) {
  const int w = 16, h = 16;
  Bytes rgb, grey;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      rgb.push_back(static_cast<uint8_t>(40 + x * 8));
      rgb.push_back(static_cast<uint8_t>(200 - y * 8));
      rgb.push_back(128);
      grey.push_back(static_cast<uint8_t>(30 + x * 5 + y * 5));
    }
  }
  for (bool progressive : {false, true}) {
    d3dx::DecodedImage image = Decode(MakeJpeg(w, h, 3, rgb, 100, progressive));
    ASSERT_EQ(image.width, w);
    ASSERT_EQ(image.height, h);
    EXPECT_FALSE(image.hasAlpha);
    EXPECT_EQ(image.fileFormat, D3DFMT_R8G8B8);
    for (size_t i = 0; i < image.argb.size(); ++i) {
      const uint32_t p = image.argb[i];
      EXPECT_EQ(p >> 24, 0xFFu);
      EXPECT_NEAR(static_cast<int>((p >> 16) & 0xFF), rgb[i * 3], 6) << "red of pixel " << i;
      EXPECT_NEAR(static_cast<int>((p >> 8) & 0xFF), rgb[i * 3 + 1], 6) << "green of pixel " << i;
      EXPECT_NEAR(static_cast<int>(p & 0xFF), rgb[i * 3 + 2], 6) << "blue of pixel " << i;
    }
  }
  d3dx::DecodedImage image = Decode(MakeJpeg(w, h, 1, grey, 100));
  EXPECT_EQ(image.fileFormat, D3DFMT_L8);
  for (size_t i = 0; i < image.argb.size(); ++i) {
    const uint32_t p = image.argb[i];
    EXPECT_EQ(p & 0xFF, (p >> 8) & 0xFF);
    EXPECT_EQ(p & 0xFF, (p >> 16) & 0xFF);
    EXPECT_NEAR(static_cast<int>(p & 0xFF), grey[i], 3) << "pixel " << i;
  }
}

}  // namespace
}  // namespace image_test
