#include "tools/showdata/contact_sheet/label_font.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>

namespace showdata {

const char* const kDejaVuSansPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

namespace {

FT_Library AsLibrary(void* p) { return static_cast<FT_Library>(p); }
FT_Face AsFace(void* p) { return static_cast<FT_Face>(p); }

// Blends value/255 of colour over the pixel.
void BlendPixel(platform::FrameImage& image, int x, int y, std::uint32_t colour, int value) {
  if (x < 0 || y < 0 || x >= image.width || y >= image.height || value == 0) return;
  std::uint32_t& p = image.xrgb[static_cast<std::size_t>(y) * image.width + x];
  std::uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const int under = (p >> shift) & 0xff;
    const int over = (colour >> shift) & 0xff;
    out |= static_cast<std::uint32_t>(under + ((over - under) * value + 127) / 255) << shift;
  }
  p = out;
}

}  // namespace

LabelFont::~LabelFont() {
  if (face_) FT_Done_Face(AsFace(face_));
  if (library_) FT_Done_FreeType(AsLibrary(library_));
}

bool LabelFont::Open(const std::string& path, int pixelHeight, std::string* error) {
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) {
    *error = "cannot start FreeType";
    return false;
  }
  library_ = library;
  FT_Face face = nullptr;
  if (FT_New_Face(library, path.c_str(), 0, &face) != 0) {
    *error = "cannot read the font " + path + " (fonts-dejavu-core)";
    return false;
  }
  face_ = face;
  FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelHeight));
  return true;
}

int LabelFont::Measure(const std::string& text) const {
  FT_Face face = AsFace(face_);
  int width = 0;
  for (unsigned char c : text) {
    if (FT_Load_Char(face, c, FT_LOAD_DEFAULT) == 0) width += static_cast<int>(face->glyph->advance.x >> 6);
  }
  return width;
}

int LabelFont::Draw(platform::FrameImage& image, int x, int y, const std::string& text, std::uint32_t colour,
                    int maxWidth) const {
  std::string shown = text;
  if (Measure(shown) > maxWidth) {
    while (!shown.empty() && Measure(shown + "..") > maxWidth) shown.pop_back();
    shown += "..";
  }
  FT_Face face = AsFace(face_);
  int penX = x;
  for (unsigned char c : shown) {
    if (FT_Load_Char(face, c, FT_LOAD_RENDER) != 0) continue;
    const FT_GlyphSlot g = face->glyph;
    const FT_Bitmap& bitmap = g->bitmap;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
      for (unsigned column = 0; column < bitmap.width; ++column) {
        const int value = bitmap.buffer[row * static_cast<unsigned>(std::abs(bitmap.pitch)) + column];
        BlendPixel(image, penX + g->bitmap_left + static_cast<int>(column), y - g->bitmap_top + static_cast<int>(row),
                   colour, value);
      }
    }
    penX += static_cast<int>(g->advance.x >> 6);
  }
  return penX - x;
}

}  // namespace showdata
