// 8-bit palettised BMP files from canvases: few colours kept exactly, many reduced to at most
// 256 close ones, and the file's header, palette and padded bottom-up rows.
#include "tools/showdata/pictures/indexed_bmp.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "platform/little_endian.h"

namespace {

using pictures::Canvas;

// Width x height; pixel (x, y) has red x * step and green y * step (0..255 levels).
Canvas Ramp(int width, int height, int step) {
  Canvas c(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) c.at(x, y) = {x * step / 255.0f, y * step / 255.0f, 0.5f, 1};
  }
  return c;
}

std::uint32_t Le32(const std::vector<std::uint8_t>& b, size_t at) {
  return platform::ReadLe32(b.data() + at);
}

TEST(IndexedBmp, KeepsFewColoursExactlyAndReducesManyToCloseOnes) {
  struct Case {
    int width, height, step;
    size_t paletteSize;  // 0: at most 256
    int worstError;      // per channel, in 0..255 levels
  } const kCases[] = {{5, 3, 60, 15, 0}, {64, 48, 4, 0, 8}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.width);
    const pictures::IndexedImage image = pictures::Quantise(Ramp(c.width, c.height, c.step));
    if (c.paletteSize) {
      EXPECT_EQ(image.palette.size(), c.paletteSize);
    }
    EXPECT_LE(image.palette.size(), 256u);
    EXPECT_GT(image.palette.size(), 12u);
    int worst = 0;
    for (int y = 0; y < c.height; ++y) {
      for (int x = 0; x < c.width; ++x) {
        const std::uint32_t p = image.palette.at(image.indices[y * c.width + x]);
        worst = std::max({worst, std::abs(static_cast<int>(p >> 16) - x * c.step),
                          std::abs(static_cast<int>(p >> 8 & 0xFF) - y * c.step),
                          std::abs(static_cast<int>(p & 0xFF) - 128)});
      }
    }
    EXPECT_LE(worst, c.worstError);
  }
}

TEST(IndexedBmp, FileHasPaletteAndPaddedRowsBottomUp) {
  const pictures::IndexedImage image = pictures::Quantise(Ramp(5, 3, 60));
  const std::vector<std::uint8_t> bmp = pictures::EncodeBmp8(image);
  const size_t bits = 14 + 40 + 4 * image.palette.size();
  ASSERT_EQ(bmp.size(), bits + 8 * 3);  // rows of 5 pixels padded to 8 bytes
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[1], 'M');
  EXPECT_EQ(Le32(bmp, 2), bmp.size());
  EXPECT_EQ(Le32(bmp, 10), bits);
  EXPECT_EQ(Le32(bmp, 18), 5u);
  EXPECT_EQ(Le32(bmp, 22), 3u);
  EXPECT_EQ(bmp[28], 8);
  EXPECT_EQ(Le32(bmp, 46), image.palette.size());
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) {
      const std::uint8_t index = bmp[bits + (2 - y) * 8 + x];
      const size_t quad = 54 + 4 * index;  // B, G, R, 0
      EXPECT_EQ(bmp[quad + 2], x * 60) << x << "," << y;
      EXPECT_EQ(bmp[quad + 1], y * 60) << x << "," << y;
    }
  }
}

}  // namespace
