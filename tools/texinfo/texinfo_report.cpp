#include "tools/texinfo/texinfo_report.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <png.h>

#include "platform/d3d8/offscreen_device.h"
#include "platform/d3dx8/d3dx8.h"
#include "platform/d3dx8/texture_layout.h"
#include "tools/common/sha256.h"

namespace texinfo {
namespace {

std::string HexResult(HRESULT hr) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(hr));
  return buf;
}

// libpng reports errors by longjmp to the setjmp here, so this function holds nothing with a
// destructor.
bool WritePngRows(FILE* file, png_uint_32 width, png_uint_32 height, png_bytep* rows) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  volatile bool ok = false;
  if (png && info && setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    ok = true;
  }
  png_destroy_write_struct(&png, &info);
  return ok;
}

}  // namespace

std::vector<uint8_t> RgbaBytes(const d3dx::DecodedImage& image) {
  std::vector<uint8_t> bytes;
  bytes.reserve(image.argb.size() * 4);
  for (uint32_t p : image.argb) {
    bytes.push_back(static_cast<uint8_t>(p >> 16));
    bytes.push_back(static_cast<uint8_t>(p >> 8));
    bytes.push_back(static_cast<uint8_t>(p));
    bytes.push_back(static_cast<uint8_t>(p >> 24));
  }
  return bytes;
}

bool TextureFromFile(const std::vector<uint8_t>& file, TextureFacts* facts, std::string& error) {
  const d3d8::OffscreenDevice device({16, 16});
  if (!device.get()) {
    error = "cannot create the software device (" + HexResult(device.result()) + ")";
    return false;
  }
  IDirect3DTexture8* texture = nullptr;
  HRESULT hr = D3DXCreateTextureFromFileInMemory(device.get(), file.data(), static_cast<UINT>(file.size()),
                                                 &texture);
  D3DSURFACE_DESC desc{};
  if (SUCCEEDED(hr)) {
    hr = texture->GetLevelDesc(0, &desc);
    texture->Release();
  }
  if (FAILED(hr)) {
    error = "texture creation failed (" + HexResult(hr) + ")";
    return false;
  }
  *facts = TextureFacts{desc.Width, desc.Height, desc.Format};
  return true;
}

std::string ReportLine(const d3dx::DecodedImage& image, const TextureFacts& facts) {
  const std::vector<uint8_t> rgba = RgbaBytes(image);
  char head[128];
  std::snprintf(head, sizeof head, "image=%dx%d texture=%ux%u format=%s sha256=", image.width,
                image.height, facts.width, facts.height, d3dx::FormatName(facts.format));
  return head + tools::Sha256Hex(rgba.data(), rgba.size());
}

bool WriteRgbaPng(const std::string& path, const d3dx::DecodedImage& image, std::string& error) {
  std::vector<uint8_t> rgba = RgbaBytes(image);
  std::vector<png_bytep> rows(static_cast<size_t>(image.height));
  for (int y = 0; y < image.height; ++y) rows[y] = &rgba[static_cast<size_t>(y) * image.width * 4];
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  bool ok = WritePngRows(file, static_cast<png_uint_32>(image.width),
                         static_cast<png_uint_32>(image.height), rows.data());
  if (std::fclose(file) != 0) ok = false;
  if (!ok) {
    error = "cannot write " + path;
    std::remove(path.c_str());
  }
  return ok;
}

}  // namespace texinfo
