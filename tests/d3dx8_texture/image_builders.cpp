#include "image_builders.h"

#include <cstdio>
#include <stdexcept>

#include <jpeglib.h>
#include <png.h>

namespace image_test {
namespace {

void AppendPng(png_structp png, png_bytep data, size_t length) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

}  // namespace

Bytes MakePng(const PngSpec& spec, const std::vector<uint32_t>& samples) {
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  const int channels = spec.colorType == PNG_COLOR_TYPE_RGB ? 3
                       : spec.colorType == PNG_COLOR_TYPE_RGB_ALPHA ? 4
                       : spec.colorType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                                                                     : 1;
  const size_t perRow = static_cast<size_t>(spec.width) * channels;
  // Pack each row as libpng expects it for the bit depth.
  std::vector<Bytes> rows(spec.height);
  for (int y = 0; y < spec.height; ++y) {
    Bytes& row = rows[y];
    if (spec.bitDepth == 16) {
      for (size_t i = 0; i < perRow; ++i) {
        const uint32_t v = samples[y * perRow + i];
        row.push_back(static_cast<uint8_t>(v >> 8));
        row.push_back(static_cast<uint8_t>(v));
      }
    } else {
      row.assign((perRow * spec.bitDepth + 7) / 8, 0);
      for (size_t i = 0; i < perRow; ++i) {
        const size_t bit = i * spec.bitDepth;
        row[bit / 8] |= static_cast<uint8_t>(samples[y * perRow + i] << (8 - spec.bitDepth - bit % 8));
      }
    }
  }
  if (setjmp(png_jmpbuf(png))) throw std::runtime_error("libpng failed to write the test file");
  png_set_write_fn(png, &out, AppendPng, nullptr);
  png_set_IHDR(png, info, spec.width, spec.height, spec.bitDepth, spec.colorType,
               spec.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  std::vector<png_color> palette;
  for (uint32_t c : spec.palette) {
    palette.push_back({static_cast<png_byte>(c >> 16), static_cast<png_byte>(c >> 8),
                       static_cast<png_byte>(c)});
  }
  if (!palette.empty()) png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
  if (!spec.paletteAlpha.empty()) {
    png_set_tRNS(png, info, spec.paletteAlpha.data(), static_cast<int>(spec.paletteAlpha.size()),
                 nullptr);
  }
  png_write_info(png, info);
  std::vector<png_bytep> pointers;
  for (Bytes& row : rows) pointers.push_back(row.data());
  png_write_image(png, pointers.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

Bytes MakeJpeg(int width, int height, int components, const Bytes& samples, int quality,
               bool progressive) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr errors{};
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = components;
  cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  if (progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(&samples[static_cast<size_t>(cinfo.next_scanline) * width * components]);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  Bytes out(buffer, buffer + size);
  jpeg_destroy_compress(&cinfo);
  free(buffer);
  return out;
}

}  // namespace image_test
