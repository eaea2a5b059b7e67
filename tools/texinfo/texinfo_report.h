// What texinfo computes: the decoded image's pixels as 8-bit RGBA rows (top row first, no
// padding) and their SHA-256, the texture the loader makes on a headless REF device, and the
// decoded image as a PNG file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3dx8/image_decode.h"

namespace texinfo {

std::vector<uint8_t> RgbaBytes(const d3dx::DecodedImage& image);

struct TextureFacts {
  unsigned width = 0;   // pixels, level 0
  unsigned height = 0;  // pixels, level 0
  D3DFORMAT format = D3DFMT_UNKNOWN;
};

// Creates the texture from the file bytes with D3DXCreateTextureFromFileInMemory on a REF device
// of a headless window. False with a one-line reason when any step fails.
bool TextureFromFile(const std::vector<uint8_t>& file, TextureFacts* facts, std::string& error);

// `image=WxH texture=WxH format=NAME sha256=HEX`
std::string ReportLine(const d3dx::DecodedImage& image, const TextureFacts& facts);

// Writes the image as an 8-bit RGBA PNG. False with a one-line reason on failure.
bool WriteRgbaPng(const std::string& path, const d3dx::DecodedImage& image, std::string& error);

}  // namespace texinfo
