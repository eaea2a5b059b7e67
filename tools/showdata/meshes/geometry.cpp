#include "tools/showdata/meshes/geometry.h"

#include <algorithm>
#include <cmath>

namespace showdata {

namespace {
const float kTwoPi = 6.28318530718f;
}

float Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
Vec3 Normalize(Vec3 a) {
  const float length = std::sqrt(Dot(a, a));
  return length > 1e-12f ? a * (1.0f / length) : Vec3{0, 1, 0};
}

int Geometry::AddMaterial(const Material& material) {
  materials_.push_back(material);
  return int(materials_.size()) - 1;
}

std::uint32_t Geometry::AddVertex(const Vertex& vertex) {
  vertices_.push_back(vertex);
  return std::uint32_t(vertices_.size() - 1);
}

void Geometry::AddTriangle(std::uint32_t a, std::uint32_t b, std::uint32_t c, int material) {
  const Vec3 pa = vertices_[a].position, pb = vertices_[b].position, pc = vertices_[c].position;
  // Slivers and collapsed corners (poles, zero-width cells) are left out: the file's four decimals
  // would merge their corners or turn them over.
  const float shortest = 1e-6f;
  if (Dot(pb - pa, pb - pa) < shortest || Dot(pc - pb, pc - pb) < shortest || Dot(pa - pc, pa - pc) < shortest) return;
  const Vec3 facing = Cross(pb - pa, pc - pa);
  if (Dot(facing, facing) < 1e-10f) return;
  const Vec3 normals = vertices_[a].normal + vertices_[b].normal + vertices_[c].normal;
  if (Dot(facing, normals) < 0) std::swap(b, c);
  faces_.push_back({a, b, c});
  faceMaterials_.push_back(material);
}

void Geometry::Append(const Geometry& other) {
  const std::uint32_t base = std::uint32_t(vertices_.size());
  vertices_.insert(vertices_.end(), other.vertices_.begin(), other.vertices_.end());
  for (size_t i = 0; i < other.faces_.size(); ++i) {
    const auto& f = other.faces_[i];
    faces_.push_back({f[0] + base, f[1] + base, f[2] + base});
    faceMaterials_.push_back(other.faceMaterials_[i]);
  }
}

void Geometry::Transform(const std::function<Vec3(Vec3)>& turn, Vec3 offset) {
  for (Vertex& v : vertices_) {
    v.position = turn(v.position) + offset;
    v.normal = Normalize(turn(v.normal));
  }
}

void Geometry::Translate(Vec3 offset) {
  for (Vertex& v : vertices_) v.position = v.position + offset;
}

void Geometry::MapUV(const std::function<void(Vertex&)>& map) {
  for (Vertex& v : vertices_) map(v);
}

void AddQuad(Geometry& g, int m, Vec3 corner, Vec3 edgeU, Vec3 edgeV, int nu, int nv, float uRepeat, float vRepeat) {
  const Vec3 n = Normalize(Cross(edgeU, edgeV));
  const std::uint32_t first = std::uint32_t(g.Vertices().size());
  for (int j = 0; j <= nv; ++j) {
    for (int i = 0; i <= nu; ++i) {
      const float s = float(i) / float(nu), t = float(j) / float(nv);
      g.AddVertex({corner + edgeU * s + edgeV * t, n, s * uRepeat, t * vRepeat});
    }
  }
  for (int j = 0; j < nv; ++j) {
    for (int i = 0; i < nu; ++i) {
      const std::uint32_t a = first + std::uint32_t(j * (nu + 1) + i);
      const std::uint32_t b = a + 1, c = a + std::uint32_t(nu + 1), d = c + 1;
      g.AddTriangle(a, b, d, m);
      g.AddTriangle(a, d, c, m);
    }
  }
}

void AddBox(Geometry& g, int m, Vec3 lo, Vec3 hi, float uvScale, bool inward, int faceMask, float cell) {
  const Vec3 size = hi - lo;
  auto cells = [&](float length) { return cell > 0 ? std::max(1, int(std::lround(length / cell))) : 1; };
  struct Face {
    int bit;
    Vec3 corner, eu, ev;
  };
  // Each face's edges ordered so that cross(eu, ev) points outward.
  const Face faces[6] = {
      {1, lo, {0, 0, size.z}, {0, size.y, 0}},
      {2, {hi.x, lo.y, lo.z}, {0, size.y, 0}, {0, 0, size.z}},
      {4, lo, {size.x, 0, 0}, {0, 0, size.z}},
      {8, {lo.x, hi.y, lo.z}, {0, 0, size.z}, {size.x, 0, 0}},
      {16, lo, {0, size.y, 0}, {size.x, 0, 0}},
      {32, {lo.x, lo.y, hi.z}, {size.x, 0, 0}, {0, size.y, 0}},
  };
  for (const Face& f : faces) {
    if (!(faceMask & f.bit)) continue;
    const float lu = std::sqrt(Dot(f.eu, f.eu)), lv = std::sqrt(Dot(f.ev, f.ev));
    if (inward) {
      AddQuad(g, m, f.corner, f.ev, f.eu, cells(lv), cells(lu), lv * uvScale, lu * uvScale);
    } else {
      AddQuad(g, m, f.corner, f.eu, f.ev, cells(lu), cells(lv), lu * uvScale, lv * uvScale);
    }
  }
}

void AddSurface(Geometry& g, int m, int nu, int nv, const std::function<Vec3(float, float)>& f, bool smooth,
                bool flipNormals) {
  const float h = 1e-3f;
  auto normalAt = [&](float s, float t) {
    const Vec3 ds = f(s + h, t) - f(s - h, t);
    const Vec3 dt = f(s, t + h) - f(s, t - h);
    Vec3 n = Normalize(Cross(ds, dt));
    if (Dot(Cross(ds, dt), Cross(ds, dt)) < 1e-14f) {  // a pole: step inward along t
      const float t2 = t < 0.5f ? t + 4 * h : t - 4 * h;
      n = Normalize(Cross(f(s + h, t2) - f(s - h, t2), f(s, t2 + h) - f(s, t2 - h)));
    }
    return flipNormals ? -n : n;
  };
  if (smooth) {
    const std::uint32_t first = std::uint32_t(g.Vertices().size());
    // Seams keep their own vertices so that texture coordinates run 0..1 without a wrap-back.
    for (int j = 0; j <= nv; ++j) {
      for (int i = 0; i <= nu; ++i) {
        const float s = float(i) / float(nu), t = float(j) / float(nv);
        g.AddVertex({f(s, t), normalAt(s, t), s, t});
      }
    }
    for (int j = 0; j < nv; ++j) {
      for (int i = 0; i < nu; ++i) {
        const std::uint32_t a = first + std::uint32_t(j * (nu + 1) + i);
        const std::uint32_t b = a + 1, c = a + std::uint32_t(nu + 1), d = c + 1;
        g.AddTriangle(a, b, d, m);
        g.AddTriangle(a, d, c, m);
      }
    }
    return;
  }
  for (int j = 0; j < nv; ++j) {
    for (int i = 0; i < nu; ++i) {
      const float s0 = float(i) / float(nu), s1 = float(i + 1) / float(nu);
      const float t0 = float(j) / float(nv), t1 = float(j + 1) / float(nv);
      const Vec3 p[4] = {f(s0, t0), f(s1, t0), f(s0, t1), f(s1, t1)};
      const Vec3 towards = normalAt((s0 + s1) / 2, (t0 + t1) / 2);
      auto tri = [&](int a, int b, int c, float ua, float va, float ub, float vb, float uc, float vc) {
        Vec3 n = Normalize(Cross(p[b] - p[a], p[c] - p[a]));
        if (Dot(n, towards) < 0) n = -n;
        const std::uint32_t ia = g.AddVertex({p[a], n, ua, va});
        const std::uint32_t ib = g.AddVertex({p[b], n, ub, vb});
        const std::uint32_t ic = g.AddVertex({p[c], n, uc, vc});
        g.AddTriangle(ia, ib, ic, m);
      };
      tri(0, 1, 3, s0, t0, s1, t0, s1, t1);
      tri(0, 3, 2, s0, t0, s1, t1, s0, t1);
    }
  }
}

void AddLathe(Geometry& g, int m, Vec3 base, const std::vector<std::array<float, 2>>& profile, int segments,
              bool smooth, bool capBottom, bool capTop, float angleOffset) {
  const int n = int(profile.size());
  // Profile parameter by index; normals come from the surface derivative, pointing away from the axis
  // (or up/down where the profile is horizontal).
  auto at = [&](float s, float t) {
    const float x = t * float(n - 1);
    int i = std::min(n - 2, std::max(0, int(std::floor(x))));
    float f = x - float(i);
    // Past either end (the derivative steps) the end edge is carried on.
    const float r = profile[size_t(i)][0] + (profile[size_t(i + 1)][0] - profile[size_t(i)][0]) * f;
    const float y = profile[size_t(i)][1] + (profile[size_t(i + 1)][1] - profile[size_t(i)][1]) * f;
    const float a = s * kTwoPi + angleOffset;
    return base + Vec3{r * std::cos(a), y, r * std::sin(a)};
  };
  if (smooth) {
    // Per-ring smooth normals averaged from the neighbouring profile edges.
    const std::uint32_t first = std::uint32_t(g.Vertices().size());
    for (int j = 0; j < n; ++j) {
      auto edgeNormal = [&](int k) {  // outward normal of profile edge k..k+1 in the (r, y) plane
        const float dr = profile[size_t(k + 1)][0] - profile[size_t(k)][0];
        const float dy = profile[size_t(k + 1)][1] - profile[size_t(k)][1];
        const float len = std::sqrt(dr * dr + dy * dy);
        return len > 0 ? std::array<float, 2>{dy / len, -dr / len} : std::array<float, 2>{0, 0};
      };
      float nr = 0, ny = 0;
      if (j > 0) {
        const auto e = edgeNormal(j - 1);
        nr += e[0];
        ny += e[1];
      }
      if (j < n - 1) {
        const auto e = edgeNormal(j);
        nr += e[0];
        ny += e[1];
      }
      for (int i = 0; i <= segments; ++i) {
        const float a = float(i) / float(segments) * kTwoPi + angleOffset;
        const Vec3 normal = Normalize({nr * std::cos(a), ny, nr * std::sin(a)});
        const Vec3 p = base + Vec3{profile[size_t(j)][0] * std::cos(a), profile[size_t(j)][1],
                                   profile[size_t(j)][0] * std::sin(a)};
        g.AddVertex({p, normal, float(i) / float(segments), float(j) / float(n - 1)});
      }
    }
    for (int j = 0; j < n - 1; ++j) {
      for (int i = 0; i < segments; ++i) {
        const std::uint32_t a = first + std::uint32_t(j * (segments + 1) + i);
        const std::uint32_t b = a + 1, c = a + std::uint32_t(segments + 1), d = c + 1;
        g.AddTriangle(a, b, d, m);
        g.AddTriangle(a, d, c, m);
      }
    }
  } else {
    AddSurface(g, m, segments, n - 1, at, false, true);
  }
  auto cap = [&](int j, float ny) {
    const float r = profile[size_t(j)][0];
    if (r <= 0) return;
    const Vec3 centre = base + Vec3{0, profile[size_t(j)][1], 0};
    const std::uint32_t c = g.AddVertex({centre, {0, ny, 0}, 0.5f, 0.5f});
    std::uint32_t prev = 0;
    for (int i = 0; i <= segments; ++i) {
      const float a = float(i) / float(segments) * kTwoPi + angleOffset;
      const std::uint32_t v = g.AddVertex({centre + Vec3{r * std::cos(a), 0, r * std::sin(a)},
                                           {0, ny, 0},
                                           0.5f + 0.5f * std::cos(a),
                                           0.5f + 0.5f * std::sin(a)});
      if (i > 0) g.AddTriangle(c, prev, v, m);
      prev = v;
    }
  };
  if (capBottom) cap(0, -1);
  if (capTop) cap(n - 1, 1);
}

void AddSphere(Geometry& g, int m, Vec3 centre, float r, int segments, int rings, bool smooth) {
  AddSurface(
      g, m, segments, rings,
      [&](float s, float t) {
        const float a = s * kTwoPi, b = (t - 0.5f) * 3.14159265f;
        return centre + Vec3{r * std::cos(b) * std::cos(a), r * std::sin(b), r * std::cos(b) * std::sin(a)};
      },
      smooth, true);
  // The pole rows collapse; AddSurface's normals there come from the neighbouring row.
}

void AddTube(Geometry& g, int m, const std::vector<Vec3>& path, float r, int sides, bool closed) {
  const int n = int(path.size());
  auto point = [&](int i) { return closed ? path[size_t((i % n + n) % n)] : path[size_t(std::clamp(i, 0, n - 1))]; };
  // Frames carried along the path so the tube does not twist.
  std::vector<Vec3> tangents(static_cast<size_t>(n)), normals(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) tangents[size_t(i)] = Normalize(point(i + 1) - point(i - 1));
  Vec3 ref = std::fabs(tangents[0].y) < 0.9f ? Vec3{0, 1, 0} : Vec3{1, 0, 0};
  normals[0] = Normalize(Cross(Cross(tangents[0], ref), tangents[0]));
  for (int i = 1; i < n; ++i) {
    const Vec3 t = tangents[size_t(i)];
    normals[size_t(i)] = Normalize(normals[size_t(i - 1)] - t * Dot(normals[size_t(i - 1)], t));
  }
  if (closed) {
    // Spread the twist left over at the seam evenly along the path.
    const Vec3 t0 = tangents[0];
    const Vec3 carried = Normalize(normals[size_t(n - 1)] - t0 * Dot(normals[size_t(n - 1)], t0));
    const float twist = std::atan2(Dot(Cross(carried, normals[0]), t0), Dot(carried, normals[0]));
    for (int i = 1; i < n; ++i) {
      const float a = twist * float(i) / float(n);
      const Vec3 t = tangents[size_t(i)], nx = normals[size_t(i)], ny = Cross(t, nx);
      normals[size_t(i)] = Normalize(nx * std::cos(a) + ny * std::sin(a));
    }
  }
  const int rows = closed ? n + 1 : n;
  const std::uint32_t first = std::uint32_t(g.Vertices().size());
  for (int j = 0; j < rows; ++j) {
    const int k = j % n;
    const Vec3 t = tangents[size_t(k)], nx = normals[size_t(k)], ny = Cross(t, nx);
    for (int i = 0; i <= sides; ++i) {
      const float a = float(i) / float(sides) * kTwoPi;
      const Vec3 dir = nx * std::cos(a) + ny * std::sin(a);
      g.AddVertex({path[size_t(k)] + dir * r, dir, float(i) / float(sides), float(j) / float(rows - 1) * 4});
    }
  }
  for (int j = 0; j < rows - 1; ++j) {
    for (int i = 0; i < sides; ++i) {
      const std::uint32_t a = first + std::uint32_t(j * (sides + 1) + i);
      const std::uint32_t b = a + 1, c = a + std::uint32_t(sides + 1), d = c + 1;
      g.AddTriangle(a, b, d, m);
      g.AddTriangle(a, d, c, m);
    }
  }
}



void Geometry::Compact() {
  std::vector<std::int64_t> vertexMap(vertices_.size(), -1), materialMap(materials_.size(), -1);
  std::vector<Vertex> vertices;
  std::vector<Material> materials;
  for (size_t f = 0; f < faces_.size(); ++f) {
    for (std::uint32_t& i : faces_[f]) {
      if (vertexMap[i] < 0) {
        vertexMap[i] = std::int64_t(vertices.size());
        vertices.push_back(vertices_[i]);
      }
      i = std::uint32_t(vertexMap[i]);
    }
  }
  for (int& m : faceMaterials_) {
    if (materialMap[size_t(m)] < 0) {
      materialMap[size_t(m)] = std::int64_t(materials.size());
      materials.push_back(materials_[size_t(m)]);
    }
    m = int(materialMap[size_t(m)]);
  }
  vertices_ = std::move(vertices);
  materials_ = std::move(materials);
}

void Geometry::Flip() {
  for (Vertex& v : vertices_) v.normal = -v.normal;
  for (auto& f : faces_) std::swap(f[1], f[2]);
}

void Geometry::PlanarUV(Vec3 uAxis, Vec3 vAxis) {
  for (Vertex& v : vertices_) {
    v.u = Dot(v.position, uAxis);
    v.v = Dot(v.position, vAxis);
  }
}

Vec3 TurnY(Vec3 p, float angle) {
  const float c = std::cos(angle), s = std::sin(angle);
  return {p.x * c - p.z * s, p.y, p.x * s + p.z * c};
}

void AddPolygon(Geometry& g, int m, const std::vector<Vec3>& corners, Vec3 normal) {
  const Vec3 n = Normalize(normal);
  std::vector<std::uint32_t> ids;
  for (const Vec3& p : corners) ids.push_back(g.AddVertex({p, n, 0, 0}));
  for (size_t i = 1; i + 1 < ids.size(); ++i) g.AddTriangle(ids[0], ids[i], ids[i + 1], m);
}

void AddChamferBox(Geometry& g, int m, Vec3 c, Vec3 h, float b) {
  const float hv[3] = {h.x, h.y, h.z};
  auto point = [&](const float coords[3]) { return c + Vec3{coords[0], coords[1], coords[2]}; };
  auto axis = [](int a, float s) {
    Vec3 v{0, 0, 0};
    (a == 0 ? v.x : a == 1 ? v.y : v.z) = s;
    return v;
  };
  for (int a = 0; a < 3; ++a) {  // the six faces
    const int p = (a + 1) % 3, q = (a + 2) % 3;
    for (float s : {-1.0f, 1.0f}) {
      std::vector<Vec3> corners;
      const float signs[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
      for (const auto& sg : signs) {
        float co[3];
        co[a] = s * hv[a];
        co[p] = sg[0] * (hv[p] - b);
        co[q] = sg[1] * (hv[q] - b);
        corners.push_back(point(co));
      }
      AddPolygon(g, m, corners, axis(a, s));
    }
  }
  for (int a = 0; a < 3; ++a) {  // the twelve edges, along axis `a`
    const int p = (a + 1) % 3, q = (a + 2) % 3;
    for (float sp : {-1.0f, 1.0f}) {
      for (float sq : {-1.0f, 1.0f}) {
        float c0[3], c1[3], c2[3], c3[3];
        c0[a] = -(hv[a] - b), c0[p] = sp * hv[p], c0[q] = sq * (hv[q] - b);
        c1[a] = hv[a] - b, c1[p] = sp * hv[p], c1[q] = sq * (hv[q] - b);
        c2[a] = hv[a] - b, c2[p] = sp * (hv[p] - b), c2[q] = sq * hv[q];
        c3[a] = -(hv[a] - b), c3[p] = sp * (hv[p] - b), c3[q] = sq * hv[q];
        AddPolygon(g, m, {point(c0), point(c1), point(c2), point(c3)}, axis(p, sp) + axis(q, sq));
      }
    }
  }
  for (float sx : {-1.0f, 1.0f}) {  // the eight corners
    for (float sy : {-1.0f, 1.0f}) {
      for (float sz : {-1.0f, 1.0f}) {
        const float a[3] = {sx * h.x, sy * (h.y - b), sz * (h.z - b)};
        const float bb[3] = {sx * (h.x - b), sy * h.y, sz * (h.z - b)};
        const float cc[3] = {sx * (h.x - b), sy * (h.y - b), sz * h.z};
        AddPolygon(g, m, {point(a), point(bb), point(cc)}, {sx, sy, sz});
      }
    }
  }
}

void AddCone(Geometry& g, int m, Vec3 base, float r, Vec3 apex, int segments) {
  const Vec3 axis = Normalize(apex - base);
  const Vec3 ref = std::fabs(axis.y) < 0.9f ? Vec3{0, 1, 0} : Vec3{1, 0, 0};
  const Vec3 e1 = Normalize(Cross(axis, ref)), e2 = Cross(axis, e1);
  for (int i = 0; i < segments; ++i) {
    const float a0 = float(i) / float(segments) * kTwoPi, a1 = float(i + 1) / float(segments) * kTwoPi;
    const Vec3 p0 = base + (e1 * std::cos(a0) + e2 * std::sin(a0)) * r;
    const Vec3 p1 = base + (e1 * std::cos(a1) + e2 * std::sin(a1)) * r;
    const Vec3 mid = (p0 + p1) * 0.5f - base;
    Vec3 n = Normalize(Cross(p1 - p0, apex - p0));
    if (Dot(n, mid) < 0) n = -n;
    const std::uint32_t a = g.AddVertex({p0, n, float(i) / float(segments), 1});
    const std::uint32_t b = g.AddVertex({p1, n, float(i + 1) / float(segments), 1});
    const std::uint32_t c = g.AddVertex({apex, n, (float(i) + 0.5f) / float(segments), 0});
    g.AddTriangle(a, b, c, m);
  }
}

}  // namespace showdata
