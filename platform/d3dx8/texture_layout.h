// How D3DX 8 lays a decoded image out as a texture with its default arguments: sides rounded up
// to powers of two (each on its own, at most kMaxTextureSide), the image rescaled with a
// triangle (tent) filter to fill the whole texture so that texture coordinates 0..1 cover the
// whole picture, the full mip chain made by 2x2 box averages, and A8R8G8B8 for images with an
// alpha channel, X8R8G8B8 for the rest (the 32-bit formats every device takes; they keep the
// file's 8-bit channels exactly).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3dx8/image_decode.h"

namespace d3dx {

// Pixels, as a device of the time reports; the loader refuses larger pictures, so rounding up never reaches past it.
constexpr unsigned kMaxTextureSide = kMaxImageSide;

struct TextureLayout {
  unsigned width = 0;   // pixels
  unsigned height = 0;  // pixels
  unsigned levels = 0;  // mip levels, down to 1 x 1
  D3DFORMAT format = D3DFMT_UNKNOWN;
};

unsigned RoundUpToPowerOfTwo(unsigned side);
TextureLayout ChooseTextureLayout(const DecodedImage& image);

// Pixels as 0xAARRGGBB rows, top first.
struct PixelImage {
  unsigned width = 0;
  unsigned height = 0;
  std::vector<uint32_t> argb;
};

// Tent-filtered resize; the same size gives back the same pixels exactly.
PixelImage ResizeImage(const PixelImage& source, unsigned width, unsigned height);
// The next mip level: each side halved (at least 1), 2x2 averages rounded to nearest.
PixelImage HalveImage(const PixelImage& source);

const char* FormatName(D3DFORMAT format);

}  // namespace d3dx
