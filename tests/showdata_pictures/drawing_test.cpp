// The pictures' drawing layer: files the loader reads back exactly, alpha kept straight,
// seamless noise, area-true shapes and resampling, and text that fits where it is asked to.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "platform/d3dx8/image_decode.h"
#include "tools/showdata/pictures/canvas.h"
#include "tools/showdata/pictures/image_files.h"
#include "tools/showdata/pictures/text.h"

namespace {

using pictures::Canvas;
using pictures::Colour;
using pictures::Pixel;

// A 3 x 2 canvas (odd width: BMP rows need padding) with distinct, partly transparent pixels.
Canvas SmallCanvas() {
  Canvas c(3, 2);
  c.at(0, 0) = Pixel{1, 0, 0, 1};
  c.at(1, 0) = Pixel{0, 1, 0, 1};
  c.at(2, 0) = Pixel{0, 0, 1, 1};
  c.at(0, 1) = Pixel{0.5f, 0, 0, 0.5f};  // half-transparent pure red
  c.at(1, 1) = Pixel{0, 0, 0, 0};
  c.at(2, 1) = Pixel{0.2f, 0.2f, 0.2f, 1};
  return c;
}

d3dx::DecodedImage DecodeBytes(const std::vector<std::uint8_t>& bytes) {
  d3dx::DecodedImage im;
  EXPECT_EQ(d3dx::DecodeImage(bytes.data(), bytes.size(), &im), D3D_OK);
  return im;
}

TEST(PictureFiles, BmpAndTgaReadBackPixelForPixel) {
  const Canvas c = SmallCanvas();
  const d3dx::DecodedImage bmp = DecodeBytes(pictures::EncodeBmp24(c));
  ASSERT_EQ(bmp.width, 3);
  ASSERT_EQ(bmp.height, 2);
  // Without alpha the picture is what it shows over black.
  EXPECT_EQ(bmp.argb, (std::vector<std::uint32_t>{0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF800000, 0xFF000000, 0xFF333333}));
  EXPECT_EQ(pictures::EncodeBmp24(c).size(), 54u + 2 * 12);  // 9 bytes of pixels padded to 12 per row

  const d3dx::DecodedImage tga24 = DecodeBytes(pictures::EncodeTga(c, false));
  EXPECT_EQ(tga24.argb, bmp.argb);
  EXPECT_FALSE(tga24.hasAlpha);

  // With alpha the colour is stored straight: the half-transparent red is full red at alpha 128.
  const d3dx::DecodedImage tga32 = DecodeBytes(pictures::EncodeTga(c, true));
  EXPECT_TRUE(tga32.hasAlpha);
  EXPECT_EQ(tga32.argb, (std::vector<std::uint32_t>{0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0x80FF0000, 0x00000000, 0xFF333333}));
}

TEST(PictureFiles, JpegDecodesCloseToTheCanvas) {
  Canvas c(32, 16);
  c.VerticalGradient(pictures::Hex(0x102040), pictures::Hex(0x80c0ff));
  const d3dx::DecodedImage im = DecodeBytes(pictures::EncodeJpeg(c, 90));
  ASSERT_EQ(im.width, 32);
  ASSERT_EQ(im.height, 16);
  for (int y = 0; y < 16; ++y) {
    const pictures::Rgba8 want = pictures::ToRgba8(c.at(5, y));
    const std::uint32_t got = im.argb[static_cast<size_t>(y) * 32 + 5];
    EXPECT_NEAR(static_cast<int>((got >> 16) & 0xFF), want.r, 6) << "row " << y;
    EXPECT_NEAR(static_cast<int>(got & 0xFF), want.b, 6) << "row " << y;
  }
}

TEST(PictureDrawing, NoiseRepeatsExactlyWithItsPeriods) {
  for (float x : {0.0f, 0.37f, 2.5f, 6.99f}) {
    for (float y : {0.0f, 1.25f, 3.8f}) {
      // Equal up to the rounding of x + period in floats.
      EXPECT_NEAR(pictures::TileNoise(x, y, 8, 4, 7), pictures::TileNoise(x + 8, y, 8, 4, 7), 1e-5);
      EXPECT_NEAR(pictures::TileNoise(x, y, 8, 4, 7), pictures::TileNoise(x, y + 4, 8, 4, 7), 1e-5);
      EXPECT_NEAR(pictures::TileFractal(x, y, 4, 2, 3, 9), pictures::TileFractal(x + 4, y + 2, 4, 2, 3, 9), 1e-5);
      const float n = pictures::TileFractal(x, y, 4, 2, 3, 9);
      EXPECT_GE(n, 0.0f);
      EXPECT_LE(n, 1.0f);
    }
  }
  // Different seeds give different noise, and it is not periodic with a smaller period.
  EXPECT_NE(pictures::TileNoise(0.5f, 0.5f, 8, 8, 1), pictures::TileNoise(0.5f, 0.5f, 8, 8, 2));
  EXPECT_NE(pictures::TileNoise(0.5f, 0.5f, 8, 8, 1), pictures::TileNoise(4.5f, 0.5f, 8, 8, 1));
}

double Coverage(const Canvas& c) {
  double sum = 0;
  for (int y = 0; y < c.height(); ++y) {
    for (int x = 0; x < c.width(); ++x) sum += c.at(x, y).a;
  }
  return sum;
}

TEST(PictureDrawing, ShapesCoverTheirArea) {
  Canvas disc(64, 64);
  disc.Disc(31.3f, 30.8f, 12, Colour{1, 1, 1});
  EXPECT_NEAR(Coverage(disc), 3.14159 * 144, 3.0);
  Canvas rect(32, 32);
  rect.Rect(2.5f, 3.25f, 12.5f, 9.75f, Colour{1, 1, 1});  // 10 x 6.5
  EXPECT_NEAR(Coverage(rect), 65.0, 1e-3);
  Canvas line(64, 16);
  line.Line(8, 8, 56, 8, 2, Colour{1, 1, 1});  // 48 long, 2 wide, round caps of radius 1
  EXPECT_NEAR(Coverage(line), 96 + 3.14159, 1.5);
}

TEST(PictureDrawing, ResamplingAndBlurKeepTheAverage) {
  Canvas c(40, 30);
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) c.at(x, y) = Pixel{(x % 7) / 6.0f, (y % 5) / 4.0f, 0.5f, 1};
  }
  auto mean = [](const Canvas& k, float Pixel::*channel) {
    double s = 0;
    for (int y = 0; y < k.height(); ++y) {
      for (int x = 0; x < k.width(); ++x) s += k.at(x, y).*channel;
    }
    return s / (k.width() * k.height());
  };
  const Canvas small = c.Resized(32, 32);
  EXPECT_EQ(small.width(), 32);
  EXPECT_NEAR(mean(small, &Pixel::r), mean(c, &Pixel::r), 0.02);
  EXPECT_NEAR(mean(small, &Pixel::g), mean(c, &Pixel::g), 0.02);
  Canvas blurred = c;
  blurred.Blur(3, true);
  EXPECT_NEAR(mean(blurred, &Pixel::r), mean(c, &Pixel::r), 1e-4);
  // The blur smooths: neighbouring columns differ less than before.
  EXPECT_LT(std::fabs(blurred.at(6, 5).r - blurred.at(7, 5).r), std::fabs(c.at(6, 5).r - c.at(7, 5).r));
}

TEST(PictureText, TextFitsItsBoxAndGrowsWithIt) {
  const pictures::TextMask small = pictures::FitText(pictures::Font::SansBold, "VORNHOLD", 120, 40);
  const pictures::TextMask large = pictures::FitText(pictures::Font::SansBold, "VORNHOLD", 400, 120);
  EXPECT_LE(small.width, 120);
  EXPECT_LE(small.height, 40);
  EXPECT_GT(small.width, 100) << "the width bounds this word, so it should nearly fill it";
  EXPECT_GT(large.width, 2 * small.width);
  EXPECT_EQ(pictures::RenderText(pictures::Font::Sans, 20, "").width, 0);
  // Anti-aliased: some coverage between empty and full.
  bool partial = false, full = false;
  for (float a : large.alpha) {
    partial = partial || (a > 0.1f && a < 0.9f);
    full = full || a >= 0.99f;
  }
  EXPECT_TRUE(partial && full);
}

TEST(PictureText, LetteringIsCentredWhereAsked) {
  Canvas c(200, 80);
  const pictures::TextMask text = pictures::RenderText(pictures::Font::Sans, 30, "night");
  pictures::DrawLetteringCentred(c, text, 120, 44, pictures::Lettering{});
  // The letters' ink box (nearly opaque pixels) has its centre where it was asked to go.
  int x0 = 200, x1 = -1, y0 = 80, y1 = -1;
  for (int y = 0; y < 80; ++y) {
    for (int x = 0; x < 200; ++x) {
      if (c.at(x, y).a > 0.95f) {
        x0 = std::min(x0, x);
        x1 = std::max(x1, x);
        y0 = std::min(y0, y);
        y1 = std::max(y1, y);
      }
    }
  }
  ASSERT_GE(x1, 0);
  EXPECT_NEAR((x0 + x1 + 1) / 2.0, 120, 3);
  EXPECT_NEAR((y0 + y1 + 1) / 2.0, 44, 3);
  // The glow reaches beyond the letters but fades out well before the canvas edge.
  EXPECT_GT(c.at(x0 - 3, (y0 + y1) / 2).a, 0.0f);
  EXPECT_EQ(c.at(2, 2).a, 0.0f);
}

}  // namespace
