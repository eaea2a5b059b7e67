#include "tools/showdata/frames/dot_canvas.h"

#include <algorithm>
#include <cmath>

namespace showdata {

float SegmentDistance(Point2 p, Point2 a, Point2 b) {
  const float abx = b.x - a.x;
  const float aby = b.y - a.y;
  const float lengthSquared = abx * abx + aby * aby;
  float t = 0;
  if (lengthSquared > 0) t = std::clamp(((p.x - a.x) * abx + (p.y - a.y) * aby) / lengthSquared, 0.0f, 1.0f);
  const float dx = p.x - (a.x + t * abx);
  const float dy = p.y - (a.y + t * aby);
  return std::sqrt(dx * dx + dy * dy);
}

DotCanvas::DotCanvas(int width, int height)
    : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * height, 0.0f) {}

void DotCanvas::Fill(float value) { std::fill(pixels_.begin(), pixels_.end(), value); }

template <typename F>
void DotCanvas::AroundSegment(Point2 a, Point2 b, float reach, F&& shade) {
  const int x0 = std::max(0, static_cast<int>(std::floor(std::min(a.x, b.x) - reach)));
  const int x1 = std::min(width_ - 1, static_cast<int>(std::ceil(std::max(a.x, b.x) + reach)));
  const int y0 = std::max(0, static_cast<int>(std::floor(std::min(a.y, b.y) - reach)));
  const int y1 = std::min(height_ - 1, static_cast<int>(std::ceil(std::max(a.y, b.y) + reach)));
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      const float d = SegmentDistance({x + 0.5f, y + 0.5f}, a, b);
      if (d <= reach) shade(pixels_[static_cast<std::size_t>(y) * width_ + x], d);
    }
  }
}

void DotCanvas::Capsule(Point2 a, Point2 b, float radius, float intensity) {
  // Coverage falls from 1 to 0 over the pixel that straddles the edge.
  AroundSegment(a, b, radius + 0.5f, [&](float& p, float d) {
    const float v = intensity * std::clamp(radius + 0.5f - d, 0.0f, 1.0f);
    if (v > p) p = v;
  });
}

void DotCanvas::Disc(Point2 centre, float radius, float intensity) { Capsule(centre, centre, radius, intensity); }

void DotCanvas::GlowAdd(Point2 a, Point2 b, float spread, float intensity) {
  AroundSegment(a, b, 3.0f * spread, [&](float& p, float d) {
    const float q = d / spread;
    p += intensity * std::exp(-q * q);
  });
}

std::vector<std::uint8_t> DotCanvas::ToBytes() const {
  std::vector<std::uint8_t> bytes(pixels_.size());
  for (std::size_t i = 0; i < pixels_.size(); ++i) {
    bytes[i] = static_cast<std::uint8_t>(std::lround(std::clamp(pixels_[i], 0.0f, 1.0f) * 255.0f));
  }
  return bytes;
}

}  // namespace showdata
