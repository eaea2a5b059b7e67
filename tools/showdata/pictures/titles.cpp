// Lettering and the drawn backdrops. Every word here is Vornhold's own: the group, its four
// members (Nyxel, Halcyon Ash, Tarvo, Mirelle) and the show, "Coldlight".
#include <algorithm>
#include <cmath>
#include <string>

#include "tools/showdata/pictures/art.h"
#include "tools/showdata/pictures/text.h"

namespace pictures {
namespace {

constexpr float kPi = 3.14159265358979f;

Lettering IceStyle(float glowRadius = 6) {
  Lettering s;
  s.glowRadius = glowRadius;
  return s;
}

Lettering AmberStyle(float glowRadius = 4) {
  Lettering s;
  s.top = palette::kGold;
  s.bottom = palette::kAmber;
  s.glow = palette::kAmber;
  s.glowRadius = glowRadius;
  s.glowStrength = 0.6f;
  return s;
}

Lettering VioletStyle(float glowRadius = 6) {
  Lettering s;
  s.top = Hex(0xf0e6ff);
  s.bottom = Hex(0xb59cff);
  s.glow = palette::kViolet;
  s.glowRadius = glowRadius;
  return s;
}

// A thin amber rule with a soft halo, from (x0, y) to (x1, y).
void AccentRule(Canvas& c, float x0, float x1, float y, float alpha = 1) {
  c.Line(x0, y, x1, y, 5, palette::kAmber, 0.18f * alpha);
  c.Line(x0, y, x1, y, 1.5f, palette::kGold, alpha);
}

// Stars: small discs at hashed places, brighter ones with a glow.
void Stars(Canvas& c, int count, std::uint32_t seed, float yMax) {
  for (int i = 0; i < count; ++i) {
    const float x = Hash01(i, 1, seed) * c.width(), y = Hash01(i, 2, seed) * yMax;
    const float b = Hash01(i, 3, seed);
    const Colour tint = Mix(palette::kIce, palette::kGold, Hash01(i, 4, seed) > 0.85f ? 0.7f : 0.0f);
    c.Disc(x, y, 0.5f + b * 0.9f, tint, 0.35f + 0.65f * b);
    if (b > 0.9f) c.Glow(x, y, 6 + 10 * (b - 0.9f) * 10, palette::kTeal, 0.25f);
  }
}

// Layered geometric hills: a ridge of straight segments between hashed peaks, filled below.
void Ridge(Canvas& c, float baseY, float amplitude, int segments, Colour colour, std::uint32_t seed) {
  std::vector<float> peaks(segments + 1);
  for (int i = 0; i <= segments; ++i) peaks[i] = baseY - amplitude * Hash01(i, 7, seed);
  for (int x = 0; x < c.width(); ++x) {
    const float f = (x + 0.5f) / c.width() * segments;
    const int i = std::min(static_cast<int>(f), segments - 1);
    const float top = peaks[i] + (peaks[i + 1] - peaks[i]) * (f - i);
    for (int y = std::max(0, static_cast<int>(top)); y < c.height(); ++y) {
      c.Blend(x, y, colour, std::clamp(y + 1 - top, 0.0f, 1.0f));
    }
  }
}

void CentredText(Canvas& c, Font font, const std::string& text, float cx, float cy, int maxW, int maxH,
                 const Lettering& style, float tracking = 0) {
  DrawLetteringCentred(c, FitText(font, text, maxW, maxH, 400, tracking), cx, cy, style);
}

}  // namespace

std::array<Canvas, 4> CutFourPieces(const Canvas& whole) {
  return {whole.Crop(0, 0, 512, 256), whole.Crop(512, 0, 128, 256), whole.Crop(0, 256, 512, 32),
          whole.Crop(512, 256, 128, 32)};
}

Canvas NightSky(int width, int height) {
  Canvas c(width, height);
  c.VerticalGradient(Hex(0x03040c), Hex(0x162a5c));
  const float sx = width / 640.0f, sy = height / 480.0f;
  Stars(c, 420, 901, height * 0.8f);
  // The bright star: a cross of rays, a halo and a ring.
  const float cx = 452 * sx, cy = 190 * sy;
  c.Glow(cx, cy, 140 * sx, palette::kViolet, 0.5f);
  c.Glow(cx, cy, 70 * sx, palette::kTeal, 0.8f);
  c.Line(cx - 150 * sx, cy, cx + 150 * sx, cy, 1.5f, palette::kIce, 0.5f);
  c.Line(cx, cy - 110 * sy, cx, cy + 110 * sy, 1.5f, palette::kIce, 0.5f);
  c.Ring(cx, cy, 46 * sx, 1.2f, palette::kAmber, 0.6f);
  c.Disc(cx, cy, 7 * sx, palette::kIce);
  c.Glow(cx, cy, 22 * sx, Hex(0xffffff), 0.9f);
  // Horizon: a teal glow and two ridges.
  for (int y = static_cast<int>(300 * sy); y < height; ++y) {
    const float k = SmoothStep(300 * sy, 360 * sy, static_cast<float>(y)) * 0.35f;
    for (int x = 0; x < width; ++x) c.Add(x, y, palette::kTeal, k * 0.5f);
  }
  Ridge(c, 372 * sy, 50 * sy, 9, Hex(0x0b1433), 903);
  Ridge(c, 410 * sy, 40 * sy, 6, Hex(0x05081a), 904);
  return c;
}

Canvas NodeLabBackdrop() {
  Canvas c(640, 288);
  c.VerticalGradient(Hex(0x060a1e), Hex(0x10204a));
  // Faint circles around the knot's place, right of centre.
  for (int i = 1; i <= 5; ++i) c.Ring(400, 140, 40.0f * i, 1, palette::kTeal, 0.12f);
  // A network of nodes on a jittered grid, each joined to its right and lower neighbour.
  constexpr int kCols = 11, kRows = 5;
  float px[kRows][kCols], py[kRows][kCols];
  for (int r = 0; r < kRows; ++r) {
    for (int q = 0; q < kCols; ++q) {
      px[r][q] = 30 + q * 58 + (Hash01(q, r, 211) - 0.5f) * 36;
      py[r][q] = 26 + r * 56 + (Hash01(q, r, 212) - 0.5f) * 30;
    }
  }
  for (int r = 0; r < kRows; ++r) {
    for (int q = 0; q < kCols; ++q) {
      if (q + 1 < kCols && Hash01(q, r, 213) > 0.25f) c.Line(px[r][q], py[r][q], px[r][q + 1], py[r][q + 1], 1, palette::kTeal, 0.3f);
      if (r + 1 < kRows && Hash01(q, r, 214) > 0.4f) c.Line(px[r][q], py[r][q], px[r + 1][q], py[r + 1][q], 1, palette::kViolet, 0.35f);
    }
  }
  for (int r = 0; r < kRows; ++r) {
    for (int q = 0; q < kCols; ++q) {
      const bool warm = Hash01(q, r, 215) > 0.8f;
      const Colour col = warm ? palette::kAmber : palette::kTeal;
      c.Glow(px[r][q], py[r][q], warm ? 18 : 10, col, 0.5f);
      c.Disc(px[r][q], py[r][q], warm ? 3 : 2, warm ? palette::kGold : palette::kIce);
    }
  }
  Lettering label = IceStyle(3);
  label.glowStrength = 0.4f;
  DrawLettering(c, RenderText(Font::CondensedBold, 20, "NODE LAB"), 18, 236, label);
  DrawLettering(c, RenderText(Font::Condensed, 12, "vornhold signal research, level 02"), 18, 260, AmberStyle(2));
  return c;
}

Canvas LoadingPicture() {
  Canvas c(512, 256);
  c.VerticalGradient(Hex(0x050816), Hex(0x0c1838));
  Stars(c, 90, 301, 180);
  c.Ring(410, 96, 52, 1.5f, palette::kAmber, 0.7f);
  c.Glow(410, 96, 80, palette::kViolet, 0.4f);
  c.Disc(410, 96, 30, Hex(0x1a2450));
  c.Ring(410, 96, 30, 1, palette::kIce, 0.5f);
  Ridge(c, 230, 36, 7, Hex(0x03050e), 302);
  DrawLettering(c, FitText(Font::SansBold, "VORNHOLD", 300, 60, 400, 0.12f), 28, 92, IceStyle(7));
  DrawLettering(c, RenderText(Font::ExtraLight, 20, "loading the night"), 30, 170, AmberStyle(3));
  AccentRule(c, 30, 250, 204);
  // Fade the top and right edges into the black screen around the picture.
  for (int y = 0; y < 256; ++y) {
    for (int x = 0; x < 512; ++x) {
      const float k = SmoothStep(0, 40, static_cast<float>(y)) * SmoothStep(512, 440, static_cast<float>(x));
      Pixel& p = c.at(x, y);
      p = Pixel{p.r * k, p.g * k, p.b * k, 1};
    }
  }
  return c;
}

Canvas OpeningFlash() {
  Canvas c(640, 288);
  for (int y = 60; y < 200; ++y) {  // a soft band of light behind the name
    const float k = std::exp(-std::pow((y - 128) / 40.0f, 2.0f)) * 0.35f;
    for (int x = 0; x < 640; ++x) c.Blend(x, y, palette::kDeepBlue, k * SmoothStep(0, 200, x) * SmoothStep(640, 440, x));
  }
  CentredText(c, Font::SansBold, "VORNHOLD", 320, 120, 540, 96, IceStyle(9), 0.18f);
  const TextMask presents = RenderText(Font::ExtraLight, 26, "presents");
  DrawLetteringCentred(c, presents, 320, 192, AmberStyle(4));
  AccentRule(c, 150, 320 - presents.width / 2.0f - 16, 194);
  AccentRule(c, 320 + presents.width / 2.0f + 16, 490, 194);
  return c;
}

Canvas ShowTitle() {
  Canvas c(640, 288);
  c.Ring(320, 126, 108, 2, palette::kAmber, 0.5f);
  c.Ring(320, 126, 116, 1, palette::kTeal, 0.35f);
  c.Glow(320, 126, 150, palette::kViolet, 0.25f);
  CentredText(c, Font::ExtraLight, "COLDLIGHT", 320, 124, 580, 90, IceStyle(8), 0.12f);
  CentredText(c, Font::Condensed, "a vornhold production", 320, 214, 300, 24, AmberStyle(3), 0.05f);
  return c;
}

Canvas FlashWord(int which) {
  Canvas c(512, 256);
  switch (which) {
    case 0:  // the glowing knot
      CentredText(c, Font::SansBold, "KNOTWORK", 256, 110, 440, 80, VioletStyle(8), 0.08f);
      CentredText(c, Font::ExtraLight, "tied in cold light", 256, 172, 260, 28, AmberStyle(3));
      break;
    case 1: {  // the ring of balls: an open circle, the word low at the right
      for (int i = 0; i < 6; ++i) {
        const float a0 = i * kPi / 3 + 0.2f;
        for (int s = 0; s < 24; ++s) {
          const float a = a0 + s * 0.03f, b = a + 0.03f;
          c.Line(256 + 118 * std::cos(a), 128 + 118 * std::sin(a), 256 + 118 * std::cos(b), 128 + 118 * std::sin(b), 2,
                 palette::kTeal, 0.8f);
        }
      }
      const TextMask word = RenderText(Font::SansBold, 44, "ORBIT");
      DrawLettering(c, word, 500 - word.width, 196, IceStyle(6));
      break;
    }
    case 2: {  // the column: three words down the left side
      const char* words[3] = {"SPIN", "STACK", "REPEAT"};
      for (int i = 0; i < 3; ++i) {
        DrawLettering(c, RenderText(Font::SansBold, 40, words[i], 2), 24 + i * 18, 30 + i * 66,
                      i == 1 ? AmberStyle(5) : IceStyle(6));
      }
      AccentRule(c, 24, 200, 236);
      break;
    }
    default: {  // the dot tunnel's beat
      for (int i = 0; i < 32; ++i) {
        const float a = i * 2 * kPi / 32;
        const float r0 = 90, r1 = 90 + 40 + 60 * Hash01(i, 0, 401);
        c.Line(256 + r0 * std::cos(a), 128 + r0 * 0.5f * std::sin(a), 256 + r1 * std::cos(a),
               128 + r1 * 0.5f * std::sin(a), 1.5f, i % 4 == 0 ? palette::kAmber : palette::kTeal, 0.7f);
      }
      CentredText(c, Font::SansBold, "SIGNAL", 256, 120, 340, 80, IceStyle(9), 0.1f);
      CentredText(c, Font::Condensed, "80 x 35 points of light", 256, 178, 220, 22, AmberStyle(3));
      break;
    }
  }
  return c;
}

Canvas NamePlate(int width, int height, int member) {
  static const char* const kHandles[4] = {"NYXEL", "HALCYON ASH", "TARVO", "MIRELLE"};
  Canvas c(width, height);
  if (height < width) {  // a one-line plate: an amber bar and the handle beside it
    c.Rect(8, 12, 13, height - 12, palette::kAmber);
    c.Glow(10, height / 2.0f, 20, palette::kAmber, 0.4f);
    const TextMask name = FitText(Font::SansBold, kHandles[member], width - 44, height - 20, 400, 0.1f);
    DrawLettering(c, name, 26, (height - name.height) / 2, IceStyle(5));
    return c;
  }
  // The square plate: an emblem above the handle and the role below.
  c.Ring(width / 2.0f, 92, 58, 2, palette::kAmber, 0.8f);
  c.Ring(width / 2.0f, 92, 44, 1, palette::kTeal, 0.6f);
  c.Glow(width / 2.0f, 92, 70, palette::kViolet, 0.35f);
  for (int i = 0; i < 3; ++i) {
    const float a = -kPi / 2 + i * 2 * kPi / 3;
    c.Disc(width / 2.0f + 44 * std::cos(a), 92 + 44 * std::sin(a), 5, palette::kIce);
  }
  CentredText(c, Font::SansBold, kHandles[member], width / 2.0f, 184, width - 30, 44, IceStyle(5), 0.08f);
  CentredText(c, Font::ExtraLight, "pictures and direction", width / 2.0f, 222, width - 40, 20, AmberStyle(2));
  return c;
}

Canvas RoleCaption(int role) {
  static const char* const kRoles[3] = {"code", "music", "3d"};
  Canvas c(256, 64);
  const TextMask word = RenderText(Font::Sans, 36, kRoles[role]);
  const int x = 240 - word.width;
  DrawLettering(c, word, x, (64 - word.height) / 2, AmberStyle(4));
  AccentRule(c, 16, x - 14, 34);
  return c;
}

Canvas RippleEmblem() {
  Canvas c(256, 256);
  for (int i = 0; i < 6; ++i) c.Ring(70, 180, 18.0f + i * 22, 1.5f, palette::kTeal, 0.75f - i * 0.1f);
  c.Disc(70, 180, 6, palette::kAmber);
  c.Glow(70, 180, 26, palette::kAmber, 0.6f);
  DrawLettering(c, RenderText(Font::SansBold, 40, "RIPPLE", 1), 24, 26, IceStyle(6));
  DrawLettering(c, RenderText(Font::ExtraLight, 22, "field study"), 26, 78, AmberStyle(3));
  return c;
}

Canvas VerticalWord(const char* word, int width, int height) {
  Canvas c(width, height);
  const std::string w = word;
  const float step = static_cast<float>(height - 24) / w.size();
  for (size_t i = 0; i < w.size(); ++i) {
    const TextMask letter = RenderText(Font::SansBold, static_cast<int>(step * 0.8f), w.substr(i, 1));
    DrawLetteringCentred(c, letter, width / 2.0f, 12 + step * (i + 0.5f), i % 2 ? VioletStyle(5) : IceStyle(5));
  }
  return c;
}

Canvas RippleCount() {
  Canvas c(512, 256);
  CentredText(c, Font::SansBold, "360", 300, 104, 320, 130, IceStyle(9));
  CentredText(c, Font::Condensed, "cells in the swell", 300, 200, 240, 26, AmberStyle(3));
  AccentRule(c, 170, 430, 226);
  return c;
}

Canvas HallBanner() {
  // Drawn for 640 x 128 units, stored in 512 x 128 pixels.
  Canvas wide(640, 128);
  CentredText(wide, Font::SansBold, "DRIFT HALL", 320, 52, 420, 58, IceStyle(7), 0.2f);
  CentredText(wide, Font::ExtraLight, "where the cold lights rise", 320, 102, 320, 24, AmberStyle(3));
  return wide.Resized(512, 128);
}

Canvas StackedWords(const char* const* words, int count, int width, int height) {
  Canvas c(width, height);
  const float step = static_cast<float>(height) / (count + 1);
  for (int i = 0; i < count; ++i) {
    CentredText(c, i == count - 1 ? Font::SansBold : Font::ExtraLight, words[i], width / 2.0f, step * (i + 1),
                width - 30, static_cast<int>(step * 0.7f), i == count - 1 ? IceStyle(6) : AmberStyle(3));
  }
  return c;
}

Canvas ClosingWord(int which, int width, int height) {
  Canvas c(width, height);
  if (which == 1) {
    CentredText(c, Font::ExtraLight, "COLDLIGHT", width / 2.0f, height / 2.0f, width - 40, height - 12, IceStyle(7), 0.25f);
  } else {
    CentredText(c, Font::Condensed, which == 0 ? "this was" : "by vornhold", width / 2.0f, height / 2.0f,
                width - 16, height - 30, AmberStyle(3));
  }
  return c;
}

Canvas EscapeNote() {
  Canvas c(512, 64);
  CentredText(c, Font::Sans, "good night   \xC2\xB7   press esc to leave", 256, 32, 470, 32, IceStyle(5));
  return c;
}

Canvas RespectList() {
  Canvas c(256, 128);
  DrawLettering(c, RenderText(Font::SansBold, 20, "respect to"), 12, 10, AmberStyle(3));
  const char* names[4] = {"Moth Circuit", "Pale Harbour", "Nine Lanterns", "Glasswing"};
  for (int i = 0; i < 4; ++i) {
    DrawLettering(c, RenderText(Font::Condensed, 15, names[i]), 24 + (i % 2) * 112, 50 + (i / 2) * 34, IceStyle(2));
  }
  return c;
}

Canvas InfoPage() {
  Canvas c(256, 256);
  c.VerticalGradient(Hex(0x0a1230), Hex(0x050816));
  DrawLettering(c, RenderText(Font::SansBold, 22, "VORNHOLD"), 14, 14, IceStyle(3));
  AccentRule(c, 14, 242, 48);
  const char* lines[7] = {"Nyxel - code", "Halcyon Ash - music", "Tarvo - 3d", "Mirelle - pictures",
                          "", "made on cold nights", "for warm screens"};
  for (int i = 0; i < 7; ++i) {
    if (*lines[i]) DrawLettering(c, RenderText(Font::Condensed, 14, lines[i]), 16, 62 + i * 24, i < 4 ? IceStyle(2) : AmberStyle(2));
  }
  return c;
}

Canvas VerticalLine() {
  Canvas c(32, 256);
  for (int y = 0; y < 256; ++y) {
    const float ends = SmoothStep(0, 24, static_cast<float>(y)) * SmoothStep(256, 232, static_cast<float>(y));
    for (int x = 0; x < 32; ++x) {
      const float d = std::fabs(x + 0.5f - 16);
      const float core = SmoothStep(2.0f, 0.5f, d), halo = std::exp(-d * d / 30) * 0.5f;
      c.Blend(x, y, Mix(palette::kTeal, palette::kIce, core), std::min(1.0f, core + halo) * ends);
    }
  }
  return c;
}

Canvas PosterPrint(int width, int height, int which) {
  Canvas c(width, height);
  const float w = static_cast<float>(width), h = static_cast<float>(height);
  if (which == 0) {  // a concert bill: sun disc over stripes
    c.VerticalGradient(Hex(0x2a1450), Hex(0xc0502a));
    c.Disc(w / 2, h * 0.42f, w * 0.3f, palette::kGold);
    for (int i = 0; i < 6; ++i) c.Rect(0, h * (0.42f + 0.05f * i), w, h * (0.42f + 0.05f * i) + 3 + i, Hex(0x2a1450));
    CentredText(c, Font::SansBold, "VORNHOLD", w / 2, h * 0.12f, width - 20, static_cast<int>(h * 0.12f), IceStyle(3));
    CentredText(c, Font::Condensed, "live at the night lab", w / 2, h * 0.86f, width - 30, static_cast<int>(h * 0.07f), IceStyle(2));
  } else {  // a planet print
    c.VerticalGradient(Hex(0x040818), Hex(0x0e2a4a));
    Stars(c, 60, 601, h);
    c.Disc(w * 0.55f, h * 0.5f, w * 0.32f, Hex(0x1fb3b0));
    c.Disc(w * 0.62f, h * 0.44f, w * 0.3f, Hex(0x0c3c54), 0.9f);
    c.Ring(w * 0.55f, h * 0.5f, w * 0.42f, 3, palette::kAmber, 0.9f);
    CentredText(c, Font::ExtraLight, "MOONWARD", w / 2, h * 0.88f, width - 24, static_cast<int>(h * 0.1f), AmberStyle(3));
  }
  return c;
}

Canvas RecordCover(int side) {
  Canvas c(side, side);
  const float s = static_cast<float>(side);
  c.Fill(Hex(0x0b1030));
  for (int i = 0; i < 8; ++i) c.Ring(s / 2, s / 2, s * (0.08f + 0.05f * i), 2, i % 3 == 0 ? palette::kAmber : palette::kTeal, 0.8f);
  c.Disc(s / 2, s / 2, s * 0.05f, palette::kGold);
  CentredText(c, Font::SansBold, "COLDLIGHT", s / 2, s * 0.1f, side - 24, static_cast<int>(s * 0.1f), IceStyle(2));
  CentredText(c, Font::Condensed, "original soundtrack", s / 2, s * 0.92f, side - 40, static_cast<int>(s * 0.06f), AmberStyle(2));
  return c;
}

Canvas MagazineCover(int width, int height, int which) {
  static const char* const kTitles[4] = {"SYNTH WEEKLY", "NIGHT DRIVE", "PIXEL PRESS", "DEMO DIGEST"};
  static const std::uint32_t kGrounds[4] = {0x5a1f6a, 0x0d2a52, 0xa0401c, 0x154a40};
  Canvas c(width, height);
  const float w = static_cast<float>(width), h = static_cast<float>(height);
  c.VerticalGradient(Hex(kGrounds[which]), Scale(Hex(kGrounds[which]), 0.4f));
  switch (which) {
    case 0:
      for (int i = 0; i < 7; ++i) c.Rect(w * (0.15f + 0.1f * i), h * 0.35f, w * (0.15f + 0.1f * i) + w * 0.06f, h * 0.75f, i % 2 ? Hex(0x101010) : Hex(0xf0f0f0));
      break;
    case 1:
      Ridge(c, h * 0.7f, h * 0.15f, 5, Hex(0x050a18), 701);
      c.Disc(w * 0.7f, h * 0.42f, w * 0.12f, palette::kGold);
      c.Line(w * 0.5f, h, w * 0.5f, h * 0.72f, 3, palette::kAmber);
      break;
    case 2:
      for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 6; ++x) {
          if (Hash01(x, y, 702) > 0.45f) c.Rect(w * (0.2f + 0.1f * x), h * (0.3f + 0.08f * y), w * (0.29f + 0.1f * x), h * (0.37f + 0.08f * y), palette::kGold);
        }
      }
      break;
    default:
      for (int i = 0; i < 5; ++i) c.Ring(w / 2, h * 0.55f, w * (0.08f + 0.07f * i), 3, palette::kIce, 0.8f);
      break;
  }
  CentredText(c, Font::SansBold, kTitles[which], w / 2, h * 0.12f, width - 16, static_cast<int>(h * 0.13f), IceStyle(2));
  CentredText(c, Font::Condensed, "issue 7  \xC2\xB7  winter", w / 2, h * 0.9f, width - 40, static_cast<int>(h * 0.06f), AmberStyle(1));
  return c;
}

Canvas SecretPage() {
  Canvas c(640, 512);
  c.VerticalGradient(Hex(0x02030a), Hex(0x1a2c60));
  Stars(c, 500, 801, 300);
  // A large moon with a ring, reflected in still water.
  c.Glow(420, 170, 200, palette::kViolet, 0.45f);
  c.Disc(420, 170, 76, Hex(0xd8e6ff));
  c.Disc(448, 150, 70, Hex(0x24305c), 0.35f);
  c.Ring(420, 170, 104, 2, palette::kAmber, 0.7f);
  // The page's white tile tumbles in front of the left edge, about (60, 230): it glows there like
  // a second, nearer light instead of sitting on the sky as a hole.
  c.Glow(60, 230, 230, palette::kIce, 0.4f);
  c.Glow(60, 230, 120, Hex(0xffffff), 0.25f);
  Ridge(c, 330, 80, 8, Hex(0x0a1230), 802);
  Ridge(c, 350, 40, 12, Hex(0x050a1c), 803);
  c.Rect(0, 360, 640, 512, Hex(0x040818));
  for (int i = 0; i < 30; ++i) {
    const float y = 366 + i * 4.0f, half = 60 - i * 1.5f + 10 * Hash01(i, 0, 804);
    c.Line(420 - half, y, 420 + half, y, 1.5f, Hex(0xb8c8f0), 0.5f - i * 0.014f);
  }
  DrawLettering(c, FitText(Font::ExtraLight, "you found the hidden room", 440, 40), 40, 396, IceStyle(5));
  DrawLettering(c, RenderText(Font::Condensed, 18, "thank you for looking closer  \xC2\xB7  vornhold"), 42, 444, AmberStyle(3));
  return c;
}

}  // namespace pictures
