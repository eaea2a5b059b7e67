// The setup dialog's picture: the hold of Vornhold on a ridge under an aurora of cold light, its
// windows lit amber, the moon ringed in amber, and the name below.
#include "tools/showdata/pictures/dialog_picture.h"

#include <algorithm>
#include <cmath>

#include "tools/showdata/pictures/text.h"

namespace pictures {
namespace {

constexpr int kSide = 150;

// Filled triangle, anti-aliased by 4 x 4 samples per pixel.
void Triangle(Canvas& c, float x0, float y0, float x1, float y1, float x2, float y2, Colour colour) {
  auto edge = [](float ax, float ay, float bx, float by, float px, float py) {
    return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
  };
  const int left = static_cast<int>(std::floor(std::min({x0, x1, x2})));
  const int right = static_cast<int>(std::ceil(std::max({x0, x1, x2})));
  const int top = static_cast<int>(std::floor(std::min({y0, y1, y2})));
  const int bottom = static_cast<int>(std::ceil(std::max({y0, y1, y2})));
  const float sign = edge(x0, y0, x1, y1, x2, y2) < 0 ? -1.0f : 1.0f;
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      int inside = 0;
      for (int s = 0; s < 16; ++s) {
        const float px = x + (s % 4 + 0.5f) / 4, py = y + (s / 4 + 0.5f) / 4;
        inside += sign * edge(x0, y0, x1, y1, px, py) >= 0 && sign * edge(x1, y1, x2, y2, px, py) >= 0 &&
                  sign * edge(x2, y2, x0, y0, px, py) >= 0;
      }
      c.Blend(x, y, colour, inside / 16.0f);
    }
  }
}

void Sky(Canvas& c) {
  c.VerticalGradient(Hex(0x03040c), Hex(0x14285a));
  for (int i = 0; i < 70; ++i) {
    const float x = Hash01(i, 1, 1201) * kSide, y = Hash01(i, 2, 1201) * 100;
    const float b = Hash01(i, 3, 1201);
    const Colour tint = Hash01(i, 4, 1201) > 0.85f ? palette::kGold : palette::kIce;
    c.Disc(x, y, 0.35f + 0.5f * b, tint, 0.3f + 0.6f * b);
  }
  // The aurora: a wavering band, teal low and violet at its top edge, brightest at its lower edge.
  for (int x = 0; x < kSide; ++x) {
    const float base = 58 - 14 * std::sin(x * 0.035f + 0.6f) - 5 * std::sin(x * 0.11f);
    const float strength = 0.55f + 0.45f * TileFractal(x / 12.0f, 0.5f, 16, 4, 3, 1202);
    for (int y = 0; y < kSide; ++y) {
      const float d = base - (y + 0.5f);  // height above the band's lower edge
      if (d < -3 || d > 40) continue;
      const float glow = d < 0 ? std::exp(-d * d / 3) : std::exp(-d / 12);
      const Colour colour = Mix(palette::kTeal, palette::kViolet, std::clamp(d / 30, 0.0f, 1.0f));
      c.Add(x, y, colour, 0.55f * glow * strength);
    }
  }
  // The moon, ringed in amber.
  c.Glow(116, 30, 34, palette::kViolet, 0.45f);
  c.Disc(116, 30, 11, Hex(0xd8e6ff));
  c.Disc(121, 26, 10, Hex(0x1a2a5a), 0.45f);
  c.Ring(116, 30, 17, 1, palette::kAmber, 0.75f);
  c.Glow(116, 30, 8, Hex(0xffffff), 0.35f);
}

// A ridge of straight segments between hashed peaks, filled below.
void Ridge(Canvas& c, float baseY, float amplitude, int segments, Colour colour, std::uint32_t seed) {
  for (int x = 0; x < kSide; ++x) {
    const float f = (x + 0.5f) / kSide * segments;
    const int i = std::min(static_cast<int>(f), segments - 1);
    const float a = baseY - amplitude * Hash01(i, 7, seed), b = baseY - amplitude * Hash01(i + 1, 7, seed);
    const float top = a + (b - a) * (f - i);
    for (int y = std::max(0, static_cast<int>(top)); y < kSide; ++y)
      c.Blend(x, y, colour, std::clamp(y + 1 - top, 0.0f, 1.0f));
  }
}

// The hold: a keep with battlements, a turret with a pointed roof and a pennant, lit windows.
void Hold(Canvas& c) {
  const Colour stone = Hex(0x070b1e), rim = Hex(0x2a4f7a);
  c.Rect(30, 66, 62, 112, stone);  // the keep
  for (int i = 0; i < 5; ++i) c.Rect(30 + i * 7.0f, 61, 34 + i * 7.0f, 67, stone);
  c.Rect(58, 61, 62, 67, stone);
  c.Rect(39, 40, 53, 67, stone);  // the turret
  Triangle(c, 37, 41, 55, 41, 46, 22, stone);
  c.Line(46, 22, 46, 15, 0.8f, rim);
  Triangle(c, 46.5f, 15, 46.5f, 19.5f, 53, 17, palette::kAmber);
  c.Rect(62, 84, 76, 112, stone);  // the hall beside it
  Triangle(c, 60, 85, 78, 85, 69, 76, stone);
  // Moonlight on the right-hand edges.
  c.Line(62, 67, 62, 112, 0.7f, rim, 0.8f);
  c.Line(53, 41, 53, 61, 0.7f, rim, 0.8f);
  c.Line(46, 22, 55, 41, 0.7f, rim, 0.6f);
  // Windows.
  const float windows[][2] = {{43, 48}, {49, 48}, {35, 76}, {45, 76}, {55, 76}, {45, 92}, {66, 94}, {72, 94}};
  for (const auto& w : windows) {
    c.Glow(w[0] + 1, w[1] + 2.5f, 6, palette::kAmber, 0.5f);
    c.Rect(w[0], w[1], w[0] + 2.2f, w[1] + 5, palette::kGold);
  }
}

}  // namespace

Canvas DialogPicture() {
  Canvas c(kSide, kSide);
  Sky(c);
  Ridge(c, 100, 22, 6, Hex(0x0b1638), 1203);
  Hold(c);
  Ridge(c, 114, 8, 9, Hex(0x040816), 1204);
  c.Rect(0, 112, kSide, kSide, Hex(0x040816));
  Lettering name;
  name.glowRadius = 4;
  name.rim = 1;
  DrawLetteringCentred(c, FitText(Font::SansBold, "VORNHOLD", 132, 20, 400, 0.12f), 75, 125, name);
  c.Line(30, 139, 120, 139, 3, palette::kAmber, 0.2f);
  c.Line(30, 139, 120, 139, 1, palette::kGold, 0.9f);
  return c;
}

}  // namespace pictures
