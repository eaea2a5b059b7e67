#include "platform/d3d8/ref/ref_surface.h"

#include <emmintrin.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/d3d8/texture.h"

namespace d3d8::ref {

UINT BytesPerPixel(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_X8R8G8B8:
    case D3DFMT_A8R8G8B8:
      return 4;
    case D3DFMT_R8G8B8:
      return 3;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
      return 2;
    default:
      return 0;
  }
}

ColorSurface MakeColorSurface(UINT width, UINT height, D3DFORMAT format) {
  ColorSurface surface;
  surface.width = width;
  surface.height = height;
  surface.format = format;
  surface.pitch = width * BytesPerPixel(format);
  surface.bytes.assign(static_cast<std::size_t>(surface.pitch) * height, 0);
  return surface;
}

DepthSurface MakeDepthSurface(UINT width, UINT height) {
  DepthSurface surface;
  surface.width = width;
  surface.height = height;
  surface.values.assign(static_cast<std::size_t>(width) * height, 0xFFFF);
  return surface;
}

std::uint32_t PackColor(D3DFORMAT format, D3DCOLOR color) {
  const std::uint32_t a = color >> 24, r = (color >> 16) & 0xFF, g = (color >> 8) & 0xFF,
                      b = color & 0xFF;
  switch (format) {
    case D3DFMT_A8R8G8B8:
      return color;
    case D3DFMT_X8R8G8B8:
    case D3DFMT_R8G8B8:
      return color & 0x00FFFFFFu;
    case D3DFMT_R5G6B5:
      return ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
    case D3DFMT_X1R5G5B5:
      return ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
    case D3DFMT_A1R5G5B5:
      return ((a >> 7) << 15) | ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
    default:
      return 0;
  }
}

std::uint32_t ReadPixel(const ColorSurface& surface, UINT x, UINT y) {
  const UINT size = BytesPerPixel(surface.format);
  const std::uint8_t* p = surface.bytes.data() + static_cast<std::size_t>(y) * surface.pitch +
                          static_cast<std::size_t>(x) * size;
  std::uint32_t bits = 0;
  for (UINT i = 0; i < size; ++i) bits |= static_cast<std::uint32_t>(p[i]) << (8 * i);
  return bits;
}

void WritePixel(ColorSurface& surface, UINT x, UINT y, std::uint32_t bits) {
  const UINT size = BytesPerPixel(surface.format);
  std::uint8_t* p = surface.bytes.data() + static_cast<std::size_t>(y) * surface.pitch +
                    static_cast<std::size_t>(x) * size;
  for (UINT i = 0; i < size; ++i) p[i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

std::uint16_t DepthFromZ(float z) {
  const float clamped = std::clamp(z, 0.0f, 1.0f);
  return static_cast<std::uint16_t>(std::lround(clamped * 65535.0f));
}

void FillColor(ColorSurface& surface, const D3DRECT& rect, D3DCOLOR color) {
  const std::uint32_t bits = PackColor(surface.format, color);
  const UINT size = BytesPerPixel(surface.format);
  if ((size == 4 || size == 2) && rect.y1 < rect.y2) {
    // The first row is filled value by value (memcpy keeps it alias-safe); later rows copy it.
    const std::size_t offset = static_cast<std::size_t>(rect.x1) * size;
    const std::size_t length = static_cast<std::size_t>(rect.x2 - rect.x1) * size;
    std::uint8_t* first = surface.bytes.data() + static_cast<std::size_t>(rect.y1) * surface.pitch + offset;
    for (std::size_t i = 0; i < length; i += size) std::memcpy(first + i, &bits, size);
    for (LONG y = rect.y1 + 1; y < rect.y2; ++y) {
      std::memcpy(surface.bytes.data() + static_cast<std::size_t>(y) * surface.pitch + offset, first,
                  length);
    }
    return;
  }
  for (LONG y = rect.y1; y < rect.y2; ++y) {
    for (LONG x = rect.x1; x < rect.x2; ++x) {
      WritePixel(surface, static_cast<UINT>(x), static_cast<UINT>(y), bits);
    }
  }
}

void FillDepth(DepthSurface& surface, const D3DRECT& rect, float z) {
  const std::uint16_t value = DepthFromZ(z);
  for (LONG y = rect.y1; y < rect.y2; ++y) {
    auto row = surface.values.begin() + static_cast<std::ptrdiff_t>(y) * surface.width;
    std::fill(row + rect.x1, row + rect.x2, value);
  }
}

void ToFrameImage(const ColorSurface& surface, platform::FrameImage& image) {
  image.width = static_cast<int>(surface.width);
  image.height = static_cast<int>(surface.height);
  image.xrgb.resize(static_cast<std::size_t>(surface.width) * surface.height);  // kept from frame to frame
  std::uint32_t* out = image.xrgb.data();
  if (surface.format == D3DFMT_X8R8G8B8 || surface.format == D3DFMT_A8R8G8B8) {
    // Already 0xAARRGGBB words: copy each row and drop the top byte.
    for (UINT y = 0; y < surface.height; ++y, out += surface.width) {
      std::memcpy(out, surface.bytes.data() + static_cast<std::size_t>(y) * surface.pitch,
                  static_cast<std::size_t>(surface.width) * 4);
      UINT x = 0;
      for (const __m128i mask = _mm_set1_epi32(0x00FFFFFF); x + 4 <= surface.width; x += 4) {
        auto* four = reinterpret_cast<__m128i*>(out + x);
        _mm_storeu_si128(four, _mm_and_si128(_mm_loadu_si128(four), mask));
      }
      for (; x < surface.width; ++x) out[x] &= 0x00FFFFFFu;
    }
    return;
  }
  for (UINT y = 0; y < surface.height; ++y) {
    for (UINT x = 0; x < surface.width; ++x)
      *out++ = TexelToColor(surface.format, ReadPixel(surface, x, y)) & 0x00FFFFFFu;
  }
}

}  // namespace d3d8::ref
