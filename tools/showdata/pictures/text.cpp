#include "tools/showdata/pictures/text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <map>
#include <stdexcept>

namespace pictures {
namespace {

const char* FontFile(Font font) {
  switch (font) {
    case Font::Sans: return "DejaVuSans.ttf";
    case Font::SansBold: return "DejaVuSans-Bold.ttf";
    case Font::Condensed: return "DejaVuSansCondensed.ttf";
    case Font::CondensedBold: return "DejaVuSansCondensed-Bold.ttf";
    case Font::ExtraLight: return "DejaVuSans-ExtraLight.ttf";
  }
  return "DejaVuSans.ttf";
}

// One FreeType library and one face per font for the whole run.
FT_Face Face(Font font) {
  static FT_Library library = [] {
    FT_Library lib = nullptr;
    if (FT_Init_FreeType(&lib) != 0) throw std::runtime_error("FreeType could not be initialised");
    return lib;
  }();
  static std::map<Font, FT_Face> faces;
  auto found = faces.find(font);
  if (found != faces.end()) return found->second;
  const std::string path = std::string("/usr/share/fonts/truetype/dejavu/") + FontFile(font);
  FT_Face face = nullptr;
  if (FT_New_Face(library, path.c_str(), 0, &face) != 0) {
    throw std::runtime_error("cannot open font " + path + " (install fonts-dejavu-core)");
  }
  faces[font] = face;
  return face;
}

// Decodes UTF-8 into code points (the texts are ours; invalid bytes pass through as Latin-1).
std::vector<unsigned> CodePoints(const std::string& text) {
  std::vector<unsigned> out;
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 0xC0 && c < 0xE0 && i + 1 < text.size()) {
      out.push_back(((c & 0x1F) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3F));
      i += 2;
    } else if (c >= 0xE0 && c < 0xF0 && i + 2 < text.size()) {
      out.push_back(((c & 0x0F) << 12) | ((static_cast<unsigned char>(text[i + 1]) & 0x3F) << 6) |
                    (static_cast<unsigned char>(text[i + 2]) & 0x3F));
      i += 3;
    } else {
      out.push_back(c);
      ++i;
    }
  }
  return out;
}

}  // namespace

TextMask RenderText(Font font, int pixelSize, const std::string& text, float tracking) {
  FT_Face face = Face(font);
  if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize)) != 0) {
    throw std::runtime_error("FreeType cannot set size " + std::to_string(pixelSize));
  }
  const std::vector<unsigned> chars = CodePoints(text);
  // A generous work area: every glyph fits in 2 x size by 2 x size around its pen position.
  const int pad = pixelSize * 2;
  const int workW = static_cast<int>(chars.size() * (pixelSize * 1.5f + std::fabs(tracking))) + 2 * pad;
  const int workH = pixelSize * 3;
  const int baseline = pixelSize * 2;
  std::vector<float> work(static_cast<size_t>(workW) * workH, 0.0f);
  float pen = static_cast<float>(pad);
  FT_UInt previous = 0;
  for (unsigned cp : chars) {
    const FT_UInt glyph = FT_Get_Char_Index(face, cp);
    if (previous != 0 && glyph != 0 && FT_HAS_KERNING(face)) {
      FT_Vector kern;
      FT_Get_Kerning(face, previous, glyph, FT_KERNING_DEFAULT, &kern);
      pen += kern.x / 64.0f;
    }
    if (FT_Load_Glyph(face, glyph, FT_LOAD_DEFAULT) != 0 ||
        FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0) {
      throw std::runtime_error("FreeType cannot draw character " + std::to_string(cp));
    }
    const FT_Bitmap& bitmap = face->glyph->bitmap;
    const int left = static_cast<int>(std::lround(pen)) + face->glyph->bitmap_left;
    const int top = baseline - face->glyph->bitmap_top;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
      for (unsigned col = 0; col < bitmap.width; ++col) {
        const int x = left + static_cast<int>(col), y = top + static_cast<int>(row);
        if (x < 0 || y < 0 || x >= workW || y >= workH) continue;
        float& dest = work[static_cast<size_t>(y) * workW + x];
        dest = std::min(1.0f, dest + bitmap.buffer[row * bitmap.pitch + col] / 255.0f);
      }
    }
    pen += face->glyph->advance.x / 64.0f + tracking;
    previous = glyph;
  }
  int x0 = workW, y0 = workH, x1 = -1, y1 = -1;
  for (int y = 0; y < workH; ++y) {
    for (int x = 0; x < workW; ++x) {
      if (work[static_cast<size_t>(y) * workW + x] > 0) {
        x0 = std::min(x0, x);
        x1 = std::max(x1, x);
        y0 = std::min(y0, y);
        y1 = std::max(y1, y);
      }
    }
  }
  TextMask mask;
  if (x1 < 0) return mask;
  mask.width = x1 - x0 + 1;
  mask.height = y1 - y0 + 1;
  mask.alpha.resize(static_cast<size_t>(mask.width) * mask.height);
  for (int y = 0; y < mask.height; ++y) {
    for (int x = 0; x < mask.width; ++x) {
      mask.alpha[static_cast<size_t>(y) * mask.width + x] = work[static_cast<size_t>(y + y0) * workW + x + x0];
    }
  }
  return mask;
}

TextMask FitText(Font font, const std::string& text, int maxWidth, int maxHeight, int maxSize,
                 float trackingPerPixelSize) {
  // Ink is never less than a quarter of the pixel size high, which bounds the search.
  int low = 4, high = std::max(low, std::min(maxSize, maxHeight * 4));
  TextMask best = RenderText(font, low, text, trackingPerPixelSize * low);
  while (low < high) {
    const int mid = (low + high + 1) / 2;
    TextMask candidate = RenderText(font, mid, text, trackingPerPixelSize * mid);
    if (candidate.width <= maxWidth && candidate.height <= maxHeight) {
      low = mid;
      best = std::move(candidate);
    } else {
      high = mid - 1;
    }
  }
  return best;
}

void DrawLettering(Canvas& canvas, const TextMask& text, int x, int y, const Lettering& style) {
  if (text.width == 0) return;
  const int pad = static_cast<int>(std::ceil(style.glowRadius * 3 + style.rim + 2));
  const int w = text.width + 2 * pad, h = text.height + 2 * pad;
  auto maskAt = [&](int px, int py) {
    const int mx = px - pad, my = py - pad;
    if (mx < 0 || my < 0 || mx >= text.width || my >= text.height) return 0.0f;
    return text.at(mx, my);
  };
  // Glow: the blurred letters in the glow colour.
  if (style.glowStrength > 0 && style.glowRadius > 0) {
    Canvas glow(w, h);
    for (int py = 0; py < h; ++py) {
      for (int px = 0; px < w; ++px) glow.Blend(px, py, style.glow, maskAt(px, py));
    }
    glow.Blur(static_cast<int>(std::lround(style.glowRadius)));
    glow.Multiply(style.glowStrength * 1.6f);
    for (int py = 0; py < h; ++py) {
      for (int px = 0; px < w; ++px) {
        Pixel& p = glow.at(px, py);
        if (p.a > 1) {  // keep premultiplied values valid after the boost
          const float k = 1 / p.a;
          p = Pixel{p.r * k, p.g * k, p.b * k, 1};
        }
      }
    }
    canvas.Draw(glow, x - pad, y - pad);
  }
  // Rim: the letters grown by `rim` pixels, in the night colour.
  if (style.rim > 0) {
    const int r = static_cast<int>(std::ceil(style.rim));
    std::vector<float> falloff;
    for (int dy = -r; dy <= r; ++dy) {
      for (int dx = -r; dx <= r; ++dx) {
        falloff.push_back(std::clamp(style.rim + 0.5f - std::hypot(static_cast<float>(dx), static_cast<float>(dy)), 0.0f, 1.0f));
      }
    }
    Canvas rim(w, h);
    for (int py = 0; py < h; ++py) {
      for (int px = 0; px < w; ++px) {
        float m = 0;
        for (int dy = -r, k = 0; dy <= r; ++dy) {
          for (int dx = -r; dx <= r; ++dx, ++k) m = std::max(m, maskAt(px + dx, py + dy) * falloff[k]);
        }
        rim.Blend(px, py, palette::kNight, m * style.rimAlpha);
      }
    }
    canvas.Draw(rim, x - pad, y - pad);
  }
  for (int my = 0; my < text.height; ++my) {
    const Colour c = Mix(style.top, style.bottom, text.height > 1 ? static_cast<float>(my) / (text.height - 1) : 0);
    for (int mx = 0; mx < text.width; ++mx) canvas.Blend(x + mx, y + my, c, text.at(mx, my));
  }
}

void DrawLetteringCentred(Canvas& canvas, const TextMask& text, float cx, float cy, const Lettering& style) {
  DrawLettering(canvas, text, static_cast<int>(std::lround(cx - text.width / 2.0f)),
                static_cast<int>(std::lround(cy - text.height / 2.0f)), style);
}

}  // namespace pictures
