// A wireframe icosahedron turning once per loop in perspective, its far edges dimmer than its near
// ones, a tilted ring of points orbiting it and a small octahedron spinning on either side.
#include <algorithm>
#include <array>
#include <cmath>
#include <utility>
#include <vector>

#include "tools/showdata/frames/dot_canvas.h"
#include "tools/showdata/frames/motifs.h"

namespace showdata {
namespace {

constexpr int kWidth = 80;
constexpr int kHeight = 35;

struct Vec3 {
  float x, y, z;
};

Vec3 RotateY(Vec3 p, float a) {
  return {p.x * std::cos(a) + p.z * std::sin(a), p.y, -p.x * std::sin(a) + p.z * std::cos(a)};
}
Vec3 RotateX(Vec3 p, float a) {
  return {p.x, p.y * std::cos(a) - p.z * std::sin(a), p.y * std::sin(a) + p.z * std::cos(a)};
}
Vec3 RotateZ(Vec3 p, float a) {
  return {p.x * std::cos(a) - p.y * std::sin(a), p.x * std::sin(a) + p.y * std::cos(a), p.z};
}

// Screen position of a point of a solid centred at (cx, cy); z towards the viewer is negative.
Point2 Project(Vec3 p, float cx, float cy, float scale) {
  const float w = 1.0f / (1.0f + 0.12f * p.z);
  return {cx + scale * p.x * w, cy - scale * p.y * w};
}

// Brightness of an edge by the depth of its middle: near edges (z = -depthRange) full, far ones dim.
float DepthShade(float z, float depthRange) {
  return 0.3f + 0.7f * std::clamp((depthRange - z) / (2 * depthRange), 0.0f, 1.0f);
}

struct Solid {
  std::vector<Vec3> corners;
  std::vector<std::pair<int, int>> edges;
};

// Edges join corners at the shortest distance between corners.
Solid WithShortestEdges(std::vector<Vec3> corners) {
  Solid solid{std::move(corners), {}};
  float shortest = 1e9f;
  auto distance = [&](int i, int j) {
    const Vec3 a = solid.corners[i];
    const Vec3 b = solid.corners[j];
    return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
  };
  const int n = static_cast<int>(solid.corners.size());
  for (int i = 0; i < n; ++i)
    for (int j = i + 1; j < n; ++j) shortest = std::min(shortest, distance(i, j));
  for (int i = 0; i < n; ++i)
    for (int j = i + 1; j < n; ++j)
      if (distance(i, j) < shortest * 1.01f) solid.edges.push_back({i, j});
  return solid;
}

const Solid& Icosahedron() {
  static const Solid solid = [] {
    const float g = 1.61803398875f;  // golden ratio; edge length 2
    std::vector<Vec3> c;
    for (float s : {-1.0f, 1.0f}) {
      for (float t : {-g, g}) {
        c.push_back({0, s, t});
        c.push_back({s, t, 0});
        c.push_back({t, 0, s});
      }
    }
    return WithShortestEdges(c);
  }();
  return solid;
}

const Solid& Octahedron() {
  static const Solid solid =
      WithShortestEdges({{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}});
  return solid;
}

template <typename Turn>
void DrawSolid(DotCanvas& canvas, const Solid& solid, Turn turn, float cx, float cy, float scale,
               float radius, float intensity) {
  std::vector<Vec3> turned;
  for (const Vec3& c : solid.corners) turned.push_back(turn(c));
  const float depthRange = 1.9f;
  for (auto [i, j] : solid.edges) {
    const Vec3 a = turned[i];
    const Vec3 b = turned[j];
    const float shade = DepthShade(0.5f * (a.z + b.z), depthRange);
    canvas.Capsule(Project(a, cx, cy, scale), Project(b, cx, cy, scale), radius, intensity * shade);
  }
  for (const Vec3& c : turned) {
    canvas.Disc(Project(c, cx, cy, scale), radius + 0.55f, intensity * DepthShade(c.z, depthRange));
  }
}

}  // namespace

std::vector<std::uint8_t> WireSolidFrame(int frame, int period) {
  const float t = static_cast<float>(frame) / static_cast<float>(period);  // 0..1 over the loop
  const float turn = kTwoPi * t;
  DotCanvas canvas(kWidth, kHeight);

  const float cx = 40.0f;
  const float cy = 17.5f;
  // Soft light behind the solid.
  canvas.Shade([&](float x, float y) {
    const float dx = (x - cx) / 16.0f;
    const float dy = (y - cy) / 12.0f;
    return 0.14f * std::exp(-dx * dx - dy * dy);
  });

  // The orbit ring: 18 points on a tilted circle, turning a third of the way round per loop.
  const float tilt = 0.42f;
  for (int k = 0; k < 18; ++k) {
    const float a = kTwoPi * (static_cast<float>(k) / 18.0f - t / 3.0f);
    const Vec3 p = RotateX({2.45f * std::cos(a), 0, 2.45f * std::sin(a)}, tilt);
    const float shade = DepthShade(p.z, 2.45f);
    canvas.Disc(Project(p, cx, cy, 10.5f), 0.65f, 0.8f * shade);
  }

  // The icosahedron: once round about Y, nodding about X, breathing slightly.
  const float pulse = 1.0f + 0.06f * std::sin(2 * turn);
  DrawSolid(
      canvas, Icosahedron(),
      [&](Vec3 p) { return RotateX(RotateY(p, turn), 0.5f + 0.22f * std::sin(turn)); }, cx, cy,
      7.6f * pulse, 0.75f, 1.0f);

  // Two octahedra, turning the other way at twice the speed.
  for (float side : {-1.0f, 1.0f}) {
    DrawSolid(
        canvas, Octahedron(),
        [&](Vec3 p) { return RotateZ(RotateY(p, -2 * turn * side), 0.35f * side); },
        cx + side * 29.0f, cy, 6.5f, 0.5f, 0.85f);
  }
  return canvas.ToBytes();
}

}  // namespace showdata
