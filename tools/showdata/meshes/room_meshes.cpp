// The furnished room: 32 meshes modelled upright in the room's world coordinates (one unit is
// about ten centimetres; floor at y = -27, ceiling at 0, walls at x = +-17 and z = +-23) and
// turned into the set frame. Everything stays clear of the paths of the room's camera shots.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "demo/asset_catalogue.h"
#include "tools/showdata/meshes.h"
#include "tools/showdata/meshes/mesh_sets.h"
#include "tools/showdata/meshes/room_layout.h"

namespace showdata {

namespace {

const float kPi = 3.14159265f;
const float kFloor = kRoomFloorY, kCeiling = kRoomCeilingY;

Material Wood(const char* texture, float shade = 1.0f) {
  return Mat({0.9f * shade, 0.85f * shade, 0.85f * shade}, {0.3f, 0.3f, 0.3f}, 12, {0.1f, 0.09f, 0.12f}, texture);
}
Material Metal(const char* texture) {
  return Mat({0.8f, 0.85f, 0.95f}, {1, 1, 1}, 40, {0.1f, 0.1f, 0.14f}, texture);
}

// Wraps one object into a geometry with the object's own materials.
struct Builder {
  Geometry g;
  int Add(const Material& m) { return g.AddMaterial(m); }
};

Geometry Walls() {
  Builder b;
  const int wall = b.Add(Mat({0.85f, 0.85f, 0.95f}, {0.2f, 0.2f, 0.25f}, 8, {0.12f, 0.12f, 0.18f}, "walls.bmp"));
  const int skirting = b.Add(Wood("walls.bmp", 0.6f));
  const int night = b.Add(Mat({0.15f, 0.2f, 0.45f}, {0.6f, 0.6f, 0.8f}, 30, {0.12f, 0.18f, 0.42f}, "walls.bmp"));
  const int bar = b.Add(Wood("walls.bmp", 0.8f));
  Geometry& g = b.g;
  const float h = kCeiling - kFloor, cell = 2.0f;
  const float w = kRoomMaxX - kRoomMinX, d = kRoomMaxZ - kRoomMinZ;
  const int nh = int(h / cell + 0.5f), nw = int(w / cell + 0.5f), nd = int(d / cell + 0.5f);
  // Seen from inside: -z wall, +z wall, -x wall, +x wall.
  AddQuad(g, wall, {kRoomMinX, kFloor, kRoomMinZ}, {w, 0, 0}, {0, h, 0}, nw, nh, w / 8, h / 8);
  AddQuad(g, wall, {kRoomMaxX, kFloor, kRoomMaxZ}, {-w, 0, 0}, {0, h, 0}, nw, nh, w / 8, h / 8);
  AddQuad(g, wall, {kRoomMinX, kFloor, kRoomMaxZ}, {0, 0, -d}, {0, h, 0}, nd, nh, d / 8, h / 8);
  AddQuad(g, wall, {kRoomMaxX, kFloor, kRoomMinZ}, {0, 0, d}, {0, h, 0}, nd, nh, d / 8, h / 8);
  // Skirting boards round the foot of the walls (the door gap on +x left open).
  AddBox(g, skirting, {kRoomMinX, kFloor, kRoomMinZ}, {kRoomMaxX, kFloor + 0.8f, kRoomMinZ + 0.2f}, 0.25f, false, 8 | 32);
  AddBox(g, skirting, {kRoomMinX, kFloor, kRoomMaxZ - 0.2f}, {kRoomMaxX, kFloor + 0.8f, kRoomMaxZ}, 0.25f, false, 8 | 16);
  AddBox(g, skirting, {kRoomMinX, kFloor, kRoomMinZ}, {kRoomMinX + 0.2f, kFloor + 0.8f, kRoomMaxZ}, 0.25f, false, 2 | 8);
  AddBox(g, skirting, {kRoomMaxX - 0.2f, kFloor, kRoomMinZ}, {kRoomMaxX, kFloor + 0.8f, 1.4f}, 0.25f, false, 1 | 8 | 32);
  AddBox(g, skirting, {kRoomMaxX - 0.2f, kFloor, 9.6f}, {kRoomMaxX, kFloor + 0.8f, kRoomMaxZ}, 0.25f, false, 1 | 8 | 16);
  // The window on the -z wall: night sky behind a cross of glazing bars.
  const float z = kRoomMinZ + 0.05f;
  AddQuad(g, night, {-7, -18, z}, {12, 0, 0}, {0, 12, 0}, 4, 4, 1, 1);
  AddBox(g, bar, {-7.4f, -18.4f, kRoomMinZ}, {5.4f, -18.0f, kRoomMinZ + 0.6f}, 0.25f, false, 63 & ~16);  // sill
  AddBox(g, bar, {-7.4f, -6.0f, kRoomMinZ}, {5.4f, -5.6f, kRoomMinZ + 0.3f}, 0.25f, false, 63 & ~16);
  AddBox(g, bar, {-7.4f, -18.0f, kRoomMinZ}, {-7.0f, -6.0f, kRoomMinZ + 0.3f}, 0.25f, false, 63 & ~16);
  AddBox(g, bar, {5.0f, -18.0f, kRoomMinZ}, {5.4f, -6.0f, kRoomMinZ + 0.3f}, 0.25f, false, 63 & ~16);
  AddBox(g, bar, {-1.2f, -18.0f, kRoomMinZ}, {-0.8f, -6.0f, kRoomMinZ + 0.25f}, 0.25f, false, 63 & ~16);
  AddBox(g, bar, {-7.0f, -12.2f, kRoomMinZ}, {5.0f, -11.8f, kRoomMinZ + 0.25f}, 0.25f, false, 63 & ~16);
  return g;
}

Geometry Floor() {
  Builder b;
  const int boards = b.Add(Mat({0.85f, 0.8f, 0.8f}, {0.4f, 0.4f, 0.4f}, 20, {0.1f, 0.09f, 0.12f}, "floor.bmp"));
  const int rug = b.Add(Mat({1.0f, 0.62f, 0.32f}, {0.1f, 0.1f, 0.1f}, 4, {0.16f, 0.08f, 0.06f}, "floor.bmp"));
  Geometry& g = b.g;
  const float w = kRoomMaxX - kRoomMinX, d = kRoomMaxZ - kRoomMinZ;
  AddQuad(g, boards, {kRoomMinX, kFloor, kRoomMinZ}, {0, 0, d}, {w, 0, 0}, 23, 17, d / 6, w / 6);
  AddQuad(g, rug, {-7, kFloor + 0.03f, -9}, {0, 0, 18}, {14, 0, 0}, 6, 5, 2, 2);
  return g;
}

Geometry Ceiling() {
  Builder b;
  const int plaster = b.Add(Mat({0.85f, 0.85f, 0.95f}, {0.1f, 0.1f, 0.1f}, 4, {0.1f, 0.1f, 0.16f}, "roof.bmp"));
  const int rose = b.Add(Mat({0.95f, 0.9f, 0.85f}, {0.3f, 0.3f, 0.3f}, 10, {0.2f, 0.18f, 0.2f}, "roof.bmp"));
  Geometry& g = b.g;
  const float w = kRoomMaxX - kRoomMinX, d = kRoomMaxZ - kRoomMinZ;
  AddQuad(g, plaster, {kRoomMinX, kCeiling, kRoomMinZ}, {w, 0, 0}, {0, 0, d}, 17, 23, w / 8, d / 8);
  AddLathe(g, rose, {0, kCeiling - 0.3f, 0}, {{0, 0}, {1.2f, 0.02f}, {2.2f, 0.12f}, {2.6f, 0.3f}}, 20, true);
  g.MapUV([](Vertex& v) {
    if (v.u == 0 && v.v == 0) v.u = v.position.x / 4, v.v = v.position.z / 4;
  });
  return g;
}

Geometry Beanbag(Vec3 at, float size, float turn) {
  Builder b;
  const int fabric = b.Add(Mat({0.9f, 0.9f, 0.95f}, {0.05f, 0.05f, 0.08f}, 4, {0.1f, 0.08f, 0.12f}, "beanibag.bmp"));
  // A pear-shaped bag: (radius, height) in sizes, wide at the foot, with a seat pressed into one side.
  static const float profile[][2] = {{0.55f, 0},     {0.9f, 0.12f},  {1.0f, 0.42f},  {0.95f, 0.76f}, {0.8f, 1.1f},
                                     {0.58f, 1.38f}, {0.36f, 1.55f}, {0.16f, 1.62f}, {0, 1.64f}};
  const int last = int(sizeof profile / sizeof profile[0]) - 1;
  AddSurface(b.g, fabric, 22, 12, [&](float s, float t) {
    const float a = s * 2 * kPi, x = t * float(last);
    const int i = std::min(last - 1, int(x));
    const float f = x - float(i);
    const float r = size * (profile[i][0] + (profile[i + 1][0] - profile[i][0]) * f) * (1 + 0.06f * std::cos(3 * a));
    const float seat = 0.22f * std::exp(-(t - 0.7f) * (t - 0.7f) * 25) * (1 + std::cos(a)) * size;
    const float y = size * (profile[i][1] + (profile[i + 1][1] - profile[i][1]) * f) - seat * 0.8f;
    return Vec3{(r - seat * 0.5f) * std::cos(a), y, r * std::sin(a)};
  }, true, true);
  b.g.Transform([&](Vec3 p) { return TurnY(p, turn); }, at);
  return b.g;
}

Geometry Desk() {  // table01, along the +z wall
  Builder b;
  const int wood = b.Add(Wood("wlight.bmp"));
  Geometry& g = b.g;
  const float top = -19.6f;
  AddBox(g, wood, {-14, top - 0.5f, 18.6f}, {-3, top, 22.7f}, 0.2f, false, 63, 2.0f);
  for (float x : {-13.6f, -3.9f}) {
    for (float z : {19.0f, 21.8f}) AddBox(g, wood, {x, kFloor, z}, {x + 0.5f, top - 0.5f, z + 0.5f}, 0.3f, false, 63 & ~12);
  }
  AddBox(g, wood, {-13.4f, top - 3.0f, 21.9f}, {-3.9f, top - 0.5f, 22.2f}, 0.2f);  // modesty panel
  return g;
}

Geometry Shelf() {  // on the -x wall
  Builder b;
  const int wood = b.Add(Wood("wlight.bmp"));
  Geometry& g = b.g;
  const float x0 = kRoomMinX, x1 = kRoomMinX + 2.8f, z0 = -1.0f, z1 = 11.0f, top = -8.0f;
  AddBox(g, wood, {x0, kFloor, z0}, {x1, top, z0 + 0.4f}, 0.2f);
  AddBox(g, wood, {x0, kFloor, z1 - 0.4f}, {x1, top, z1}, 0.2f);
  AddBox(g, wood, {x0, kFloor, z0 + 0.4f}, {x0 + 0.2f, top, z1 - 0.4f}, 0.2f, false, 2);
  for (float y : {-27.0f, -23.0f, -18.5f, -14.5f, -10.5f, -8.4f}) {
    AddBox(g, wood, {x0 + 0.2f, y, z0 + 0.4f}, {x1, y + 0.4f, z1 - 0.4f}, 0.2f, false, 63 & ~(1 | 16 | 32));
  }
  return g;
}

Geometry Sideboard() {  // table02, in the +x +z corner under the lava lamp and the record player
  Builder b;
  const int wood = b.Add(Wood("wdark.bmp"));
  const int handle = b.Add(Metal("wdark.bmp"));
  Geometry& g = b.g;
  AddBox(g, wood, {9.6f, kFloor + 0.6f, 19.6f}, {16.8f, -22.8f, 22.8f}, 0.2f, false, 63 & ~4, 1.5f);
  AddBox(g, wood, {9.4f, -22.8f, 19.4f}, {16.9f, -22.4f, 22.9f}, 0.2f, false, 63);
  for (float x : {10.0f, 16.0f}) AddBox(g, wood, {x, kFloor, 20.0f}, {x + 0.4f, kFloor + 0.6f, 20.4f}, 0.5f);
  AddBox(g, wood, {13.15f, kFloor + 0.8f, 19.55f}, {13.25f, -23.0f, 19.6f}, 0.5f, false, 16);  // door split
  for (float x : {12.6f, 13.6f}) AddBox(g, handle, {x, -24.6f, 19.3f}, {x + 0.2f, -23.6f, 19.6f}, 0.5f);
  return g;
}

Geometry Speakers() {
  Builder b;
  const int cabinet = b.Add(Wood("wdark.bmp", 0.7f));
  const int cone = b.Add(Mat({0.35f, 0.35f, 0.45f}, {0.6f, 0.6f, 0.7f}, 20, {0.05f, 0.05f, 0.08f}, "wdark.bmp"));
  Geometry& g = b.g;
  // Two floor speakers against the +x wall, both facing into the room (-x).
  for (float z : {14.0f, -1.8f}) {
    AddBox(g, cabinet, {14.0f, kFloor, z}, {16.6f, -18.6f, z + 2.6f}, 0.3f, false, 63, 1.5f);
    for (auto [y, r] : {std::array<float, 2>{-24.0f, 0.95f}, std::array<float, 2>{-21.6f, 0.7f},
                        std::array<float, 2>{-19.8f, 0.3f}}) {
      Geometry c;
      c.AddMaterial(Material{});
      c.AddMaterial(Material{});
      AddLathe(c, cone, {0, 0, 0}, {{r, 0}, {r * 0.8f, 0.12f}, {r * 0.3f, -0.2f}, {0, -0.15f}}, 14, true);
      // The lathe's axis (y) turned to point at -x.
      c.Transform([](Vec3 p) { return Vec3{-p.y, p.x, p.z}; }, {14.0f, y, z + 1.3f});
      g.Append(c);
    }
  }
  return g;
}

Geometry Radiator() {  // elements, under the window
  Builder b;
  const int metal = b.Add(Metal("brushed.bmp"));
  Geometry& g = b.g;
  for (int i = 0; i < 14; ++i) {
    const float x = -6.0f + float(i) * 0.75f;
    AddBox(g, metal, {x, -25.2f, kRoomMinZ + 0.5f}, {x + 0.5f, -19.6f, kRoomMinZ + 1.3f}, 0.2f, false, 63 & ~16);
  }
  AddBox(g, metal, {-6.2f, -25.0f, kRoomMinZ + 0.7f}, {4.5f, -24.6f, kRoomMinZ + 1.1f}, 0.2f, false, 63 & ~16);
  AddBox(g, metal, {-6.2f, -20.2f, kRoomMinZ + 0.7f}, {4.5f, -19.8f, kRoomMinZ + 1.1f}, 0.2f, false, 63 & ~16);
  AddBox(g, metal, {4.5f, -25.6f, kRoomMinZ + 0.8f}, {4.9f, -24.0f, kRoomMinZ + 1.0f}, 0.2f);  // valve
  return g;
}

Geometry Cactus() {  // potted, on the desk
  Builder b;
  const int plant = b.Add(Mat({0.35f, 0.85f, 0.45f}, {0.4f, 0.5f, 0.4f}, 16, {0.04f, 0.12f, 0.08f}, "beanibag.bmp"));
  const int pot = b.Add(Mat({1.0f, 0.55f, 0.35f}, {0.2f, 0.2f, 0.2f}, 8, {0.12f, 0.06f, 0.04f}, "beanibag.bmp"));
  Geometry& g = b.g;
  const Vec3 at{-11.5f, -19.6f, 20.6f};
  AddLathe(g, pot, at, {{0, 0.02f}, {0.7f, 0.02f}, {0.95f, 1.5f}, {1.05f, 1.6f}, {0.85f, 1.4f}}, 14, true);
  AddLathe(g, pot, at, {{0.86f, 1.3f}, {0, 1.3f}}, 14, true);  // soil, so the pot is not hollow from above
  auto stem = [&](Vec3 base, float r, float h, float bend) {
    AddSurface(g, plant, 16, 8, [&](float s, float t) {
      const float a = s * 2 * kPi;
      const float ridge = 1 + 0.12f * std::cos(8 * a);
      const float rr = r * ridge * (t < 0.85f ? 1.0f : std::sqrt(std::max(0.0f, 1 - (t - 0.85f) / 0.15f)));
      return base + Vec3{rr * std::cos(a) + bend * t * t, h * t, rr * std::sin(a)};
    }, true, true);
  };
  stem(at + Vec3{0, 1.3f, 0}, 0.5f, 3.6f, 0);
  stem(at + Vec3{0.45f, 2.6f, 0}, 0.25f, 1.6f, 0.6f);
  stem(at + Vec3{-0.45f, 3.0f, 0.1f}, 0.22f, 1.2f, -0.5f);
  g.MapUV([](Vertex& v) {
    v.u = v.position.x + v.position.z;
    v.v = -v.position.y;
  });
  return g;
}

Geometry Jar() {  // a floor vase by the +z wall
  Builder b;
  const int clay = b.Add(Mat({0.95f, 0.9f, 0.9f}, {0.6f, 0.6f, 0.6f}, 25, {0.1f, 0.08f, 0.1f}, "pottery.bmp"));
  AddLathe(b.g, clay, {1.0f, kFloor, 17.5f},
           {{0, 0.01f}, {1.0f, 0.01f}, {1.4f, 1.2f}, {1.6f, 2.8f}, {1.35f, 4.4f}, {0.75f, 5.4f}, {0.7f, 5.9f}, {0.9f, 6.3f},
            {0.75f, 6.3f}, {0.6f, 5.6f}},
           18, true);
  AddLathe(b.g, clay, {1.0f, kFloor, 17.5f}, {{0.6f, 5.6f}, {0, 5.6f}}, 18, true);  // closes the neck from above
  return b.g;
}

// A row of books standing on a shelf board of the -x shelf (spines facing +x).
Geometry Books(const char* texture, float y, float z0, float z1, int seed) {
  Builder b;
  Geometry& g = b.g;
  const int tints[3] = {b.Add(Mat({0.5f, 0.6f, 1.0f}, {0.2f, 0.2f, 0.2f}, 6, {0.06f, 0.07f, 0.14f}, texture)),
                        b.Add(Mat({1.0f, 0.6f, 0.35f}, {0.2f, 0.2f, 0.2f}, 6, {0.14f, 0.07f, 0.04f}, texture)),
                        b.Add(Mat({0.7f, 0.45f, 0.9f}, {0.2f, 0.2f, 0.2f}, 6, {0.09f, 0.05f, 0.12f}, texture))};
  float z = z0;
  std::uint32_t k = std::uint32_t(seed);
  while (z < z1) {
    k = (k * 1103515245u + 12345u) & 0x7fffffffu;
    const float thick = 0.35f + float(k % 5) * 0.07f, height = 2.2f + float((k >> 4) % 6) * 0.15f;
    const float depth = 1.9f + float((k >> 8) % 3) * 0.15f;
    if (z + thick > z1) break;
    Geometry book;
    for (int i = 0; i < 3; ++i) book.AddMaterial(Material{});
    AddBox(book, tints[(k >> 9) % 3], {kRoomMinX + 0.3f, y, z}, {kRoomMinX + 0.3f + depth, y + height, z + thick},
           1.0f / 2.5f, false, 63 & ~(1 | 4));
    g.Append(book);
    z += thick + 0.03f;
  }
  return g;
}

Geometry Poster(const char* texture, float x0, float x1, float y0, float y1) {  // on the +z wall
  Builder b;
  const int paper = b.Add(Mat({0.95f, 0.95f, 0.95f}, {0.1f, 0.1f, 0.1f}, 4, {0.14f, 0.14f, 0.16f}, texture));
  const int frame = b.Add(Mat({0.25f, 0.25f, 0.3f}, {0.6f, 0.6f, 0.6f}, 20, {0.03f, 0.03f, 0.05f}, texture));
  Geometry& g = b.g;
  const float z = kRoomMaxZ - 0.12f;
  // The picture reads left to right for a viewer facing +z; texture v runs downwards.
  AddQuad(g, paper, {x0, y1, z}, {x1 - x0, 0, 0}, {0, y0 - y1, 0}, 2, 3, 1, 1);
  const float t = 0.2f, zb = kRoomMaxZ - 0.15f;
  AddBox(g, frame, {x0 - t, y0 - t, zb}, {x1 + t, y0, kRoomMaxZ}, 1, false, 63 & ~32);
  AddBox(g, frame, {x0 - t, y1, zb}, {x1 + t, y1 + t, kRoomMaxZ}, 1, false, 63 & ~32);
  AddBox(g, frame, {x0 - t, y0, zb}, {x0, y1, kRoomMaxZ}, 1, false, 63 & ~32);
  AddBox(g, frame, {x1, y0, zb}, {x1 + t, y1, kRoomMaxZ}, 1, false, 63 & ~32);
  return g;
}

Geometry Vinyls() {  // record sleeves in the bottom of the shelf and two leaning on the sideboard
  Builder b;
  const int sleeve = b.Add(Mat({0.95f, 0.95f, 0.95f}, {0.2f, 0.2f, 0.2f}, 8, {0.12f, 0.12f, 0.14f}, "vinylcover.bmp"));
  Geometry& g = b.g;
  for (int i = 0; i < 12; ++i) {  // standing in the shelf, faces towards +-z
    const float z = 0.2f + float(i) * 0.75f;
    Geometry s;
    s.AddMaterial(Material{});
    AddBox(s, sleeve, {-1.5f, 0, -0.05f}, {1.5f, 3.0f, 0.05f}, 1.0f / 3.0f);
    const float lean = 0.12f * float((i * 5) % 3);
    s.Transform([&](Vec3 p) { return Vec3{p.x, p.y * std::cos(lean) - p.z * std::sin(lean), p.y * std::sin(lean) + p.z * std::cos(lean)}; },
                {kRoomMinX + 1.75f, -26.6f, z});
    g.Append(s);
  }
  for (int i = 0; i < 2; ++i) {  // leaning against the sideboard front
    Geometry s;
    s.AddMaterial(Material{});
    AddBox(s, sleeve, {-1.5f, 0, -0.05f}, {1.5f, 3.0f, 0.05f}, 1.0f / 3.0f);
    const float lean = -0.2f;
    s.Transform([&](Vec3 p) { return Vec3{p.x, p.y * std::cos(lean) - p.z * std::sin(lean), p.y * std::sin(lean) + p.z * std::cos(lean)}; },
                {11.3f + float(i) * 3.2f, kFloor + 0.02f, 19.25f - float(i) * 0.1f});
    g.Append(s);
  }
  return g;
}

// A thin, flat, textured rectangle lying at `at`, turned by `turn` about y.
Geometry Magazine(const char* texture, Vec3 at, float turn, float w = 2.1f, float d = 2.8f) {
  Builder b;
  const int paper = b.Add(Mat({0.95f, 0.95f, 0.95f}, {0.5f, 0.5f, 0.5f}, 30, {0.12f, 0.12f, 0.14f}, texture));
  const int edge = b.Add(Mat({0.9f, 0.9f, 0.85f}, {0, 0, 0}, 0, {0.1f, 0.1f, 0.1f}, texture));
  Geometry& g = b.g;
  AddQuad(g, paper, {-w / 2, 0.06f, -d / 2}, {0, 0, d}, {w, 0, 0}, 1, 1, 1, 1);  // cover, v along depth
  g.MapUV([&](Vertex& v) {
    v.u = (v.position.x + w / 2) / w;
    v.v = 1 - (v.position.z + d / 2) / d;
  });
  AddBox(g, edge, {-w / 2, 0, -d / 2}, {w / 2, 0.06f, d / 2}, 0.5f, false, 1 | 2 | 16 | 32);
  g.Transform([&](Vec3 p) { return TurnY(p, turn); }, at);
  return g;
}

// The lava lamp's metal: foot and cap; the glass and the wax are separate meshes.
const Vec3 kLavaAxis{13.95f, -22.4f, 20.95f};

Geometry LavaMetal() {
  Builder b;
  const int metal = b.Add(Mat({0.85f, 0.8f, 0.9f}, {1, 1, 1}, 50, {0.14f, 0.1f, 0.16f}, "brushed.bmp"));
  AddLathe(b.g, metal, kLavaAxis, {{0, 0}, {1.1f, 0}, {1.1f, 0.15f}, {0.65f, 1.2f}, {0.7f, 1.25f}}, 18, true);
  AddLathe(b.g, metal, kLavaAxis + Vec3{0, 5.2f, 0}, {{0.62f, 0}, {0.55f, 0.6f}, {0.3f, 0.75f}, {0, 0.78f}}, 18, true);
  return b.g;
}

// Added over the wax with the jellyfish's bright picture projected on it: a dim glass, so that the
// sum stays violet and the wax shows through.
Geometry LavaGlass() {
  Builder b;
  const int glass = b.Add(Mat({0.36f, 0.16f, 0.28f}, {1, 1, 1}, 40, {0.24f, 0.11f, 0.2f}, "meduca.tga"));
  AddLathe(b.g, glass, kLavaAxis + Vec3{0, 1.2f, 0},
           {{0.68f, 0}, {0.86f, 0.8f}, {0.95f, 1.6f}, {0.82f, 2.6f}, {0.62f, 4.0f}, {0.6f, 4.1f}}, 18, true);
  return b.g;
}

Geometry LavaBlobs() {
  Builder b;
  const int wax = b.Add(Mat({1.0f, 0.45f, 0.15f}, {1, 0.8f, 0.6f}, 30, {0.6f, 0.2f, 0.05f}));
  const Vec3 a = kLavaAxis;
  AddLathe(b.g, wax, a + Vec3{0, 1.22f, 0}, {{0, 0}, {0.62f, 0}, {0.45f, 0.25f}, {0, 0.32f}}, 12, true);
  AddSphere(b.g, wax, a + Vec3{0.15f, 2.3f, 0.1f}, 0.35f, 10, 6);
  AddSphere(b.g, wax, a + Vec3{-0.2f, 3.3f, -0.1f}, 0.26f, 10, 6);
  AddSphere(b.g, wax, a + Vec3{0.1f, 4.4f, 0.05f}, 0.3f, 10, 6);
  AddSphere(b.g, wax, a + Vec3{-0.05f, 3.85f, 0.2f}, 0.14f, 8, 5);
  return b.g;
}

const float kDoorZ0 = 1.6f, kDoorZ1 = 9.4f, kDoorTop = -7.0f;

Geometry DoorFrame() {
  Builder b;
  const int wood = b.Add(Wood("wdark.bmp"));
  Geometry& g = b.g;
  const float x0 = kRoomMaxX - 0.6f;
  AddBox(g, wood, {x0, kFloor, kDoorZ0 - 0.6f}, {kRoomMaxX, kDoorTop, kDoorZ0}, 0.25f, false, 63 & ~2);
  AddBox(g, wood, {x0, kFloor, kDoorZ1}, {kRoomMaxX, kDoorTop, kDoorZ1 + 0.6f}, 0.25f, false, 63 & ~2);
  AddBox(g, wood, {x0, kDoorTop, kDoorZ0 - 0.6f}, {kRoomMaxX, kDoorTop + 0.7f, kDoorZ1 + 0.6f}, 0.25f, false, 63 & ~2);
  return g;
}

Geometry Door() {
  Builder b;
  const int wood = b.Add(Wood("wlight.bmp"));
  Geometry& g = b.g;
  const float x0 = kRoomMaxX - 0.35f;
  AddBox(g, wood, {x0, kFloor + 0.1f, kDoorZ0}, {kRoomMaxX - 0.1f, kDoorTop, kDoorZ1}, 0.12f, false, 63 & ~2, 2.0f);
  for (auto [y0, y1] : {std::array<float, 2>{-25.5f, -17.5f}, std::array<float, 2>{-16.0f, -8.5f}}) {
    AddBox(g, wood, {x0 - 0.08f, y0, kDoorZ0 + 1.0f}, {x0, y1, kDoorZ1 - 1.0f}, 0.12f, false, 1 | 4 | 8 | 16 | 32);
  }
  return g;
}

Geometry Knob() {
  Builder b;
  const int brass = b.Add(Mat({1.0f, 0.75f, 0.35f}, {1, 0.9f, 0.7f}, 60, {0.25f, 0.15f, 0.05f}));
  Geometry& g = b.g;
  const float x = kRoomMaxX - 0.43f, y = -17.0f, z = kDoorZ1 - 0.8f;
  Geometry k;
  k.AddMaterial(Material{});
  AddLathe(k, brass, {0, 0, 0}, {{0.45f, 0}, {0.45f, 0.1f}, {0.15f, 0.2f}, {0.12f, 0.7f}, {0.3f, 0.85f}, {0.32f, 1.05f}, {0, 1.15f}},
           12, true);
  k.Transform([](Vec3 p) { return Vec3{-p.y, p.x, p.z}; }, {x, y, z});
  g.Append(k);
  return g;
}

Geometry FanCentre() {
  Builder b;
  const int wood = b.Add(Wood("wdark.bmp"));
  AddLathe(b.g, wood, {0, kCeiling - 2.7f, 0},
           {{0.9f, 0}, {1.25f, 0.3f}, {1.25f, 0.8f}, {0.5f, 1.1f}, {0.2f, 1.2f}, {0.2f, 2.5f}, {0.7f, 2.6f}, {0.7f, 2.7f}},
           16, true);
  b.g.MapUV([](Vertex& v) {
    v.u = std::atan2(v.position.z, v.position.x) / kPi;
    v.v = -v.position.y / 2;
  });
  return b.g;
}

Geometry Lamp() {  // the glass bowl under the fan
  Builder b;
  const int glass = b.Add(Mat({1.0f, 0.9f, 0.75f}, {1, 1, 1}, 40, {0.85f, 0.7f, 0.45f}));
  std::vector<std::array<float, 2>> profile;
  for (int i = 0; i <= 6; ++i) {
    const float a = float(i) / 6 * kPi / 2;
    profile.push_back({1.05f * std::sin(a), -1.05f * std::cos(a) * 0.85f});
  }
  AddLathe(b.g, glass, {0, kCeiling - 2.75f, 0}, profile, 16, true);
  return b.g;
}

Geometry RecordPlayerBody() {  // vplay01
  Builder b;
  const int metal = b.Add(Metal("brushed.bmp"));
  Geometry& g = b.g;
  const float top = -22.4f;
  AddBox(g, metal, {9.9f, top, 19.9f}, {12.9f, top + 0.7f, 22.6f}, 0.3f, false, 63 & ~4);
  AddLathe(g, metal, {11.2f, top + 0.7f, 21.25f}, {{1.2f, 0}, {1.2f, 0.12f}, {0, 0.12f}}, 20, true);
  AddBox(g, metal, {12.35f, top + 0.7f, 22.1f}, {12.65f, top + 1.1f, 22.4f}, 0.5f);             // arm post
  AddBox(g, metal, {11.9f, top + 1.05f, 21.0f}, {12.05f, top + 1.13f, 22.25f}, 0.5f);           // tone arm
  AddBox(g, metal, {10.0f, top + 0.7f, 20.0f}, {10.4f, top + 0.8f, 20.3f}, 0.5f);               // switch
  return g;
}

Geometry Record() {  // vplay02: the record on the platter
  Builder b;
  const int vinyl = b.Add(Mat({0.12f, 0.12f, 0.16f}, {0.9f, 0.9f, 1.0f}, 60, {0.02f, 0.02f, 0.04f}));
  const int label = b.Add(Mat({1.0f, 0.6f, 0.25f}, {0.3f, 0.3f, 0.3f}, 10, {0.25f, 0.12f, 0.04f}));
  const Vec3 c{11.2f, -22.4f + 0.84f, 21.25f};
  AddLathe(b.g, vinyl, c, {{1.15f, -0.02f}, {1.15f, 0.02f}, {0.4f, 0.02f}}, 24, true);
  AddLathe(b.g, label, c, {{0.4f, 0.025f}, {0.04f, 0.025f}}, 24, true);
  return b.g;
}

Geometry Fan() {  // blades about the vertical axis through the room's centre
  Builder b;
  const int wood = b.Add(Wood("wlight.bmp"));
  Geometry& g = b.g;
  for (int k = 0; k < 5; ++k) {
    Geometry blade;
    blade.AddMaterial(Material{});
    AddBox(blade, wood, {1.1f, -0.06f, -0.75f}, {7.2f, 0.06f, 0.75f}, 0.2f);
    AddBox(blade, wood, {0.6f, -0.15f, -0.15f}, {1.3f, 0.05f, 0.15f}, 0.5f);  // bracket
    const float pitch = 0.35f, a = float(k) * 2 * kPi / 5;
    blade.Transform([&](Vec3 p) {
      const Vec3 q{p.x, p.y * std::cos(pitch) - p.z * std::sin(pitch), p.y * std::sin(pitch) + p.z * std::cos(pitch)};
      return TurnY(q, a);
    }, {0, kCeiling - 2.25f, 0});
    g.Append(blade);
  }
  return g;
}

}  // namespace

std::vector<DataEntry> MakeRoomMeshes() {
  const Geometry meshes[g_roomMeshCount] = {
      Walls(),
      Floor(),
      Ceiling(),
      Beanbag({13.2f, kFloor, -18.9f}, 3.5f, 0.4f),
      Beanbag({-12.6f, kFloor, -17.4f}, 3.1f, 2.1f),
      Desk(),
      Shelf(),
      Sideboard(),
      Speakers(),
      Radiator(),
      Cactus(),
      Jar(),
      Books("bdark.bmp", -18.1f, 0.0f, 9.5f, 7),
      Books("blight.bmp", -14.1f, 0.2f, 7.0f, 3),
      Poster("poster1.bmp", -12.5f, -6.5f, -17.5f, -8.5f),
      Poster("poster2.bmp", -4.5f, 0.5f, -16.0f, -9.5f),
      Vinyls(),
      Magazine("pron1.bmp", {1.6f, kFloor + 0.04f, -2.6f}, 0.35f),
      Magazine("pron2.bmp", {-2.4f, kFloor + 0.04f, -5.2f}, -0.6f),
      Magazine("mcover1.bmp", {3.6f, kFloor + 0.04f, 2.4f}, 1.1f),
      Magazine("mcover2.bmp", {-7.5f, -19.6f, 20.4f}, 0.25f),
      LavaMetal(),
      LavaBlobs(),
      DoorFrame(),
      Door(),
      Knob(),
      FanCentre(),
      Lamp(),
      RecordPlayerBody(),
      Record(),
      Fan(),
      LavaGlass(),
  };
  std::vector<DataEntry> entries;
  for (int i = 0; i < g_roomMeshCount; ++i) {
    Geometry g = meshes[i];
    ToSetFrame(g);
    const bool textured = !(i == 22 || i == 25 || i == 27 || i == 29);
    entries.push_back(MakeEntry(g_roomMeshEntries[i], g, textured));
  }
  return entries;
}

}  // namespace showdata
