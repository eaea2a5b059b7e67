// Image files held in memory (BMP/DIB, TGA, JPEG, PNG) decoded into one 32-bit form.
//
// Every decoder writes a DecodedImage: pixels as 0xAARRGGBB, rows top first, no padding. Images
// without an alpha channel get alpha 255 everywhere and hasAlpha false. fileFormat names the
// Direct3D format that describes the file's own pixels (R8G8B8 for a 24-bit BMP, P8 for a
// palettised one, ...); it is informational, the texture format is chosen from hasAlpha.
//
// Results: D3D_OK; D3DERR_INVALIDCALL for a null pointer or zero size; D3DXERR_INVALIDDATA for data
// that is not a supported image or is damaged or truncated. The decoders never read outside the
// given bytes and refuse, before allocating for them, sizes the data could not make (for the
// compressed formats, at the densest their encodings reach) and sizes past the limits they are given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/d3dx8/d3dx8.h"

namespace d3dx {

struct DecodedImage {
  int width = 0;   // pixels
  int height = 0;  // pixels
  std::vector<uint32_t> argb;  // width * height, 0xAARRGGBB, top row first
  bool hasAlpha = false;
  D3DFORMAT fileFormat = D3DFMT_UNKNOWN;
};

enum class ImageFileType { Unknown, Bmp, Jpeg, Png, Tga };

// Largest side any decoder accepts, in pixels: the largest texture any device reports.
constexpr int kMaxImageSide = 4096;

// The largest picture a decode accepts; the texture loader passes the device's largest texture. A
// picture past it is refused from its header, before anything of its size is allocated.
struct ImageLimits {
  int maxWidth = kMaxImageSide;   // pixels
  int maxHeight = kMaxImageSide;  // pixels
  bool Allow(long long width, long long height) const { return width <= maxWidth && height <= maxHeight; }
};

// By magic bytes; TGA has none, so it is what remains when its header is plausible.
ImageFileType DetectImageFileType(const uint8_t* data, size_t size);

HRESULT DecodeImage(const void* data, size_t size, DecodedImage* out, const ImageLimits& limits = {});

HRESULT DecodeBmp(const uint8_t* data, size_t size, DecodedImage* out, const ImageLimits& limits = {});
HRESULT DecodeTga(const uint8_t* data, size_t size, DecodedImage* out, const ImageLimits& limits = {});
HRESULT DecodeJpeg(const uint8_t* data, size_t size, DecodedImage* out, const ImageLimits& limits = {});
HRESULT DecodePng(const uint8_t* data, size_t size, DecodedImage* out, const ImageLimits& limits = {});

}  // namespace d3dx
