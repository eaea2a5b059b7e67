// The generated `.x` files: they parse with the show's reader, carry the subsets, materials and
// texture coordinates the scenes need, face the way they are seen, stay within polygon budgets and
// come out the same on every run.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "demo/asset_catalogue.h"
#include "demo/mesh_object.h"
#include "mesh_views.h"
#include "platform/d3dx8/xfile_mesh.h"
#include "tools/showdata/meshes.h"

namespace {

using showdata::DataEntry;

struct Parsed {
  std::string name;
  d3dx::XMeshData data;
};

const std::vector<Parsed>& All() {
  static const std::vector<Parsed> parsed = [] {
    std::vector<Parsed> out;
    for (const auto& list : {showdata::MakeMeshes(), showdata::MakeRoomMeshes()}) {
      for (const DataEntry& e : list) {
        Parsed p{e.name, {}};
        EXPECT_EQ(d3dx::ParseXFile(e.bytes.data(), e.bytes.size(), &p.data), D3D_OK) << e.name;
        out.push_back(std::move(p));
      }
    }
    return out;
  }();
  return parsed;
}

const d3dx::XMeshData& Mesh(const char* name) {
  for (const Parsed& p : All()) {
    if (p.name == name) return p.data;
  }
  ADD_FAILURE() << name;
  return All()[0].data;
}

// Meshes the scenes set a texture on (general catalogue index, room catalogue index).
const std::set<int> kTexturedGeneral = {0, 3, 4, 7, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19};
const std::set<int> kUntexturedRoom = {22, 25, 27, 29};

TEST(MeshFiles, EveryCatalogueEntryParsesWithNormalsMaterialsAndTheRightCoordinates) {
  const auto meshes = showdata::MakeMeshes();
  const auto room = showdata::MakeRoomMeshes();
  ASSERT_EQ(meshes.size(), size_t(g_meshCount));
  ASSERT_EQ(room.size(), size_t(g_roomMeshCount));
  ASSERT_EQ(All().size(), size_t(g_meshCount + g_roomMeshCount));
  for (size_t i = 0; i < All().size(); ++i) {
    const bool general = i < size_t(g_meshCount);
    const int index = general ? int(i) : int(i) - g_meshCount;
    const Parsed& p = All()[i];
    EXPECT_EQ(p.name, general ? g_meshEntries[index] : g_roomMeshEntries[index]);
    const std::string bytes(general ? meshes[i].bytes.begin() : room[size_t(index)].bytes.begin(),
                            general ? meshes[i].bytes.end() : room[size_t(index)].bytes.end());
    EXPECT_EQ(bytes.rfind("xof 0302txt 0032", 0), 0u) << p.name;
    const d3dx::XMeshData& m = p.data;
    ASSERT_GT(m.FaceCount(), 0u) << p.name;
    EXPECT_TRUE(m.fvf & D3DFVF_NORMAL) << p.name;
    const bool textured = general ? kTexturedGeneral.count(index) > 0 : kUntexturedRoom.count(index) == 0;
    EXPECT_EQ(bool(m.fvf & D3DFVF_TEX1), textured) << p.name;
    // One subset per material, none of them empty.
    EXPECT_EQ(m.attributeTable.size(), m.materials.size()) << p.name;
    for (const auto& material : m.materials) {
      EXPECT_EQ(material.material.Diffuse.a, 1.0f) << p.name;
      EXPECT_EQ(material.hasTexture, textured) << p.name;
    }
    EXPECT_TRUE(m.FitsSixteenBitIndices()) << p.name;
  }
}

TEST(MeshFiles, TheShowsMeshObjectsLoadEveryEntryOnTheDevice) {
  testsupport::HeadlessDevice screen(16, 16);
  size_t i = 0;
  for (const auto& list : {showdata::MakeMeshes(), showdata::MakeRoomMeshes()}) {
    for (const DataEntry& e : list) {
      MeshObject object;
      object.Load(e.bytes.data(), DWORD(e.bytes.size()), screen.get());
      ASSERT_NE(object.mesh, nullptr) << e.name;
      EXPECT_EQ(object.materialCount, All()[i].data.materials.size()) << e.name;
      EXPECT_EQ(object.mesh->GetNumFaces(), All()[i].data.FaceCount()) << e.name;
      ++i;
    }
  }
}

TEST(MeshFiles, FacesAgreeWithTheirNormalsSoCullingKeepsTheSeenSide) {
  for (const Parsed& p : All()) {
    const auto& m = p.data;
    size_t wrong = 0;
    for (size_t f = 0; f < m.FaceCount(); ++f) {
      const D3DXVECTOR3 a = m.positions[m.indices[3 * f]], b = m.positions[m.indices[3 * f + 1]],
                        c = m.positions[m.indices[3 * f + 2]];
      const D3DXVECTOR3 facing = meshviews::Cross(b - a, c - a);
      const D3DXVECTOR3 n = m.normals[m.indices[3 * f]] + m.normals[m.indices[3 * f + 1]] + m.normals[m.indices[3 * f + 2]];
      wrong += meshviews::Dot(facing, n) <= 0;
    }
    EXPECT_EQ(wrong, 0u) << p.name;
    for (const auto& n : m.normals) EXPECT_NEAR(std::sqrt(meshviews::Dot(n, n)), 1.0f, 1e-3f) << p.name;
  }
}

TEST(MeshFiles, PolygonBudgetsKeepTheSoftwareDeviceFast) {
  EXPECT_LE(Mesh(g_meshEntries[6]).FaceCount(), 300u);   // ball, 225 to 300 draws a frame
  EXPECT_GE(Mesh(g_meshEntries[6]).FaceCount(), 150u);   // still round
  EXPECT_LE(Mesh(g_meshEntries[1]).FaceCount(), 60u);    // grid tile, 360 draws a frame
  EXPECT_LE(Mesh(g_meshEntries[10]).FaceCount(), 900u);  // jellyfish, ten a frame
  EXPECT_LE(Mesh(g_meshEntries[5]).FaceCount(), 3000u);  // knot, twice a frame
  size_t scene1 = 0, scene2 = 0, room = 0;
  for (int i = 11; i <= 16; ++i) scene1 += Mesh(g_meshEntries[i]).FaceCount();
  for (int i = 17; i <= 19; ++i) scene2 += Mesh(g_meshEntries[i]).FaceCount();
  for (int i = 0; i < g_roomMeshCount; ++i) room += Mesh(g_roomMeshEntries[i]).FaceCount();
  EXPECT_LE(scene1, 6000u);
  EXPECT_LE(scene2, 6000u);
  EXPECT_LE(room, 20000u);
}

TEST(MeshFiles, ObjectsHaveTheSizesTheirScenesPlaceThemAt) {
  auto extent = [](const d3dx::XMeshData& m) {
    D3DXVECTOR3 lo(1e9f, 1e9f, 1e9f), hi(-1e9f, -1e9f, -1e9f);
    for (const auto& p : m.positions) lo = meshviews::Min(lo, p), hi = meshviews::Max(hi, p);
    return std::make_pair(lo, hi);
  };
  // The grid tile fits its unit cell and faces the viewer with its broad side.
  auto [tileLo, tileHi] = extent(Mesh(g_meshEntries[1]));
  EXPECT_LE(tileHi.x - tileLo.x, 1.0f);
  EXPECT_LE(tileHi.y - tileLo.y, 1.0f);
  EXPECT_LT(tileHi.z - tileLo.z, tileHi.x - tileLo.x);
  // Fifteen balls on a ring of radius 3 (pulsing down to 1.5) stay apart at full radius.
  auto [ballLo, ballHi] = extent(Mesh(g_meshEntries[6]));
  EXPECT_LT(ballHi.x - ballLo.x, 2 * 3.1416f * 3 / 15);
  EXPECT_GT(ballHi.x - ballLo.x, 0.5f);
  // The knot, 4 units in front of the default camera at 90 degrees and 2.3 left of its axis, stays
  // inside the picture whichever way it turns.
  auto [knotLo, knotHi] = extent(Mesh(g_meshEntries[5]));
  for (float v : {knotLo.x, knotLo.y, knotLo.z, knotHi.x, knotHi.y, knotHi.z}) EXPECT_LT(std::fabs(v), 1.15f);
  // The jellyfish, drawn up to 1.5 times their size, from height 2 up to 10.5 and up to 3 units out
  // along x and z, stay inside the hall, clear of its floor, walls and ceiling.
  float jellyReach = 0;
  for (const auto& p : Mesh(g_meshEntries[10]).positions) jellyReach = std::fmax(jellyReach, std::sqrt(meshviews::Dot(p, p)));
  EXPECT_LT(std::hypot(3.0f, 3.0f) + 1.5f * jellyReach, showdata::kHallApothem);
  EXPECT_LT(10.5f + 1.5f * jellyReach, showdata::kHallCeilingY);
  EXPECT_GT(2.0f - 1.5f * jellyReach, showdata::kHallFloorY);
  // The plate is a unit square about its centre, so scaled copies stay centred where placed.
  auto [plateLo, plateHi] = extent(Mesh(g_meshEntries[3]));
  EXPECT_NEAR(plateHi.x - plateLo.x, 1.0f, 1e-4f);
  EXPECT_NEAR(plateHi.x + plateLo.x, 0.0f, 1e-4f);
  EXPECT_NEAR(plateHi.y + plateLo.y, 0.0f, 1e-4f);
}

TEST(MeshFiles, TheSameBytesOnEveryRun) {
  const auto a = showdata::MakeMeshes(), b = showdata::MakeMeshes();
  const auto c = showdata::MakeRoomMeshes(), d = showdata::MakeRoomMeshes();
  ASSERT_EQ(a.size(), b.size());
  for (size_t i = 0; i < a.size(); ++i) EXPECT_EQ(a[i].bytes, b[i].bytes) << a[i].name;
  ASSERT_EQ(c.size(), d.size());
  for (size_t i = 0; i < c.size(); ++i) EXPECT_EQ(c[i].bytes, d[i].bytes) << c[i].name;
}

}  // namespace
