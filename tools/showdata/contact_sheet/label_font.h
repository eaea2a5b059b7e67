// Short one-line labels set in DejaVu Sans with FreeType, blended into a 0x00RRGGBB image.
#pragma once

#include <cstdint>
#include <string>

#include "platform/present/present.h"

namespace showdata {

class LabelFont {
 public:
  LabelFont() = default;
  ~LabelFont();
  LabelFont(const LabelFont&) = delete;
  LabelFont& operator=(const LabelFont&) = delete;

  // Loads the font file at the given pixel height; false with *error set to one line.
  bool Open(const std::string& path, int pixelHeight, std::string* error);

  // Draws text with its baseline at y, starting at x, in colour 0x00RRGGBB, anti-aliased over what
  // is there. Glyphs that would pass x + maxWidth are left out and the text ends in "..". Returns
  // the width drawn in pixels.
  int Draw(platform::FrameImage& image, int x, int y, const std::string& text, std::uint32_t colour,
           int maxWidth) const;
  // Width the text would take, in pixels.
  int Measure(const std::string& text) const;

 private:
  void* library_ = nullptr;  // FT_Library
  void* face_ = nullptr;     // FT_Face
};

// The regular DejaVu Sans file of fonts-dejavu-core.
extern const char* const kDejaVuSansPath;

}  // namespace showdata
