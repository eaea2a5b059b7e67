// The show's general meshes: the objects of the single scenes, and the two sets.
#include <cmath>

#include "demo/asset_catalogue.h"
#include "tools/showdata/meshes.h"
#include "tools/showdata/meshes/mesh_sets.h"
#include "tools/showdata/meshes/room_layout.h"
#include "tools/showdata/meshes/xfile_writer.h"

namespace showdata {

namespace {

const float kPi = 3.14159265f;

// The floating copies of the opening: a ring with a rolling wave, flare light projected on it.
Geometry Kama() {
  Geometry g;
  const int m = g.AddMaterial(Mat({0.6f, 0.7f, 1.0f}, {1, 1, 1}, 30, {0.12f, 0.08f, 0.3f}, "flare.bmp"));
  AddSurface(g, m, 40, 8, [](float s, float t) {
    const float a = s * 2 * kPi, b = t * 2 * kPi;
    const float tube = 0.28f + 0.08f * std::sin(5 * a);
    const float r = 1.25f + tube * std::cos(b);
    return Vec3{r * std::cos(a), tube * std::sin(b) + 0.16f * std::sin(3 * a), r * std::sin(a)};
  }, true, true);
  return g;
}

// The grid tile: a bevelled block, facing the viewer with its broad side.
Geometry Qtio() {
  Geometry g;
  const int m = g.AddMaterial(Mat({0.85f, 0.9f, 1.0f}, {0.7f, 0.7f, 0.9f}, 24, {0.08f, 0.05f, 0.18f}));
  AddChamferBox(g, m, {0, 0, 0}, {0.43f, 0.43f, 0.3f}, 0.1f);
  return g;
}

// The blob that slides in from the left: a lumpy, glossy drop of violet.
Geometry Plomppo() {
  Geometry g;
  const int m = g.AddMaterial(Mat({0.55f, 0.35f, 0.9f}, {1, 0.9f, 0.8f}, 40, {0.06f, 0.03f, 0.14f}));
  AddSurface(g, m, 28, 18, [](float s, float t) {
    const float a = s * 2 * kPi, b = (t - 0.5f) * kPi;
    const float r = 2.4f * (1 + 0.14f * std::sin(3 * a) * std::cos(2 * b) + 0.08f * std::sin(5 * b + a));
    return Vec3{r * std::cos(b) * std::cos(a), r * std::sin(b), r * std::cos(b) * std::sin(a)};
  }, true, true);
  return g;
}

// A flat plate for projected glows: one unit square about the origin in the xy plane.
Geometry Taso() {
  Geometry g;
  const int m = g.AddMaterial(Mat({1, 1, 1}, {0, 0, 0}, 0, {0.3f, 0.3f, 0.3f}, "flare01.bmp"));
  AddQuad(g, m, {-0.5f, 0.5f, 0}, {1, 0, 0}, {0, -1, 0}, 1, 1, 1, 1);
  return g;
}

// The glowing crystal of the hall: a tall six-sided crystal with four smaller ones round it,
// floating above the basin of the centre column (modelled upright in the hall), so that it sinks
// into the column when the scene lowers it.
Geometry Bling() {
  Geometry g;
  const int m = g.AddMaterial(Mat({1, 1, 1}, {1, 1, 1}, 30, {0.6f, 0.6f, 0.7f}, "valo.tga"));
  auto crystal = [&](Vec3 base, float r, float h, float tilt, float turn) {
    Geometry c;
    c.AddMaterial(Material{});
    AddLathe(c, m, {0, 0, 0}, {{0, 0}, {r, h * 0.18f}, {r, h * 0.75f}, {0, h}}, 6, false);
    c.Transform([&](Vec3 p) {
      const Vec3 q{p.x, p.y * std::cos(tilt) - p.z * std::sin(tilt), p.y * std::sin(tilt) + p.z * std::cos(tilt)};
      return TurnY(q, turn);
    }, base);
    c.MapUV([&](Vertex& v) {
      v.u = std::atan2(v.position.z - base.z, v.position.x - base.x) / (2 * kPi) + 0.5f;
      v.v = 1 - (v.position.y - base.y) / h;
    });
    g.Append(c);
  };
  crystal({0, 0.9f, 0}, 0.8f, 4.8f, 0, 0);
  for (int k = 0; k < 4; ++k) crystal({0, 1.2f, 0}, 0.4f, 2.4f, 0.55f, float(k) * kPi / 2 + 0.4f);
  ToSetFrame(g);
  return g;
}

// A (2, 3) torus knot with a round tube.
Geometry Knotti() {
  Geometry g;
  const int m = g.AddMaterial(Mat({0.35f, 0.75f, 0.95f}, {1, 0.85f, 0.6f}, 30, {0.05f, 0.08f, 0.2f}));
  std::vector<Vec3> path;
  const int steps = 140;
  for (int i = 0; i < steps; ++i) {
    const float t = float(i) / float(steps) * 2 * kPi;
    // Small enough that, 4 units in front of the eye and left of centre, no turn takes it out of the picture.
    const float r = 0.64f + 0.28f * std::cos(3 * t);
    path.push_back({r * std::cos(2 * t), 0.28f * std::sin(3 * t), r * std::sin(2 * t)});
  }
  for (Vec3& p : path) p = Vec3{p.x, p.z, p.y};  // lie in the xy plane, facing the viewer
  AddTube(g, m, path, 0.17f, 10, true);
  return g;
}

// The column ball: low-polygon, drawn hundreds of times with flat shading.
Geometry Ballo() {
  Geometry g;
  const int m = g.AddMaterial(Mat({0.6f, 0.75f, 1.0f}, {1, 1, 1}, 20, {0.12f, 0.1f, 0.35f}));
  AddSphere(g, m, {0, 0, 0}, 0.42f, 14, 9);
  return g;
}

// The echo-trail object: a textured ball with six soft lobes.
Geometry Bollo() {
  Geometry g;
  const int m = g.AddMaterial(Mat({0.9f, 0.8f, 1.0f}, {1, 1, 1}, 30, {0.25f, 0.2f, 0.35f}, "texture01.tga"));
  AddSurface(g, m, 24, 16, [](float s, float t) {
    const float a = s * 2 * kPi, b = (t - 0.5f) * kPi;
    const Vec3 d{std::cos(b) * std::cos(a), std::sin(b), std::cos(b) * std::sin(a)};
    const float lobes = d.x * d.x * d.x * d.x + d.y * d.y * d.y * d.y + d.z * d.z * d.z * d.z;
    return d * (0.85f + 0.45f * lobes);
  }, true, true);
  return g;
}

// A drop.
Geometry Plontsi() {
  Geometry g;
  const int m = g.AddMaterial(Mat({0.3f, 0.6f, 1.0f}, {1, 1, 1}, 50, {0.05f, 0.1f, 0.25f}));
  std::vector<std::array<float, 2>> profile;
  for (int i = 0; i <= 12; ++i) {
    const float t = float(i) / 12;
    const float b = (t - 0.5f) * kPi;
    const float r = std::cos(b) * (1 - 0.55f * t);
    profile.push_back({i == 12 ? 0 : r, std::sin(b) + 1.2f * t * t});
  }
  profile[0][0] = 0;
  AddLathe(g, m, {0, 0, 0}, profile, 16);
  return g;
}

// The twisted star prism that alternates with the tile in the dot-matrix scene. It turns two units
// in front of the eye, near the picture's right edge, so it is no larger than the tile: its tips
// reach about as far as the tile's corners.
Geometry Tapitus() {
  Geometry g;
  const int m = g.AddMaterial(Mat({1.0f, 0.7f, 0.35f}, {1, 1, 1}, 30, {0.16f, 0.08f, 0.05f}));
  const int points = 5, layers = 10;
  const float tip = 0.44f, notch = 0.23f, halfLength = 0.3f;
  auto star = [&](float s) {  // s in 0..1 around the outline
    const float a = s * 2 * kPi;
    const float k = std::fmod(s * float(points) * 2, 2.0f);
    const float blend = k < 1 ? k : 2 - k;  // 0 at a tip, 1 at a notch
    const float r = tip + (notch - tip) * blend;
    return std::array<float, 2>{r * std::cos(a), r * std::sin(a)};
  };
  AddSurface(g, m, points * 2, layers, [&](float s, float t) {
    const auto p = star(s);
    const float twist = (t - 0.5f) * 1.2f;
    const float x = p[0] * std::cos(twist) - p[1] * std::sin(twist), y = p[0] * std::sin(twist) + p[1] * std::cos(twist);
    return Vec3{x, y, (t - 0.5f) * 2 * halfLength};
  }, false, false);
  for (float end : {-0.5f, 0.5f}) {  // star caps
    const float twist = end * 1.2f, z = end * 2 * halfLength;
    std::vector<Vec3> ring;
    for (int i = 0; i < points * 2; ++i) {
      const auto p = star(float(i) / float(points * 2));
      ring.push_back({p[0] * std::cos(twist) - p[1] * std::sin(twist), p[0] * std::sin(twist) + p[1] * std::cos(twist), z});
    }
    for (int i = 0; i < points * 2; ++i) {
      AddPolygon(g, m, {{0, 0, z}, ring[size_t(i)], ring[size_t((i + 1) % (points * 2))]}, {0, 0, z});
    }
  }
  return g;
}

// The jellyfish: a bell with a curled rim, four frilled arms and eight trailing tentacles,
// modelled upright (bell on top) about its own centre. The hall's one light sits below them, so
// they glow mostly by themselves (a strong emissive colour) to stand out against the dark walls.
Geometry Mude() {
  Geometry g;
  const int bell = g.AddMaterial(Mat({0.4f, 0.45f, 0.5f}, {1, 1, 1}, 40, {0.8f, 0.82f, 0.95f}, "meduca.tga"));
  const int arms = g.AddMaterial(Mat({0.5f, 0.4f, 0.3f}, {1, 1, 1}, 30, {0.95f, 0.72f, 0.6f}, "meduca.tga"));
  AddLathe(g, bell, {0, 0, 0},
           {{0.86f, -0.18f}, {0.93f, -0.05f}, {0.88f, 0.15f}, {0.76f, 0.38f}, {0.56f, 0.56f}, {0.3f, 0.66f}, {0, 0.7f}},
           16);
  for (int k = 0; k < 8; ++k) {
    const float a = float(k) * kPi / 4 + 0.2f;
    std::vector<Vec3> path;
    for (int i = 0; i <= 8; ++i) {
      const float d = float(i) / 8;
      const float r = 0.78f - 0.2f * d + 0.08f * std::sin(d * 7 + float(k));
      path.push_back({r * std::cos(a + 0.3f * d), -0.15f - 1.9f * d, r * std::sin(a + 0.3f * d)});
    }
    AddTube(g, bell, path, 0.035f, 3, false);
  }
  for (int k = 0; k < 4; ++k) {
    const float a = float(k) * kPi / 2;
    std::vector<Vec3> path;
    for (int i = 0; i <= 7; ++i) {
      const float d = float(i) / 7;
      const float r = 0.12f + 0.18f * std::sin(d * 6 + float(k));
      path.push_back({r * std::cos(a + d), 0.1f - 1.3f * d, r * std::sin(a + d)});
    }
    AddTube(g, arms, path, 0.09f * 1.0f, 4, false);
  }
  g.MapUV([](Vertex& v) {
    v.u = std::atan2(v.position.z, v.position.x) / (2 * kPi) + 0.5f;
    v.v = 0.5f - v.position.y * 0.35f;
  });
  // Grown after the picture is mapped, so the veins keep their count, and large enough to read
  // from the hall's wide orbit.
  g.Transform([](Vec3 p) { return p * 1.3f; }, {0, 0, 0});
  ToSetFrame(g);
  return g;
}

}  // namespace

Material Mat(Color diffuse, Color specular, float power, Color emissive, const std::string& texture) {
  Material m;
  m.diffuse = diffuse;
  m.specular = specular;
  m.power = power;
  m.emissive = emissive;
  m.texture = texture;
  return m;
}

void ToSetFrame(Geometry& g) {
  // Undo RotateX(kSetTurnX) and then RotateY(kSetTurnY) (row vectors: world = model * Ry * Rx).
  const float cx = std::cos(-kSetTurnX), sx = std::sin(-kSetTurnX);
  const float cy = std::cos(-kSetTurnY), sy = std::sin(-kSetTurnY);
  g.Transform([&](Vec3 p) {
    const Vec3 q{p.x, p.y * cx - p.z * sx, p.y * sx + p.z * cx};
    return Vec3{q.x * cy + q.z * sy, q.y, -q.x * sy + q.z * cy};
  }, {0, 0, 0});
}

DataEntry MakeEntry(const char* name, Geometry g, bool textured) {
  g.Compact();
  std::string meshName = name;
  meshName = meshName.substr(meshName.rfind('\\') + 1);
  meshName = meshName.substr(0, meshName.find('.'));
  return {name, WriteXFile(g, meshName, textured)};
}

std::vector<DataEntry> MakeMeshes() {
  const std::vector<Geometry> scene1 = MakeScene1Set();
  const std::vector<Geometry> scene2 = MakeScene2Set();
  const Geometry meshes[g_meshCount] = {Kama(),    Qtio(),    Plomppo(),  Taso(),      Bling(),     Knotti(),   Ballo(),
                                         Bollo(),   Plontsi(), Tapitus(),  Mude(),      scene1[0],   scene1[1],  scene1[2],
                                         scene1[3], scene1[4], scene1[5], scene2[0], scene2[1], scene2[2]};
  std::vector<DataEntry> entries;
  for (int i = 0; i < g_meshCount; ++i) {
    const bool textured = !meshes[i].Materials().empty() && !meshes[i].Materials()[0].texture.empty();
    entries.push_back(MakeEntry(g_meshEntries[i], meshes[i], textured));
  }
  return entries;
}

}  // namespace showdata
