// The opening corridor and chamber (scene 1) and the jellyfish hall (scene 2), modelled upright in
// the world and turned into the set frame at the end.
#include <cmath>

#include "tools/showdata/meshes/mesh_sets.h"
#include "tools/showdata/meshes/room_layout.h"

namespace showdata {

namespace {

const float kPi = 3.14159265f;

// Corner k of the chamber's twelve-gon (corners sit between the flat walls; wall 0 faces +x).
Vec3 ChamberCorner(int k, float y) {
  const float a = (float(k) + 0.5f) * kPi / 6.0f;
  const float r = kChamberApothem / std::cos(kPi / 12.0f);
  return {r * std::cos(a), y, r * std::sin(a)};
}

Geometry Core() {
  Geometry g;
  const int metal = g.AddMaterial(Mat({0.75f, 0.8f, 0.95f}, {1, 0.9f, 0.7f}, 40, {0.08f, 0.08f, 0.16f}, "metal.tga"));
  const int glow = g.AddMaterial(Mat({1.0f, 0.7f, 0.35f}, {1, 1, 1}, 20, {0.55f, 0.3f, 0.1f}, "metal.tga"));
  const Vec3 axis{0.3f, 0, -0.9f};
  const float centreY = -5.66f;
  AddSphere(g, glow, axis + Vec3{0, centreY, 0}, 1.1f, 20, 12);
  // Pedestal: a base plate and a waisted column under the sphere.
  AddLathe(g, metal, axis + Vec3{0, kChamberFloorY, 0},
           {{1.7f, 0}, {1.7f, 0.25f}, {1.2f, 0.35f}, {0.45f, 0.5f}, {0.35f, 0.9f}, {0.6f, 0.75f + 0.5f}}, 16, true,
           false, true);
  // Two rings round the sphere, both upright so that neither reaches towards the glide path.
  for (int ring = 0; ring < 2; ++ring) {
    std::vector<Vec3> path;
    for (int i = 0; i < 32; ++i) {
      const float a = float(i) / 32 * 2 * kPi;
      Vec3 p{1.6f * std::cos(a), 1.6f * std::sin(a), 0};
      if (ring == 1) p = TurnY(p, 0.5f), p.z *= 0.25f;
      path.push_back(axis + Vec3{0, centreY, 0} + p);
    }
    AddTube(g, metal, path, 0.09f, 6, true);
  }
  g.PlanarUV({0.5f, 0, 0.3f}, {0, -0.5f, 0});
  return g;
}

Geometry Corridor() {
  Geometry g;
  const int shell = g.AddMaterial(Mat({0.8f, 0.85f, 1.0f}, {0.3f, 0.3f, 0.4f}, 12, {0.06f, 0.06f, 0.12f}, "floor2.tga"));
  const int rib = g.AddMaterial(Mat({0.7f, 0.75f, 0.95f}, {0.8f, 0.8f, 0.9f}, 30, {0.16f, 0.13f, 0.26f}, "floor2.tga"));
  const int strip = g.AddMaterial(Mat({1.0f, 0.75f, 0.4f}, {0, 0, 0}, 0, {0.8f, 0.5f, 0.2f}, "floor2.tga"));
  const float w = kCorridorHalfWidth, top = kCorridorCeilingY, bottom = kChamberFloorY;
  struct Run {
    float from, to;
  };
  const float mouth = kChamberApothem - 0.05f;
  for (const Run& run : {Run{kCorridorWestEndX, -mouth}, Run{mouth, kCorridorEastEndX}}) {
    const float length = run.to - run.from;
    const int cells = int(std::lround(length / 1.5f));
    // Floor, ceiling and the two side walls, all facing inward; the far end closed.
    AddQuad(g, shell, {run.from, bottom, -w}, {0, 0, 2 * w}, {length, 0, 0}, 4, cells, 1.5f, length / 4);
    AddQuad(g, shell, {run.from, top, -w}, {length, 0, 0}, {0, 0, 2 * w}, cells, 4, length / 4, 1.5f);
    AddQuad(g, shell, {run.from, bottom, -w}, {length, 0, 0}, {0, top - bottom, 0}, cells, 3, length / 4, 1.5f);
    AddQuad(g, shell, {run.from, bottom, w}, {0, top - bottom, 0}, {length, 0, 0}, 3, cells, 1.5f, length / 4);
    const float end = run.from < 0 ? run.from : run.to;
    const float inward = run.from < 0 ? 1.0f : -1.0f;
    if (inward > 0) {
      AddQuad(g, shell, {end, bottom, -w}, {0, top - bottom, 0}, {0, 0, 2 * w}, 3, 4, 1.5f, 1.5f);
    } else {
      AddQuad(g, shell, {end, bottom, -w}, {0, 0, 2 * w}, {0, top - bottom, 0}, 4, 3, 1.5f, 1.5f);
    }
    // Ribs every four units: side posts and a beam, standing 0.25 in from the shell.
    for (float x = run.from + 2.0f; x < run.to - 0.5f; x += 4.0f) {
      AddBox(g, rib, {x - 0.25f, bottom, -w}, {x + 0.25f, top, -w + 0.25f}, 0.5f, false, 63 & ~16);
      AddBox(g, rib, {x - 0.25f, bottom, w - 0.25f}, {x + 0.25f, top, w}, 0.5f, false, 63 & ~32);
      AddBox(g, rib, {x - 0.25f, top - 0.35f, -w + 0.25f}, {x + 0.25f, top, w - 0.25f}, 0.5f, false, 63 & ~(8 | 16 | 32));
    }
    // A round glowing panel on the far end wall of the west run, where its light hangs.
    if (inward > 0) {
      std::vector<Vec3> disc;
      for (int k = 0; k < 16; ++k) {
        const float a = float(k) * kPi / 8;
        disc.push_back({end + 0.05f, -4.0f + 1.6f * std::sin(a), 1.6f * std::cos(a)});
      }
      AddPolygon(g, strip, disc, {1, 0, 0});
    }
    // Glowing strips along the foot of both walls.
    AddBox(g, strip, {run.from, bottom, -w + 0.25f}, {run.to, bottom + 0.12f, -w + 0.4f}, 0.5f, false, 8 | 32);
    AddBox(g, strip, {run.from, bottom, w - 0.4f}, {run.to, bottom + 0.12f, w - 0.25f}, 0.5f, false, 8 | 16);
  }
  return g;
}

Geometry ChamberFloor() {
  Geometry g;
  const int floor = g.AddMaterial(Mat({0.8f, 0.85f, 1.0f}, {0.5f, 0.5f, 0.6f}, 20, {0.05f, 0.05f, 0.1f}, "floor.tga"));
  const int inlay = g.AddMaterial(Mat({0.3f, 0.7f, 1.0f}, {0.6f, 0.6f, 0.6f}, 30, {0.1f, 0.25f, 0.4f}, "floor.tga"));
  const Vec3 up{0, 1, 0};
  // Rings of cells out to the walls: the chamber light falls off per vertex, so the floor needs them.
  const float radii[] = {0, 2.2f, 2.6f, 5.0f, 7.5f, 10.0f};
  auto at = [&](int ring, int k) {
    const float angle = float(k) * kPi / 12.0f;
    if (ring < 6) return Vec3{radii[ring] * std::cos(angle), kChamberFloorY, radii[ring] * std::sin(angle)};
    // The rim: odd steps are the twelve-gon's corners, even steps the middles of its walls.
    if (k % 2) return ChamberCorner((k / 2) % 12, kChamberFloorY);
    return Vec3{kChamberApothem * std::cos(angle), kChamberFloorY, kChamberApothem * std::sin(angle)};
  };
  for (int ring = 0; ring < 6; ++ring) {
    for (int k = 0; k < 24; ++k) {
      const int material = ring == 1 ? inlay : floor;
      const Vec3 p00 = at(ring, k), p01 = at(ring, k + 1), p10 = at(ring + 1, k), p11 = at(ring + 1, k + 1);
      if (ring == 0) {
        AddPolygon(g, material, {p00, p10, p11}, up);
      } else {
        AddPolygon(g, material, {p00, p10, p11, p01}, up);
      }
    }
  }
  g.PlanarUV({0.125f, 0, 0}, {0, 0, 0.125f});
  return g;
}

Geometry ChamberWalls() {
  Geometry g;
  const int wall = g.AddMaterial(Mat({0.85f, 0.85f, 1.0f}, {0.3f, 0.3f, 0.4f}, 10, {0.06f, 0.05f, 0.12f}, "wall.tga"));
  const int trim = g.AddMaterial(Mat({1.0f, 0.7f, 0.35f}, {0.5f, 0.5f, 0.5f}, 20, {0.5f, 0.3f, 0.08f}, "wall.tga"));
  const float bottom = kChamberFloorY, top = kChamberWallTopY, height = top - bottom;
  for (int k = 0; k < 12; ++k) {
    // Wall k spans corners k-1 .. k; seen from inside, so the edges run to give an inward normal.
    const Vec3 a = ChamberCorner((k + 11) % 12, bottom), b = ChamberCorner(k, bottom);
    const Vec3 along = b - a;
    if (k == 0 || k == 6) {
      // The corridor opening in the middle of the wall.
      const float half = std::sqrt(Dot(along, along)) / 2;
      const Vec3 dir = Normalize(along);
      const float side = half - kCorridorHalfWidth;
      const Vec3 p = a, q = a + dir * (half + kCorridorHalfWidth);
      const float lintel = kCorridorCeilingY - bottom;
      AddQuad(g, wall, p, dir * side, {0, height, 0}, 1, 6, side / 4, height / 4);
      AddQuad(g, wall, q, dir * side, {0, height, 0}, 1, 6, side / 4, height / 4);
      AddQuad(g, wall, p + dir * side + Vec3{0, lintel, 0}, dir * (2 * kCorridorHalfWidth), {0, height - lintel, 0}, 3,
              4, 2 * kCorridorHalfWidth / 4, (height - lintel) / 4);
    } else {
      AddQuad(g, wall, a, along, {0, height, 0}, 3, 6, std::sqrt(Dot(along, along)) / 4, height / 4);
    }
  }
  // A glowing band round the chamber at head height and a second under the roof.
  for (float y : {-2.6f, 7.0f}) {
    Geometry band;
    band.AddMaterial(Material{});
    band.AddMaterial(Material{});
    for (int k = 0; k < 12; ++k) {
      if ((k == 0 || k == 6) && y < kCorridorCeilingY) continue;
      const Vec3 a = ChamberCorner((k + 11) % 12, y) * 0.985f, b = ChamberCorner(k, y) * 0.985f;
      AddQuad(band, trim, {a.x, y, a.z}, b - a, {0, 0.3f, 0}, 1, 1, 1, 1);
    }
    g.Append(band);
  }
  return g;
}

Geometry Roof() {
  Geometry g;
  const int roof = g.AddMaterial(Mat({0.7f, 0.75f, 1.0f}, {0.4f, 0.4f, 0.5f}, 16, {0.07f, 0.06f, 0.14f}, "wall_dark.tga"));
  const float r = kChamberApothem / std::cos(kPi / 12.0f);
  const float top = kChamberWallTopY;
  Geometry dome;
  dome.AddMaterial(Material{});
  AddLathe(dome, roof, {0, 0, 0},
           {{r, top}, {r * 0.86f, top + 2.4f}, {r * 0.62f, top + 4.2f}, {r * 0.34f, top + 5.3f}, {0, top + 5.6f}}, 12,
           false, false, false, kPi / 12.0f);
  dome.Flip();  // seen from below
  g.Append(dome);
  g.PlanarUV({0.15f, 0, 0}, {0, 0, 0.15f});
  return g;
}

Geometry Tube() {
  Geometry g;
  const int glass = g.AddMaterial(Mat({0.4f, 0.6f, 1.0f}, {1, 1, 1}, 40, {0.15f, 0.25f, 0.5f}, "mdark.tga"));
  const int collar = g.AddMaterial(Mat({0.7f, 0.7f, 0.8f}, {1, 0.9f, 0.7f}, 30, {0.06f, 0.05f, 0.1f}, "mdark.tga"));
  const Vec3 axis{0.3f, 0, -0.9f};
  const float roofTop = kChamberWallTopY + 5.6f;
  AddLathe(g, glass, axis + Vec3{0, -4.8f, 0}, {{0.35f, 0}, {0.55f, 0.6f}, {0.55f, roofTop + 4.8f}}, 14);
  for (float y = -3.0f; y < roofTop - 1; y += 3.0f) {
    AddLathe(g, collar, axis + Vec3{0, y, 0}, {{0.6f, 0}, {0.8f, 0.15f}, {0.8f, 0.45f}, {0.6f, 0.6f}}, 14, true);
  }
  // Pipes along the upper corners of both corridor runs.
  const float w = kCorridorHalfWidth - 0.55f, y = kCorridorCeilingY - 0.55f;
  for (float z : {-w, w}) {
    AddTube(g, collar, {{kCorridorWestEndX, y, z}, {-kChamberApothem, y, z}}, 0.22f, 8, false);
    AddTube(g, collar, {{kChamberApothem, y, z}, {kCorridorEastEndX, y, z}}, 0.22f, 8, false);
  }
  g.PlanarUV({0.3f, 0, 0.3f}, {0, -0.25f, 0});
  return g;
}

// The hall of scene 2.
Vec3 HallCorner(int k, float y) {
  const float a = (float(k) + 0.5f) * kPi / 8.0f;
  const float r = kHallApothem / std::cos(kPi / 16.0f);
  return {r * std::cos(a), y, r * std::sin(a)};
}

Geometry Hall() {
  Geometry g;
  const int wall = g.AddMaterial(Mat({0.75f, 0.8f, 0.95f}, {0.5f, 0.5f, 0.6f}, 20, {0.2f, 0.22f, 0.34f}, "steelplate.tga"));
  const int floor = g.AddMaterial(Mat({0.8f, 0.85f, 1.0f}, {0.8f, 0.8f, 0.9f}, 30, {0.08f, 0.09f, 0.16f}, "steelplate.tga"));
  const int pillar = g.AddMaterial(Mat({0.6f, 0.55f, 0.7f}, {0.8f, 0.7f, 0.5f}, 30, {0.16f, 0.12f, 0.2f}, "steelplate.tga"));
  const int light = g.AddMaterial(Mat({0.3f, 0.8f, 1.0f}, {0, 0, 0}, 0, {0.3f, 0.7f, 0.9f}, "steelplate.tga"));
  const float bottom = kHallFloorY, top = kHallCeilingY;
  for (int k = 0; k < 16; ++k) {
    const Vec3 a = HallCorner((k + 15) % 16, bottom), b = HallCorner(k, bottom);
    AddQuad(g, wall, a, b - a, {0, top - bottom, 0}, 2, 4, 1.2f, (top - bottom) / 6);
    // Pillars at the corners and a glowing slit in each wall.
    const Vec3 c = b * 0.97f;
    AddBox(g, pillar, {c.x - 0.6f, bottom, c.z - 0.6f}, {c.x + 0.6f, top, c.z + 0.6f}, 0.25f, false, 1 | 2 | 16 | 32);
    const Vec3 mid = (a + b) * 0.5f * 0.995f, dir = Normalize(b - a);
    AddQuad(g, light, mid - dir * 0.25f + Vec3{0, 1.0f, 0}, dir * 0.5f, {0, top - bottom - 6, 0}, 1, 1, 1, 1);
  }
  // Floor in rings so that the light above the centre makes a pool on it; ceiling plain.
  const float radii[] = {0, 3.0f, 5.0f, 7.0f, 9.0f, 11.0f, 13.5f, 16.0f};
  for (int ring = 0; ring < 8; ++ring) {
    for (int k = 0; k < 32; ++k) {
      auto at = [&](int rr, int j) {
        if (rr == 8) {
          const Vec3 p = HallCorner((j / 2 + 15) % 16, bottom), q = HallCorner(j / 2, bottom);
          return j % 2 == 0 ? p : (p + q) * 0.5f;
        }
        const float ang = float(j) * kPi / 16.0f - kPi / 16.0f;
        return Vec3{radii[rr] * std::cos(ang), bottom, radii[rr] * std::sin(ang)};
      };
      const Vec3 p00 = at(ring, k), p01 = at(ring, k + 1), p10 = at(ring + 1, k), p11 = at(ring + 1, k + 1);
      if (ring == 0) {
        AddPolygon(g, floor, {p00, p10, p11}, {0, 1, 0});
      } else {
        AddPolygon(g, floor, {p00, p10, p11, p01}, {0, 1, 0});
      }
    }
  }
  std::vector<Vec3> ceiling;
  for (int k = 0; k < 16; ++k) ceiling.push_back(HallCorner(k, top));
  AddPolygon(g, wall, ceiling, {0, -1, 0});
  g.MapUV([](Vertex& v) {
    if (std::fabs(v.normal.y) > 0.9f) {
      v.u = v.position.x / 6, v.v = v.position.z / 6;
    } else if (v.u == 0 && v.v == 0) {
      v.u = (v.position.x + v.position.z) / 6, v.v = -v.position.y / 6;
    }
  });
  return g;
}

Geometry HallCentre() {
  Geometry g;
  const int metal = g.AddMaterial(Mat({0.8f, 0.85f, 1.0f}, {1, 0.9f, 0.7f}, 40, {0.1f, 0.1f, 0.2f}, "metal.tga"));
  const int basin = g.AddMaterial(Mat({0.3f, 0.7f, 1.0f}, {1, 1, 1}, 50, {0.25f, 0.5f, 0.8f}, "metal.tga"));
  // Low enough that the low close camera (eye 2.2 above the floor, 5 from the axis) sees over it.
  AddLathe(g, metal, {0, kHallFloorY, 0},
           {{3.8f, 0}, {3.8f, 0.4f}, {3.2f, 0.7f}, {2.5f, 1.2f}, {2.3f, 2.4f}, {2.7f, 3.0f}, {3.0f, 3.3f}, {3.0f, 3.6f},
            {2.6f, 3.7f}},
           24, true);
  AddLathe(g, basin, {0, kHallFloorY, 0}, {{2.6f, 3.7f}, {1.8f, 3.35f}, {0.9f, 3.15f}, {0, 3.1f}}, 24, true);
  // Eight ribs up the column.
  for (int k = 0; k < 8; ++k) {
    const float a = float(k) * kPi / 4;
    Geometry rib;
    rib.AddMaterial(Material{});
    AddBox(rib, 0, {1.9f, kHallFloorY + 0.5f, -0.18f}, {2.6f, kHallFloorY + 2.9f, 0.18f}, 0.3f);
    rib.Transform([&](Vec3 p) { return TurnY(p, a); }, {0, 0, 0});
    g.Append(rib);
  }
  g.MapUV([](Vertex& v) {
    v.u = std::atan2(v.position.z, v.position.x) / kPi * 2;
    v.v = -v.position.y / 3;
  });
  return g;
}

Geometry HallSpikes() {
  Geometry g;
  const int spike = g.AddMaterial(Mat({0.55f, 0.5f, 0.8f}, {1, 0.8f, 0.6f}, 30, {0.1f, 0.08f, 0.2f}, "mdark.tga"));
  const int tip = g.AddMaterial(Mat({1.0f, 0.65f, 0.3f}, {1, 1, 1}, 30, {0.45f, 0.22f, 0.08f}, "mdark.tga"));
  for (int k = 0; k < 16; ++k) {
    const float a = float(k) * kPi / 8 + 0.1f;
    const float r = 9.5f + (k % 2) * 0.8f, h = k % 2 ? 2.5f : 4.5f;
    const Vec3 base{r * std::cos(a), kHallFloorY, r * std::sin(a)};
    const Vec3 lean = Vec3{std::cos(a), 0, std::sin(a)} * 0.8f;
    AddCone(g, spike, base, 0.9f, base + Vec3{0, h, 0} + lean, 6);
    AddCone(g, tip, base + Vec3{0, h * 0.75f, 0} + lean * 0.75f, 0.25f, base + Vec3{0, h + 0.3f, 0} + lean, 5);
  }
  for (int k = 0; k < 24; ++k) {  // hanging from the ceiling near the walls
    const float a = float(k) * kPi / 12;
    const float r = 12.5f + float(k % 3) * 1.5f, h = 3.0f + float((k * 7) % 4);
    const Vec3 base{r * std::cos(a), kHallCeilingY, r * std::sin(a)};
    AddCone(g, spike, base, 1.0f, base - Vec3{0, h, 0}, 6);
  }
  g.MapUV([](Vertex& v) {
    v.u = (v.position.x + v.position.z) / 4;
    v.v = -v.position.y / 4;
  });
  return g;
}

}  // namespace

std::vector<Geometry> MakeScene1Set() {
  std::vector<Geometry> set = {Core(), Corridor(), ChamberFloor(), ChamberWalls(), Roof(), Tube()};
  for (Geometry& g : set) ToSetFrame(g);
  return set;
}

std::vector<Geometry> MakeScene2Set() {
  std::vector<Geometry> set = {Hall(), HallCentre(), HallSpikes()};
  for (Geometry& g : set) ToSetFrame(g);
  return set;
}

}  // namespace showdata
