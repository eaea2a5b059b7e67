// BMP and DIB decoding: BITMAPCOREHEADER (12 bytes), BITMAPINFOHEADER (40) and its V2/V3 (52/56),
// V4 (108) and V5 (124) extensions; 1, 4 and 8-bit palettes, 16, 24 and 32-bit pixels, BI_RGB
// and BI_BITFIELDS (masks of any contiguous width, narrow channels widened by bit replication),
// BI_RLE8 and BI_RLE4 as image editors save them. Embedded JPEG/PNG bitmaps are refused.
//
// Alpha: a 32-bit or bit-field image keeps its alpha only when some pixel has a non-zero alpha,
// as D3DX does (many writers leave the fourth byte zero); otherwise the image is opaque.
#include <algorithm>
#include <bit>

#include "platform/d3dx8/image_bits.h"
#include "platform/d3dx8/image_decode.h"

namespace d3dx {
namespace {

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;
constexpr uint32_t kBiBitfields = 3;
constexpr uint32_t kBiAlphaBitfields = 6;
constexpr size_t kFileHeaderSize = 14;

struct Channel {
  uint32_t mask = 0;
  unsigned shift = 0;
  unsigned bits = 0;
  uint8_t Extract(uint32_t pixel) const { return WidenTo8((pixel & mask) >> shift, bits); }
};

bool MakeChannel(uint32_t mask, Channel* out) {
  out->mask = mask;
  if (mask == 0) return true;
  out->shift = static_cast<unsigned>(std::countr_zero(mask));
  out->bits = static_cast<unsigned>(std::popcount(mask));
  // Contiguous masks only: the bits above the lowest set one must form one run.
  return (mask >> out->shift) == ((out->bits == 32) ? 0xFFFFFFFFu : ((1u << out->bits) - 1));
}

struct BmpHeader {
  int width = 0;
  int height = 0;  // always positive here; topDown says the row order
  bool topDown = false;
  unsigned bitCount = 0;
  uint32_t compression = kBiRgb;
  uint32_t masks[4] = {};  // R, G, B, A
  bool hasMasks = false;
  size_t paletteOffset = 0;
  unsigned paletteEntrySize = 4;
  size_t paletteCount = 0;
  size_t pixelOffset = 0;
};

HRESULT ReadHeader(const uint8_t* d, size_t size, size_t base, const ImageLimits& limits, BmpHeader* h) {
  if (size < base + 4) return D3DXERR_INVALIDDATA;
  const uint32_t headerSize = ReadLe32(d + base);
  if (headerSize == 12) {
    if (size < base + 12) return D3DXERR_INVALIDDATA;
    h->width = ReadLe16(d + base + 4);
    h->height = ReadLe16(d + base + 6);
    if (ReadLe16(d + base + 8) != 1) return D3DXERR_INVALIDDATA;
    h->bitCount = ReadLe16(d + base + 10);
    h->paletteEntrySize = 3;
  } else if (headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 108 ||
             headerSize == 124) {
    if (size < base + headerSize) return D3DXERR_INVALIDDATA;
    const int32_t w = static_cast<int32_t>(ReadLe32(d + base + 4));
    const int32_t hgt = static_cast<int32_t>(ReadLe32(d + base + 8));
    if (ReadLe16(d + base + 12) != 1) return D3DXERR_INVALIDDATA;
    h->bitCount = ReadLe16(d + base + 14);
    h->compression = ReadLe32(d + base + 16);
    const uint32_t clrUsed = ReadLe32(d + base + 32);
    if (w <= 0 || hgt == 0 || hgt == INT32_MIN) return D3DXERR_INVALIDDATA;
    h->width = w;
    h->topDown = hgt < 0;
    h->height = hgt < 0 ? -hgt : hgt;
    if (h->bitCount <= 8) {
      if (clrUsed > 256) return D3DXERR_INVALIDDATA;
      h->paletteCount = clrUsed;
    }
    if (h->compression == kBiBitfields || h->compression == kBiAlphaBitfields) {
      const unsigned count = h->compression == kBiAlphaBitfields ? 4 : 3;
      // The masks live in the header from V2 on, else right after it.
      const size_t at = base + (headerSize >= 52 ? 40 : headerSize);
      if (size < at + 4 * count) return D3DXERR_INVALIDDATA;
      for (unsigned i = 0; i < count; ++i) h->masks[i] = ReadLe32(d + at + 4 * i);
      if (headerSize >= 56) h->masks[3] = ReadLe32(d + base + 52);
      h->hasMasks = true;
      if (headerSize == 40) h->paletteOffset = 4 * count;
    } else if (h->compression == kBiRle8 || h->compression == kBiRle4) {
      // Run-length bitmaps are stored bottom-up, at the depth their runs are made of.
      if (h->topDown || h->bitCount != (h->compression == kBiRle8 ? 8u : 4u)) return D3DXERR_INVALIDDATA;
    } else if (h->compression != kBiRgb) {
      return D3DXERR_INVALIDDATA;
    }
  } else {
    return D3DXERR_INVALIDDATA;
  }
  if (h->width <= 0 || h->height <= 0 || !limits.Allow(h->width, h->height)) {
    return D3DXERR_INVALIDDATA;
  }
  switch (h->bitCount) {
    case 1: case 4: case 8:
      if (h->hasMasks) return D3DXERR_INVALIDDATA;
      if (h->paletteCount == 0) h->paletteCount = size_t{1} << h->bitCount;
      break;
    case 16: case 24: case 32:
      if (h->hasMasks && h->bitCount == 24) return D3DXERR_INVALIDDATA;
      break;
    default:
      return D3DXERR_INVALIDDATA;
  }
  h->paletteOffset += base + headerSize;
  return D3D_OK;
}

bool ReadPalette(const uint8_t* d, size_t size, const BmpHeader& h, uint32_t (&palette)[256]) {
  const size_t paletteBytes = h.paletteCount * h.paletteEntrySize;
  if (h.paletteOffset + paletteBytes > size) return false;
  for (size_t i = 0; i < 256; ++i) {
    // Indices past the palette read as opaque black.
    palette[i] = 0xFF000000u;
    if (i < h.paletteCount) {
      const uint8_t* e = d + h.paletteOffset + i * h.paletteEntrySize;
      palette[i] = PackArgb(255, e[2], e[1], e[0]);
    }
  }
  return true;
}

HRESULT DecodePalettised(const uint8_t* d, size_t size, const BmpHeader& h, size_t stride,
                         DecodedImage* out) {
  uint32_t palette[256];
  if (!ReadPalette(d, size, h, palette)) return D3DXERR_INVALIDDATA;
  const unsigned bpp = h.bitCount;
  const unsigned perByte = 8 / bpp;
  const unsigned indexMask = (1u << bpp) - 1;
  for (int y = 0; y < h.height; ++y) {
    const uint8_t* row = d + h.pixelOffset + static_cast<size_t>(y) * stride;
    const int destY = h.topDown ? y : h.height - 1 - y;
    uint32_t* dest = &out->argb[static_cast<size_t>(destY) * h.width];
    for (int x = 0; x < h.width; ++x) {
      const uint8_t byte = row[x / perByte];
      const unsigned shift = 8 - bpp * (x % perByte + 1);
      dest[x] = palette[(byte >> shift) & indexMask];
    }
  }
  out->fileFormat = D3DFMT_P8;
  return D3D_OK;
}

// BI_RLE8 / BI_RLE4, from the bottom row up: a count and a value draw that many pixels (RLE4: the
// value's two nibbles in turn, high first); 0 0 ends a row, 0 1 the bitmap, 0 2 dx dy moves right
// and up; 0 n (n >= 3) is followed by n literal pixels, padded to a whole number of 16-bit words.
// Pixels the runs never reach (skipped by a move, or past an early end) take palette index 0, as in
// a bitmap that starts zeroed; runs past a row's end are cut there, and a stream that stops without
// its end marker leaves the rest unreached. Nothing is read past the file.
HRESULT DecodeRunLength(const uint8_t* d, size_t size, const BmpHeader& h, DecodedImage* out) {
  uint32_t palette[256];
  if (!ReadPalette(d, size, h, palette)) return D3DXERR_INVALIDDATA;
  const bool nibbles = h.compression == kBiRle4;
  std::fill(out->argb.begin(), out->argb.end(), palette[0]);
  int x = 0, y = 0;  // y counts rows from the bottom
  auto put = [&](unsigned index) {
    if (x < h.width && y < h.height) out->argb[static_cast<size_t>(h.height - 1 - y) * h.width + x] = palette[index];
    ++x;
  };
  size_t at = h.pixelOffset;
  while (at + 2 <= size && y < h.height) {
    const unsigned count = d[at], value = d[at + 1];
    at += 2;
    if (count > 0) {
      for (unsigned i = 0; i < count; ++i) put(nibbles ? (i % 2 ? value & 15 : value >> 4) : value);
    } else if (value == 0) {
      x = 0, ++y;
    } else if (value == 1) {
      break;
    } else if (value == 2) {
      if (at + 2 > size) break;
      x += d[at], y += d[at + 1];
      at += 2;
    } else {
      const size_t bytes = nibbles ? (value + 1) / 2 : value;
      if (at + bytes > size) break;
      for (unsigned i = 0; i < value; ++i) put(nibbles ? (d[at + i / 2] >> (i % 2 ? 0 : 4)) & 15 : d[at + i]);
      at += (bytes + 1) & ~size_t{1};
    }
  }
  out->fileFormat = D3DFMT_P8;
  return D3D_OK;
}

HRESULT DecodeDirect(const uint8_t* d, const BmpHeader& h, size_t stride, DecodedImage* out) {
  Channel ch[4];
  if (h.hasMasks) {
    for (int i = 0; i < 4; ++i) {
      if (!MakeChannel(h.masks[i], &ch[i])) return D3DXERR_INVALIDDATA;
      if (h.bitCount == 16 && (h.masks[i] >> 16) != 0) return D3DXERR_INVALIDDATA;
    }
  } else if (h.bitCount == 16) {
    MakeChannel(0x7C00, &ch[0]);
    MakeChannel(0x03E0, &ch[1]);
    MakeChannel(0x001F, &ch[2]);
  } else {
    MakeChannel(0x00FF0000, &ch[0]);
    MakeChannel(0x0000FF00, &ch[1]);
    MakeChannel(0x000000FF, &ch[2]);
    if (h.bitCount == 32) MakeChannel(0xFF000000u, &ch[3]);
  }
  const unsigned bytes = h.bitCount / 8;
  bool anyAlpha = false;
  for (int y = 0; y < h.height; ++y) {
    const uint8_t* row = d + h.pixelOffset + static_cast<size_t>(y) * stride;
    const int destY = h.topDown ? y : h.height - 1 - y;
    uint32_t* dest = &out->argb[static_cast<size_t>(destY) * h.width];
    for (int x = 0; x < h.width; ++x) {
      const uint8_t* p = row + static_cast<size_t>(x) * bytes;
      uint32_t v = bytes == 2 ? ReadLe16(p)
                   : bytes == 3 ? (p[0] | (p[1] << 8) | (p[2] << 16))
                                : ReadLe32(p);
      const uint8_t a = ch[3].Extract(v);
      anyAlpha = anyAlpha || a != 0;
      dest[x] = PackArgb(a, ch[0].Extract(v), ch[1].Extract(v), ch[2].Extract(v));
    }
  }
  out->hasAlpha = anyAlpha;
  if (!anyAlpha) {
    for (uint32_t& px : out->argb) px |= 0xFF000000u;
  }
  if (h.bitCount == 24) {
    out->fileFormat = D3DFMT_R8G8B8;
  } else if (h.bitCount == 32) {
    out->fileFormat = anyAlpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
  } else if (ch[0].mask == 0xF800 && ch[1].mask == 0x07E0 && ch[2].mask == 0x001F) {
    out->fileFormat = D3DFMT_R5G6B5;
  } else {
    out->fileFormat = anyAlpha ? D3DFMT_A1R5G5B5 : D3DFMT_X1R5G5B5;
  }
  return D3D_OK;
}

// `base` is where the info header starts: after the 14-byte file header for a .bmp, 0 for a DIB.
HRESULT DecodeBitmap(const uint8_t* d, size_t size, size_t base, const ImageLimits& limits, DecodedImage* out) {
  BmpHeader h;
  HRESULT hr = ReadHeader(d, size, base, limits, &h);
  if (FAILED(hr)) return hr;
  if (base == kFileHeaderSize) {
    h.pixelOffset = ReadLe32(d + 10);
  } else {
    h.pixelOffset = h.paletteOffset + (h.bitCount <= 8 ? h.paletteCount * h.paletteEntrySize : 0);
  }
  const size_t stride = ((static_cast<size_t>(h.width) * h.bitCount + 31) / 32) * 4;
  const bool runLength = h.compression == kBiRle8 || h.compression == kBiRle4;
  // Every row, padding included, must be there before we allocate for them. Two bytes of runs make
  // at most 255 pixels: a run-length bitmap much larger than its bytes can make is refused too
  // (moves and an early end could reach further, but editors do not write bitmaps that way).
  if (h.pixelOffset > size) return D3DXERR_INVALIDDATA;
  const size_t have = size - h.pixelOffset;
  const size_t pixels = static_cast<size_t>(h.width) * static_cast<size_t>(h.height);
  if (runLength ? have < 2 || pixels > 128 * have + 65536 : have / stride < static_cast<size_t>(h.height)) {
    return D3DXERR_INVALIDDATA;
  }
  out->width = h.width;
  out->height = h.height;
  out->hasAlpha = false;
  out->argb.assign(static_cast<size_t>(h.width) * h.height, 0);
  if (runLength) return DecodeRunLength(d, size, h, out);
  if (h.bitCount <= 8) return DecodePalettised(d, size, h, stride, out);
  return DecodeDirect(d, h, stride, out);
}

}  // namespace

HRESULT DecodeBmp(const uint8_t* data, size_t size, DecodedImage* out, const ImageLimits& limits) {
  const bool fileHeader = size >= 2 && data[0] == 'B' && data[1] == 'M';
  if (fileHeader && size < kFileHeaderSize) return D3DXERR_INVALIDDATA;
  const HRESULT hr = DecodeBitmap(data, size, fileHeader ? kFileHeaderSize : 0, limits, out);
  // The pixels are allocated before the palette and the runs are read: a failure found there
  // must not leave a half-made image behind, as the other decoders do not.
  if (FAILED(hr)) *out = DecodedImage{};
  return hr;
}

bool LooksLikeDib(const uint8_t* data, size_t size) {
  if (size < 16) return false;
  const uint32_t headerSize = ReadLe32(data);
  const bool knownSize = headerSize == 40 || headerSize == 52 || headerSize == 56 ||
                         headerSize == 108 || headerSize == 124;
  return knownSize && ReadLe16(data + 12) == 1;
}

}  // namespace d3dx
