#include <gtest/gtest.h>

#include <png.h>

#include "image_builders.h"
#include "platform/d3dx8/image_decode.h"

namespace image_test {
namespace {

HRESULT Decode(const Bytes& file) {
  d3dx::DecodedImage image;
  const HRESULT hr = d3dx::DecodeImage(file.data(), file.size(), &image);
  if (FAILED(hr)) {
    EXPECT_TRUE(image.argb.empty()) << "a failed decode leaves no pixels";
  }
  return hr;
}

Bytes SmallBmp() {
  BmpSpec spec;
  spec.width = 3;
  spec.height = 2;
  spec.bitCount = 8;
  spec.palette = {0x112233, 0x445566};
  return MakeBmp(spec, {{0, 1, 0}, {1, 1, 0}});
}

Bytes SmallTga(uint8_t type) {
  TgaSpec spec;
  spec.imageType = type;
  spec.width = 3;
  spec.height = 2;
  return MakeTga(spec, type == 10 ? Bytes{0x82, 1, 2, 3, 0x02, 4, 5, 6, 7, 8, 9, 1, 1, 1}
                                  : Bytes(18, 7));
}

Bytes SmallPng() {
  PngSpec spec;
  spec.width = 4;
  spec.height = 3;
  spec.colorType = PNG_COLOR_TYPE_RGB_ALPHA;
  std::vector<uint32_t> samples;
  for (int i = 0; i < 48; ++i) samples.push_back(static_cast<uint32_t>(i * 5));
  return MakePng(spec, samples);
}

Bytes SmallJpeg() {
  Bytes rgb;
  for (int i = 0; i < 8 * 8 * 3; ++i) rgb.push_back(static_cast<uint8_t>(i * 3));
  return MakeJpeg(8, 8, 3, rgb, 90);
}

// Every strict prefix of a valid file must be refused: the decoders may not read past the end
// nor make up the missing pixels.
TEST(DamagedImage, EveryTruncationIsRefused) {
  const std::pair<const char*, Bytes> files[] = {{"bmp", SmallBmp()},      {"tga", SmallTga(2)},
                                                 {"rle tga", SmallTga(10)}, {"png", SmallPng()},
                                                 {"jpeg", SmallJpeg()}};
  for (const auto& [name, file] : files) {
    ASSERT_EQ(Decode(file), D3D_OK) << name;
    for (size_t length = 1; length < file.size(); ++length) {
      const Bytes prefix(file.begin(), file.begin() + static_cast<long>(length));
      const HRESULT hr = Decode(prefix);
      EXPECT_TRUE(hr == D3DXERR_INVALIDDATA) << name << " cut to " << length << " bytes: " << hr;
    }
  }
}

TEST(DamagedImage, BadArgumentsAreInvalidCalls) {
  const Bytes file = SmallBmp();
  d3dx::DecodedImage image;
  EXPECT_EQ(d3dx::DecodeImage(nullptr, 10, &image), D3DERR_INVALIDCALL);
  EXPECT_EQ(d3dx::DecodeImage(file.data(), 0, &image), D3DERR_INVALIDCALL);
  EXPECT_EQ(d3dx::DecodeImage(file.data(), file.size(), nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(Decode({'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e', 0, 0, 0, 0, 0, 0, 0}),
            D3DXERR_INVALIDDATA);
}

TEST(DamagedImage, ImpossibleHeaderFieldsAreRefused) {
  // Offsets into SmallBmp: info header at 14; width 18, height 22, planes 26, bit count 28,
  // compression 30, colours used 46; pixel offset 10.
  auto patched = [](Bytes file, size_t at, std::initializer_list<uint8_t> bytes) {
    std::copy(bytes.begin(), bytes.end(), file.begin() + static_cast<long>(at));
    return file;
  };
  const Bytes bmp = SmallBmp();
  EXPECT_EQ(Decode(patched(bmp, 28, {7, 0})), D3DXERR_INVALIDDATA) << "7 bits per pixel";
  EXPECT_EQ(Decode(patched(bmp, 26, {0, 0})), D3DXERR_INVALIDDATA) << "no planes";
  EXPECT_EQ(Decode(patched(bmp, 18, {0, 0, 0, 0})), D3DXERR_INVALIDDATA) << "zero width";
  EXPECT_EQ(Decode(patched(bmp, 30, {2, 0, 0, 0})), D3DXERR_INVALIDDATA) << "RLE4 of 8-bit pixels";
  EXPECT_EQ(Decode(patched(bmp, 46, {0, 1, 0, 1})), D3DXERR_INVALIDDATA) << "65792 colours";
  EXPECT_EQ(Decode(patched(bmp, 10, {0xF0, 0xFF, 0xFF, 0x7F})), D3DXERR_INVALIDDATA)
      << "pixels past the end";
  EXPECT_EQ(Decode(patched(bmp, 14, {41, 0, 0, 0})), D3DXERR_INVALIDDATA) << "unknown header size";
  // No colour count: 256 palette entries, more than the file holds; found only once the pixels
  // are allocated, and Decode checks that they are gone again.
  EXPECT_EQ(Decode(patched(bmp, 46, {0, 0, 0, 0})), D3DXERR_INVALIDDATA) << "palette past the end";
  // Absurd sizes in a tiny file are refused before any allocation for them.
  EXPECT_EQ(Decode(patched(bmp, 18, {0xFF, 0x3F, 0, 0})), D3DXERR_INVALIDDATA);
  EXPECT_EQ(Decode(patched(bmp, 18, {0xFF, 0xFF, 0xFF, 0x7F})), D3DXERR_INVALIDDATA);
  EXPECT_EQ(Decode(patched(bmp, 22, {0, 0, 0, 0x80})), D3DXERR_INVALIDDATA) << "height INT_MIN";

  // TGA: image type 5 does not exist; a 16000 x 16000 run-length image cannot fit in 32 bytes;
  // a colour map of 65535 entries runs past the end of the file.
  const Bytes tga = SmallTga(10);
  EXPECT_EQ(Decode(patched(tga, 2, {5})), D3DXERR_INVALIDDATA);
  EXPECT_EQ(Decode(patched(tga, 12, {0x80, 0x3E, 0x80, 0x3E})), D3DXERR_INVALIDDATA);
  EXPECT_EQ(Decode(patched(patched(tga, 1, {1}), 3, {0, 0, 0xFF, 0xFF, 24})), D3DXERR_INVALIDDATA);

  // PNG: width 2^30 in IHDR (the CRC then fails too) and a corrupted pixel-data byte.
  const Bytes png = SmallPng();
  EXPECT_EQ(Decode(patched(png, 16, {0x40, 0, 0, 0})), D3DXERR_INVALIDDATA);
  Bytes corrupt = png;
  corrupt[45] ^= 0xFF;
  EXPECT_EQ(Decode(corrupt), D3DXERR_INVALIDDATA);

  // JPEG: the frame header's height and width (after FFC0, length, precision) set to 12288 on
  // a file of a few hundred bytes.
  Bytes jpeg = SmallJpeg();
  for (size_t i = 0; i + 9 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
      jpeg = patched(jpeg, i + 5, {0x30, 0x00, 0x30, 0x00});
      break;
    }
  }
  EXPECT_EQ(Decode(jpeg), D3DXERR_INVALIDDATA);
}

}  // namespace
}  // namespace image_test
