// The compressed decoders against images larger than their files' data can make: the densest real
// encoding is accepted, and a header claiming more is refused before the pixels are allocated
// (this test program records the largest operator new request to tell). BMP and TGA, whose runs
// are bounded by the same rule, are tried in damaged_file_test.cpp.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <new>
#include <string>

#include "image_builders.h"
#include "platform/d3dx8/image_decode.h"

static std::size_t g_largestNew = 0;
void* operator new(std::size_t size) {
  g_largestNew = std::max(g_largestNew, size);
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

}  // namespace
}  // namespace image_test
