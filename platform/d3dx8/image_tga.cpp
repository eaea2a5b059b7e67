// TGA decoding: colour-mapped (types 1 and 9, 8-bit indices into 15, 16, 24 or 32-bit map
// entries), true colour (2 and 10: 15, 16, 24, 32 bits), grey (3 and 11: 8 bits, or 16 with
// alpha), run-length encoded or not, any origin (descriptor bit 5 = top row first, bit 4 = right
// to left). RLE packets may run on into the next row, as some writers produce them.
//
// Alpha follows the pixel size as D3DX reads it: 32-bit and 16-bit pixels (and map entries)
// carry alpha, 15 and 24-bit ones do not; the descriptor's attribute-bit count is ignored.
#include <algorithm>

#include "platform/d3dx8/image_bits.h"
#include "platform/d3dx8/image_decode.h"

namespace d3dx {
namespace {

constexpr size_t kHeaderSize = 18;

struct TgaHeader {
  unsigned idLength, colorMapType, imageType;
  unsigned mapFirst, mapLength, mapBits;
  int width, height;
  unsigned bpp, descriptor;
};

TgaHeader ParseHeader(const uint8_t* d) {
  return TgaHeader{d[0], d[1], d[2], ReadLe16(d + 3), ReadLe16(d + 5), d[7],
                   ReadLe16(d + 12), ReadLe16(d + 14), d[16], d[17]};
}

unsigned BaseType(unsigned imageType) { return imageType & 7; }

bool HeaderIsPlausible(const TgaHeader& h) {
  if (h.colorMapType > 1) return false;
  if (h.imageType != 1 && h.imageType != 2 && h.imageType != 3 && h.imageType != 9 &&
      h.imageType != 10 && h.imageType != 11) {
    return false;
  }
  if (h.width == 0 || h.height == 0) return false;
  if (h.colorMapType == 1 && h.mapBits != 15 && h.mapBits != 16 && h.mapBits != 24 &&
      h.mapBits != 32) {
    return false;
  }
  switch (BaseType(h.imageType)) {
    case 1: return h.colorMapType == 1 && h.bpp == 8;
    case 2: return h.bpp == 15 || h.bpp == 16 || h.bpp == 24 || h.bpp == 32;
    default: return h.bpp == 8 || h.bpp == 16;
  }
}

// One colour value (map entry or true-colour pixel) of `bits` bits, bytes B, G, R(, A).
uint32_t ColourValue(const uint8_t* p, unsigned bits) {
  switch (bits) {
    case 15: return Argb1555(ReadLe16(p), false);
    case 16: return Argb1555(ReadLe16(p), true);
    case 24: return PackArgb(255, p[2], p[1], p[0]);
    default: return PackArgb(p[3], p[2], p[1], p[0]);
  }
}

struct PixelReader {
  const TgaHeader& h;
  const uint32_t* palette;  // 256 entries for colour-mapped images
  uint32_t operator()(const uint8_t* p) const {
    switch (BaseType(h.imageType)) {
      case 1: return palette[p[0]];
      case 2: return ColourValue(p, h.bpp);
      default: return PackArgb(h.bpp == 16 ? p[1] : 255, p[0], p[0], p[0]);
    }
  }
};

// Unpacks `count` pixels from the stream at `pos` in file order; false when the data runs out.
bool ReadPixels(const uint8_t* d, size_t size, size_t pos, const TgaHeader& h,
                const PixelReader& reader, std::vector<uint32_t>& pixels) {
  const size_t pixelBytes = (h.bpp + 7) / 8;
  const size_t count = pixels.size();
  if (h.imageType < 9) {
    if ((size - pos) / pixelBytes < count) return false;
    for (size_t i = 0; i < count; ++i) pixels[i] = reader(d + pos + i * pixelBytes);
    return true;
  }
  size_t i = 0;
  while (i < count) {
    if (pos >= size) return false;
    const uint8_t packet = d[pos++];
    const size_t run = std::min<size_t>((packet & 0x7F) + 1, count - i);
    if (packet & 0x80) {
      if (size - pos < pixelBytes) return false;
      const uint32_t value = reader(d + pos);
      pos += pixelBytes;
      for (size_t k = 0; k < run; ++k) pixels[i++] = value;
    } else {
      if ((size - pos) / pixelBytes < run) return false;
      for (size_t k = 0; k < run; ++k, pos += pixelBytes) pixels[i++] = reader(d + pos);
    }
  }
  return true;
}

// Rows from the file's order (bottom first unless topDown, pixels right to left when rightToLeft) to top-left first.
void TurnToTopLeft(std::vector<uint32_t>& argb, int width, int height, bool topDown, bool rightToLeft) {
  const auto row = [&](int y) { return argb.begin() + static_cast<ptrdiff_t>(y) * width; };
  if (!topDown) {
    for (int y = 0; y < height / 2; ++y) std::swap_ranges(row(y), row(y + 1), row(height - 1 - y));
  }
  if (rightToLeft) {
    for (int y = 0; y < height; ++y) std::reverse(row(y), row(y + 1));
  }
}

}  // namespace

bool LooksLikeTga(const uint8_t* data, size_t size) {
  return size >= kHeaderSize && HeaderIsPlausible(ParseHeader(data));
}

HRESULT DecodeTga(const uint8_t* d, size_t size, DecodedImage* out, const ImageLimits& limits) {
  if (!LooksLikeTga(d, size)) return D3DXERR_INVALIDDATA;
  const TgaHeader h = ParseHeader(d);
  if (!limits.Allow(h.width, h.height)) return D3DXERR_INVALIDDATA;
  size_t pos = kHeaderSize + h.idLength;
  uint32_t palette[256];
  bool paletteAlpha = false;
  if (h.colorMapType == 1) {
    const size_t entryBytes = (h.mapBits + 7) / 8;
    if (pos > size || (size - pos) / entryBytes < h.mapLength) return D3DXERR_INVALIDDATA;
    // Indices outside the map read as the entries D3DX leaves unused: all bits set.
    for (unsigned i = 0; i < 256; ++i) {
      palette[i] = 0xFFFFFFFFu;
      if (i >= h.mapFirst && i - h.mapFirst < h.mapLength) {
        palette[i] = ColourValue(d + pos + (i - h.mapFirst) * entryBytes, h.mapBits);
      }
    }
    pos += entryBytes * h.mapLength;
    paletteAlpha = h.mapBits == 16 || h.mapBits == 32;
  }
  if (pos > size) return D3DXERR_INVALIDDATA;
  const size_t count = static_cast<size_t>(h.width) * h.height;
  const size_t pixelBytes = (h.bpp + 7) / 8;
  // A run packet holds at most 128 pixels in 1 + pixelBytes bytes: refuse more than that first.
  const size_t available = size - pos;
  const bool fits = h.imageType < 9 ? available / pixelBytes >= count
                                    : available / (1 + pixelBytes) >= (count + 127) / 128;
  if (!fits) return D3DXERR_INVALIDDATA;

  // The pixels go straight into the result in file order and are turned in place: one image-sized buffer.
  out->argb.resize(count);
  if (!ReadPixels(d, size, pos, h, PixelReader{h, palette}, out->argb)) {
    *out = DecodedImage{};
    return D3DXERR_INVALIDDATA;
  }
  out->width = h.width;
  out->height = h.height;
  TurnToTopLeft(out->argb, h.width, h.height, (h.descriptor & 0x20) != 0, (h.descriptor & 0x10) != 0);
  switch (BaseType(h.imageType)) {
    case 1:
      out->hasAlpha = paletteAlpha;
      out->fileFormat = D3DFMT_P8;
      break;
    case 2:
      out->hasAlpha = h.bpp == 16 || h.bpp == 32;
      out->fileFormat = h.bpp == 15 ? D3DFMT_X1R5G5B5
                        : h.bpp == 16 ? D3DFMT_A1R5G5B5
                        : h.bpp == 24 ? D3DFMT_R8G8B8
                                      : D3DFMT_A8R8G8B8;
      break;
    default:
      out->hasAlpha = h.bpp == 16;
      out->fileFormat = h.bpp == 16 ? D3DFMT_A8L8 : D3DFMT_L8;
      break;
  }
  return D3D_OK;
}

}  // namespace d3dx
