// The glowing knot (slot 1) on the null device at 100 frames/s unless a test says otherwise: its
// place on the timeline alone and after the corridor, its rand() draws, the pulse and the fade,
// and what it leaves for the next part.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/win32/crt.h"
#include "support/scene_harness.h"

namespace {

using scenetest::Calls;
using scenetest::Chain;
using scenetest::ExpectMatrixNear;
using scenetest::Grow;
using scenetest::Move;
using scenetest::RotX;
using scenetest::RotY;
using scenetest::RotZ;
using scenetest::Frame;
using scenetest::Recording;

class GlowingKnotTest : public scenetest::SceneHarness {
 protected:
  // The knot alone (re-based to 18041 ms), at 100 frames/s on the null device.
  const Recording& Played() { return Show("part02\n"); }
  // The pulsing picture's alpha in a frame.
  static double Flash(const Recording& show, const Frame& f) { return show.QuadAlphas(f, 27).at(0); }
};

TEST_F(GlowingKnotTest, AloneItReBasesToItsOwnStartAndRunsItsFullLength) {
  const Recording& show = Played();
  const auto frames = show.TimedFrames();
  ASSERT_FALSE(frames.empty());
  EXPECT_EQ(frames.front()->t, 18041);
  EXPECT_EQ(frames.back()->t, 36081);  // the last frame before 36083 ms
  EXPECT_EQ(frames.size(), std::size_t((36083 - 18041 + 9) / 10));
  // The first frame: the background in screen space, then a fade that still almost covers it.
  const Frame& first = *frames.front();
  EXPECT_EQ(Calls(first, "Clear").size(), 1u);
  EXPECT_EQ(Calls(first, "DrawScreenQuad").size(), 4u);
  EXPECT_NEAR(show.QuadAlphas(first, 1).back(), 0.995, 1e-6);
  EXPECT_EQ(Calls(first, "SetCullMode")[0][1], "3");
}

TEST_F(GlowingKnotTest, AfterTheCorridorTheTimelineRunsOnUnbroken) {
  const auto frames = Show("part01\npart02\n").TimedFrames();
  ASSERT_EQ(frames[1804]->t, 18040);  // the corridor's last frame
  EXPECT_EQ(frames[1805]->t, 18050);  // the knot's first: no re-base
  EXPECT_EQ(Calls(*frames[1805], "DrawScreenQuad").size(), 4u);
}

TEST_F(GlowingKnotTest, DrawsTwoHundredRandomValuesEvenWhenItDoesNotPlay) {
  WinSrand(7);
  for (int i = 0; i < 200; ++i) WinRand();
  const int next = WinRand();
  // The show seeds the sequence with 7 before loading; loading and the corridor draw nothing from
  // it; the knot's set-up draws 200.
  const Recording& show = Show("lesbian\n");  // no part plays
  EXPECT_TRUE(show.TimedFrames().empty());
  EXPECT_EQ(show.randAfterSlots, next);
  EXPECT_EQ(show.afterSlot[1].timeline, 18041);  // part01 off: re-based all the same
  // The set-up's lights and projection happen too.
  EXPECT_TRUE(show.afterSlot[1].lightOn[0]);
  EXPECT_TRUE(show.afterSlot[1].lightOn[1]);
  EXPECT_EQ(show.afterSlot[1].light[1].Range, 10.5f);
  EXPECT_EQ(show.afterSlot[1].light[1].Ambient.g, 0.0f);
}

TEST_F(GlowingKnotTest, PulseHoldsAtOneBetween24868And27120AndNeverLeavesZeroToOne) {
  const Recording& show = Played();
  const auto At = [&](long t) { return show.At(t); };
  const auto Flash = [&](const Frame& f) { return GlowingKnotTest::Flash(show, f); };
  const auto QuadAlphas = [&](const Frame& f, int texture) { return show.QuadAlphas(f, texture); };
  for (const Frame* f : show.TimedFrames()) {
    const double flash = Flash(*f);
    EXPECT_GE(flash, 0.0) << f->t;
    EXPECT_LE(flash, 1.0) << f->t;
    if (f->t < 21130) {
      EXPECT_EQ(flash, 0.0) << f->t;
    } else if (f->t > 24868 && f->t < 34120) {
      EXPECT_EQ(flash, 1.0) << f->t;  // held after 27120 ms too
    }
  }
  EXPECT_NE(Flash(*At(24861)), 1.0);  // still pulsing at the window's last frame
  EXPECT_NEAR(Flash(*At(34121)), 1 - 0.006, 1e-6);
  EXPECT_EQ(Flash(*At(36081)), 0.0);
  // The fade: in from 1 at 0.005 a step, out again from 31068 ms at 0.002.
  EXPECT_NEAR(QuadAlphas(*At(18241), 1).back(), 1 - 21 * 0.005, 1e-5);
  EXPECT_EQ(QuadAlphas(*At(20241), 1).back(), 0.0);
  EXPECT_EQ(QuadAlphas(*At(31061), 1).back(), 0.0);
  EXPECT_NEAR(QuadAlphas(*At(31071), 1).back(), 0.002, 1e-6);
  EXPECT_EQ(QuadAlphas(*At(36081), 1).back(), 1.0);  // 502 steps: clamped
}

TEST_F(GlowingKnotTest, KnotTwiceThenTheSlidingMeshWhichStopsAtExactlyMinusSeven) {
  const Recording& show = Played();
  double lastZ = -100;
  for (const Frame* f : show.TimedFrames()) {
    const auto draws = Calls(*f, "Draw");
    ASSERT_EQ(draws.size(), 3u) << f->t;
    EXPECT_EQ(draws[0][1], "mesh5");
    EXPECT_EQ(draws[1][1], "mesh5");
    ASSERT_EQ(draws[2][1], "mesh2");
    ASSERT_EQ(draws[2].size(), 18u);
    EXPECT_EQ(draws[2][14], "-9.9");  // the last translation is the world's bottom row
    EXPECT_EQ(draws[2][15], "2");
    const double z = std::stod(draws[2][16]);
    EXPECT_GE(z, lastZ) << f->t;
    EXPECT_LE(z, -7.0) << f->t;
    lastZ = z;
  }
  EXPECT_NEAR(std::stod(Calls(*show.TimedFrames().front(), "Draw")[2][16]), -18 + 0.017, 1e-5);
  EXPECT_EQ(lastZ, -7.0);
}

TEST_F(GlowingKnotTest, EveryTimeBoundFallsOnItsOwnMillisecond) {
  UseClock(1000);  // frames of 1 ms
  StartShow("part01\npart02\n", 1);  // after the corridor: no re-base
  const auto alpha = [&](const Frame& f, int texture) { return Quads(f, texture).back().at(4); };
  // The pulse starts at 21130 ms, is computed up to and including 24868 and is 1 from 24869.
  Play(1, 21129);
  ASSERT_GE(frames_.size(), 2u);
  EXPECT_EQ(alpha(frames_[0], 27), 0.0);
  EXPECT_GT(alpha(frames_[1], 27), 0.0);
  Play(1, 24867, 2);
  ASSERT_EQ(frames_.size(), 3u);
  EXPECT_NE(alpha(frames_[1], 27), alpha(frames_[0], 27));  // still computed at 24868
  EXPECT_LT(alpha(frames_[1], 27), 0.01);
  EXPECT_EQ(alpha(frames_[2], 27), 1.0);
  // From 27120 ms nothing sets it: a part entered there shows the picture at its start value 0.
  Play(1, 27119, 1);
  EXPECT_EQ(alpha(frames_.at(0), 27), 1.0);
  Play(1, 27120, 1);
  EXPECT_EQ(alpha(frames_.at(0), 27), 0.0);
  // The fade turns from falling to rising at 31068 ms.
  Play(1, 31067, 1);
  ASSERT_EQ(frames_.size(), 2u);
  EXPECT_NEAR(alpha(frames_[0], 1), 0.995, 1e-6);
  EXPECT_NEAR(alpha(frames_[1], 1), 0.995 + 0.0002, 1e-6);
  // The last frame is drawn at 36082 ms.
  Play(1, 36081);
  ASSERT_EQ(frames_.size(), 2u);
  EXPECT_EQ(frames_.back().t, 36082);
  // Frames of 8 s: the picture held at 1 from 26120 ms until it falls at 34120 (clamped to 0 by
  // the long step), and not yet at 34119.
  UseClock(0.125);
  Play(1, 26120);
  ASSERT_EQ(frames_.size(), 2u);
  EXPECT_EQ(frames_[1].t, 34120);
  EXPECT_EQ(alpha(frames_[1], 27), 0.0);
  Play(1, 26119);
  ASSERT_EQ(frames_.size(), 2u);
  EXPECT_EQ(alpha(frames_[1], 27), 1.0);
}

TEST_F(GlowingKnotTest, PulseAmplitudeStopsAtOneHalfAfterALongFrame) {
  const Recording& show = Show("part02\n", 0.25, true);  // frames of four seconds: 18041, 22041, ...
  const Frame* f = show.At(22041);
  ASSERT_NE(f, nullptr);
  // One step of 0.0013 x 400 = 0.52 would overshoot; the amplitude holds at 0.5.
  const float spinA = 0.00783f * 1.0f + 0.00783f * 400.0f;
  const float expected = std::min(1.0f, (std::cos(100.0f * spinA) + 1.0f) * 0.5f);
  EXPECT_NEAR(Flash(show, *f), expected, 1e-5);
  EXPECT_EQ(Flash(show, *show.At(26041)), 1.0);
}

TEST_F(GlowingKnotTest, LeavesTwoDModeCullingAndItsLightsForTheNextPart) {
  const scenetest::ShowState& after = Played().afterSlot[1];
  EXPECT_EQ(after.alphaBlend, 0u);
  EXPECT_EQ(after.cullMode, DWORD(D3DCULL_CCW));
  EXPECT_EQ(after.lighting, 1u);
  EXPECT_TRUE(after.lightOn[0]);
  EXPECT_TRUE(after.lightOn[1]);
  D3DXMATRIX ortho;
  D3DXMatrixOrthoOffCenterLH(&ortho, 0, 640, 480, 0, 0, 1);
  EXPECT_EQ(std::memcmp(&after.deviceProjection, &ortho, sizeof ortho), 0);
  // The engine's stored camera is still the default one, with the part's field of view.
  D3DXMATRIX fov;
  D3DXMatrixPerspectiveFovLH(&fov, 1.566f, 1.0f, 0.1f, 1000.0f);
  EXPECT_EQ(std::memcmp(&after.engineProjection, &fov, sizeof fov), 0);
}

TEST_F(GlowingKnotTest, KnotGlowAndSliderTurnByTheirOwnChainsWithAnglesInRadians) {
  const Recording& show = Played();
  const Frame& f = *show.At(18041 + 10 * 199);  // the 200th frame: every delta 1
  float a = 0, b = 0;
  for (int i = 0; i < 200; ++i) a += 0.00783f, b += 0.004f;
  const auto knots = scenetest::Worlds(f, 5);
  ASSERT_EQ(knots.size(), 2u);
  ExpectMatrixNear(knots[0], Chain({RotX(-a), RotZ(b), Move(2.3f, -0.5f, 6)}), "knot");
  ExpectMatrixNear(knots[1], Chain({Grow(1.1f), RotX(a), RotZ(-b), RotZ(a + b), Move(2.3f, -0.5f, 6)}), "glow");
  // 35 and -45 are radians, not degrees.
  const auto slider = scenetest::Worlds(f, 2);
  ASSERT_EQ(slider.size(), 1u);
  ExpectMatrixNear(slider[0], Chain({RotY(3.132f), RotZ(a), RotY(35), RotX(-45), Move(-9.9f, 2, slider[0]._43)}),
                   "slider");

  // The two lights circle the knot on the slow angle.
  const auto lights = Calls(f, "SetLight");
  ASSERT_EQ(lights.size(), 2u);
  const double want[2][3] = {{3 * std::sin(b) - 2, 2.5 * std::cos(b), std::sin(b) - 7},
                             {std::sin(b) + 2, 2.5 * std::cos(b), 1.5 * std::sin(b) + 7}};
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(lights[i][1], std::to_string(show.demo->lights[i]->index));
    for (std::size_t c = 0; c < 3; ++c) EXPECT_NEAR(std::stod(lights[i][15 + c]), want[i][c], 1e-5) << i << c;
  }
}

TEST_F(GlowingKnotTest, FrameDrawsBackgroundKnotGlowBarsSliderAndOverlaysInThatOrder) {
  const Recording& show = Played();
  const Frame& f = *show.At(22041);
  // The drawing operations in order, with the render states that decide how each is drawn.
  std::vector<std::string> ops;
  for (const std::string& line : f.lines) {
    const auto fields = scenetest::Fields(line);
    const std::string& op = fields[0];
    if (op == "DrawScreenQuad" || op == "DrawScreenQuadAlpha") {
      std::string quad = op == "DrawScreenQuad" ? "Quad" : "QuadAlpha";
      for (std::size_t i = 1; i <= 4; ++i) quad += " " + fields[i];
      ops.push_back(quad + " t" + std::to_string(show.TextureIndex(fields[5])));
    } else if (op == "Draw") {
      ops.push_back("Draw " + fields[1]);
    } else if (op == "Set2DMode" || op == "SetAlphaBlend" || op == "SetBlendMode" || op == "SetCullMode" ||
               op == "SetLighting" || op == "BeginScene" || op == "EndScene") {
      ops.push_back(line);
    }
  }
  const std::vector<std::string> expected = {
      "Quad 0 100 512 256 t3", "Quad 512 100 128 256 t32", "Quad 0 356 512 32 t33", "Quad 512 356 128 32 t34",
      "Set2DMode 0", "BeginScene", "Draw mesh5", "EndScene",
      "SetAlphaBlend 1", "SetBlendMode 2", "BeginScene", "Draw mesh5", "EndScene",
      "SetBlendMode 1", "Set2DMode 1", "QuadAlpha 0 0 640 100 t1", "QuadAlpha 0 380 640 100 t1", "Set2DMode 0",
      "SetAlphaBlend 0", "SetLighting 1", "SetCullMode 3", "BeginScene", "Draw mesh2", "EndScene",
      "SetBlendMode 1", "SetAlphaBlend 1", "Set2DMode 1", "QuadAlpha 128 124 512 256 t27",
      "QuadAlpha 0 0 640 480 t1", "SetAlphaBlend 0"};
  EXPECT_EQ(ops, expected);
}

TEST_F(GlowingKnotTest, SoftwareDeviceShowsTheBackgroundOnceTheFadeHasGone) {
  // Half-second frames after the corridor's last at 18000 ms: the fade is gone by the fifth.
  const Recording& show = Show("part01\npart02\n", 2, true);
  const Frame* f = show.At(20500);
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(show.QuadAlphas(*f, 1).back(), 0.0);
  // (20, 376) and (400, 364) of the 640 x 480 space: the lower left background piece, where the
  // lit knots (drawn additively over it) leave it uncovered.
  EXPECT_EQ(f->Pixel(5, 94), testsupport::CataloguePictureColour(33));
  EXPECT_EQ(f->Pixel(100, 91), testsupport::CataloguePictureColour(33));
  EXPECT_EQ(f->Pixel(5, 10), testsupport::CataloguePictureColour(1));  // a bar
}

}  // namespace
