// The sets seen from the scenes' cameras on the software device: the room tour's shots and the
// panorama, the opening glide and orbit, the jellyfish hall. A closed set seen from inside covers
// every pixel; a camera inside a wall or object, or a wall turned the wrong way, leaves holes.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

#include "camera_paths.h"
#include "demo/asset_catalogue.h"
#include "platform/d3dx8/xfile_mesh.h"
#include "tools/showdata/meshes.h"
#include "tools/showdata/meshes/room_layout.h"

namespace {

using meshviews::Camera;

// World position of a set-frame vertex: RotateY then RotateX, as the scenes draw the sets.
D3DXVECTOR3 ToWorld(const D3DXVECTOR3& p) {
  D3DXMATRIX ry, rx, m;
  D3DXMatrixRotationY(&ry, showdata::kSetTurnY);
  D3DXMatrixRotationX(&rx, showdata::kSetTurnX);
  D3DXMatrixMultiply(&m, &ry, &rx);
  return {p.x * m._11 + p.y * m._21 + p.z * m._31 + m._41, p.x * m._12 + p.y * m._22 + p.z * m._32 + m._42,
          p.x * m._13 + p.y * m._23 + p.z * m._33 + m._43};
}

struct Box {
  D3DXVECTOR3 lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
  void Add(const D3DXVECTOR3& p) { lo = meshviews::Min(lo, p), hi = meshviews::Max(hi, p); }
  bool Contains(const D3DXVECTOR3& p, float grow) const {
    return p.x > lo.x - grow && p.x < hi.x + grow && p.y > lo.y - grow && p.y < hi.y + grow && p.z > lo.z - grow &&
           p.z < hi.z + grow;
  }
};

// The world boxes of the separate solid pieces of a mesh (pieces joined where they share corners).
std::vector<Box> PieceBoxes(const showdata::DataEntry& entry) {
  d3dx::XMeshData m;
  EXPECT_EQ(d3dx::ParseXFile(entry.bytes.data(), entry.bytes.size(), &m), D3D_OK);
  std::vector<D3DXVECTOR3> world;
  for (const auto& p : m.positions) world.push_back(ToWorld(p));
  std::map<std::array<long, 3>, size_t> first;
  std::vector<size_t> parent(world.size());
  for (size_t i = 0; i < parent.size(); ++i) parent[i] = i;
  auto find = [&](size_t i) {
    while (parent[i] != i) i = parent[i] = parent[parent[i]];
    return i;
  };
  for (size_t i = 0; i < world.size(); ++i) {
    const std::array<long, 3> key = {std::lround(world[i].x * 100), std::lround(world[i].y * 100),
                                     std::lround(world[i].z * 100)};
    auto [it, added] = first.emplace(key, i);
    if (!added) parent[find(i)] = find(it->second);
  }
  for (size_t f = 0; f < m.FaceCount(); ++f) {
    parent[find(m.indices[3 * f + 1])] = find(m.indices[3 * f]);
    parent[find(m.indices[3 * f + 2])] = find(m.indices[3 * f]);
  }
  std::map<size_t, Box> boxes;
  for (size_t i = 0; i < world.size(); ++i) boxes[find(i)].Add(world[i]);
  std::vector<Box> out;
  for (const auto& [root, box] : boxes) out.push_back(box);
  return out;
}

std::vector<int> Range(int from, int to) {
  std::vector<int> out;
  for (int i = from; i <= to; ++i) out.push_back(i);
  return out;
}

class RoomViews : public testing::Test {
 protected:
  static void SetUpTestSuite() { room_ = new std::vector<showdata::DataEntry>(showdata::MakeRoomMeshes()); }
  static void TearDownTestSuite() { delete room_; }
  static std::vector<showdata::DataEntry>* room_;
};
std::vector<showdata::DataEntry>* RoomViews::room_ = nullptr;

TEST_F(RoomViews, ShellIsTheRoomAndEveryObjectStandsInsideIt) {
  for (int i = 0; i < g_roomMeshCount; ++i) {
    Box all;
    for (const Box& b : PieceBoxes((*room_)[size_t(i)])) all.Add(b.lo), all.Add(b.hi);
    const float e = 1e-3f;
    EXPECT_GE(all.lo.x, showdata::kRoomMinX - e) << i;
    EXPECT_LE(all.hi.x, showdata::kRoomMaxX + e) << i;
    EXPECT_GE(all.lo.y, showdata::kRoomFloorY - e) << i;
    EXPECT_LE(all.hi.y, showdata::kRoomCeilingY + e) << i;
    EXPECT_GE(all.lo.z, showdata::kRoomMinZ - e) << i;
    EXPECT_LE(all.hi.z, showdata::kRoomMaxZ + e) << i;
    if (i == 0) {  // the walls span the room
      EXPECT_NEAR(all.lo.x, showdata::kRoomMinX, 0.01f);
      EXPECT_NEAR(all.hi.z, showdata::kRoomMaxZ, 0.01f);
      EXPECT_NEAR(all.lo.y, showdata::kRoomFloorY, 0.01f);
      EXPECT_NEAR(all.hi.y, showdata::kRoomCeilingY, 0.01f);
    }
  }
}

TEST_F(RoomViews, EveryShotEyeIsInsideTheRoomAndOutsideEveryObject) {
  std::vector<std::pair<int, Box>> pieces;
  for (int i = 3; i < g_roomMeshCount; ++i) {
    for (const Box& b : PieceBoxes((*room_)[size_t(i)])) pieces.push_back({i, b});
  }
  for (const auto& sample : meshviews::RoomShots()) {
    const D3DXVECTOR3 eye = sample.camera.eye;
    EXPECT_TRUE(eye.x > showdata::kRoomMinX + 0.5f && eye.x < showdata::kRoomMaxX - 0.5f &&
                eye.y > showdata::kRoomFloorY + 0.3f && eye.y < showdata::kRoomCeilingY - 0.5f &&
                eye.z > showdata::kRoomMinZ + 0.5f && eye.z < showdata::kRoomMaxZ - 0.5f)
        << sample.name;
    for (const auto& [mesh, box] : pieces) EXPECT_FALSE(box.Contains(eye, 0.15f)) << sample.name << " in mesh " << mesh;
  }
}

TEST_F(RoomViews, EveryShotIsClosedAndShowsFurniture) {
  meshviews::Viewer viewer(*room_);
  const std::vector<int> all = Range(0, g_roomMeshCount - 1);
  for (const auto& sample : meshviews::RoomShots()) {
    const auto ids = viewer.Ids(all, sample.camera);
    EXPECT_GE(meshviews::Coverage(ids), 0.999) << sample.name;
    int shown = 0;
    for (int i = 3; i < g_roomMeshCount; ++i) shown += meshviews::Share(ids, i) >= 0.005;
    EXPECT_GE(shown, 2) << sample.name;
    meshviews::Keep(viewer.Lit(all, sample.camera, {0.043f, -1.888f, 0.05f}, 45), "room_" + sample.name);
  }
  // The shots aimed at the lava lamp show it.
  for (const auto& sample : meshviews::RoomShots()) {
    if (sample.name.rfind("shot20", 0) != 0 && sample.name.rfind("shot8", 0) != 0) continue;
    const auto ids = viewer.Ids(all, sample.camera);
    EXPECT_GE(meshviews::Share(ids, 31) + meshviews::Share(ids, 21), 0.01) << sample.name;
  }
}

// Where the opening's eye is: 1 in the corridor, 2 in the chamber, 0 outside both (with a margin
// for the near plane and the walls' ribs).
int OpeningPlace(const D3DXVECTOR3& eye) {
  const float margin = 0.4f;
  if (eye.y < showdata::kChamberFloorY + margin) return 0;
  bool inChamber = eye.y < showdata::kChamberWallTopY - margin;
  for (int k = 0; k < 12; ++k) {  // within the apothem in every wall's direction
    const float a = float(k) * 3.14159265f / 6;
    inChamber = inChamber && eye.x * std::cos(a) + eye.z * std::sin(a) < showdata::kChamberApothem - margin;
  }
  if (inChamber) return 2;
  const bool inCorridor = std::fabs(eye.z) < showdata::kCorridorHalfWidth - margin &&
                          eye.y < showdata::kCorridorCeilingY - margin &&
                          eye.x > showdata::kCorridorWestEndX + margin && eye.x < showdata::kCorridorEastEndX - margin;
  return inCorridor ? 1 : 0;
}

TEST(OpeningSet, GlideRunsFromTheCorridorThroughTheChamberAndTheOrbitStaysInside) {
  for (float t = 0; t <= 18040; t += 50) {
    EXPECT_NE(OpeningPlace(meshviews::OpeningCamera(t).eye), 0) << "t = " << t;
  }
  EXPECT_EQ(OpeningPlace(meshviews::OpeningCamera(0).eye), 1);     // starts in the corridor
  EXPECT_EQ(OpeningPlace(meshviews::OpeningCamera(4000).eye), 2);  // glides into the chamber
  EXPECT_EQ(OpeningPlace(meshviews::OpeningCamera(9125).eye), 2);  // and orbits in it
  EXPECT_EQ(OpeningPlace(meshviews::OpeningCamera(18040).eye), 2);
}

TEST(OpeningSet, EveryViewAlongThePathIsClosedAndTheOrbitSeesTheCore) {
  const auto meshes = showdata::MakeMeshes();
  const std::vector<showdata::DataEntry> set(meshes.begin() + 11, meshes.begin() + 17);
  meshviews::Viewer viewer(set);
  const std::vector<int> all = Range(0, 5);
  for (float t = 0; t <= 18000; t += 750) {
    const Camera camera = meshviews::OpeningCamera(t);
    const auto ids = viewer.Ids(all, camera);
    EXPECT_GE(meshviews::Coverage(ids), 0.999) << "t = " << t;
    if (t >= 9125 && t < 15000) {
      EXPECT_GT(meshviews::Share(ids, 0), 0.002) << "core at t = " << t;
    }
    if (t >= 9125) {
      EXPECT_GT(meshviews::Share(ids, 5), 0.002) << "tube at t = " << t;
    }
    meshviews::Keep(viewer.Lit(all, camera, {0.128f, 0, 0.023f}, 14.5f), "opening_" + std::to_string(int(t)));
  }
}

TEST(HallSet, EveryCameraPhaseSeesTheClosedHallAndItsCentre) {
  const auto meshes = showdata::MakeMeshes();
  std::vector<showdata::DataEntry> set(meshes.begin() + 17, meshes.begin() + 20);
  set.push_back(meshes[10]);  // jellyfish, rising and spreading
  set.push_back(meshes[4]);   // the glowing crystal on the centre
  meshviews::Viewer viewer(set);
  viewer.copiesAt[3] = {{0, 3, 0}, {-1.5f, 6.5f, 2.2f}, {2.5f, 8.5f, -1.0f}, {-2.8f, 10, -2.6f}, {1.2f, 5.5f, 1.5f}};
  struct View {
    int phase;
    float spinX, orbitX, orbitZ;
  };
  const View views[] = {{0, 3.5f, 6, 6}, {0, 4.2f, 15.158f, 13.266f}, {1, 4.5f, 0, 0}, {1, 4.9f, 0, 0}, {2, 5.0f, 0, 0}, {2, 5.6f, 0, 0}};
  for (const View& v : views) {
    const Camera camera = meshviews::HallCamera(v.phase, v.spinX, v.orbitX, v.orbitZ);
    const auto ids = viewer.Ids({0, 1, 2}, camera);
    const std::string name = "hall_" + std::to_string(v.phase) + "_" + std::to_string(int(v.spinX * 10));
    EXPECT_GE(meshviews::Coverage(ids), 0.999) << name;
    EXPECT_GT(meshviews::Share(ids, 1), 0.01) << name;
    meshviews::Keep(viewer.Lit({0, 1, 2, 3, 4}, camera, {0, 2, 0}, 13), name);
  }
}

}  // namespace
