// Byte-level writers for the image files the decoder tests feed in: every BMP and TGA variant is
// built here field by field, PNG and JPEG through libpng and libjpeg.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace image_test {

using Bytes = std::vector<uint8_t>;

inline void Put16(Bytes& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
inline void Put32(Bytes& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

struct BmpSpec {
  int width = 1;
  int height = 1;  // negative: top-down
  unsigned bitCount = 24;
  uint32_t compression = 0;  // BI_RGB
  uint32_t headerSize = 40;  // 12, 40, 108 or 124
  std::vector<uint32_t> masks;  // R, G, B(, A): after a 40-byte header or inside V4/V5
  std::vector<uint32_t> palette;  // 0x00RRGGBB entries
  bool fileHeader = true;  // false: a bare DIB
};

// `rows`: the pixel bytes of each row as stored in the file order, without padding.
inline Bytes MakeBmp(const BmpSpec& s, const std::vector<Bytes>& rows) {
  Bytes info;
  const bool core = s.headerSize == 12;
  Put32(info, s.headerSize);
  if (core) {
    Put16(info, static_cast<uint32_t>(s.width));
    Put16(info, static_cast<uint32_t>(s.height));
    Put16(info, 1);
    Put16(info, s.bitCount);
  } else {
    Put32(info, static_cast<uint32_t>(s.width));
    Put32(info, static_cast<uint32_t>(s.height));
    Put16(info, 1);
    Put16(info, s.bitCount);
    Put32(info, s.compression);
    Put32(info, 0);  // image size
    Put32(info, 2835);
    Put32(info, 2835);
    Put32(info, static_cast<uint32_t>(s.palette.size()));
    Put32(info, 0);
    if (s.headerSize > 40) {
      for (size_t i = 0; i < 4; ++i) Put32(info, i < s.masks.size() ? s.masks[i] : 0);
      while (info.size() < s.headerSize) info.push_back(0);
    } else {
      for (uint32_t m : s.masks) Put32(info, m);
    }
  }
  for (uint32_t entry : s.palette) {
    info.push_back(static_cast<uint8_t>(entry));
    info.push_back(static_cast<uint8_t>(entry >> 8));
    info.push_back(static_cast<uint8_t>(entry >> 16));
    if (!core) info.push_back(0);
  }
  Bytes pixels;
  for (const Bytes& row : rows) {
    pixels.insert(pixels.end(), row.begin(), row.end());
    while (pixels.size() % 4) pixels.push_back(0);
  }
  Bytes file;
  if (s.fileHeader) {
    file = {'B', 'M'};
    Put32(file, static_cast<uint32_t>(14 + info.size() + pixels.size()));
    Put32(file, 0);
    Put32(file, static_cast<uint32_t>(14 + info.size()));
  }
  file.insert(file.end(), info.begin(), info.end());
  file.insert(file.end(), pixels.begin(), pixels.end());
  return file;
}

struct TgaSpec {
  uint8_t imageType = 2;
  int width = 1;
  int height = 1;
  uint8_t bpp = 24;
  uint8_t descriptor = 0;
  Bytes id;
  uint16_t mapFirst = 0;
  uint8_t mapBits = 0;
  Bytes colorMap;  // raw entries
  uint16_t mapLength = 0;
};

inline Bytes MakeTga(const TgaSpec& s, const Bytes& pixelData) {
  Bytes b;
  b.push_back(static_cast<uint8_t>(s.id.size()));
  b.push_back(s.mapLength ? 1 : 0);
  b.push_back(s.imageType);
  Put16(b, s.mapFirst);
  Put16(b, s.mapLength);
  b.push_back(s.mapBits);
  Put16(b, 0);
  Put16(b, 0);
  Put16(b, static_cast<uint32_t>(s.width));
  Put16(b, static_cast<uint32_t>(s.height));
  b.push_back(s.bpp);
  b.push_back(s.descriptor);
  b.insert(b.end(), s.id.begin(), s.id.end());
  b.insert(b.end(), s.colorMap.begin(), s.colorMap.end());
  b.insert(b.end(), pixelData.begin(), pixelData.end());
  return b;
}

// PNG through libpng. colorType and bitDepth as libpng names them; `samples` holds the raw
// channel values row by row (16-bit samples as values 0..65535).
struct PngSpec {
  int width = 1;
  int height = 1;
  int colorType = 2;  // PNG_COLOR_TYPE_RGB
  int bitDepth = 8;
  std::vector<uint32_t> palette;  // 0x00RRGGBB
  std::vector<uint8_t> paletteAlpha;  // tRNS for palette images
  bool interlaced = false;
};
Bytes MakePng(const PngSpec& spec, const std::vector<uint32_t>& samples);

// JPEG through libjpeg at the given quality; `samples` are 1 or 3 bytes per pixel.
Bytes MakeJpeg(int width, int height, int components, const Bytes& samples, int quality,
               bool progressive = false);

}  // namespace image_test
