// The ripple grid (slot 3) on the null device unless a test says otherwise: its five stages with
// their bounds, pictures and fields of view, the heights of the 360 copies, the grid's turning,
// the veil, and what the part sets up and leaves.
#include <cmath>
#include <string>
#include <vector>

#include "support/scene_harness.h"

namespace {

using scenetest::Frame;

constexpr int kSlot = 3;
constexpr int kTile = 1;

int StageAt(long t) {
  if (t >= 49690) return 5;
  if (t >= 48552) return 4;
  if (t >= 47299) return 3;
  if (t >= 46300) return 2;
  return 1;
}

// One copy of the grid: its cell and height, recovered from the world matrix (a translation to
// the cell, then the grid's turn).
struct Cell {
  float x, y, z;
  int height;
};

class RippleGridTest : public scenetest::SceneHarness {
 protected:
  static std::vector<Cell> Cells(const Frame& f) {
    std::vector<Cell> cells;
    for (const D3DXMATRIX& m : Worlds(f, kTile)) {
      // The turn is a rotation: its inverse is its transpose.
      const float x = m._41 * m._11 + m._42 * m._12 + m._43 * m._13;
      const float y = m._41 * m._21 + m._42 * m._22 + m._43 * m._23;
      const float z = m._41 * m._31 + m._42 * m._32 + m._43 * m._33;
      cells.push_back({x, y, z, int(std::lround((z - 2.0f) * 256.0f))});
    }
    return cells;
  }
  static int HeightAt(const std::vector<Cell>& cells, int row, int column) {
    return cells.at(std::size_t(row * 30 + column)).height;
  }
  // The stage a frame shows, from its picture and field of view.
  int ShownStage(const Frame& f) const {
    const auto fov = Calls(f, "SetFov");
    if (fov.size() != 1) return 0;
    const std::string deg = fov[0][1];
    if (Quads(f, 43, false).size() == 1 && deg == "1.566") return 1;  // or 5
    if (Quads(f, 44, false).size() == 1 && deg == "2.088") return 2;
    if (Quads(f, 45, false).size() == 1 && deg == "1.566") return 3;
    if (Quads(f, 45, false).size() == 1 && deg == "1.131") return 4;
    return 0;
  }
};

TEST_F(RippleGridTest, PlaysItsWindowThroughFiveStagesOf360Copies) {
  UseClock(20);  // frames of 50 ms
  StartShow("part04\n", kSlot);
  Play(kSlot, 0);
  ASSERT_EQ(frames_.size(), 113u);  // 45162 .. 50762
  EXPECT_EQ(frames_.front().t, 45162);
  EXPECT_EQ(frames_.back().t, 50762);
  for (const Frame& f : frames_) {
    ASSERT_EQ(Draws(f, kTile), 360u) << f.t;
    const int stage = StageAt(f.t);
    EXPECT_EQ(ShownStage(f), stage == 5 ? 1 : stage) << f.t;
  }
  const Frame& first = frames_.front();
  EXPECT_EQ(Quads(first, 43, false).at(0), (std::vector<double>{0, 100, 256, 256}));
  EXPECT_EQ(Quads(*At(46312), 44, false).at(0), (std::vector<double>{0, 124, 128, 256}));
  EXPECT_EQ(Quads(*At(47312), 45, false).at(0), (std::vector<double>{128, 124, 512, 256}));

  // The copies stand in rows i = 0..11 (y from -6 to 5), each with columns j = 0..29 (x from -15).
  const auto cells = Cells(first);
  for (int i = 0; i < 12; ++i)
    for (int j = 0; j < 30; ++j) {
      const Cell& c = cells[std::size_t(i * 30 + j)];
      EXPECT_NEAR(c.x, float(j - 15), 2e-4);
      EXPECT_NEAR(c.y, float(i - 6), 2e-4);
    }
}

TEST_F(RippleGridTest, StagesChangeExactlyAtTheirBounds) {
  UseClock(1000);
  StartShow("part03\npart04\n", kSlot);
  for (long bound : {46300L, 47299L, 48552L, 49690L}) {
    Play(kSlot, bound - 1, 1);
    ASSERT_EQ(frames_.size(), 2u);
    EXPECT_EQ(ShownStage(frames_[0]), StageAt(bound - 1)) << bound;
    EXPECT_EQ(ShownStage(frames_[1]), StageAt(bound) == 5 ? 1 : StageAt(bound)) << bound;
  }
  // The last frame is drawn at 50792 ms.
  Play(kSlot, 50791);
  ASSERT_EQ(frames_.size(), 2u);
  EXPECT_EQ(frames_.back().t, 50792);
  // Started in the middle, the part shows that stage at once.
  Play(kSlot, 49000, 1);
  EXPECT_EQ(ShownStage(frames_.at(0)), 4);
}

TEST_F(RippleGridTest, HeightsFollowEachStagesPattern) {
  UseClock(20);  // frames of 50 ms: delta 5 after the first frame's 1
  StartShow("part04\n", kSlot);
  Play(kSlot, 0);
  // First frame, r = 0.01: the swirl's centre is row 6, column 29, at height 0; a cell one to
  // the left gets 40 cos(5 pi + 0.01) = -39.998, truncated toward zero to -39.
  const auto first = Cells(frames_.front());
  EXPECT_EQ(HeightAt(first, 6, 29), 0);
  EXPECT_EQ(HeightAt(first, 6, 28), -39);
  EXPECT_EQ(HeightAt(first, 6, 27), -79);
  EXPECT_EQ(HeightAt(first, 7, 29), 0);  // -0.39999
  EXPECT_EQ(HeightAt(first, 0, 29), 2);  // 240 sin 0.01

  // Every stage against its formula, one frame each (r replayed as the part sums it).
  float r = 0.0f;
  int checked = 0;
  for (const Frame& f : frames_) {
    r += 0.01f * (f.t == 45162 ? 1.0f : 5.0f);
    if (f.t != 45162 && f.t != 46412 && f.t != 47412 && f.t != 48612 && f.t != 50012) continue;
    ++checked;
    const int stage = StageAt(f.t);
    const bool ripples = stage == 2 || stage == 4;
    const double rr = r;
    const int ci = ripples ? -12 : int((std::sin(2 * rr) + 1) * 6);
    const int cj = int(((ripples ? std::cos(2.5 * rr) : std::cos(1.5 * rr)) + 1) * 15);
    const auto cells = Cells(f);
    for (int i = 0; i < 12; ++i)
      for (int j = 0; j < 30; ++j) {
        const double dy = i - ci, dx = j - cj, d = std::hypot(dx, dy), phi = std::atan2(dy, dx);
        double want = 0;
        if (stage == 1 || stage == 3) want = 40 * d * std::cos(5 * phi + rr);
        if (ripples) want = d * (24 * std::sin(std::cos(4.4 * rr)) + 6.5 * std::cos(d));
        if (stage == 5) want = d == 0 ? 0 : 96 * std::sin(6 * phi - rr) + 500 / d;
        EXPECT_NEAR(HeightAt(cells, i, j), std::trunc(want), 1.0) << f.t << " " << i << " " << j;
      }
    if (stage == 5) {
      // On the grid, the spike's centre sits at the base depth; its neighbours stand far out.
      ASSERT_TRUE(ci >= 0 && ci < 11 && cj > 0 && cj < 29);
      EXPECT_EQ(HeightAt(cells, ci, cj), 0);
      for (int n : {HeightAt(cells, ci + 1, cj), HeightAt(cells, ci, cj - 1), HeightAt(cells, ci, cj + 1)}) {
        EXPECT_GE(n, 404);
        EXPECT_LE(n, 596);
      }
    }
  }
  EXPECT_EQ(checked, 5);
}

TEST_F(RippleGridTest, GridTurnsBySwayInStagesOneAndFiveAndCarriesOnInBetween) {
  UseClock(20);
  StartShow("part04\n", kSlot);
  Play(kSlot, 0);
  const auto turnOf = [](const Frame& f) { return Worlds(f, kTile).at(0); };
  const auto expectTurn = [](const D3DXMATRIX& world, float ry, float rx, float rz, long t) {
    D3DXMATRIX y, x, z, yx, turn;
    D3DXMatrixMultiply(&yx, D3DXMatrixRotationY(&y, ry), D3DXMatrixRotationX(&x, rx));
    D3DXMatrixMultiply(&turn, &yx, D3DXMatrixRotationZ(&z, rz));
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) EXPECT_NEAR(world.m[r][c], turn.m[r][c], 2e-5) << t << " " << r << c;
  };
  // Stage 1: rx -0.1044, rz 0, ry = 0.0174 P with P = -10 + 0.024 per hundredth.
  float sway = -10.0f;
  float ry = 0, rx = 0, rz = 0;
  for (const Frame& f : frames_) {
    const float d = f.t == 45162 ? 1.0f : 5.0f;
    if (sway < 10.0f) sway += 0.024f * d;
    switch (StageAt(f.t)) {
      case 1:
      case 5:
        rx = -0.1044f, rz = 0.0f, ry = 0.0174f * sway;
        break;
      case 2:
        rx += 0.001f * d, ry -= 0.002f * d, rz += 0.0001f * d;
        break;
      case 3:
        rx -= 0.002f * d, ry += 0.001f * d, rz += 0.00053f * d;
        break;
      case 4:
        rx += 0.0025f * d, rz -= 0.002f * d, ry -= 0.0012f * d;
        break;
    }
    if (f.t == 45162 || f.t == 46312 || f.t == 47262 || f.t == 47312 || f.t == 49662 || f.t == 50762)
      expectTurn(turnOf(f), ry, rx, rz, f.t);
  }
}

TEST_F(RippleGridTest, VeilThinsUntil46800HoldsAndThickensFrom49899) {
  UseClock(20);  // delta 5: the veil moves 0.025 a frame
  StartShow("part04\n", kSlot);
  Play(kSlot, 0);
  const auto veil = [&](long t) { return Quads(*At(t), 1).at(2)[4]; };
  EXPECT_NEAR(veil(45162), 0.995, 1e-6);
  EXPECT_NEAR(veil(46762), 0.995 - 32 * 0.025, 1e-5);
  EXPECT_EQ(veil(46812), veil(46762));
  EXPECT_EQ(veil(49862), veil(46762));
  EXPECT_NEAR(veil(49912), veil(49862) + 0.025, 1e-6);
  EXPECT_NEAR(veil(50762), 0.195 + 18 * 0.025, 1e-5);
  for (long t : {45162L, 48012L, 50762L}) {
    const auto quads = Quads(*At(t), 1);
    EXPECT_EQ(quads[0], (std::vector<double>{0, 0, 640, 100, 1}));
    EXPECT_EQ(quads[1], (std::vector<double>{0, 380, 640, 100, 1}));
    EXPECT_EQ(std::vector<double>(quads[2].begin(), quads[2].begin() + 4), (std::vector<double>{0, 0, 640, 480}));
  }

  // Entered early (part03 set, no re-base) the veil falls all the way: at exactly 0 it is not drawn.
  UseClock(10);
  StartShow("part03\npart04\n", kSlot);
  Play(kSlot, 40000);
  int skipped = 0;
  for (const Frame& f : frames_) {
    const auto quads = Quads(f, 1);
    if (quads.size() == 2) {
      ++skipped;
      EXPECT_LT(f.t, 49899);
    } else {
      ASSERT_EQ(quads.size(), 3u) << f.t;
      EXPECT_GT(quads[2][4], 0.0) << f.t;
    }
  }
  EXPECT_EQ(skipped, 79);  // 42000 .. 49800
  EXPECT_NEAR(Quads(*At(49900), 1).at(2)[4], 0.05, 1e-6);
}

TEST_F(RippleGridTest, VeilStopsFallingAt46800AndRisesFrom49899) {
  StartShow("part03\npart04\n", kSlot);
  const auto veil = [&](const Frame& f) { return Quads(f, 1).at(2).at(4); };
  UseClock(1000);  // frames of 1 ms: delta 0.1 after the first frame's 1
  Play(kSlot, 46799, 1);
  ASSERT_EQ(frames_.size(), 2u);
  EXPECT_NEAR(veil(frames_[0]), 0.995, 1e-6);
  EXPECT_EQ(veil(frames_[1]), veil(frames_[0]));
  UseClock(0.25);  // frames of 4 s: one step of 2, clamped to 1
  Play(kSlot, 45899);
  ASSERT_EQ(frames_.size(), 2u);
  EXPECT_EQ(frames_[1].t, 49899);
  EXPECT_EQ(veil(frames_[1]), 1.0);
  Play(kSlot, 45898);
  ASSERT_EQ(frames_.size(), 2u);
  EXPECT_NEAR(veil(frames_[1]), 0.995, 1e-6);
}

TEST_F(RippleGridTest, SwayHasNoClampSoItStopsJustPastTen) {
  // Entered at 40000 ms (part03 set: no re-base) with frames of 40 ms, the sway has one step of
  // 0.024 and then steps of 0.096, more than it needs: it stops at the first value not below 10,
  // which stage 5 turns the grid by.
  UseClock(25);
  StartShow("part03\npart04\n", kSlot);
  Play(kSlot, 40000);
  ASSERT_EQ(frames_.size(), 270u);
  float sway = -10.0f + 0.024f;
  while (sway < 10.0f) sway += 0.024f * 4.0f;
  ASSERT_GT(sway, 10.001f);
  const D3DXMATRIX world = Worlds(frames_.back(), kTile).at(0);
  D3DXMATRIX y, x, turn;
  D3DXMatrixMultiply(&turn, D3DXMatrixRotationY(&y, 0.0174f * sway), D3DXMatrixRotationX(&x, -0.1044f));
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(world.m[r][c], turn.m[r][c], 2e-6) << r << c;
}

TEST_F(RippleGridTest, SetsUpLight1WithoutEnablingAndLeavesBlendingOff) {
  StartShow("part02\n", kSlot);
  Play(kSlot, 12345);
  EXPECT_TRUE(frames_.empty());
  EXPECT_EQ(TimelineMs(*demo_), 45162);  // re-based, as part03 is clear
  std::vector<std::vector<std::string>> lights;
  for (const std::string& line : PendingLines()) {
    const auto f = scenetest::Fields(line);
    if (f[0] == "SetLight" || f[0] == "LightEnable") lights.push_back(f);
  }
  ASSERT_EQ(lights.size(), 1u);
  EXPECT_EQ(lights[0][1], std::to_string(demo_->lights[1]->index));
  const D3DLIGHT8& l = demo_->lights[1]->light;
  EXPECT_EQ(l.Diffuse.r, 0.0f);
  EXPECT_EQ(l.Diffuse.g, 0.6f);
  EXPECT_EQ(l.Diffuse.b, 0.9f);
  EXPECT_EQ(l.Position.z, 5.0f);
  EXPECT_EQ(l.Range, 24.0f);

  StartShow("part04\n", kSlot);
  Play(kSlot, 0, 3);
  EXPECT_EQ(RenderState(D3DRS_ALPHABLENDENABLE), 0u);
  for (const Frame& f : frames_) EXPECT_TRUE(Calls(f, "LightEnable").empty());
  EXPECT_FLOAT_EQ(g_pDxEngine->projection._22, 1.0f / std::tan(1.566f / 2));
}

TEST_F(RippleGridTest, SoftwareDeviceShowsGridPictureAndBars) {
  UseClock(0.5);
  StartShow("part03\npart04\n", kSlot, true);
  Play(kSlot, 44000, 1);  // 44000 (veil 0.995), then 46000 with the veil gone, stage 1
  ASSERT_EQ(frames_.size(), 2u);
  const Frame& f = frames_[1];
  EXPECT_EQ(Quads(f, 1).size(), 2u);
  const std::uint32_t bar = testsupport::CataloguePictureColour(1);
  EXPECT_EQ(f.Pixel(80, 0), bar);
  EXPECT_EQ(f.Pixel(80, 24), bar);
  EXPECT_EQ(f.Pixel(80, 95), bar);
  // The picture p4_01 at (0, 100) - (256, 356), 64 x 64 pixels here.
  const std::uint32_t picture = testsupport::CataloguePictureColour(43);
  EXPECT_EQ(f.Pixel(2, 30), picture);
  EXPECT_EQ(f.Pixel(62, 86), picture);
  // Right of it the grid fills the band between the bars.
  EXPECT_NE(f.Pixel(120, 60), 0u);
  EXPECT_NE(f.Pixel(120, 60), picture);
}

}  // namespace
