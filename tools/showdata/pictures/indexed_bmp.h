// Pictures as 8-bit palettised BMP files, the form a Win32 bitmap resource takes.
//
// The canvas is composed over black and reduced to at most 256 colours: all of them when there
// are that few, otherwise by median cut (the box with the widest channel range times its pixel
// count is split at its median along that channel; each palette entry is its box's mean) and each
// pixel takes the nearest entry. No dithering, so the result is the same bits on every run.
// BMP: BITMAPFILEHEADER, 40-byte BITMAPINFOHEADER (BI_RGB, biClrUsed = palette size), the palette
// as B, G, R, 0 quads, rows bottom up padded to 4 bytes.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/showdata/pictures/canvas.h"

namespace pictures {

struct IndexedImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> palette;  // 0x00RRGGBB, at most 256 entries
  std::vector<std::uint8_t> indices;   // top row first
};

IndexedImage Quantise(const Canvas& canvas);
std::vector<std::uint8_t> EncodeBmp8(const IndexedImage& image);

// A BMP file's two headers (BITMAPFILEHEADER, 40-byte BITMAPINFOHEADER, BI_RGB, 72 dpi) for
// bottom-up rows padded to 4 bytes, with `paletteColours` palette entries following them.
void AppendBmpHeaders(std::vector<std::uint8_t>& out, std::uint32_t width, std::uint32_t height,
                      unsigned bitsPerPixel, std::uint32_t paletteColours);

}  // namespace pictures
