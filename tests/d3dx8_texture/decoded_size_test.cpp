// The decoders against images larger than their files' data can make: each format's densest real
// encoding is accepted, and a header that claims more than that is refused before the pixels are
// allocated. This test program counts the largest operator new request to tell "before".
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "image_builders.h"
#include "platform/d3dx8/image_decode.h"

namespace {
std::atomic<std::size_t> g_largestNew{0};
}  // namespace

void* operator new(std::size_t size) {
  for (std::size_t seen = g_largestNew.load(); size > seen && !g_largestNew.compare_exchange_weak(seen, size);) {
  }
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
// GCC takes the free() in a replacement operator delete for a mismatch with new.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace image_test {
namespace {

void PutBe32(Bytes& b, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) b.push_back(static_cast<uint8_t>(v >> shift));
}

void AppendChunk(Bytes& png, const char* type, const Bytes& body) {
  PutBe32(png, static_cast<uint32_t>(body.size()));
  Bytes typed(type, type + 4);
  typed.insert(typed.end(), body.begin(), body.end());
  png.insert(png.end(), typed.begin(), typed.end());
  PutBe32(png, static_cast<uint32_t>(crc32(0, typed.data(), static_cast<uInt>(typed.size()))));
}

// A grey PNG of all-zero rows, compressed as tightly as zlib can, its IDAT cut into chunks of
// `idatChunk` bytes. `rowsGiven` rows are actually compressed (fewer than `height`: a damaged file
// that claims more than it holds) and a text chunk of `padding` bytes makes the file larger.
Bytes GreyPng(uint32_t width, uint32_t height, uint8_t depth, uint32_t rowsGiven, size_t idatChunk,
              size_t padding = 0) {
  Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  Bytes header;
  PutBe32(header, width);
  PutBe32(header, height);
  header.insert(header.end(), {depth, 0, 0, 0, 0});
  AppendChunk(png, "IHDR", header);
  if (padding) {
    Bytes text = {'C', 'o', 'm', 'm', 'e', 'n', 't', 0};
    text.resize(padding, 'x');
    AppendChunk(png, "tEXt", text);
  }
  const Bytes raw(static_cast<size_t>(rowsGiven) * ((width * depth + 7) / 8 + 1), 0);
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  Bytes packed(packedSize);
  EXPECT_EQ(compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 9), Z_OK);
  packed.resize(packedSize);
  for (size_t at = 0; at < packed.size(); at += idatChunk) {
    AppendChunk(png, "IDAT", Bytes(packed.begin() + at, packed.begin() + std::min(packed.size(), at + idatChunk)));
  }
  AppendChunk(png, "IEND", {});
  return png;
}

// A small JPEG with a comment of `comment` bytes after its start marker, and its frame's size set
// to `side` x `side` when that is not 0.
Bytes CommentedJpeg(size_t comment, uint16_t side) {
  Bytes rgb;
  for (int i = 0; i < 16 * 16 * 3; ++i) rgb.push_back(static_cast<uint8_t>(i * 7));
  Bytes jpeg = MakeJpeg(16, 16, 3, rgb, 90);
  for (size_t i = 0; side && i + 9 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
      const uint8_t be[4] = {uint8_t(side >> 8), uint8_t(side), uint8_t(side >> 8), uint8_t(side)};
      std::copy(be, be + 4, jpeg.begin() + static_cast<long>(i) + 5);
      break;
    }
  }
  Bytes segment = {0xFF, 0xFE, uint8_t((comment + 2) >> 8), uint8_t(comment + 2)};
  segment.resize(4 + comment, 'c');
  jpeg.insert(jpeg.begin() + 2, segment.begin(), segment.end());
  return jpeg;
}

// Run-length BMP rows of `width` <= 255 pixels, each one run then an end of row; `rows` of them,
// then the end of the bitmap. The header says `height`.
Bytes RunLengthBmp(uint32_t compression, int width, int height, int rows) {
  BmpSpec spec;
  spec.width = width;
  spec.height = height;
  spec.bitCount = compression == 1 ? 8 : 4;
  spec.compression = compression;
  spec.palette = {0x000000, 0xFFFFFF, 0x808080};
  Bytes stream;
  for (int y = 0; y < rows; ++y) stream.insert(stream.end(), {static_cast<uint8_t>(width), 0x12, 0, 0});
  stream.insert(stream.end(), {0, 1});
  return MakeBmp(spec, {stream});
}

// A run-length grey TGA whose packets each repeat one value 128 times; the header says
// `width` x `height`.
Bytes RunLengthTga(int width, int height, int packets) {
  TgaSpec spec;
  spec.imageType = 11;
  spec.bpp = 8;
  spec.width = width;
  spec.height = height;
  Bytes data;
  for (int i = 0; i < packets; ++i) data.insert(data.end(), {0xFF, static_cast<uint8_t>(i)});
  return MakeTga(spec, data);
}

TEST(DecodedSize, OnlyWhatTheDataCanMakeIsAllocated) {
  struct Case {
    std::string name;
    Bytes file;
    bool decodes;
  } const kCases[] = {
      // Zeros compress about 1000:1, nearly deflate's limit: a 16 MiB image from a few hundred bytes
      // of IDAT, in chunks as small as encoders may write them, is a real picture.
      {"png, densest", GreyPng(2048, 2048, 1, 2048, 64), true},
      {"png, rows missing", GreyPng(8192, 8192, 8, 1, 64), false},
      // The file is large enough for the claim, but its pixel data is not.
      {"png, rows missing behind a large text chunk", GreyPng(8192, 8192, 8, 1, 64, 70000), false},
      {"jpeg behind a large comment", CommentedJpeg(60000, 0), true},
      {"jpeg, 4096 x 4096 behind a large comment", CommentedJpeg(60000, 4096), false},
      // Run-length images: 255 pixels per two bytes of runs, 128 per run packet.
      {"bmp rle8, densest", RunLengthBmp(1, 255, 1024, 1024), true},
      {"bmp rle8, claims 16 times its runs", RunLengthBmp(1, 255, 16384, 1024), false},
      {"bmp rle4, densest", RunLengthBmp(2, 255, 1024, 1024), true},
      {"bmp rle4, claims 16 times its runs", RunLengthBmp(2, 255, 16384, 1024), false},
      {"tga rle, densest", RunLengthTga(128, 1024, 1024), true},
      {"tga rle, claims 16 times its packets", RunLengthTga(128, 16384, 1024), false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name + ", " + std::to_string(c.file.size()) + " bytes");
    d3dx::DecodedImage image;
    g_largestNew = 0;
    const HRESULT hr = d3dx::DecodeImage(c.file.data(), c.file.size(), &image);
    if (c.decodes) {
      EXPECT_EQ(hr, D3D_OK);
      EXPECT_EQ(image.argb.size(), static_cast<size_t>(image.width) * image.height);
    } else {
      EXPECT_EQ(hr, D3DXERR_INVALIDDATA);
      EXPECT_TRUE(image.argb.empty());
      // The images claimed here need 8 MiB of pixels or more.
      EXPECT_LT(g_largestNew.load(), std::size_t{1} << 20) << "pixels allocated before the refusal";
    }
  }
}

}  // namespace
}  // namespace image_test
