// Surfaces of the software device: colour targets in their Direct3D format, depth as 16-bit values.
//
// A colour surface holds rows of pixels top row first, `pitch` bytes apart, each pixel in the
// little-endian layout of its format (X8R8G8B8 lies in memory as B, G, R, X). Depth values are
// unsigned 16-bit fractions: 0 is the near plane (z 0.0), 65535 the far plane (z 1.0).
// Colour conversion truncates each 8-bit channel to the format's width; widening back to 8 bits
// repeats the top bits (5-bit 31 -> 255), so white stays white and black stays black.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3d8/d3d8.h"
#include "platform/present/present.h"

namespace d3d8::ref {

struct ColorSurface {
  UINT width = 0;   // pixels
  UINT height = 0;  // pixels
  UINT pitch = 0;   // bytes from one row to the next
  D3DFORMAT format = D3DFMT_UNKNOWN;
  std::vector<std::uint8_t> bytes;
};

struct DepthSurface {
  UINT width = 0;   // pixels
  UINT height = 0;  // pixels
  std::vector<std::uint16_t> values;  // row-major, top row first
};

UINT BytesPerPixel(D3DFORMAT format);

ColorSurface MakeColorSurface(UINT width, UINT height, D3DFORMAT format);
DepthSurface MakeDepthSurface(UINT width, UINT height);

// The stored bits of a colour in the surface's format (X bits are written as 0).
std::uint32_t PackColor(D3DFORMAT format, D3DCOLOR color);

std::uint32_t ReadPixel(const ColorSurface& surface, UINT x, UINT y);
void WritePixel(ColorSurface& surface, UINT x, UINT y, std::uint32_t bits);

// z is clamped to [0, 1] and rounded to the nearest 16-bit step.
std::uint16_t DepthFromZ(float z);

// Fills the rectangle [x1, x2) x [y1, y2), which must lie inside the surface.
void FillColor(ColorSurface& surface, const D3DRECT& rect, D3DCOLOR color);
void FillDepth(DepthSurface& surface, const D3DRECT& rect, float z);

// The surface as 0x00RRGGBB pixels, top row first, into `image`, whose buffer is reused: a device
// presenting at 60 frames/s does not allocate and clear a new one for every frame.
void ToFrameImage(const ColorSurface& surface, platform::FrameImage& image);

}  // namespace d3d8::ref
