// The echo trail (slot 4) on the null device unless a test says otherwise: its window, the ten
// copies stretching along Z, the circling light, the veil (skipped only at exactly 0), the set-up
// that happens even when the part does not play, and the state it leaves.
#include <cmath>
#include <string>
#include <vector>

#include "support/scene_harness.h"

namespace {

using scenetest::Frame;

constexpr int kSlot = 4;
constexpr int kObject = 7;

class EchoTrailTest : public scenetest::SceneHarness {
 protected:
  // The operations of a frame in order, runs of Draw lines as one, light changes left out.
  static std::vector<std::string> Operations(const Frame& f) {
    std::vector<std::string> ops;
    for (const std::string& line : f.lines) {
      const auto fields = scenetest::Fields(line);
      if (fields[0] == "SetLight") continue;
      const std::string op = fields[0] == "Draw" || fields[0] == "DrawScreenQuadAlpha" ? fields[0] : line;
      if (op == "Draw" && !ops.empty() && ops.back() == "Draw") continue;
      ops.push_back(op);
    }
    return ops;
  }
};

TEST_F(EchoTrailTest, TenTumblingCopiesSpreadAlongTheLineOfSightUntilTheyPassTheEye) {
  StartShow("part05\n", kSlot);
  Play(kSlot, 0);  // part04 is clear: re-based to 50793
  ASSERT_EQ(frames_.size(), 338u);
  EXPECT_EQ(frames_.front().t, 50793);
  EXPECT_EQ(frames_.back().t, 54163);
  float a = 0.0f, b = 0.0f;
  for (const Frame& f : frames_) {
    a += 0.005f;
    b += 0.003f;
    const auto worlds = Worlds(f, kObject);
    ASSERT_EQ(worlds.size(), 10u) << f.t;
    D3DXMATRIX x, y, z, xy, tumble;
    D3DXMatrixMultiply(&xy, D3DXMatrixRotationX(&x, a), D3DXMatrixRotationY(&y, a));
    D3DXMatrixMultiply(&tumble, &xy, D3DXMatrixRotationZ(&z, a));
    float offset = 3.0f;
    for (std::size_t k = 0; k < 10; ++k) {
      const D3DXVECTOR3 p = scenetest::Position(worlds[k]);
      EXPECT_NEAR(p.x, 0.0f, 1e-6);
      EXPECT_NEAR(p.y, 0.0f, 1e-6);
      EXPECT_NEAR(p.z, offset, 1e-4) << f.t << " " << k;  // the trace keeps six digits
      for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(worlds[k].m[r][c], tumble.m[r][c], 2e-5) << f.t;
      offset += b;
    }
  }
  // At the start the copies nearly coincide; at the end the farthest lie behind the eye (z 10).
  EXPECT_NEAR(scenetest::Position(Worlds(frames_.front(), kObject)[9]).z, 3.027f, 1e-5);
  EXPECT_GT(scenetest::Position(Worlds(frames_.back(), kObject)[9]).z, 10.0f);
  EXPECT_LT(scenetest::Position(Worlds(frames_.back(), kObject)[6]).z, 10.0f);
}

TEST_F(EchoTrailTest, DrawsAdditivelyWithoutDepthTestThenBarsAndVeil) {
  StartShow("part05\n", kSlot);
  Play(kSlot, 0, 2);
  const std::vector<std::string> expected = {
      "Clear",        "SetLighting 1", "SetCullMode 1", "SetZBuffer 0",        "SetBlendMode 2",
      "BeginScene",   "Draw",          "EndScene",      "SetAlphaBlend 1",     "SetBlendMode 1",
      "Set2DMode 1",  "DrawScreenQuadAlpha",            "DrawScreenQuadAlpha", "DrawScreenQuadAlpha",
      "Set2DMode 0"};
  EXPECT_EQ(Operations(frames_.at(1)), expected);
  const auto quads = Quads(frames_[1], 1);
  ASSERT_EQ(quads.size(), 3u);
  EXPECT_EQ(quads[0], (std::vector<double>{0, 0, 640, 100, 1}));
  EXPECT_EQ(quads[1], (std::vector<double>{0, 380, 640, 100, 1}));
  EXPECT_EQ(std::vector<double>(quads[2].begin(), quads[2].begin() + 4), (std::vector<double>{0, 0, 640, 480}));

  // The white light circles the copies: applied every frame with a = 0.005, b = 0.003 first.
  const auto lights = Calls(frames_[0], "SetLight");
  ASSERT_EQ(lights.size(), 1u);
  const auto& l = lights[0];
  EXPECT_EQ(l[1], std::to_string(demo_->lights[1]->index));
  EXPECT_EQ((std::vector<std::string>(l.begin() + 3, l.begin() + 15)),
            (std::vector<std::string>{"1", "1", "1", "0", "1", "1", "1", "0", "0", "0", "0", "0"}));
  EXPECT_NEAR(std::stod(l[15]), 1.5 * std::sin(2.4 * 0.005), 1e-5);
  EXPECT_NEAR(std::stod(l[16]), 1.5 * std::cos(2 * 0.005), 1e-5);
  EXPECT_NEAR(std::stod(l[17]), 0.8 * std::cos(1.4 * 0.003) + 3, 1e-5);
  EXPECT_EQ(l[21], "2");  // range
  EXPECT_EQ(l[23], "1");  // attenuation0
}

TEST_F(EchoTrailTest, VeilClearsIsSkippedAtExactlyZeroAndReturnsFrom53545) {
  StartShow("part05\n", kSlot);
  Play(kSlot, 0);
  int skipped = 0;
  for (const Frame& f : frames_) {
    const auto quads = Quads(f, 1);
    if (quads.size() == 2) {
      ++skipped;
      EXPECT_GE(f.t, 51553);
      EXPECT_LT(f.t, 53545);
    } else {
      ASSERT_EQ(quads.size(), 3u);
      EXPECT_GT(quads[2][4], 0.0) << f.t;
    }
  }
  EXPECT_EQ(skipped, 200);  // 51553 .. 53543
  EXPECT_NEAR(Quads(*At(50793), 1)[2][4], 0.987, 1e-6);
  EXPECT_NEAR(Quads(*At(51543), 1)[2][4], 0.012, 1e-5);  // the last frame before it clears
  EXPECT_NEAR(Quads(*At(53553), 1)[2][4], 0.016, 1e-6);
  EXPECT_NEAR(Quads(*At(54163), 1)[2][4], 0.992, 1e-5);
  // A veil just above 0 is still drawn: a frame of 759 ms takes it from 0.987 to about 0.0003.
  UseClock(1000.0 / 759);
  Play(kSlot, 0, 1);
  ASSERT_EQ(frames_.size(), 2u);
  ASSERT_EQ(Quads(frames_[1], 1).size(), 3u);
  EXPECT_NEAR(Quads(frames_[1], 1)[2][4], 0.0003, 1e-5);
  // With frames of a second it clears at once and closes again in one step, clamped to 1.
  UseClock(1);
  Play(kSlot, 0);
  ASSERT_EQ(frames_.size(), 4u);  // 50793, 51793, 52793, 53793
  EXPECT_EQ(Quads(frames_[1], 1).size(), 2u);
  EXPECT_EQ(Quads(frames_[3], 1).at(2)[4], 1.0);
}

TEST_F(EchoTrailTest, VeilAndEndChangeOnTheirOwnMillisecond) {
  StartShow("part04\npart05\n", kSlot);  // no re-base
  const auto veil = [&](const Frame& f) { return Quads(f, 1).at(2).at(4); };
  UseClock(1000);  // frames of 1 ms
  Play(kSlot, 52999, 1);
  ASSERT_EQ(frames_.size(), 2u);
  EXPECT_NEAR(veil(frames_[0]), 0.987, 1e-6);
  EXPECT_EQ(veil(frames_[1]), veil(frames_[0]));  // 53000: no longer falling
  Play(kSlot, 54170);
  ASSERT_EQ(frames_.size(), 2u);
  EXPECT_EQ(frames_.back().t, 54171);
  UseClock(1);  // frames of 1 s: the rise from 53545 ms is one step of 1.6, clamped to 1
  Play(kSlot, 52545);
  ASSERT_EQ(frames_.size(), 2u);
  EXPECT_EQ(frames_[1].t, 53545);
  EXPECT_EQ(veil(frames_[1]), 1.0);
  Play(kSlot, 52544);
  ASSERT_EQ(frames_.size(), 2u);
  EXPECT_NEAR(veil(frames_[1]), 0.987, 1e-6);
}

TEST_F(EchoTrailTest, SetsUpEvenWhenItDoesNotPlay) {
  StartShow("part03\n", kSlot);  // part04 and part05 clear
  Play(kSlot, 0);
  EXPECT_TRUE(frames_.empty());
  EXPECT_EQ(TimelineMs(*demo_), 50793);
  const MeshObject& object = demo_->meshes[kObject];
  EXPECT_EQ(object.texture, demo_->textures[5]);
  EXPECT_EQ(object.textureEnabled, 1);
  for (DWORD i = 0; i < object.materialCount; ++i) {
    EXPECT_EQ(object.materials[i].Ambient.r, 0.0f);
    EXPECT_EQ(object.materials[i].Ambient.g, 0.0f);
    EXPECT_EQ(object.materials[i].Ambient.b, 0.0f);
  }
  EXPECT_EQ(RenderState(D3DRS_SHADEMODE), DWORD(D3DSHADE_GOURAUD));
  EXPECT_FALSE(LightOn(0));
  EXPECT_TRUE(LightOn(1));
  EXPECT_FALSE(LightOn(2));
  EXPECT_FALSE(LightOn(3));
  EXPECT_EQ(demo_->lights[1]->light.Range, 2.0f);
  EXPECT_FLOAT_EQ(g_pDxEngine->projection._22, 1.0f / std::tan(1.479f / 2));
  // Lights 0, 2 and 3 are switched off, light 1 is left alone; its new record waits for the
  // first frame.
  std::vector<std::string> enables;
  for (const std::string& line : PendingLines()) {
    EXPECT_NE(line.rfind("SetLight ", 0), 0u) << line;
    if (line.rfind("LightEnable ", 0) == 0) enables.push_back(line);
  }
  std::vector<std::string> expected;
  for (int i : {0, 2, 3}) expected.push_back("LightEnable " + std::to_string(demo_->lights[i]->index) + " 0");
  EXPECT_EQ(enables, expected);
}

TEST_F(EchoTrailTest, LeavesBlendingOnDepthTestAndCullingOffAndOnlyLight1) {
  UseClock(20);
  StartShow("part05\n", kSlot);
  Play(kSlot, 0);
  ASSERT_FALSE(frames_.empty());
  EXPECT_EQ(RenderState(D3DRS_ALPHABLENDENABLE), 1u);
  EXPECT_EQ(RenderState(D3DRS_DESTBLEND), DWORD(D3DBLEND_INVSRCALPHA));
  EXPECT_EQ(RenderState(D3DRS_ZENABLE), 0u);
  EXPECT_EQ(RenderState(D3DRS_CULLMODE), DWORD(D3DCULL_NONE));
  EXPECT_EQ(RenderState(D3DRS_SHADEMODE), DWORD(D3DSHADE_GOURAUD));
  EXPECT_EQ(RenderState(D3DRS_LIGHTING), 1u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(LightOn(i), i == 1) << i;
  EXPECT_FLOAT_EQ(g_pDxEngine->projection._22, 1.0f / std::tan(1.479f / 2));
}

TEST_F(EchoTrailTest, SoftwareDeviceShowsTheTrailBetweenTheBars) {
  UseClock(1);  // the second frame is a second long: the veil has gone
  StartShow("part05\n", kSlot, true);
  Play(kSlot, 0, 1);
  ASSERT_EQ(frames_.size(), 2u);
  const Frame& f = frames_[1];
  ASSERT_EQ(Quads(f, 1).size(), 2u);
  const std::uint32_t bar = testsupport::CataloguePictureColour(1);
  EXPECT_EQ(f.Pixel(80, 0), bar);
  EXPECT_EQ(f.Pixel(80, 119), bar);
  // The copies fill the middle of the screen and leave its sides dark.
  EXPECT_NE(f.Pixel(80, 60), 0u);
  EXPECT_EQ(f.Pixel(2, 60), 0u);
  EXPECT_EQ(f.Pixel(157, 60), 0u);
}

}  // namespace
