// The opening corridor (slot 0) on the null device at 100 frames/s unless a test says otherwise:
// its time window, the glide and the orbit cameras, the flash, the widening field of view, the
// fades, and what it leaves for the next part.
#include <algorithm>
#include <cmath>
#include <string>

#include "support/scene_harness.h"

namespace {

using scenetest::Calls;
using scenetest::Frame;
using scenetest::Recording;

class CorridorTest : public scenetest::SceneHarness {
 protected:
  // The corridor and the knot after it, at 100 frames/s on the null device.
  const Recording& Played() { return Show("part01\npart02\n"); }
  // The corridor's frames of a recording (those before 18041 ms).
  static std::vector<const Frame*> CorridorFrames(const Recording& show) {
    std::vector<const Frame*> out;
    for (const Frame* f : show.TimedFrames())
      if (f->t < 18041) out.push_back(f);
    return out;
  }
  // The field of view each frame sets for the corridor set, in radians: the frame's last SetFov
  // but one (the last is the copies' 1.827).
  static double SetFov(const Frame& f) {
    const auto calls = Calls(f, "SetFov");
    return calls.size() < 2 ? -1.0 : std::stod(calls[calls.size() - 2][1]);
  }
};

TEST_F(CorridorTest, PlaysFromZeroUntil18040AndLeavesTheClockAlone) {
  const Recording& show = Played();
  const auto frames = CorridorFrames(show);
  ASSERT_EQ(frames.size(), 1805u);
  EXPECT_EQ(frames.front()->t, 0);
  EXPECT_EQ(frames.back()->t, 18040);
  EXPECT_EQ(show.afterSlot[0].timeline, 18050);  // the clock was left alone
  // Every frame: the set of six meshes in one scene, the three copies in another, then the bars
  // and the fade as screen quads (each in a scene of its own).
  for (const Frame* f : {frames.front(), frames.back()}) {
    EXPECT_EQ(Calls(*f, "BeginScene").size(), 2u);
    EXPECT_EQ(show.QuadAlphas(*f, 1).size(), 3u);
    EXPECT_EQ(Calls(*f, "SetFov").back()[1], "1.827");
  }
  EXPECT_EQ(Calls(*frames.back(), "SetFov").size(), 2u);
  // The set in catalogue order with its fixed turn, then the three floating copies.
  std::vector<std::string> order;
  for (const auto& draw : Calls(*frames.back(), "Draw")) order.push_back(draw[1]);
  EXPECT_EQ(order, (std::vector<std::string>{"mesh11", "mesh12", "mesh13", "mesh14", "mesh15", "mesh16", "mesh0",
                                             "mesh0", "mesh0"}));
}

TEST_F(CorridorTest, WithoutPart01NothingPlaysButTheSetUpHappens) {
  const Recording& show = Show("lesbian\n");  // no part plays
  EXPECT_TRUE(show.TimedFrames().empty());
  const scenetest::ShowState& after = show.afterSlot[0];
  EXPECT_EQ(after.timeline, 0);
  EXPECT_EQ(after.meshTexture[0], show.demo->textures[4]);
  EXPECT_EQ(after.meshTexture[16], show.demo->textures[15]);
  EXPECT_EQ(after.useView[0], 1);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(after.lightOn[i]) << i;
  EXPECT_FALSE(after.lightOn[3]);
  EXPECT_EQ(after.light[1].Range, 10.5f);
  EXPECT_EQ(after.light[1].Attenuation0, 0.8f);
  EXPECT_EQ(after.light[1].Ambient.g, 0.3f);
  EXPECT_EQ(after.light[0].Ambient.r, 0.0f);
}

TEST_F(CorridorTest, GlideStopsAt9102AndTheOrbitStartsAt9125) {
  const Recording& show = Played();
  const auto At = [&](long t) { return show.At(t); };
  const Frame* first = At(0);
  ASSERT_NE(first, nullptr);
  // The first frame has already moved one hundredth of a second along the glide.
  EXPECT_FLOAT_EQ(first->eye11.x, -16.323f + 0.036f);
  EXPECT_FLOAT_EQ(first->eye11.y, -5.225f);
  EXPECT_FLOAT_EQ(first->at11.x, -28.496f + 0.033f);
  EXPECT_FLOAT_EQ(first->at11.z, 0.207f);
  const Frame* lastGlide = At(9100);
  ASSERT_NE(lastGlide, nullptr);
  for (long t : {9110L, 9120L}) {  // neither moves, and the camera is still the glide's
    const Frame* f = At(t);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->eye11.x, lastGlide->eye11.x);
    EXPECT_EQ(f->at11.y, lastGlide->at11.y);
  }
  EXPECT_GT(lastGlide->eye11.x, At(9090)->eye11.x);
  // The orbit's first frame: angle 0, radius 10, target (0.316, -5.662, 0.33).
  const Frame* orbit = At(9130);
  ASSERT_NE(orbit, nullptr);
  EXPECT_EQ(orbit->eye11.x, 0.0f);
  EXPECT_EQ(orbit->eye11.y, 4.542f);
  EXPECT_EQ(orbit->eye11.z, -10.0f);
  EXPECT_EQ(orbit->at11.x, 0.316f);
  EXPECT_EQ(orbit->at11.y, -5.662f);
  EXPECT_EQ(orbit->at11.z, 0.33f);
  // From 13258 ms the target rises and the circle shrinks.
  EXPECT_EQ(At(13250)->at11.y, -5.662f);
  EXPECT_GT(At(13260)->at11.y, -5.662f);
  const Frame* late = At(18040);
  EXPECT_LT(std::hypot(late->eye11.x, late->eye11.z), 10.0f - 0.015f * 470);
  // The copies' own camera, from the tumble angles after one frame.
  EXPECT_FLOAT_EQ(first->eye0.x, 6.0f * std::sin(3.4f * 0.001f));
  EXPECT_FLOAT_EQ(first->eye0.z, 4.5f * std::cos(3.1f * 0.003f));
}

TEST_F(CorridorTest, FieldOfViewWidensFrom45DegreesAndStopsAtExactly110) {
  const Recording& show = Played();
  EXPECT_NEAR(SetFov(*show.At(9120)), 45 * 0.0174, 1e-6);
  EXPECT_NEAR(SetFov(*show.At(9130)), (45 + 0.08) * 0.0174, 1e-5);
  double previous = 0;
  for (const Frame* f : CorridorFrames(show)) {
    const double fov = SetFov(*f);
    EXPECT_GE(fov, previous) << f->t;
    EXPECT_LE(fov, 1.914) << f->t;
    previous = fov;
  }
  EXPECT_EQ(previous, 1.914);  // 110 x 0.0174
  // With frames of five seconds the step overshoots 110 by far: clamped all the same.
  const auto frames = CorridorFrames(Show("part01\n", 0.2));
  ASSERT_EQ(frames.size(), 4u);  // 0, 5000, 10000, 15000 ms
  EXPECT_NEAR(SetFov(*frames[2]), 85 * 0.0174, 1e-5);
  EXPECT_EQ(SetFov(*frames[3]), 1.914);
}

TEST_F(CorridorTest, FirstPictureFlashesHoldsAndGoesWithItsPulseCappedAtOneHalf) {
  // Frames of half a second: delta 50, after a first delta of 1.
  const Recording& show = Show("part01\npart02\n", 2, true);
  const float d = 50.0f;
  float phase = 1.57f * 1.0f;
  float amp = 0.002f * 1.0f;
  float ampAt2500 = 0.0f;
  for (const Frame* f : CorridorFrames(show)) {
    if (f->t > 0) {
      phase += 1.57f * d;
      if (f->t <= 2763) amp = std::min(amp + 0.002f * d, 0.5f);
      if (f->t >= 4667) amp = std::max(amp - 0.0019f * d, 0.0f);
    }
    if (f->t == 2500) ampAt2500 = amp;
    const auto alphas = show.QuadAlphas(*f, 35);
    if (f->t >= 7291) {
      EXPECT_TRUE(alphas.empty()) << f->t;
      continue;
    }
    ASSERT_EQ(alphas.size(), 1u) << f->t;
    for (int piece = 36; piece <= 38; ++piece) EXPECT_EQ(show.QuadAlphas(*f, piece), alphas) << f->t;
    if (f->t > 2763 && f->t < 4667)
      EXPECT_EQ(alphas[0], 1.0) << f->t;
    else
      EXPECT_NEAR(alphas[0], (std::cos(phase) + 1.0f) * amp, 1e-5) << f->t;
  }
  // At 2500 ms the pulse would have grown past one half (0.002 + 5 x 0.1): it holds at 0.5.
  EXPECT_EQ(ampAt2500, 0.5f);
}

TEST_F(CorridorTest, SecondPictureAndFadesFollowTheTimeline) {
  const Recording& show = Played();
  const auto At = [&](long t) { return show.At(t); };
  const auto QuadAlphas = [&](const Frame& f, int texture) { return show.QuadAlphas(f, texture); };
  EXPECT_TRUE(QuadAlphas(*At(9120), 39).empty());
  ASSERT_EQ(QuadAlphas(*At(9130), 42).size(), 1u);
  EXPECT_NEAR(QuadAlphas(*At(9130), 42)[0], 0.004, 1e-6);  // grows from the orbit's first frame
  EXPECT_NEAR(QuadAlphas(*At(9140), 39)[0], 0.008, 1e-6);
  EXPECT_EQ(QuadAlphas(*At(18040), 39)[0], 1.0);
  // The full-screen fade is the last quad of every frame.
  const auto fade = [&](long t) { return QuadAlphas(*At(t), 1).back(); };
  EXPECT_EQ(fade(7260), 0.0);
  EXPECT_NEAR(fade(7270), 0.0055, 1e-6);
  EXPECT_EQ(fade(9100), 1.0);
  EXPECT_EQ(fade(9150), 1.0);  // nothing moves between 9102 and 9152
  EXPECT_NEAR(fade(9160), 0.99, 1e-6);
  EXPECT_EQ(fade(14740), 0.0);
  EXPECT_NEAR(fade(14750), 0.003, 1e-6);
  EXPECT_NEAR(fade(18040), 0.99, 0.001);  // almost covering when the part ends
  for (long t : {0L, 5000L, 18040L}) {
    const auto bars = QuadAlphas(*At(t), 1);
    EXPECT_EQ(bars[0], 1.0);
    EXPECT_EQ(bars[1], 1.0);
  }
}

TEST_F(CorridorTest, LeavesLightingBlendingLightsAndCamerasForTheNextPart) {
  const Recording& show = Played();
  const scenetest::ShowState& after = show.afterSlot[0];
  EXPECT_EQ(after.lighting, 1u);
  EXPECT_EQ(after.alphaBlend, 1u);
  EXPECT_EQ(after.srcBlend, DWORD(D3DBLEND_SRCALPHA));
  EXPECT_EQ(after.destBlend, DWORD(D3DBLEND_INVSRCALPHA));
  EXPECT_TRUE(after.lightOn[0]);
  EXPECT_FALSE(after.lightOn[1]);
  EXPECT_FALSE(after.lightOn[2]);
  EXPECT_EQ(after.useView[0], 1);
  EXPECT_EQ(after.useView[11], 1);
  EXPECT_EQ(after.meshTexture[12], show.demo->textures[11]);
  EXPECT_EQ(after.textureEnabled[12], 1);
}

TEST_F(CorridorTest, SoftwareDeviceDrawsTheBarsInTheirOwnColour) {
  const Frame* first = Show("part01\npart02\n", 2, true).At(0);
  ASSERT_NE(first, nullptr);
  // Bars from 0 to 100 and 380 to 480 of the 640 x 480 space; the fade is 0 at the start.
  const std::uint32_t bar = testsupport::CataloguePictureColour(1);
  for (int x : {0, 80, 159}) {
    EXPECT_EQ(first->Pixel(x, 0), bar);
    EXPECT_EQ(first->Pixel(x, 24), bar);
    EXPECT_EQ(first->Pixel(x, 95), bar);
    EXPECT_EQ(first->Pixel(x, 119), bar);
  }
}

}  // namespace
