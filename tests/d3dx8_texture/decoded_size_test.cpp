// The compressed decoders against images larger than their files' data can make: the densest real
// encoding is accepted, and a header claiming more is refused before the pixels are allocated
// (this test program records the largest operator new request to tell). BMP and TGA, whose runs
// are bounded by the same rule, are tried in damaged_file_test.cpp. Then pictures larger than the
// device's largest texture, whose data could make them: refused from the header all the same.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <new>
#include <string>
#include <tuple>
#include <utility>

#include "image_builders.h"
#include "platform/d3d8/offscreen_device.h"
#include "platform/d3dx8/d3dx8.h"
#include "platform/d3dx8/image_decode.h"

// Requests past 256 MiB fail: a check made after the allocation it should prevent fails the test at
// once instead of filling a GiB first.
static std::size_t g_largestNew = 0;
void* operator new(std::size_t size) {
  g_largestNew = std::max(g_largestNew, size);
  if (size > (std::size_t{256} << 20)) throw std::bad_alloc();
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"  // GCC takes this free() for a mismatch
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace image_test {
namespace {

void PutBe32(Bytes& b, uint32_t v) {
  b.insert(b.end(), {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
}

void AppendChunk(Bytes& png, const char* type, const Bytes& body) {
  Bytes typed(type, type + 4);
  typed.insert(typed.end(), body.begin(), body.end());
  PutBe32(png, static_cast<uint32_t>(body.size()));
  png.insert(png.end(), typed.begin(), typed.end());
  PutBe32(png, static_cast<uint32_t>(crc32(0, typed.data(), static_cast<uInt>(typed.size()))));
}

// A grey PNG of zero rows at zlib's tightest, its IDAT in chunks of 64 bytes as some encoders
// write them. Only `rowsGiven` rows are there (a damaged file when fewer than `height`), after a
// text chunk of `padding` bytes.
Bytes GreyPng(uint32_t side, uint8_t depth, uint32_t rowsGiven, size_t padding) {
  Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}, header;
  PutBe32(header, side);
  PutBe32(header, side);
  header.insert(header.end(), {depth, 0, 0, 0, 0});
  AppendChunk(png, "IHDR", header);
  AppendChunk(png, "tEXt", Bytes(padding, 'x'));
  const Bytes raw(size_t{rowsGiven} * ((side * depth + 7) / 8 + 1), 0);
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  Bytes packed(packedSize);
  compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 9);
  for (size_t at = 0; at < packedSize; at += 64) {
    AppendChunk(png, "IDAT", Bytes(packed.begin() + at, packed.begin() + std::min<size_t>(packedSize, at + 64)));
  }
  AppendChunk(png, "IEND", {});
  return png;
}

// A 16 x 16 grey JPEG with a 60000-byte comment after its start marker; its frame header then
// says `side` x `side`.
Bytes CommentedJpeg(uint16_t side) {
  Bytes jpeg = MakeJpeg(16, 16, 1, Bytes(256, 0x80), 90);
  size_t frame = 0;
  while (jpeg[frame] != 0xFF || jpeg[frame + 1] != 0xC0) ++frame;
  jpeg[frame + 5] = jpeg[frame + 7] = uint8_t(side >> 8);
  jpeg[frame + 6] = jpeg[frame + 8] = uint8_t(side);
  Bytes comment = {0xFF, 0xFE, 60002 >> 8, 60002 & 0xFF};
  comment.resize(60004, 'c');
  jpeg.insert(jpeg.begin() + 2, comment.begin(), comment.end());
  return jpeg;
}

TEST(DecodedSize, OnlyWhatTheDataCanMakeIsAllocated) {
  struct Case {
    std::string name;
    Bytes file;
    bool decodes;
  } const kCases[] = {
      {"png: 16 MiB of pixels from zeros packed 1000:1", GreyPng(2048, 1, 2048, 0), true},
      {"png: 256 MiB claimed, one row there behind a large text chunk", GreyPng(8192, 8, 1, 70000), false},
      {"jpeg behind a large comment", CommentedJpeg(16), true},
      {"jpeg: 64 MiB claimed behind a large comment", CommentedJpeg(4096), false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    d3dx::DecodedImage image;
    g_largestNew = 0;
    const HRESULT hr = d3dx::DecodeImage(c.file.data(), c.file.size(), &image);
    EXPECT_EQ(hr, c.decodes ? D3D_OK : D3DXERR_INVALIDDATA);
    EXPECT_EQ(image.argb.size(), static_cast<size_t>(image.width) * image.height);
    // The refused images need 64 MiB of pixels or more.
    if (!c.decodes) {
      EXPECT_LT(g_largestNew, std::size_t{1} << 20) << "pixels allocated before the refusal";
    }
  }
}

// Width x height, 8-bit grey, run-length, in runs of 128 pixels: 2 bytes each, the densest TGA
// there is (16384 x 16384 is 4 MiB of file, and packs to a few KB in an archive).
Bytes RunLengthTga(int width, int height) {
  TgaSpec spec;
  spec.imageType = 11;
  spec.width = width;
  spec.height = height;
  spec.bpp = 8;
  Bytes runs;
  for (size_t left = size_t(width) * height; left > 0; left -= std::min<size_t>(left, 128)) {
    runs.insert(runs.end(), {uint8_t(0x80 | (std::min<size_t>(left, 128) - 1)), 0x60});
  }
  return MakeTga(spec, runs);
}

// A run-length BMP (RLE8) of runs of 255 pixels: as many bytes as its size could be made from.
Bytes RunLengthBmp(int width, int height) {
  BmpSpec spec;
  spec.width = width;
  spec.height = height;
  spec.bitCount = 8;
  spec.compression = 1;
  spec.palette = {0x203040};
  Bytes runs;
  for (size_t made = 0; made < size_t(width) * height; made += 255) runs.insert(runs.end(), {255, 0});
  return MakeBmp(spec, {runs});
}

// A 16 x 16 grey JPEG whose frame header says width x height, with as much scan data (zeros before
// its end marker) as a picture that large needs at the least.
Bytes ClaimingJpeg(uint16_t width, uint16_t height) {
  Bytes jpeg = MakeJpeg(16, 16, 1, Bytes(256, 0x80), 90);
  size_t frame = 0;
  while (jpeg[frame] != 0xFF || jpeg[frame + 1] != 0xC0) ++frame;
  jpeg[frame + 5] = uint8_t(height >> 8), jpeg[frame + 6] = uint8_t(height);
  jpeg[frame + 7] = uint8_t(width >> 8), jpeg[frame + 8] = uint8_t(width);
  jpeg.insert(jpeg.end() - 2, size_t(width) * height / 512, 0);
  return jpeg;
}

Bytes WidePng(int width, int height) {
  PngSpec spec;
  spec.width = width;
  spec.height = height;
  spec.colorType = 0;  // grey
  return MakePng(spec, std::vector<uint32_t>(size_t(width) * height, 0x80));
}

IDirect3DDevice8* MakeRefDevice(IDirect3D8* d3d) {
  IDirect3DDevice8* device = nullptr;
  d3d8::CreateOffscreenDevice(d3d, {}, &device);
  return device;
}

// Through the texture loader on the software device, whose caps say how large a texture may be:
// up to that, pictures load at their size; past it, whatever their data, they are refused with
// nothing of their size allocated.
TEST(DecodedSize, PicturesPastTheLargestTextureAreRefusedFromTheirHeader) {
  IDirect3D8* d3d = Direct3DCreate8(D3D_SDK_VERSION);
  ASSERT_NE(d3d, nullptr);
  IDirect3DDevice8* device = MakeRefDevice(d3d);
  ASSERT_NE(device, nullptr);
  D3DCAPS8 caps{};
  ASSERT_EQ(device->GetDeviceCaps(&caps), D3D_OK);
  const int wide = int(caps.MaxTextureWidth), tall = int(caps.MaxTextureHeight);
  struct Case {
    std::string name;
    Bytes file;
    UINT width = 0, height = 0;  // of the texture made; 0: refused
  } const kCases[] = {
      {"tga: 16384 x 16384 in 4 MiB of runs", RunLengthTga(16384, 16384)},
      {"tga: 8192 x 8192", RunLengthTga(8192, 8192)},
      {"bmp: 16384 x 16384 in 2 MiB of runs", RunLengthBmp(16384, 16384)},
      {"png: 8192 x 8192 of 1-bit zeros in 8 KB", GreyPng(8192, 1, 8192, 0)},
      {"jpeg: 16384 x 16384 with 512 KiB of scan data", ClaimingJpeg(16384, 16384)},
      {"tga: as wide as the caps allow", RunLengthTga(wide, 1), UINT(wide), 1},
      {"tga: one pixel wider", RunLengthTga(wide + 1, 1)},
      {"png: as tall as the caps allow", WidePng(1, tall), 1, UINT(tall)},
      {"png: one pixel taller", WidePng(1, tall + 1)},
      {"bmp: one pixel wider", RunLengthBmp(wide + 1, 1)},
      {"jpeg: one pixel wider", MakeJpeg(wide + 1, 8, 1, Bytes(size_t(wide + 1) * 8, 0x80), 90)},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    IDirect3DTexture8* texture = nullptr;
    g_largestNew = 0;
    const HRESULT hr =
        D3DXCreateTextureFromFileInMemory(device, c.file.data(), static_cast<UINT>(c.file.size()), &texture);
    if (c.width == 0) {
      EXPECT_EQ(hr, D3DXERR_INVALIDDATA);
      EXPECT_EQ(texture, nullptr);
      EXPECT_LT(g_largestNew, std::size_t{1} << 20) << "pixels allocated before the refusal";
      d3dx::DecodedImage image;
      EXPECT_EQ(d3dx::DecodeImage(c.file.data(), c.file.size(), &image), D3DXERR_INVALIDDATA) << "decoded alone";
      continue;
    }
    ASSERT_EQ(hr, D3D_OK);
    D3DSURFACE_DESC desc{};
    EXPECT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, c.width);
    EXPECT_EQ(desc.Height, c.height);
    texture->Release();
  }
  EXPECT_EQ(device->Release(), 0u);
  EXPECT_EQ(d3d->Release(), 0u);
}

// A caller's own limits, as the loader passes a device's smaller caps, hold for every decoder.
TEST(DecodedSize, TheCallersLimitsHoldForEveryFormat) {
  const d3dx::ImageLimits limits{64, 32};
  const std::pair<const char*, Bytes (*)(int, int)> kFormats[] = {
      {"tga", RunLengthTga}, {"bmp", RunLengthBmp}, {"png", WidePng},
      {"jpeg", [](int w, int h) { return MakeJpeg(w, h, 1, Bytes(size_t(w) * h, 0x80), 90); }}};
  for (const auto& [name, make] : kFormats) {
    for (const auto& [w, h, decodes] :
         {std::tuple{64, 32, true}, std::tuple{65, 32, false}, std::tuple{64, 33, false}}) {
      d3dx::DecodedImage image;
      const Bytes file = make(w, h);
      EXPECT_EQ(d3dx::DecodeImage(file.data(), file.size(), &image, limits), decodes ? D3D_OK : D3DXERR_INVALIDDATA)
          << name << " " << w << " x " << h;
    }
  }
}

}  // namespace
}  // namespace image_test
