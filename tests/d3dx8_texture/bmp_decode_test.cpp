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

// Two rows of three pixels whose row length (9 bytes) needs padding; stored bottom row first.
TEST(BmpDecode, TwentyFourBitRowsArePaddedAndBottomUpOrTopDown) {
  const Bytes top = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09};  // B, G, R
  const Bytes bottom = {0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF};
  const std::vector<uint32_t> expected = {0xFF030201, 0xFF060504, 0xFF090807,
                                          0xFF0000FF, 0xFF00FF00, 0xFFFF0000};
  BmpSpec spec;
  spec.width = 3;
  spec.height = 2;
  d3dx::DecodedImage up = Decode(MakeBmp(spec, {bottom, top}));
  EXPECT_EQ(up.width, 3);
  EXPECT_EQ(up.height, 2);
  EXPECT_EQ(up.argb, expected);
  EXPECT_FALSE(up.hasAlpha);
  EXPECT_EQ(up.fileFormat, D3DFMT_R8G8B8);

  spec.height = -2;
  EXPECT_EQ(Decode(MakeBmp(spec, {top, bottom})).argb, expected);
  spec.height = 2;
  spec.headerSize = 12;  // the old core header, 3-byte palette entries
  EXPECT_EQ(Decode(MakeBmp(spec, {bottom, top})).argb, expected);
  spec.headerSize = 40;
  spec.fileHeader = false;  // a bare DIB
  EXPECT_EQ(Decode(MakeBmp(spec, {bottom, top})).argb, expected);
}

TEST(BmpDecode, PalettisedDepthsIndexTheirPalette) {
  const std::vector<uint32_t> palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF,
                                         0x123456, 0xABCDEF, 0x808080, 0xFFFFFF};
  BmpSpec spec;
  spec.width = 9;  // odd widths leave part of the last byte unused
  spec.height = 1;
  spec.palette = palette;
  auto expect = [&](const std::vector<int>& indices, const d3dx::DecodedImage& image) {
    ASSERT_EQ(image.argb.size(), indices.size());
    for (size_t i = 0; i < indices.size(); ++i) {
      EXPECT_EQ(image.argb[i], 0xFF000000u | palette[indices[i]]) << "pixel " << i;
    }
    EXPECT_EQ(image.fileFormat, D3DFMT_P8);
    EXPECT_FALSE(image.hasAlpha);
  };
  spec.bitCount = 1;
  expect({1, 0, 1, 1, 0, 0, 0, 1, 1}, Decode(MakeBmp(spec, {{0xB1, 0x80}})));
  spec.bitCount = 4;
  expect({0, 1, 2, 3, 4, 5, 6, 7, 4}, Decode(MakeBmp(spec, {{0x01, 0x23, 0x45, 0x67, 0x40}})));
  spec.bitCount = 8;
  expect({7, 6, 5, 4, 3, 2, 1, 0, 5}, Decode(MakeBmp(spec, {{7, 6, 5, 4, 3, 2, 1, 0, 5}})));
  // An index past a short palette reads as opaque black rather than outside the file.
  spec.palette = {0x112233};
  EXPECT_EQ(Decode(MakeBmp(spec, {{0, 200, 0, 0, 0, 0, 0, 0, 0}})).argb[1], 0xFF000000u);
}

TEST(BmpDecode, SixteenBitChannelsWidenByBitReplication) {
  BmpSpec spec;
  spec.width = 3;
  spec.bitCount = 16;
  // BI_RGB 16-bit is X1R5G5B5: full red, mid green (10000b -> 10000100b), blue 1.
  d3dx::DecodedImage image = Decode(MakeBmp(spec, {{0x00, 0x7C, 0x00, 0x02, 0x01, 0x80}}));
  EXPECT_EQ(image.argb, (std::vector<uint32_t>{0xFFFF0000, 0xFF008400, 0xFF000008}));
  EXPECT_EQ(image.fileFormat, D3DFMT_X1R5G5B5);
  EXPECT_FALSE(image.hasAlpha) << "bit 15 is not alpha in BI_RGB";

  spec.compression = 3;  // BI_BITFIELDS, 5-6-5
  spec.masks = {0xF800, 0x07E0, 0x001F};
  // Green 100000b widens to 10000010b; red 00001b to 00001000b.
  image = Decode(MakeBmp(spec, {{0x00, 0x04, 0x00, 0x08, 0xFF, 0xFF}}));
  EXPECT_EQ(image.argb, (std::vector<uint32_t>{0xFF008200, 0xFF080000, 0xFFFFFFFF}));
  EXPECT_EQ(image.fileFormat, D3DFMT_R5G6B5);
}

TEST(BmpDecode, ThirtyTwoBitAlphaIsKeptOnlyWhenTheFileUsesIt) {
  BmpSpec spec;
  spec.width = 2;
  spec.bitCount = 32;
  d3dx::DecodedImage image = Decode(MakeBmp(spec, {{1, 2, 3, 0x80, 4, 5, 6, 0}}));
  EXPECT_EQ(image.argb, (std::vector<uint32_t>{0x80030201, 0x00060504}));
  EXPECT_TRUE(image.hasAlpha);
  EXPECT_EQ(image.fileFormat, D3DFMT_A8R8G8B8);

  image = Decode(MakeBmp(spec, {{1, 2, 3, 0, 4, 5, 6, 0}}));
  EXPECT_EQ(image.argb, (std::vector<uint32_t>{0xFF030201, 0xFF060504}));
  EXPECT_FALSE(image.hasAlpha);
  EXPECT_EQ(image.fileFormat, D3DFMT_X8R8G8B8);
}

TEST(BmpDecode, V4AndV5HeadersCarryTheirMasksIncludingAlpha) {
  BmpSpec spec;
  spec.width = 2;
  spec.bitCount = 32;
  spec.compression = 3;
  spec.headerSize = 108;
  // Channels in an unusual order: A in the low byte, then B, G, R.
  spec.masks = {0xFF000000u, 0x00FF0000, 0x0000FF00, 0x000000FF};
  d3dx::DecodedImage image = Decode(MakeBmp(spec, {{0x40, 0x30, 0x20, 0x10, 0xFF, 0, 0, 0xAA}}));
  EXPECT_EQ(image.argb, (std::vector<uint32_t>{0x40102030, 0xFFAA0000}));
  EXPECT_TRUE(image.hasAlpha);

  spec.headerSize = 124;
  spec.bitCount = 16;  // A4R4G4B4: four-bit channels widen as v * 17
  spec.masks = {0x0F00, 0x00F0, 0x000F, 0xF000};
  image = Decode(MakeBmp(spec, {{0x5A, 0xF3, 0x00, 0x10}}));
  EXPECT_EQ(image.argb, (std::vector<uint32_t>{0xFF3355AA, 0x11000000}));
  EXPECT_TRUE(image.hasAlpha);

  // Masks after a plain 40-byte header, 3-bit and 2-bit channels (101b -> 10110110b, 11b -> 255).
  spec.headerSize = 40;
  spec.masks = {0xE0, 0x1C, 0x03};
  image = Decode(MakeBmp(spec, {{0xA3, 0x00, 0x1C, 0x00}}));
  EXPECT_EQ(image.argb, (std::vector<uint32_t>{0xFFB600FF, 0xFF00FF00}));
}

// Runs, literal runs (padded to 16 bits), a row end, a move past unreached pixels, runs cut at the
// row's end and a stream that stops without its end marker, as indices into an 8-colour palette.
TEST(BmpDecode, RunLengthBitmapsDrawTheirRunsFromTheBottomRowUp) {
  const std::vector<uint32_t> palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF,
                                         0x123456, 0xABCDEF, 0x808080, 0xFFFFFF};
  const struct {
    const char* what;
    unsigned bitCount;
    int height;
    Bytes stream;
    std::vector<int> top_down;  // the expected indices, top row first
  } cases[] = {
      {"RLE8", 8, 3,
       {3, 1, 0, 3, 2, 3, 4, 0, 0, 0, 0, 2, 2, 1, 2, 5, 0, 1},  // the 4 falls past the row's end
       {0, 0, 5, 5, 0, /**/ 0, 0, 0, 0, 0, /**/ 1, 1, 1, 2, 3}},
      {"RLE4", 4, 2, {5, 0x12, 0, 0, 0, 3, 0x34, 0x50, 2, 0x67, 0, 1}, {3, 4, 5, 6, 7, /**/ 1, 2, 1, 2, 1}},
      {"RLE8 without its end", 8, 2, {2, 7, 0, 0, 1, 6}, {6, 0, 0, 0, 0, /**/ 7, 7, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    BmpSpec spec;
    spec.width = 5;
    spec.height = c.height;
    spec.bitCount = c.bitCount;
    spec.compression = c.bitCount == 8 ? 1 : 2;
    spec.palette = palette;
    const d3dx::DecodedImage image = Decode(MakeBmp(spec, {c.stream}));
    ASSERT_EQ(image.argb.size(), c.top_down.size()) << c.what;
    for (size_t i = 0; i < c.top_down.size(); ++i)
      EXPECT_EQ(image.argb[i], 0xFF000000u | palette[c.top_down[i]]) << c.what << ", pixel " << i;
    EXPECT_EQ(image.fileFormat, D3DFMT_P8) << c.what;

    spec.height = -c.height;  // run-length bitmaps are bottom-up only
    d3dx::DecodedImage refused;
    const Bytes file = MakeBmp(spec, {c.stream});
    EXPECT_EQ(d3dx::DecodeImage(file.data(), file.size(), &refused), D3DXERR_INVALIDDATA) << c.what;
  }
}

}  // namespace
}  // namespace image_test
