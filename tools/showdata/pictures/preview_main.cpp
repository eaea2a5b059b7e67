// showdata_pictures_preview <folder>: every picture of the show as a PNG, decoded by the same
// loader the show uses, and all of them on one sheet.png; transparent parts are shown over a dark
// checkerboard.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/d3dx8/image_decode.h"
#include "platform/png/png_writer.h"
#include "tools/showdata/pictures.h"

namespace {

std::string FileName(const std::string& entry) {
  std::string name = entry.substr(entry.rfind('\\') + 1);
  const std::string folder = entry.substr(0, entry.rfind('\\'));
  const std::string parent = folder.substr(folder.rfind('\\') + 1);
  if (parent != "graphics") name = parent + "_" + name;
  return name + ".png";
}

// One sheet of all pictures, in rows 1280 pixels wide; sheet pictures go in order.
struct Sheet {
  platform::FrameImage image{1280, 0, {}};
  int x = 0, y = 0, rowHeight = 0;
  void Place(const platform::FrameImage& picture) {
    if (x + picture.width > image.width) {
      x = 0;
      y += rowHeight + 8;
      rowHeight = 0;
    }
    if (y + picture.height > image.height) {
      image.height = y + picture.height;
      image.xrgb.resize(static_cast<size_t>(image.width) * image.height, 0x000000);
    }
    for (int py = 0; py < picture.height; ++py) {
      for (int px = 0; px < picture.width && x + px < image.width; ++px) {
        image.xrgb[static_cast<size_t>(y + py) * image.width + x + px] = picture.xrgb[static_cast<size_t>(py) * picture.width + px];
      }
    }
    x += picture.width + 8;
    rowHeight = std::max(rowHeight, picture.height);
  }
};

Sheet g_sheet;

bool WriteDecoded(const std::string& folder, const showdata::DataEntry& entry) {
  d3dx::DecodedImage image;
  if (FAILED(d3dx::DecodeImage(entry.bytes.data(), entry.bytes.size(), &image))) {
    std::fprintf(stderr, "error: %s does not decode\n", entry.name.c_str());
    return false;
  }
  platform::FrameImage frame;
  frame.width = image.width;
  frame.height = image.height;
  frame.xrgb.resize(image.argb.size());
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const std::uint32_t p = image.argb[static_cast<size_t>(y) * image.width + x];
      const unsigned a = p >> 24;
      const unsigned back = ((x / 8 + y / 8) % 2) ? 0x30 : 0x18;
      auto channel = [&](int shift) { return (((p >> shift) & 0xFF) * a + back * (255 - a)) / 255; };
      frame.xrgb[static_cast<size_t>(y) * image.width + x] = (channel(16) << 16) | (channel(8) << 8) | channel(0);
    }
  }
  g_sheet.Place(frame);
  std::string error;
  if (!platform::WritePng(folder + "/" + FileName(entry.name), frame, error)) {
    std::fprintf(stderr, "error: %s\n", error.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: showdata_pictures_preview <folder>\n");
    return 2;
  }
  const std::string folder = argv[1];
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) {
    std::fprintf(stderr, "error: cannot create %s: %s\n", folder.c_str(), ec.message().c_str());
    return 1;
  }
  try {
    bool ok = true;
    for (const auto& entry : showdata::MakeTextures()) ok = WriteDecoded(folder, entry) && ok;
    for (const auto& entry : showdata::MakeSecretPictures()) ok = WriteDecoded(folder, entry) && ok;
    const showdata::DataEntry text = showdata::MakeScrollerText();
    platform::FrameImage frame;
    frame.width = 400;
    frame.height = 35;
    for (std::uint8_t b : text.bytes) frame.xrgb.push_back(b ? (b << 16) | (b << 8) | b : 0x202040);
    std::string error;
    ok = platform::WritePng(folder + "/teksti.raw.png", frame, error) && ok;
    g_sheet.Place(frame);
    ok = platform::WritePng(folder + "/sheet.png", g_sheet.image, error) && ok;
    return ok ? 0 : 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "error: %s\n", e.what());
    return 1;
  }
}
