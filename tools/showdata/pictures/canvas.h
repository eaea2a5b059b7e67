// The pictures' drawing surface: a float RGBA canvas with premultiplied alpha and the handful of
// shapes, fills and filters the show's pictures are made of.
//
// Conventions: colours are linear 0..1 floats; a pixel's centre is at (x + 0.5, y + 0.5); every
// shape edge is anti-aliased over about one pixel. All operations are plain loops over floats and
// our own integer hash, so the same call gives the same bits on every run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pictures {

struct Colour {
  float r = 0, g = 0, b = 0;
};

Colour Hex(std::uint32_t rgb);  // 0xRRGGBB
Colour Mix(Colour a, Colour b, float t);
Colour Scale(Colour c, float k);

// The show's palette.
namespace palette {
extern const Colour kNight;     // the deepest blue, the bars and fades
extern const Colour kDeepBlue;
extern const Colour kTeal;
extern const Colour kIce;       // pale cyan highlights
extern const Colour kViolet;
extern const Colour kAmber;     // the warm accent
extern const Colour kGold;
}  // namespace palette

struct Pixel {
  float r = 0, g = 0, b = 0, a = 0;  // premultiplied
};

class Canvas {
 public:
  Canvas(int width, int height);
  int width() const { return width_; }
  int height() const { return height_; }
  Pixel& at(int x, int y) { return pixels_[static_cast<size_t>(y) * width_ + x]; }
  const Pixel& at(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }

  // "Over" composition of colour c with coverage a (0..1) at one pixel; outside pixels are ignored.
  void Blend(int x, int y, Colour c, float a);
  // Additive light: adds c * a to the colour (and a to alpha, capped at 1).
  void Add(int x, int y, Colour c, float a);

  void Fill(Colour c, float a = 1);
  // Vertical gradient from top to bottom colour, opaque.
  void VerticalGradient(Colour top, Colour bottom);
  void Rect(float x0, float y0, float x1, float y1, Colour c, float a = 1);
  void Disc(float cx, float cy, float radius, Colour c, float a = 1);
  void Ring(float cx, float cy, float radius, float thickness, Colour c, float a = 1);
  void Line(float x0, float y0, float x1, float y1, float thickness, Colour c, float a = 1);
  // Soft light: c * a * falloff(distance / radius), falloff a smooth bell, added.
  void Glow(float cx, float cy, float radius, Colour c, float a = 1);

  // Another canvas drawn over this one at (x, y), "over" composition, scaled by opacity.
  void Draw(const Canvas& top, int x, int y, float opacity = 1);
  // The part of this canvas from (x, y) of the given size.
  Canvas Crop(int x, int y, int width, int height) const;
  // Bilinear area-aware resampling to a new size (box filter when shrinking).
  Canvas Resized(int width, int height) const;
  // Separable blur, three box passes of the given radius (about a Gaussian); wraps when `tile`.
  void Blur(int radius, bool tile = false);
  // Multiplies every pixel (colour and alpha) by k.
  void Multiply(float k);

 private:
  int width_;
  int height_;
  std::vector<Pixel> pixels_;
};

// Smooth value noise in 0..1 that repeats every periodX lattice cells in x and periodY in y.
float TileNoise(float x, float y, int periodX, int periodY, std::uint32_t seed);
// Sum of octaves of TileNoise (periods and frequency double per octave), normalised to 0..1.
float TileFractal(float x, float y, int periodX, int periodY, int octaves, std::uint32_t seed);
// Deterministic hash of integers to 0..1.
float Hash01(std::uint32_t a, std::uint32_t b, std::uint32_t seed);

float SmoothStep(float e0, float e1, float x);

}  // namespace pictures
