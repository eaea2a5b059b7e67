// The glowing knot (slot 1) on the null device at 100 frames/s unless a test says otherwise: its
// place on the timeline alone and after the corridor, its rand() draws, the pulse and the fade,
// and what it leaves for the next part.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "demo/part_loop.h"
#include "platform/win32/crt.h"
#include "show_world.h"

namespace {

using scenetest::Frame;

class GlowingKnotTest : public scenetest::ShowWorld {
 protected:
  void Play(const std::string& partFile, bool software = false) {
    StartShow(partFile, software);
    frames_.clear();
    StartTimeline();
    demo_->PartSlot0();
    demo_->PartSlot1();
  }
  const Frame* At(long t) const {
    for (const Frame* f : TimedFrames())
      if (f->t == t) return f;
    return nullptr;
  }
  // The pulsing picture's alpha in a frame.
  double Flash(const Frame& f) const { return QuadAlphas(f, 27).at(0); }
};

TEST_F(GlowingKnotTest, AloneItReBasesToItsOwnStartAndRunsItsFullLength) {
  Play("part02\n");
  const auto frames = TimedFrames();
  ASSERT_FALSE(frames.empty());
  EXPECT_EQ(frames.front()->t, 18041);
  EXPECT_EQ(frames.back()->t, 36081);  // the last frame before 36083 ms
  EXPECT_EQ(frames.size(), std::size_t((36083 - 18041 + 9) / 10));
  // The first frame: the background in screen space, then a fade that still almost covers it.
  const Frame& first = *frames.front();
  EXPECT_EQ(Calls(first, "Clear").size(), 1u);
  EXPECT_EQ(Calls(first, "DrawScreenQuad").size(), 4u);
  EXPECT_NEAR(QuadAlphas(first, 1).back(), 0.995, 1e-6);
  EXPECT_EQ(Calls(first, "SetCullMode")[0][1], "3");
}

TEST_F(GlowingKnotTest, AfterTheCorridorTheTimelineRunsOnUnbroken) {
  Play("part01\npart02\n");
  const auto frames = TimedFrames();
  ASSERT_EQ(frames[1804]->t, 18040);  // the corridor's last frame
  EXPECT_EQ(frames[1805]->t, 18050);  // the knot's first: no re-base
  EXPECT_EQ(Calls(*frames[1805], "DrawScreenQuad").size(), 4u);
}

TEST_F(GlowingKnotTest, DrawsTwoHundredRandomValuesEvenWhenItDoesNotPlay) {
  WinSrand(7);
  for (int i = 0; i < 200; ++i) WinRand();
  const int next = WinRand();
  // Asset loading and the corridor draw nothing from the sequence; the knot's set-up draws 200.
  WinSrand(7);
  Play("part03\n");
  EXPECT_TRUE(TimedFrames().empty());
  EXPECT_EQ(WinRand(), next);
  EXPECT_EQ(TimelineMs(*demo_), 18041);  // part01 off: re-based all the same
  // The set-up's lights and its projection happen too.
  EXPECT_TRUE(LightOn(0));
  EXPECT_TRUE(LightOn(1));
  EXPECT_EQ(demo_->lights[1]->light.Range, 10.5f);
  EXPECT_EQ(demo_->lights[1]->light.Ambient.g, 0.0f);
}

TEST_F(GlowingKnotTest, PulseHoldsAtOneBetween24868And27120AndNeverLeavesZeroToOne) {
  Play("part02\n");
  for (const Frame* f : TimedFrames()) {
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
  Play("part02\n");
  double lastZ = -100;
  for (const Frame* f : TimedFrames()) {
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
  EXPECT_NEAR(std::stod(Calls(*TimedFrames().front(), "Draw")[2][16]), -18 + 0.017, 1e-5);
  EXPECT_EQ(lastZ, -7.0);
}

TEST_F(GlowingKnotTest, PulseAmplitudeStopsAtOneHalfAfterALongFrame) {
  win32::UseFixedStepClock(0.25);  // frames of four seconds: 18041, 22041, 26041, ...
  Play("part02\n");
  const Frame* f = At(22041);
  ASSERT_NE(f, nullptr);
  // One step of 0.0013 x 400 = 0.52 would overshoot; the amplitude holds at 0.5.
  const float spinA = 0.00783f * 1.0f + 0.00783f * 400.0f;
  const float expected = std::min(1.0f, (std::cos(100.0f * spinA) + 1.0f) * 0.5f);
  EXPECT_NEAR(Flash(*f), expected, 1e-5);
  EXPECT_EQ(Flash(*At(26041)), 1.0);
}

TEST_F(GlowingKnotTest, LeavesTwoDModeCullingAndItsLightsForTheNextPart) {
  Play("part02\n");
  EXPECT_EQ(RenderState(D3DRS_ALPHABLENDENABLE), 0u);
  EXPECT_EQ(RenderState(D3DRS_CULLMODE), DWORD(D3DCULL_CCW));
  EXPECT_EQ(RenderState(D3DRS_LIGHTING), 1u);
  EXPECT_TRUE(LightOn(0));
  EXPECT_TRUE(LightOn(1));
  D3DXMATRIX projection, ortho;
  g_pDxEngine->device->GetTransform(D3DTS_PROJECTION, &projection);
  D3DXMatrixOrthoOffCenterLH(&ortho, 0, 640, 480, 0, 0, 1);
  EXPECT_EQ(std::memcmp(&projection, &ortho, sizeof ortho), 0);
  // The engine's stored camera is still the default one, with the part's field of view.
  D3DXMATRIX fov;
  D3DXMatrixPerspectiveFovLH(&fov, 1.566f, 1.0f, 0.1f, 1000.0f);
  EXPECT_EQ(std::memcmp(&g_pDxEngine->projection, &fov, sizeof fov), 0);
}

TEST_F(GlowingKnotTest, SoftwareDeviceShowsTheBackgroundOnceTheFadeHasGone) {
  win32::UseFixedStepClock(2);  // half-second frames: the fade is gone by the fourth
  Play("part02\n", true);
  const Frame* f = At(20041);
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(QuadAlphas(*f, 1).back(), 0.0);
  // (20, 360) of the 640 x 480 space: the lower left background piece, clear of the meshes.
  EXPECT_EQ(f->pixels.at(90 * scenetest::kScreenWidth + 5), testsupport::CataloguePictureColour(33));
  EXPECT_EQ(f->pixels.at(10 * scenetest::kScreenWidth + 5), testsupport::CataloguePictureColour(1));  // a bar
}

}  // namespace
