// The ball column (slot 2) on the null device unless a test says otherwise: its time window, the
// column and ring modes with their exact bounds, the geometry of both, the contracting ring, the
// flickering picture, the closing fade and what the part leaves for the next one.
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "support/scene_harness.h"

namespace {

using scenetest::Frame;

constexpr int kSlot = 2;
constexpr int kBall = 6;

// Ring mode by the part's timeline table; 41759 ms keeps the mode of the frame before.
bool RingAt(long t, bool before) {
  if ((t >= 37291 && t <= 38265) || (t >= 39543 && t <= 40657) || (t >= 41760 && t <= 42781) || t >= 44063)
    return true;
  if (t == 41759) return before;
  return false;
}

using scenetest::Dot;
using scenetest::Length;
using scenetest::Position;

class BallColumnTest : public scenetest::SceneHarness {
 protected:
  static bool Ring(const Frame& f) { return Draws(f, kBall) == 30; }
  // The ring's radius factor R, from the lit pass: its balls lie 3 R from (0, 0, 3).
  static float RingRadius(const Frame& f) {
    const auto worlds = Worlds(f, kBall);
    D3DXVECTOR3 d = Position(worlds.at(15)) - D3DXVECTOR3(0, 0, 3);
    return Length(d) / 3.0f;
  }
};

TEST_F(BallColumnTest, PlaysItsWindowInColumnAndRingModesByTheTimeline) {
  UseClock(20);  // frames of 50 ms
  StartShow("part03\n", kSlot);
  Play(kSlot, 0);  // part02 is clear: the slot re-bases the clock to 36083
  ASSERT_EQ(frames_.size(), 182u);
  EXPECT_EQ(frames_.front().t, 36083);
  EXPECT_EQ(frames_.back().t, 45133);
  bool ring = false;
  for (const Frame& f : frames_) {
    ring = RingAt(f.t, ring);
    // 225 balls in a column, 15 + 15 (halo and lit) in a ring, with tr02 in front of the ring.
    ASSERT_EQ(Draws(f, kBall), ring ? 30u : 225u) << f.t;
    EXPECT_EQ(Quads(f, 28).size(), ring ? 1u : 0u) << f.t;
    EXPECT_EQ(Calls(f, "BeginScene").size(), ring ? 2u : 1u) << f.t;
  }

  // With part02 set the clock is left as the earlier parts left it.
  StartShow("part02\npart03\n", kSlot);
  Play(kSlot, 44000);
  ASSERT_FALSE(frames_.empty());
  EXPECT_EQ(frames_.front().t, 44000);
  EXPECT_EQ(frames_.size(), 24u);  // 44000 .. 45150
}

TEST_F(BallColumnTest, ModeSwitchesExactlyAtEachBound) {
  UseClock(1000);  // frames of 1 ms
  StartShow("part02\npart03\n", kSlot);
  for (long bound : {37291L, 38266L, 39543L, 40658L, 41760L, 42782L, 44063L}) {
    Play(kSlot, bound - 1, 2);  // Escape after two frames: the third is still drawn
    ASSERT_EQ(frames_.size(), 3u) << bound;
    EXPECT_EQ(frames_[0].t, bound - 1);
    bool ring = false;
    for (const Frame& f : frames_) {
      ring = RingAt(f.t, ring);
      EXPECT_EQ(Ring(f), ring) << f.t;
    }
    EXPECT_NE(Ring(frames_[0]), Ring(frames_[1])) << bound;
  }
}

TEST_F(BallColumnTest, At41759TheModeStaysAsTheFrameBeforeLeftIt) {
  UseClock(0.5);  // frames of 2 s
  StartShow("part02\npart03\n", kSlot);
  Play(kSlot, 39759);
  ASSERT_EQ(frames_.size(), 3u);  // 39759, 41759, 43759
  EXPECT_TRUE(Ring(frames_[0]));
  EXPECT_EQ(frames_[1].t, 41759);
  EXPECT_TRUE(Ring(frames_[1]));  // kept from the ring phase before
  EXPECT_FALSE(Ring(frames_[2]));
  // After a column frame (and on a fresh start) 41759 stays a column.
  UseClock(1000);
  Play(kSlot, 41758, 1);
  ASSERT_EQ(frames_.size(), 2u);
  EXPECT_FALSE(Ring(frames_[0]));
  EXPECT_FALSE(Ring(frames_[1]));
  Play(kSlot, 41759, 1);
  EXPECT_FALSE(Ring(frames_.at(0)));
}

TEST_F(BallColumnTest, RingIsOneTiltedCircleDrawnOverItsLargerUnlitHalo) {
  StartShow("part02\npart03\n", kSlot);
  Play(kSlot, 37300, 1);
  ASSERT_EQ(frames_.size(), 2u);
  const Frame& f = frames_[1];  // the first frame's lines begin with the set-up's
  // Halo pass without lighting and depth test, then the lit pass with both back on.
  std::vector<std::string> ops;
  for (const std::string& line : f.lines) {
    const std::string op = scenetest::Fields(line).at(0);
    if (op == "Draw" && !ops.empty() && ops.back() == "Draw") continue;
    if (op == "SetLighting" || op == "SetZBuffer" || op == "BeginScene" || op == "EndScene" || op == "Draw")
      ops.push_back(line.substr(0, op == "Draw" ? 4 : std::string::npos));
  }
  const std::vector<std::string> expected = {"SetLighting 0", "SetZBuffer 0", "BeginScene",   "Draw",
                                             "EndScene",      "SetLighting 1", "SetZBuffer 1", "BeginScene",
                                             "Draw",          "EndScene"};
  EXPECT_EQ(ops, expected);

  const auto worlds = Worlds(f, kBall);
  ASSERT_EQ(worlds.size(), 30u);
  const D3DXVECTOR3 centre(0, 0, 3);
  const D3DXVECTOR3 normal(0, std::cos(0.435f), std::sin(0.435f));  // the ring's axis, tilted about X
  for (int i = 0; i < 15; ++i) {
    const D3DXMATRIX& halo = worlds[std::size_t(i)];
    const D3DXMATRIX& lit = worlds[std::size_t(15 + i)];
    const D3DXVECTOR3 d = Position(lit) - centre;
    EXPECT_NEAR(Length(d), 3.0f, 1e-4) << i;  // R = 1
    EXPECT_NEAR(Dot(d, normal), 0.0f, 1e-4) << i;
    // Same place, 1.1 times the size.
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(halo.m[3][c], lit.m[3][c], 1e-4) << i;
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) EXPECT_NEAR(halo.m[r][c], 1.1f * lit.m[r][c], 1e-5) << i;
  }
  // The ring's picture first, then the bars, the flickering picture and the fade.
  std::vector<int> quads;
  for (const auto& q : Calls(f, "DrawScreenQuadAlpha")) quads.push_back(TextureIndex(q[5]));
  EXPECT_EQ(quads, (std::vector<int>{28, 1, 1, 29, 1}));
  EXPECT_EQ(Quads(f, 28).at(0), (std::vector<double>{64, 112, 512, 256, 1}));
  const std::vector<double> flicker = Quads(f, 29).at(0);
  EXPECT_EQ(std::vector<double>(flicker.begin(), flicker.begin() + 4), (std::vector<double>{0, 100, 512, 256}));
  // Neighbours 0.4176 rad apart on the circle, so the first and last nearly meet.
  const D3DXVECTOR3 a = Position(worlds[15]) - centre, b = Position(worlds[16]) - centre;
  EXPECT_NEAR(std::acos(Dot(a, b) / 9.0f), 0.4176f, 1e-3);
}

TEST_F(BallColumnTest, ColumnStacksFifteenPulsingRingsAroundOneTiltedAxis) {
  StartShow("part02\npart03\n", kSlot);
  Play(kSlot, 36083, 1);
  const Frame& f = frames_.at(0);
  // First frame: delta 1, so alpha 0.008, beta 0.01, gamma 0.0053.
  const float beta = 0.01f, gamma = 0.0053f;
  D3DXMATRIX tiltZ, tiltX, tilt;
  D3DXMatrixMultiply(&tilt, D3DXMatrixRotationZ(&tiltZ, 0.348f * std::sin(gamma)),
                     D3DXMatrixRotationX(&tiltX, 0.348f * std::cos(beta)));
  const auto worlds = Worlds(f, kBall);
  ASSERT_EQ(worlds.size(), 225u);
  for (int k = 0; k < 15; ++k) {
    const D3DXVECTOR3 centre = scenetest::TransformPoint(D3DXVECTOR3(0, -7.5f + float(k), 0), tilt);
    const float rho = 1.0f + 0.5f * std::sin(3.2f * beta + 0.4176f * float(k));
    for (int i = 0; i < 15; ++i) {
      const D3DXVECTOR3 d = Position(worlds[std::size_t(15 * k + i)]) - centre;
      EXPECT_NEAR(Length(d), 3.0f * rho, 1e-4) << k << " " << i;
    }
  }
  // Whole matrices of a few balls: own spin, place on the ring, turn by +alpha, lift, tilt.
  const float alpha = 0.008f;
  for (const auto& [k, i] : {std::pair{0, 0}, std::pair{7, 4}, std::pair{14, 11}}) {
    const float rho = 1.0f + 0.5f * std::sin(3.2f * beta + 0.4176f * float(k));
    const float theta = 0.4176f * float(i);
    D3DXMATRIX want, step;
    D3DXMatrixRotationX(&want, alpha);
    D3DXMatrixMultiply(&want, &want, D3DXMatrixRotationY(&step, beta));
    D3DXMatrixMultiply(&want, &want, D3DXMatrixRotationZ(&step, gamma));
    D3DXMatrixMultiply(&want, &want,
                       D3DXMatrixTranslation(&step, rho * 3.0f * std::sin(theta), 0, rho * 3.0f * std::cos(theta)));
    D3DXMatrixMultiply(&want, &want, D3DXMatrixRotationY(&step, alpha));
    D3DXMatrixMultiply(&want, &want, D3DXMatrixTranslation(&step, 0, -7.5f + float(k), 0));
    D3DXMatrixMultiply(&want, &want, &tilt);
    const D3DXMATRIX& got = worlds[std::size_t(15 * k + i)];
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 4; ++c) EXPECT_NEAR(got.m[r][c], want.m[r][c], 1e-4) << k << " " << i << " " << r << c;
  }
}

TEST_F(BallColumnTest, SpinFlickerAndFadeChangeOnTheirOwnMilliseconds) {
  UseClock(1000);  // frames of 1 ms: delta 0.1 after the first frame's 1
  StartShow("part02\npart03\n", kSlot);
  // The ring contracts up to and including 42537 ms and grows back from 42538.
  Play(kSlot, 42536, 2);
  ASSERT_EQ(frames_.size(), 3u);
  EXPECT_NEAR(RingRadius(frames_[1]), 1.0f - 0.017f - 0.0017f, 1e-4);
  EXPECT_NEAR(RingRadius(frames_[2]), 1.0f - 0.017f - 0.0017f + 0.0015f, 1e-4);
  // The flicker is computed from 38038 ms up to and including 41309; from 41310 it is 1.
  const auto picture = [&](const Frame& f) { return Quads(f, 29).at(0).at(4); };
  Play(kSlot, 38037, 1);
  ASSERT_EQ(frames_.size(), 2u);
  EXPECT_EQ(picture(frames_[0]), 0.0);
  EXPECT_GT(picture(frames_[1]), 0.0);
  Play(kSlot, 41308, 2);
  ASSERT_EQ(frames_.size(), 3u);
  EXPECT_GT(picture(frames_[1]), 0.0);
  EXPECT_NE(picture(frames_[1]), picture(frames_[0]));  // computed afresh at 41309
  EXPECT_LT(picture(frames_[1]), 0.01);
  EXPECT_EQ(picture(frames_[2]), 1.0);
  // The fade starts after 44778 ms.
  Play(kSlot, 44777, 2);
  ASSERT_EQ(frames_.size(), 3u);
  EXPECT_EQ(Quads(frames_[1], 1).at(2).at(4), 0.0);
  EXPECT_NEAR(Quads(frames_[2], 1).at(2).at(4), 0.026, 1e-6);
  // The last frame is drawn at 45161 ms.
  Play(kSlot, 45160);
  EXPECT_EQ(frames_.size(), 2u);
  // Light 2, a dim white point light next to the column, is placed in every frame.
  const auto lights = Calls(frames_[0], "SetLight");
  ASSERT_EQ(lights.size(), 1u);
  EXPECT_EQ(lights[0][1], std::to_string(demo_->lights[2]->index));
  EXPECT_EQ(std::vector<std::string>(lights[0].begin() + 3, lights[0].begin() + 22),
            (std::vector<std::string>{"0.8", "0.8", "0.8", "0", "1", "1", "1", "0", "0", "0", "0", "0", "2", "0.1",
                                      "6", "0", "0", "0", "2"}));
  EXPECT_EQ(lights[0][23], "1");  // attenuation0
}

TEST_F(BallColumnTest, RingContractsWithoutLowerClampAndGrowsBackToOne) {
  StartShow("part02\npart03\n", kSlot);
  Play(kSlot, 42016, 60);
  // 42016 .. 42536: 53 frames of reversal, 0.017 each.
  EXPECT_NEAR(RingRadius(*At(42016)), 1.0f - 0.017f, 1e-4);
  EXPECT_NEAR(RingRadius(*At(42536)), 1.0f - 53 * 0.017f, 1e-4);
  EXPECT_NEAR(RingRadius(*At(42546)), 1.0f - 53 * 0.017f + 0.015f, 1e-4);

  // One frame of 1.024 s inside the window takes R below zero: the ring turns inside out. Two long
  // frames later it has grown past 1 and is clamped to exactly 1.
  UseClock(1000.0 / 1024);
  Play(kSlot, 41500);
  ASSERT_EQ(frames_.size(), 4u);  // 41500, 42524, 43548, 44572
  EXPECT_EQ(frames_[1].t, 42524);
  ASSERT_TRUE(Ring(frames_[1]));
  EXPECT_NEAR(RingRadius(frames_[1]), std::fabs(1.0f - 0.017f * 102.4f), 1e-4);
  ASSERT_TRUE(Ring(frames_[3]));
  EXPECT_NEAR(RingRadius(frames_[3]), 1.0f, 1e-5);
}

TEST_F(BallColumnTest, PictureFlickersFrom38038AndStaysFrom41310WhileTheFadeClosesTheEnd) {
  UseClock(50);  // frames of 20 ms: delta 2 after the first frame's 1
  StartShow("part03\n", kSlot);
  Play(kSlot, 0);
  // Replay the spin angle alpha (the flicker's phase) and the flicker amplitude.
  float alpha = 0.0f, amp = 0.0f;
  for (const Frame& f : frames_) {
    const float d = f.t == 36083 ? 1.0f : 2.0f;
    if (f.t >= 42016 && f.t <= 42537)
      alpha -= 0.01f * d;
    else
      alpha += 0.008f * d;
    const auto picture = Quads(f, 29);
    ASSERT_EQ(picture.size(), 1u) << f.t;
    EXPECT_EQ(picture[0][0], 0);
    EXPECT_EQ(picture[0][1], 100);
    const double v = picture[0][4];
    if (f.t < 38038) {
      EXPECT_EQ(v, 0.0) << f.t;
    } else if (f.t <= 41309) {
      amp = std::fmin(amp + 0.0021f * d, 0.5f);
      EXPECT_NEAR(v, std::fmin((std::cos(100.0f * alpha) + 1.0f) * amp, 1.0f), 1e-4) << f.t;
    } else {
      EXPECT_EQ(v, 1.0) << f.t;
    }
    // Bars, then the picture, then the fade, last.
    const auto bars = Quads(f, 1);
    ASSERT_EQ(bars.size(), 3u);
    EXPECT_EQ(bars[0], (std::vector<double>{0, 0, 640, 100, 1}));
    EXPECT_EQ(bars[1], (std::vector<double>{0, 380, 640, 100, 1}));
    const double fade = bars[2][4];
    if (f.t <= 44778) {
      EXPECT_EQ(fade, 0.0) << f.t;
    }
  }
  EXPECT_EQ(amp, 0.5f);  // capped well before 41309
  // The fade starts after 44778 and covers the screen 40 ms later.
  EXPECT_EQ(Quads(*At(44763), 1)[2][4], 0.0);
  EXPECT_NEAR(Quads(*At(44783), 1)[2][4], 0.52, 1e-6);
  EXPECT_EQ(Quads(*At(44803), 1)[2][4], 1.0);
  EXPECT_EQ(Quads(frames_.back(), 1)[2][4], 1.0);
}

TEST_F(BallColumnTest, LeavesFlatShadingLightingAndBlendingOnAndLight2Off) {
  // Not playing: the light is still set up, enabled and disabled again.
  StartShow("part02\n", kSlot);
  Play(kSlot, 36083);
  EXPECT_TRUE(frames_.empty());
  const std::string light2 = "LightEnable " + std::to_string(demo_->lights[2]->index);
  std::vector<std::string> enables;
  for (const std::string& line : PendingLines())
    if (line.rfind(light2, 0) == 0) enables.push_back(line);
  EXPECT_EQ(enables, (std::vector<std::string>{light2 + " 1", light2 + " 0"}));
  EXPECT_FALSE(LightOn(2));
  EXPECT_EQ(RenderState(D3DRS_LIGHTING), 1u);
  EXPECT_EQ(RenderState(D3DRS_SHADEMODE), DWORD(D3DSHADE_FLAT));
  EXPECT_EQ(demo_->lights[2]->light.Range, 2.0f);
  EXPECT_EQ(demo_->lights[2]->light.Diffuse.g, 0.8f);

  UseClock(10);
  StartShow("part03\n", kSlot);
  Play(kSlot, 0);
  EXPECT_EQ(RenderState(D3DRS_SHADEMODE), DWORD(D3DSHADE_FLAT));
  EXPECT_EQ(RenderState(D3DRS_LIGHTING), 1u);
  EXPECT_EQ(RenderState(D3DRS_ALPHABLENDENABLE), 1u);
  EXPECT_EQ(RenderState(D3DRS_DESTBLEND), DWORD(D3DBLEND_INVSRCALPHA));
  EXPECT_FALSE(LightOn(2));
  EXPECT_EQ(demo_->lights[2]->light.Position.z, 6.0f);
  // The 2D mode is off again: the stored perspective is in force.
  D3DMATRIX projection;
  g_pDxEngine->device->GetTransform(D3DTS_PROJECTION, &projection);
  EXPECT_EQ(projection._34, 1.0f);
  EXPECT_EQ(projection._22, g_pDxEngine->projection._22);
}

TEST_F(BallColumnTest, EscapeFinishesTheFrameAndEndsEveryLaterPart) {
  StartShow("part03\npart04\npart05\n", kSlot);
  Play(kSlot, 0, 3);
  EXPECT_EQ(frames_.size(), 4u);
  EXPECT_EQ(demo_->running, 0);
  EXPECT_EQ(Draws(frames_.back(), kBall), 225u);
  frames_.clear();
  demo_->PartSlot3();
  demo_->PartSlot4();
  EXPECT_TRUE(frames_.empty());
}

TEST_F(BallColumnTest, QuitMessageEndsOnlyThisPartBeforeItsFrameAndStillRunsTheExit) {
  StartShow("part03\n", kSlot);
  Play(kSlot, 0, 2, true);
  EXPECT_EQ(frames_.size(), 2u);  // the third frame is not drawn
  EXPECT_EQ(demo_->running, 1);
  EXPECT_FALSE(LightOn(2));
  const auto rest = PendingLines();
  ASSERT_FALSE(rest.empty());
  EXPECT_EQ(rest.front(), "Set2DMode 0");
  EXPECT_EQ(rest.back().rfind("LightEnable " + std::to_string(demo_->lights[2]->index) + " 0", 0), 0u);
}

TEST_F(BallColumnTest, SoftwareDeviceShowsTheRingPictureBarsAndFinalFade) {
  UseClock(10);
  StartShow("part02\npart03\n", kSlot, true);
  Play(kSlot, 37300, 1);  // ring mode, tr03 still at 0
  ASSERT_EQ(frames_.size(), 2u);
  const Frame& ring = frames_[0];
  const std::uint32_t bar = testsupport::CataloguePictureColour(1);
  const std::uint32_t picture = testsupport::CataloguePictureColour(28);
  for (int x : {0, 80, 159}) {
    EXPECT_EQ(ring.Pixel(x, 0), bar);
    EXPECT_EQ(ring.Pixel(x, 24), bar);
    EXPECT_EQ(ring.Pixel(x, 95), bar);
    EXPECT_EQ(ring.Pixel(x, 119), bar);
  }
  // tr02 covers (64, 112) - (576, 368) of the 640 x 480 space, a quarter of that in pixels.
  EXPECT_EQ(ring.Pixel(16, 28), picture);
  EXPECT_EQ(ring.Pixel(143, 91), picture);
  EXPECT_NE(ring.Pixel(15, 50), picture);
  // At the end the fade has covered everything with the bars' colour.
  Play(kSlot, 45000, 1);
  const Frame& last = frames_.back();
  EXPECT_EQ(last.Pixel(80, 60), bar);
  EXPECT_EQ(last.Pixel(5, 60), bar);
}

}  // namespace
