#include "tools/showdata/pictures/canvas.h"

#include <algorithm>
#include <cmath>

namespace pictures {

Colour Hex(std::uint32_t rgb) {
  return Colour{((rgb >> 16) & 0xFF) / 255.0f, ((rgb >> 8) & 0xFF) / 255.0f, (rgb & 0xFF) / 255.0f};
}
Colour Mix(Colour a, Colour b, float t) {
  return Colour{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
Colour Scale(Colour c, float k) { return Colour{c.r * k, c.g * k, c.b * k}; }

namespace palette {
const Colour kNight = Hex(0x070a1c);
const Colour kDeepBlue = Hex(0x0d1d4a);
const Colour kTeal = Hex(0x1fb3b0);
const Colour kIce = Hex(0xbdf4ff);
const Colour kViolet = Hex(0x6a3fc4);
const Colour kAmber = Hex(0xffa23a);
const Colour kGold = Hex(0xffd98a);
}  // namespace palette

float SmoothStep(float e0, float e1, float x) {
  const float t = std::clamp((x - e0) / (e1 - e0), 0.0f, 1.0f);
  return t * t * (3 - 2 * t);
}

namespace {

int Floor(float v) { return static_cast<int>(std::floor(v)); }
float Coverage(float signedDistance) { return std::clamp(0.5f - signedDistance, 0.0f, 1.0f); }

std::uint32_t Mix32(std::uint32_t h) {
  h ^= h >> 16;
  h *= 0x7feb352dU;
  h ^= h >> 15;
  h *= 0x846ca68bU;
  h ^= h >> 16;
  return h;
}

}  // namespace

Canvas::Canvas(int width, int height)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height) {}

void Canvas::Blend(int x, int y, Colour c, float a) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_ || a <= 0) return;
  a = std::min(a, 1.0f);
  Pixel& p = at(x, y);
  const float keep = 1 - a;
  p = Pixel{c.r * a + p.r * keep, c.g * a + p.g * keep, c.b * a + p.b * keep, a + p.a * keep};
}

void Canvas::Add(int x, int y, Colour c, float a) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_ || a <= 0) return;
  Pixel& p = at(x, y);
  p.r += c.r * a;
  p.g += c.g * a;
  p.b += c.b * a;
  p.a = std::min(1.0f, p.a + a);
}

void Canvas::Fill(Colour c, float a) {
  for (Pixel& p : pixels_) p = Pixel{c.r * a, c.g * a, c.b * a, a};
}

void Canvas::VerticalGradient(Colour top, Colour bottom) {
  for (int y = 0; y < height_; ++y) {
    const Colour c = Mix(top, bottom, height_ > 1 ? static_cast<float>(y) / (height_ - 1) : 0);
    for (int x = 0; x < width_; ++x) at(x, y) = Pixel{c.r, c.g, c.b, 1};
  }
}

void Canvas::Rect(float x0, float y0, float x1, float y1, Colour c, float a) {
  for (int y = std::max(0, Floor(y0)); y < std::min(height_, Floor(y1) + 1); ++y) {
    const float cy = std::clamp(std::min(y + 1.0f, y1) - std::max(static_cast<float>(y), y0), 0.0f, 1.0f);
    for (int x = std::max(0, Floor(x0)); x < std::min(width_, Floor(x1) + 1); ++x) {
      const float cx = std::clamp(std::min(x + 1.0f, x1) - std::max(static_cast<float>(x), x0), 0.0f, 1.0f);
      Blend(x, y, c, a * cx * cy);
    }
  }
}

void Canvas::Disc(float cx, float cy, float radius, Colour c, float a) {
  for (int y = std::max(0, Floor(cy - radius - 1)); y <= std::min(height_ - 1, Floor(cy + radius + 1)); ++y) {
    for (int x = std::max(0, Floor(cx - radius - 1)); x <= std::min(width_ - 1, Floor(cx + radius + 1)); ++x) {
      const float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy) - radius;
      Blend(x, y, c, a * Coverage(d));
    }
  }
}

void Canvas::Ring(float cx, float cy, float radius, float thickness, Colour c, float a) {
  const float outer = radius + thickness / 2;
  for (int y = std::max(0, Floor(cy - outer - 1)); y <= std::min(height_ - 1, Floor(cy + outer + 1)); ++y) {
    for (int x = std::max(0, Floor(cx - outer - 1)); x <= std::min(width_ - 1, Floor(cx + outer + 1)); ++x) {
      const float d = std::fabs(std::hypot(x + 0.5f - cx, y + 0.5f - cy) - radius) - thickness / 2;
      Blend(x, y, c, a * Coverage(d));
    }
  }
}

void Canvas::Line(float x0, float y0, float x1, float y1, float thickness, Colour c, float a) {
  const float half = thickness / 2;
  const float dx = x1 - x0, dy = y1 - y0;
  const float len2 = std::max(dx * dx + dy * dy, 1e-6f);
  for (int y = std::max(0, Floor(std::min(y0, y1) - half - 1)); y <= std::min(height_ - 1, Floor(std::max(y0, y1) + half + 1)); ++y) {
    for (int x = std::max(0, Floor(std::min(x0, x1) - half - 1)); x <= std::min(width_ - 1, Floor(std::max(x0, x1) + half + 1)); ++x) {
      const float px = x + 0.5f - x0, py = y + 0.5f - y0;
      const float t = std::clamp((px * dx + py * dy) / len2, 0.0f, 1.0f);
      const float d = std::hypot(px - t * dx, py - t * dy) - half;
      Blend(x, y, c, a * Coverage(d));
    }
  }
}

void Canvas::Glow(float cx, float cy, float radius, Colour c, float a) {
  for (int y = std::max(0, Floor(cy - radius)); y <= std::min(height_ - 1, Floor(cy + radius)); ++y) {
    for (int x = std::max(0, Floor(cx - radius)); x <= std::min(width_ - 1, Floor(cx + radius)); ++x) {
      const float t = std::hypot(x + 0.5f - cx, y + 0.5f - cy) / radius;
      if (t >= 1) continue;
      const float f = (1 - t) * (1 - t) * (1 - t);
      Add(x, y, c, a * f);
    }
  }
}

void Canvas::Draw(const Canvas& top, int x, int y, float opacity) {
  for (int ty = 0; ty < top.height(); ++ty) {
    for (int tx = 0; tx < top.width(); ++tx) {
      const int dx = x + tx, dy = y + ty;
      if (dx < 0 || dy < 0 || dx >= width_ || dy >= height_) continue;
      const Pixel& s = top.at(tx, ty);
      Pixel& d = at(dx, dy);
      const float keep = 1 - s.a * opacity;
      d = Pixel{s.r * opacity + d.r * keep, s.g * opacity + d.g * keep, s.b * opacity + d.b * keep,
                s.a * opacity + d.a * keep};
    }
  }
}

Canvas Canvas::Crop(int x, int y, int width, int height) const {
  Canvas out(width, height);
  for (int cy = 0; cy < height; ++cy) {
    for (int cx = 0; cx < width; ++cx) {
      if (x + cx < width_ && y + cy < height_) out.at(cx, cy) = at(x + cx, y + cy);
    }
  }
  return out;
}

Canvas Canvas::Resized(int width, int height) const {
  // Each output pixel averages the source area it covers, sampled on a 4x4 grid of bilinear taps.
  Canvas out(width, height);
  const float sx = static_cast<float>(width_) / width, sy = static_cast<float>(height_) / height;
  auto sample = [&](float fx, float fy) {
    fx = std::clamp(fx - 0.5f, 0.0f, width_ - 1.0f);
    fy = std::clamp(fy - 0.5f, 0.0f, height_ - 1.0f);
    const int x0 = Floor(fx), y0 = Floor(fy);
    const int x1 = std::min(x0 + 1, width_ - 1), y1 = std::min(y0 + 1, height_ - 1);
    const float tx = fx - x0, ty = fy - y0;
    const Pixel &a = at(x0, y0), &b = at(x1, y0), &c = at(x0, y1), &d = at(x1, y1);
    auto lerp = [&](float p, float q, float r, float s) {
      return (p * (1 - tx) + q * tx) * (1 - ty) + (r * (1 - tx) + s * tx) * ty;
    };
    return Pixel{lerp(a.r, b.r, c.r, d.r), lerp(a.g, b.g, c.g, d.g), lerp(a.b, b.b, c.b, d.b),
                 lerp(a.a, b.a, c.a, d.a)};
  };
  constexpr int kTaps = 4;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      Pixel sum;
      for (int j = 0; j < kTaps; ++j) {
        for (int i = 0; i < kTaps; ++i) {
          const Pixel p = sample((x + (i + 0.5f) / kTaps) * sx, (y + (j + 0.5f) / kTaps) * sy);
          sum.r += p.r;
          sum.g += p.g;
          sum.b += p.b;
          sum.a += p.a;
        }
      }
      const float k = 1.0f / (kTaps * kTaps);
      out.at(x, y) = Pixel{sum.r * k, sum.g * k, sum.b * k, sum.a * k};
    }
  }
  return out;
}

void Canvas::Blur(int radius, bool tile) {
  if (radius <= 0) return;
  // Each pass is a running sum over a window of 2 * radius + 1 pixels; outside the canvas is
  // transparent, or the other side of it when tiling.
  std::vector<Pixel> line;
  auto pass = [&](int count, int length, auto index) {
    line.resize(length);
    auto source = [&](int j) {
      if (tile) return line[((j % length) + length) % length];
      return (j < 0 || j >= length) ? Pixel{} : line[j];
    };
    const float k = 1.0f / (2 * radius + 1);
    for (int n = 0; n < count; ++n) {
      for (int i = 0; i < length; ++i) line[i] = pixels_[index(n, i)];
      Pixel sum;
      for (int j = -radius; j <= radius; ++j) {
        const Pixel p = source(j);
        sum = Pixel{sum.r + p.r, sum.g + p.g, sum.b + p.b, sum.a + p.a};
      }
      for (int i = 0; i < length; ++i) {
        pixels_[index(n, i)] = Pixel{sum.r * k, sum.g * k, sum.b * k, sum.a * k};
        const Pixel in = source(i + radius + 1), out = source(i - radius);
        sum = Pixel{sum.r + in.r - out.r, sum.g + in.g - out.g, sum.b + in.b - out.b, sum.a + in.a - out.a};
      }
    }
  };
  for (int round = 0; round < 3; ++round) {
    pass(height_, width_, [&](int n, int i) { return static_cast<size_t>(n) * width_ + i; });
    pass(width_, height_, [&](int n, int i) { return static_cast<size_t>(i) * width_ + n; });
  }
}

void Canvas::Multiply(float k) {
  for (Pixel& p : pixels_) p = Pixel{p.r * k, p.g * k, p.b * k, p.a * k};
}

float Hash01(std::uint32_t a, std::uint32_t b, std::uint32_t seed) {
  return Mix32(a * 0x9E3779B1U ^ Mix32(b * 0x85EBCA77U ^ Mix32(seed + 0x27D4EB2FU))) / 4294967295.0f;
}

float TileNoise(float x, float y, int periodX, int periodY, std::uint32_t seed) {
  const int xi = Floor(x), yi = Floor(y);
  const float tx = x - xi, ty = y - yi;
  auto lattice = [&](int i, int j) {
    const auto wrap = [](int v, int period) { return static_cast<std::uint32_t>(((v % period) + period) % period); };
    return Hash01(wrap(i, periodX), wrap(j, periodY), seed);
  };
  const float sx = tx * tx * (3 - 2 * tx), sy = ty * ty * (3 - 2 * ty);
  const float top = lattice(xi, yi) + (lattice(xi + 1, yi) - lattice(xi, yi)) * sx;
  const float bottom = lattice(xi, yi + 1) + (lattice(xi + 1, yi + 1) - lattice(xi, yi + 1)) * sx;
  return top + (bottom - top) * sy;
}

float TileFractal(float x, float y, int periodX, int periodY, int octaves, std::uint32_t seed) {
  float sum = 0, weight = 1, total = 0;
  for (int o = 0; o < octaves; ++o) {
    sum += TileNoise(x, y, periodX, periodY, seed + o * 101) * weight;
    total += weight;
    weight *= 0.5f;
    x *= 2;
    y *= 2;
    periodX *= 2;
    periodY *= 2;
  }
  return sum / total;
}

}  // namespace pictures
