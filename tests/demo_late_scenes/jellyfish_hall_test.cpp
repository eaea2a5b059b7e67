// The jellyfish hall (slot 7): its three camera phases on their own milliseconds, the frame's
// passes, the jellyfish placed from the runtime's rand() after the glowing knot's 200 draws, and
// its captions on the software device.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "platform/win32/crt.h"
#include "support/scene_harness.h"

namespace {

using scenetest::Frame;

constexpr int kSlot = 7;
constexpr int kJellyfish = 10;

class JellyfishHallTest : public scenetest::SceneHarness {};

TEST_F(JellyfishHallTest, ThreeCameraPhasesWithTheirViewsCaptionsAndCrystal) {
  struct Phase {
    long from;
    float fovDeg;  // phase 0 widens from 45 by 0.04 per hundredth of a second
    float eyeY, radius;
    D3DXVECTOR3 target;
    std::vector<std::vector<double>> captions;  // x, y, w, h, texture; opacity 1 but in phase 0
  };
  const Phase phases[] = {{107010, 45.04f, 7.106f, 6.0f, {0, 2.008f, 0}, {{0, 100, 640, 128, 46}}},
                          {116099, 130, -2.811f, 5, {0.02f, 1.963f, 0}, {{384, 100, 256, 256, 47}}},
                          {120604, 92, 6.223f, 15, {0.018f, 5.173f, 0},
                           {{512, 100, 128, 256, 48}, {0, 124, 128, 256, 26}}}};
  const auto expectPhase = [&](const Frame& f, int p) {
    SCOPED_TRACE(testing::Message() << f.t << " phase " << p);
    const Phase& want = phases[p];
    EXPECT_NEAR(std::stod(Calls(f, "SetFov").at(0).at(1)), want.fovDeg * 0.0174, 2e-4);
    EXPECT_NEAR(f.eye17.y, want.eyeY, 1e-6);
    EXPECT_NEAR(std::hypot(f.eye17.x, f.eye17.z), want.radius, 0.02);
    EXPECT_EQ(f.at17, want.target);
    for (const auto& c : want.captions) {
      const auto quads = Quads(f, int(c[4]));
      ASSERT_EQ(quads.size(), 1u);
      EXPECT_EQ(std::vector<double>(quads[0].begin(), quads[0].begin() + 4),
                std::vector<double>(c.begin(), c.begin() + 4));
      EXPECT_TRUE(p == 0 || quads[0][4] == 1);
    }
    EXPECT_EQ(Draws(f, 4), p == 0 ? 0u : 1u);  // the crystal
    // The hall, ten jellyfish added in the first frame only (blending is as the room left it),
    // ten unlit plates added without depth writes, the crystal, the captions and bars.
    std::vector<std::string> expected = {
        "Clear", "SetFov", "SetLighting 1", "SetZBuffer 1", "SetCullMode 1", "BeginScene", "Draw mesh17..mesh19",
        "EndScene", "SetBlendMode 2", "BeginScene", "Draw mesh10 x10", "EndScene", "SetLighting 0",
        "SetZWrite 0", "SetCullMode 1", "SetAlphaBlend 1", "BeginScene", "Draw mesh3 x10", "EndScene"};
    if (p > 0) expected.insert(expected.end(), {"BeginScene", "Draw mesh4", "EndScene"});
    expected.insert(expected.end(), {"SetZWrite 1", "Set2DMode 1", "SetAlphaBlend 1", "SetBlendMode 1"});
    for (const auto& c : want.captions) expected.push_back("DrawScreenQuadAlpha " + std::to_string(int(c[4])));
    expected.insert(expected.end(),
                    {"DrawScreenQuadAlpha 1", "DrawScreenQuadAlpha 1", "SetAlphaBlend 0", "Set2DMode 0"});
    std::vector<std::string> ops = Operations(f);
    ops.erase(ops.begin(), std::find(ops.begin(), ops.end(), "Clear"));  // the set-up's, in a first frame
    EXPECT_EQ(ops, expected);
  };
  UseClock(1000);
  StartShow("part08\n", kSlot);  // part07 clear: re-based to 107010
  Play(kSlot, 0, 1);
  ASSERT_EQ(frames_.size(), 2u);
  EXPECT_EQ(frames_[0].t, 107010);
  expectPhase(frames_[0], 0);
  EXPECT_NEAR(Quads(frames_[0], 46).at(0)[4], 0.001, 1e-6);  // the caption fades in
  StartShow("part07\npart08\n", kSlot);
  for (int p = 1; p < 3; ++p) {
    Play(kSlot, phases[p].from - 1, 1);
    ASSERT_EQ(frames_.size(), 2u);
    expectPhase(frames_[0], p - 1);
    expectPhase(frames_[1], p);
  }
  // The shared spin goes on from where the room left it: the high orbit stands at that angle.
  demo_->spinX = 2.0f;
  Play(kSlot, 120604, 1);
  EXPECT_NEAR(frames_.at(1).eye17.x, 15 * std::sin(2.0011), 1e-4);
  EXPECT_NEAR(frames_.at(1).eye17.z, 15 * std::cos(2.0011), 1e-4);
  // The last frame is drawn at 126222 ms; light 3 alone stays on.
  Play(kSlot, 126222);
  ASSERT_EQ(frames_.size(), 1u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(LightOn(i), i == 3) << i;
  EXPECT_EQ(RenderState(D3DRS_ALPHABLENDENABLE), 0u);
}

TEST_F(JellyfishHallTest, JellyfishStartFromTheRandomSequenceAfterTheKnotsTwoHundredDraws) {
  std::vector<int> draws(200 + 4 * kJellyfish);
  WinSrand(1);
  for (int& r : draws) r = WinRand();
  UseClock(1000);
  WinSrand(1);  // as the runtime starts; the glowing knot's set-up draws 200 values
  StartShow("part07\npart08\n", kSlot);
  Play(kSlot, 107010, 1);
  const auto worlds = Worlds(frames_.at(0), 10);
  ASSERT_EQ(worlds.size(), std::size_t(kJellyfish));
  int centred = 0;
  for (int i = 0; i < kJellyfish; ++i) {
    // Height, then the two offsets; the first frame raises each by at most 0.024.
    const int* r = &draws[std::size_t(200 + 4 * i)];
    const float y = float(r[0] % 8500) * 0.001f + 2.0f;
    const float x = float(r[1] % 4000) * 0.001f - 2.0f, z = float(r[2] % 4000) * 0.001f - 2.0f;
    const D3DXVECTOR3 at = scenetest::Position(worlds[std::size_t(i)]);
    EXPECT_GE(at.y, y) << i;
    EXPECT_LT(at.y, y + 0.024f) << i;
    // Up the middle below 5, out to 1.5 times the offsets from 6.5.
    const float g = std::clamp(at.y - 5.0f, 0.0f, 1.5f);
    centred += g == 0.0f;
    EXPECT_NEAR(at.x, g * x, 2e-5) << i;
    EXPECT_NEAR(at.z, g * z, 2e-5) << i;
  }
  EXPECT_EQ(centred, 1);  // jellyfish 8, at 4.589
}

TEST_F(JellyfishHallTest, SoftwareDeviceShowsThePhaseTwoCaptionsBetweenTheBars) {
  UseClock(1000);
  StartShow("part07\npart08\n", kSlot, true);
  Play(kSlot, 120604, 1);
  ASSERT_FALSE(frames_.empty());
  const Frame& f = frames_[0];
  // Opaque pictures at full opacity: their own colours, exactly. 2D units are 4 pixels.
  EXPECT_EQ(f.Pixel(144, 60), testsupport::CataloguePictureColour(48));  // from (512, 100), 128 x 256
  EXPECT_EQ(f.Pixel(16, 60), testsupport::CataloguePictureColour(26));   // from (0, 124), 128 x 256
  EXPECT_EQ(f.Pixel(80, 10), testsupport::CataloguePictureColour(1));
  EXPECT_EQ(f.Pixel(80, 110), testsupport::CataloguePictureColour(1));
  // Between them the hall: the plates are added at its centre.
  EXPECT_NE(f.Pixel(80, 60), 0u);
}

}  // namespace
