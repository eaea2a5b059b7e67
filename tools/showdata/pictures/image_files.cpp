#include "tools/showdata/pictures/image_files.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include <jpeglib.h>

#include "tools/showdata/pictures/indexed_bmp.h"

namespace pictures {
namespace {

std::uint8_t Level(float v) {
  return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
}

void PutLe16(std::vector<std::uint8_t>& out, unsigned v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xFF));
  out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

// Over black: the premultiplied colour is the visible one.
Rgba8 Opaque(const Pixel& p) { return Rgba8{Level(p.r), Level(p.g), Level(p.b), 255}; }

}  // namespace

Rgba8 ToRgba8(const Pixel& p) {
  const std::uint8_t a = Level(p.a);
  if (a == 0) return Rgba8{0, 0, 0, 0};
  const float k = 1 / std::max(p.a, 1e-6f);
  return Rgba8{Level(p.r * k), Level(p.g * k), Level(p.b * k), a};
}

std::vector<std::uint8_t> EncodeBmp24(const Canvas& canvas) {
  const int w = canvas.width(), h = canvas.height();
  const std::uint32_t stride = (static_cast<std::uint32_t>(w) * 3 + 3) & ~3u;
  const std::uint32_t pixelBytes = stride * static_cast<std::uint32_t>(h);
  std::vector<std::uint8_t> out;
  out.reserve(54 + pixelBytes);
  AppendBmpHeaders(out, static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(h), 24, 0);
  for (int y = h - 1; y >= 0; --y) {
    for (int x = 0; x < w; ++x) {
      const Rgba8 p = Opaque(canvas.at(x, y));
      out.push_back(p.b);
      out.push_back(p.g);
      out.push_back(p.r);
    }
    for (std::uint32_t pad = static_cast<std::uint32_t>(w) * 3; pad < stride; ++pad) out.push_back(0);
  }
  return out;
}

std::vector<std::uint8_t> EncodeTga(const Canvas& canvas, bool withAlpha) {
  const int w = canvas.width(), h = canvas.height();
  std::vector<std::uint8_t> out = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  PutLe16(out, static_cast<unsigned>(w));
  PutLe16(out, static_cast<unsigned>(h));
  out.push_back(withAlpha ? 32 : 24);
  out.push_back(withAlpha ? 8 : 0);  // attribute bits; bottom-up, left to right
  for (int y = h - 1; y >= 0; --y) {
    for (int x = 0; x < w; ++x) {
      const Rgba8 p = withAlpha ? ToRgba8(canvas.at(x, y)) : Opaque(canvas.at(x, y));
      out.push_back(p.b);
      out.push_back(p.g);
      out.push_back(p.r);
      if (withAlpha) out.push_back(p.a);
    }
  }
  return out;
}

std::vector<std::uint8_t> EncodeJpeg(const Canvas& canvas, int quality) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr errors;
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(canvas.width());
  cinfo.image_height = static_cast<JDIMENSION>(canvas.height());
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  cinfo.dct_method = JDCT_ISLOW;  // the integer transform: the same bytes on every machine
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<std::uint8_t> row(static_cast<size_t>(canvas.width()) * 3);
  while (cinfo.next_scanline < cinfo.image_height) {
    const int y = static_cast<int>(cinfo.next_scanline);
    for (int x = 0; x < canvas.width(); ++x) {
      const Rgba8 p = Opaque(canvas.at(x, y));
      row[static_cast<size_t>(x) * 3] = p.r;
      row[static_cast<size_t>(x) * 3 + 1] = p.g;
      row[static_cast<size_t>(x) * 3 + 2] = p.b;
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::vector<std::uint8_t> out(buffer, buffer + size);
  jpeg_destroy_compress(&cinfo);
  std::free(buffer);
  return out;
}

}  // namespace pictures
