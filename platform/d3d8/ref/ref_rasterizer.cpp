// [SECTION] Texel fetch
// [SECTION] Pixel shading and output
// [SECTION] Triangle setup and traversal
#include "platform/d3d8/ref/ref_rasterizer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace d3d8::ref {
namespace {

constexpr int kSubBits = 8;  // sub-pixel precision of snapped vertices
constexpr float kSubScale = 1 << kSubBits;

// ---- [SECTION] Texel fetch --------------------------------------------------------------------

// Point sampling: texel floor(u * width), wrapped or clamped into the texture.
inline int TexelIndex(float coord, int size, bool clamp) {
  const float scaled = coord * static_cast<float>(size);
  int index;
  if (!(scaled > -2.0e9f && scaled < 2.0e9f)) {  // NaN or far outside: no meaningful texel
    index = 0;
  } else {
    index = static_cast<int>(scaled);
    if (static_cast<float>(index) > scaled) --index;
  }
  if (clamp) return std::clamp(index, 0, size - 1);
  index %= size;
  return index < 0 ? index + size : index;
}

inline Rgba Sample(const PixelSetup& setup, float u, float v) {
  const int x = TexelIndex(u, setup.texWidth, setup.clampU);
  const int y = TexelIndex(v, setup.texHeight, setup.clampV);
  return FromColor(setup.texels[static_cast<std::size_t>(y) * setup.texWidth + x]);
}

// ---- [SECTION] Pixel shading and output -------------------------------------------------------

inline int ToChannel(float value) {
  return std::clamp(static_cast<int>(value + 0.5f), 0, 255);
}

inline std::uint16_t ToDepth(float z) {
  return static_cast<std::uint16_t>(std::clamp(z, 0.0f, 1.0f) * 65535.0f + 0.5f);
}

// Depth already passed; shades, alpha-tests, blends and writes one pixel.
inline void ShadePixel(const PixelSetup& setup, int x, int y, std::uint16_t depth, const Rgba& diffuse,
                       float u, float v) {
  const Rgba texel = setup.texels ? Sample(setup, u, v) : Rgba{};
  Rgba color = CombineStage(setup.stage, diffuse, texel);
  if (setup.alphaTest &&
      !Compare(setup.alphaFunc, static_cast<unsigned>(color.a), setup.alphaRef)) {
    return;
  }
  ColorSurface& target = *setup.target;
  if (setup.blend) {
    const Rgba dst = FromColor(
        UnpackColor(target.format, ReadPixel(target, static_cast<UINT>(x), static_cast<UINT>(y))));
    color = Blend(setup.srcBlend, setup.destBlend, color, dst);
  }
  WritePixel(target, static_cast<UINT>(x), static_cast<UINT>(y), PackColor(target.format, ToColor(color)));
  if (setup.depthWrite) {
    setup.depth->values[static_cast<std::size_t>(y) * setup.depth->width + x] = depth;
  }
}

// ---- [SECTION] Triangle setup and traversal ---------------------------------------------------

// An attribute as a plane over the screen: value(x, y) = base + dx * (x - x0) + dy * (y - y0).
struct Plane {
  float base = 0, dx = 0, dy = 0;
  float At(float x, float y) const { return base + dx * x + dy * y; }
};

struct Edge {
  std::int64_t a = 0, b = 0;  // E(x, y) = a * (x - xi) + b * (y - yi), sub-pixel units
  std::int64_t xi = 0, yi = 0;
  std::int64_t bias = 0;  // 0 on top and left edges, 1 elsewhere: E - bias >= 0 means inside
  std::int64_t At(std::int64_t x, std::int64_t y) const { return a * (x - xi) + b * (y - yi) - bias; }
};

Edge MakeEdge(std::int64_t xi, std::int64_t yi, std::int64_t xj, std::int64_t yj) {
  Edge edge;
  edge.a = yi - yj;
  edge.b = xj - xi;
  edge.xi = xi;
  edge.yi = yi;
  // With the triangle wound so that the interior has E > 0, a left edge runs upwards (dy < 0) and
  // a top edge runs rightwards along a row (dy == 0, dx > 0).
  const std::int64_t dy = yj - yi, dx = xj - xi;
  const bool topLeft = dy < 0 || (dy == 0 && dx > 0);
  edge.bias = topLeft ? 0 : 1;
  return edge;
}

Plane MakePlane(const float (&x)[3], const float (&y)[3], const float (&q)[3]) {
  const float e1x = x[1] - x[0], e1y = y[1] - y[0];
  const float e2x = x[2] - x[0], e2y = y[2] - y[0];
  const float area = e1x * e2y - e2x * e1y;
  const float d1 = q[1] - q[0], d2 = q[2] - q[0];
  Plane plane;
  plane.dx = (d1 * e2y - d2 * e1y) / area;
  plane.dy = (d2 * e1x - d1 * e2x) / area;
  plane.base = q[0] - plane.dx * x[0] - plane.dy * y[0];
  return plane;
}

}  // namespace

void DrawTriangle(const PixelSetup& setup, const ScreenVertex& v0, const ScreenVertex& v1,
                  const ScreenVertex& v2) {
  const ScreenVertex* v[3] = {&v0, &v1, &v2};
  std::int64_t sx[3], sy[3];
  for (int i = 0; i < 3; ++i) {
    if (!(std::fabs(v[i]->x) < 1.0e6f && std::fabs(v[i]->y) < 1.0e6f)) return;
    sx[i] = std::llround(v[i]->x * kSubScale);
    sy[i] = std::llround(v[i]->y * kSubScale);
  }
  std::int64_t area = (sx[1] - sx[0]) * (sy[2] - sy[0]) - (sx[2] - sx[0]) * (sy[1] - sy[0]);
  if (area == 0) return;
  if (area < 0) {  // wind it so that the interior lies where the edge functions are positive
    std::swap(v[1], v[2]);
    std::swap(sx[1], sx[2]);
    std::swap(sy[1], sy[2]);
  }
  const Edge edges[3] = {MakeEdge(sx[1], sy[1], sx[2], sy[2]), MakeEdge(sx[2], sy[2], sx[0], sy[0]),
                         MakeEdge(sx[0], sy[0], sx[1], sy[1])};

  // Pixel centres inside the bounding box and the viewport.
  const auto ceilPixel = [](std::int64_t s) {
    return static_cast<int>((s + (1 << kSubBits) - 1) >> kSubBits);
  };
  const auto floorPixel = [](std::int64_t s) { return static_cast<int>(s >> kSubBits); };
  const int minX = std::max(setup.left, ceilPixel(std::min({sx[0], sx[1], sx[2]})));
  const int maxX = std::min(setup.right - 1, floorPixel(std::max({sx[0], sx[1], sx[2]})));
  const int minY = std::max(setup.top, ceilPixel(std::min({sy[0], sy[1], sy[2]})));
  const int maxY = std::min(setup.bottom - 1, floorPixel(std::max({sy[0], sy[1], sy[2]})));
  if (minX > maxX || minY > maxY) return;

  // Attribute planes over the snapped positions.
  float px[3], py[3];
  for (int i = 0; i < 3; ++i) {
    px[i] = static_cast<float>(sx[i]) / kSubScale;
    py[i] = static_cast<float>(sy[i]) / kSubScale;
  }
  const bool perspective = !(v[0]->rhw == v[1]->rhw && v[1]->rhw == v[2]->rhw);
  auto plane = [&](auto member) {
    float q[3];
    for (int i = 0; i < 3; ++i) q[i] = v[i]->*member * (perspective ? v[i]->rhw : 1.0f);
    return MakePlane(px, py, q);
  };
  const Plane zPlane = [&] {
    const float q[3] = {v[0]->z, v[1]->z, v[2]->z};
    return MakePlane(px, py, q);
  }();
  const Plane wPlane = [&] {
    const float q[3] = {v[0]->rhw, v[1]->rhw, v[2]->rhw};
    return MakePlane(px, py, q);
  }();
  const Plane rPlane = plane(&ScreenVertex::r), gPlane = plane(&ScreenVertex::g),
              bPlane = plane(&ScreenVertex::b), aPlane = plane(&ScreenVertex::a);
  const Plane uPlane = plane(&ScreenVertex::u), vPlane = plane(&ScreenVertex::v);
  const bool flatColor = v[0]->r == v[1]->r && v[1]->r == v[2]->r && v[0]->g == v[1]->g &&
                         v[1]->g == v[2]->g && v[0]->b == v[1]->b && v[1]->b == v[2]->b &&
                         v[0]->a == v[1]->a && v[1]->a == v[2]->a;
  const Rgba constant{ToChannel(v[0]->r), ToChannel(v[0]->g), ToChannel(v[0]->b), ToChannel(v[0]->a)};

  const std::int64_t step = 1 << kSubBits;
  for (int y = minY; y <= maxY; ++y) {
    const std::int64_t cy = static_cast<std::int64_t>(y) * step;
    const std::int64_t cx0 = static_cast<std::int64_t>(minX) * step;
    std::int64_t e0 = edges[0].At(cx0, cy), e1 = edges[1].At(cx0, cy), e2 = edges[2].At(cx0, cy);
    const std::int64_t s0 = edges[0].a * step, s1 = edges[1].a * step, s2 = edges[2].a * step;
    const float fy = static_cast<float>(y);
    for (int x = minX; x <= maxX; ++x, e0 += s0, e1 += s1, e2 += s2) {
      if ((e0 | e1 | e2) < 0) continue;
      const float fx = static_cast<float>(x);
      const std::uint16_t depth = ToDepth(zPlane.At(fx, fy));
      if (setup.depthTest) {
        const std::uint16_t stored =
            setup.depth->values[static_cast<std::size_t>(y) * setup.depth->width + x];
        if (!Compare(setup.depthFunc, depth, stored)) continue;
      }
      const float w = perspective ? 1.0f / wPlane.At(fx, fy) : 1.0f;
      Rgba diffuse = constant;
      if (!flatColor) {
        diffuse = {ToChannel(rPlane.At(fx, fy) * w), ToChannel(gPlane.At(fx, fy) * w),
                   ToChannel(bPlane.At(fx, fy) * w), ToChannel(aPlane.At(fx, fy) * w)};
      }
      ShadePixel(setup, x, y, depth, diffuse, uPlane.At(fx, fy) * w, vPlane.At(fx, fy) * w);
    }
  }
}

}  // namespace d3d8::ref
