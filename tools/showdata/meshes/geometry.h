// Triangle geometry for the show's meshes: vertices with normals and texture coordinates, faces
// with a material each, and builders for the shapes the sets are made of. Front faces follow
// Direct3D: seen from the side the normal points to, a triangle's corners run clockwise.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace showdata {

struct Vec3 {
  float x = 0, y = 0, z = 0;
};
inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline Vec3 operator-(Vec3 a) { return {-a.x, -a.y, -a.z}; }
float Dot(Vec3 a, Vec3 b);
Vec3 Cross(Vec3 a, Vec3 b);
Vec3 Normalize(Vec3 a);

struct Color {
  float r = 0, g = 0, b = 0;
};

struct Material {
  Color diffuse;
  float alpha = 1;
  float power = 0;
  Color specular;
  Color emissive;
  std::string texture;  // file name recorded with the material; empty for none
};

struct Vertex {
  Vec3 position;
  Vec3 normal;
  float u = 0, v = 0;
};

// A mesh under construction. Triangles are stored with the corner order that makes their
// geometric normal agree with the vertex normals, so builders only need the normals right.
class Geometry {
 public:
  int AddMaterial(const Material& material);
  std::uint32_t AddVertex(const Vertex& vertex);
  void AddTriangle(std::uint32_t a, std::uint32_t b, std::uint32_t c, int material);
  void Append(const Geometry& other);  // other's materials are mapped onto this one's by index

  // Rigid changes applied to every vertex (normals turn with positions).
  void Transform(const std::function<Vec3(Vec3)>& turn, Vec3 offset);
  void Translate(Vec3 offset);
  void MapUV(const std::function<void(Vertex&)>& map);
  // Drops vertices no face uses and materials no face uses (renumbering both).
  void Compact();
  // Turns every face to the other side (normals and corner order).
  void Flip();
  // Texture coordinates from the position: u = dot(p, uAxis), v = dot(p, vAxis).
  void PlanarUV(Vec3 uAxis, Vec3 vAxis);

  const std::vector<Vertex>& Vertices() const { return vertices_; }
  const std::vector<std::array<std::uint32_t, 3>>& Faces() const { return faces_; }
  const std::vector<int>& FaceMaterials() const { return faceMaterials_; }
  const std::vector<Material>& Materials() const { return materials_; }
  std::vector<Material>& Materials() { return materials_; }

 private:
  std::vector<Vertex> vertices_;
  std::vector<std::array<std::uint32_t, 3>> faces_;
  std::vector<int> faceMaterials_;
  std::vector<Material> materials_;
};

// Builders. All add to `g` with material index `m` (an index already added to `g`).
// A flat rectangle corner + s*edgeU + t*edgeV, s and t in 0..1, split into nu x nv cells; its front
// faces the side of cross(edgeU, edgeV). Texture coordinates: (s*uRepeat, t*vRepeat).
void AddQuad(Geometry& g, int m, Vec3 corner, Vec3 edgeU, Vec3 edgeV, int nu = 1, int nv = 1, float uRepeat = 1,
             float vRepeat = 1);
// An axis-aligned box, faces outward (inward = true turns them to the inside), each face mapped
// with `uvScale` texture repeats per unit. faceMask bits: 1 -x, 2 +x, 4 -y, 8 +y, 16 -z, 32 +z.
// With cell > 0 each face is split into cells of about that size (for per-vertex lighting).
void AddBox(Geometry& g, int m, Vec3 min, Vec3 max, float uvScale = 0.25f, bool inward = false, int faceMask = 63,
            float cell = 0);
// A surface of revolution about the y axis through `base`: the profile gives (radius, height) pairs
// from bottom to top; `segments` around, starting at angleOffset. Smooth normals from the profile,
// or flat facets; u around, v along. Open ends; flat caps with capBottom / capTop.
void AddLathe(Geometry& g, int m, Vec3 base, const std::vector<std::array<float, 2>>& profile, int segments,
              bool smooth = true, bool capBottom = false, bool capTop = false, float angleOffset = 0);
// A parametric surface f(s, t) with s, t in 0..1 in nu x nv cells; texture coordinates (s, t), so a
// closed surface keeps a seam of its own vertices. Normals come from the derivatives, as
// cross(df/ds, df/dt), or the other way with flipNormals; smooth = false gives flat facets.
void AddSurface(Geometry& g, int m, int nu, int nv, const std::function<Vec3(float, float)>& f, bool smooth = true,
                bool flipNormals = false);
// A sphere of radius r about centre (u around y, v from the bottom).
void AddSphere(Geometry& g, int m, Vec3 centre, float r, int segments, int rings, bool smooth = true);
// A tube of radius r around a closed or open polyline path.
void AddTube(Geometry& g, int m, const std::vector<Vec3>& path, float r, int sides, bool closed);
// A polygon (convex, corners in order) with one flat normal; texture coordinates 0 until mapped.
void AddPolygon(Geometry& g, int m, const std::vector<Vec3>& corners, Vec3 normal);
// A box with bevelled edges and corners, flat facets; half sizes h, bevel b, centred on `centre`.
void AddChamferBox(Geometry& g, int m, Vec3 centre, Vec3 h, float b);
// A cone (or pyramid with few segments) from a base circle to an apex, flat facets.
void AddCone(Geometry& g, int m, Vec3 base, float r, Vec3 apex, int segments);
// Turns a point or direction about the y axis by `angle` (radians, from +x towards +z).
Vec3 TurnY(Vec3 p, float angle);

}  // namespace showdata
