// The file formats the show's pictures are stored in, written from a canvas.
//
// BMP: 24-bit BI_RGB, bottom-up rows padded to 4 bytes, 40-byte info header.
// TGA: uncompressed true colour (type 2), bottom-up; 32-bit with straight (non-premultiplied)
//      alpha and 8 attribute bits, or 24-bit without alpha.
// JPEG: baseline, 4:2:0, through libjpeg.
// Pictures without alpha are the canvas composed over black. Channels round to the nearest of 256
// levels.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/showdata/pictures/canvas.h"

namespace pictures {

std::vector<std::uint8_t> EncodeBmp24(const Canvas& canvas);
std::vector<std::uint8_t> EncodeTga(const Canvas& canvas, bool withAlpha);
std::vector<std::uint8_t> EncodeJpeg(const Canvas& canvas, int quality);

// One pixel as 8-bit straight-alpha channels.
struct Rgba8 {
  std::uint8_t r, g, b, a;
};
Rgba8 ToRgba8(const Pixel& p);

}  // namespace pictures
