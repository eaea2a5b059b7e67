// A small greyscale canvas for the dot-matrix material: float intensities 0..1 per pixel, shapes
// drawn by distance with a one-pixel anti-aliased edge, and the conversion to stored bytes.
//
// Coordinates are pixels with pixel centres at (x + 0.5, y + 0.5); y grows downwards. Shapes combine
// with the brighter value winning (Max) unless a call says it adds. Nothing here reads a clock or a
// random source, so the same calls give the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace showdata {

struct Point2 {
  float x = 0;  // pixels
  float y = 0;  // pixels
};

class DotCanvas {
 public:
  DotCanvas(int width, int height);

  int Width() const { return width_; }
  int Height() const { return height_; }
  float At(int x, int y) const { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }

  // Every pixel set to value (0..1).
  void Fill(float value);
  // A filled round-ended stroke from a to b, radius in pixels, at the given intensity.
  void Capsule(Point2 a, Point2 b, float radius, float intensity);
  // A filled disc.
  void Disc(Point2 centre, float radius, float intensity);
  // A soft halo added on top: intensity * exp(-(d / spread)^2) around the segment a-b.
  void GlowAdd(Point2 a, Point2 b, float spread, float intensity);

  // Value for each pixel from a function of its centre; combined with Max.
  template <typename F>
  void Shade(F&& valueAt) {
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        float& p = pixels_[static_cast<std::size_t>(y) * width_ + x];
        const float v = valueAt(x + 0.5f, y + 0.5f);
        if (v > p) p = v;
      }
    }
  }

  // Rows from the top, each left to right: round(clamp(v, 0, 1) * 255).
  std::vector<std::uint8_t> ToBytes() const;

 private:
  // Applies shade(distance to segment a-b) to the pixels near the segment (within reach).
  template <typename F>
  void AroundSegment(Point2 a, Point2 b, float reach, F&& shade);

  int width_;
  int height_;
  std::vector<float> pixels_;
};

// Distance from p to the segment a-b.
float SegmentDistance(Point2 p, Point2 a, Point2 b);

}  // namespace showdata
