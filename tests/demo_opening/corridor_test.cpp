// The opening corridor (slot 0) on the null device at 100 frames/s unless a test says otherwise:
// its time window, the glide and the orbit cameras, the flash, the widening field of view, the
// fades, and what it leaves for the next part.
#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "support/scene_harness.h"

namespace {

using scenetest::Calls;
using scenetest::Chain;
using scenetest::ExpectMatrixNear;
using scenetest::Move;
using scenetest::RotX;
using scenetest::RotY;
using scenetest::RotZ;
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
  // Each mesh of the set with its own picture; the floating copies with the flare.
  const int textureOf[][2] = {{0, 4}, {11, 16}, {12, 11}, {13, 12}, {14, 13}, {15, 14}, {16, 15}};
  for (const auto& [mesh, texture] : textureOf) {
    EXPECT_EQ(after.meshTexture[mesh], show.demo->textures[texture]) << mesh;
    EXPECT_EQ(after.textureEnabled[mesh], 1) << mesh;
  }
  EXPECT_EQ(after.useView[0], 1);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(after.lightOn[i]) << i;
  EXPECT_FALSE(after.lightOn[3]);
  // White lights; ambient, attenuation and range of each.
  const float settings[3][3] = {{0.0f, 1.0f, 3.5f}, {0.3f, 0.8f, 10.5f}, {0.3f, 1.0f, 14.5f}};
  for (int i = 0; i < 3; ++i) {
    const D3DLIGHT8& l = after.light[i];
    for (const float value : {l.Diffuse.r, l.Diffuse.g, l.Diffuse.b, l.Specular.r, l.Specular.g, l.Specular.b})
      EXPECT_EQ(value, 1.0f) << i;
    for (const float value : {l.Ambient.r, l.Ambient.g, l.Ambient.b}) EXPECT_EQ(value, settings[i][0]) << i;
    EXPECT_EQ(l.Attenuation0, settings[i][1]) << i;
    EXPECT_EQ(l.Range, settings[i][2]) << i;
  }
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
  EXPECT_FLOAT_EQ(first->eye11.z, 0.207f + 0.0024f);
  EXPECT_FLOAT_EQ(first->at11.y, -5.225f + 0.004f);
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
  // A second later the eye has gone 100 steps of 0.007 rad round the circle, from -z towards +x.
  float angle = 0.0f;
  for (int i = 0; i < 100; ++i) angle += 0.007f;
  const Frame* later = At(10130);
  EXPECT_NEAR(later->eye11.x, 10.0f * std::sin(angle), 1e-5);
  EXPECT_NEAR(later->eye11.z, -10.0f * std::cos(angle), 1e-5);
  // From 13258 ms the target rises and the circle shrinks.
  EXPECT_EQ(At(13250)->at11.y, -5.662f);
  EXPECT_GT(At(13260)->at11.y, -5.662f);
  const Frame* late = At(18040);
  EXPECT_LT(std::hypot(late->eye11.x, late->eye11.z), 10.0f - 0.015f * 470);
  // The copies' own camera, from the tumble angles after one frame.
  EXPECT_FLOAT_EQ(first->eye0.x, 6.0f * std::sin(3.4f * 0.001f));
  EXPECT_FLOAT_EQ(first->eye0.z, 4.5f * std::cos(3.1f * 0.003f));
}

TEST_F(CorridorTest, EveryTimeBoundFallsOnItsOwnMillisecond) {
  UseClock(1000);  // frames of 1 ms
  StartShow("part01\n", 0);
  // Plays from `from` for `frames` frames; the part's state starts afresh each time.
  const auto play = [&](long from, int frames) {
    Play(0, from, frames - 1);
    EXPECT_EQ(frames_.size(), std::size_t(frames)) << from;
    return frames_;
  };
  const auto alpha = [&](const Frame& f, int texture) {
    const auto quads = Quads(f, texture);
    return quads.empty() ? -1.0 : quads.back().at(4);
  };
  // The flash pulses up to and including 2763 ms, holds at 1 until 4666 and pulses (from an
  // amplitude of 0 here) from 4667; its pictures go at 7291.
  auto f = play(2762, 3);
  EXPECT_LT(alpha(f[1], 35), 0.01);
  EXPECT_EQ(alpha(f[2], 35), 1.0);
  f = play(4666, 2);
  EXPECT_EQ(alpha(f[0], 35), 1.0);
  EXPECT_EQ(alpha(f[1], 35), 0.0);
  f = play(7290, 2);
  EXPECT_EQ(Quads(f[0], 35).size(), 1u);
  EXPECT_TRUE(Quads(f[1], 35).empty());
  // The fade rises from 7267 ms.
  f = play(7266, 2);
  EXPECT_EQ(alpha(f[0], 1), 0.0);
  EXPECT_GT(alpha(f[1], 1), 0.0);
  // The glide's last step is at 9101 ms; the orbit's camera and the second picture take over at
  // 9125 and 9126.
  f = play(9100, 3);
  EXPECT_GT(f[1].eye11.x, f[0].eye11.x);
  EXPECT_EQ(f[2].eye11.x, f[1].eye11.x);
  f = play(9124, 3);
  EXPECT_EQ(f[0].eye11.y, -5.225f);
  EXPECT_EQ(f[1].eye11.y, 4.542f);
  EXPECT_EQ(f[1].eye11.z, -10.0f);  // the orbit's first step, at angle 0
  EXPECT_TRUE(Quads(f[1], 39).empty());
  EXPECT_EQ(Quads(f[2], 39).size(), 1u);
  // The fade holds from 9102 ms and falls from 9152 (from what 9100 and 9101 added).
  f = play(9100, 53);
  EXPECT_NEAR(alpha(f[1], 1), 0.0055 + 0.00055, 1e-6);
  EXPECT_EQ(alpha(f[51], 1), alpha(f[1], 1));  // 9151
  EXPECT_NEAR(alpha(f[52], 1), 0.0055 + 0.00055 - 0.001, 1e-6);
  // The orbit's target rises from 13258 ms; the fade rises again from 14744.
  f = play(13257, 2);
  EXPECT_EQ(f[0].at11.y, -5.662f);
  EXPECT_GT(f[1].at11.y, -5.662f);
  f = play(14743, 2);
  EXPECT_EQ(alpha(f[0], 1), 0.0);
  EXPECT_GT(alpha(f[1], 1), 0.0);
  // The last frame is drawn at 18040 ms.
  Play(0, 18039);
  ASSERT_EQ(frames_.size(), 2u);
  EXPECT_EQ(frames_.back().t, 18040);
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

// Walks a frame's lines in order, after those of the frame before it (whose switches carry over),
// and notes at each of the frame's Draws the mesh, which of the first three lights are on (by
// their device indices), and the texture projection and blending in force.
struct DrawState {
  std::string mesh;
  std::string lightsOn;  // "011": light 0 off, lights 1 and 2 on
  std::string texGen, alphaBlend, blendMode;
};

std::vector<DrawState> StatesAtDraws(const Frame& before, const Frame& f, const Demo& demo) {
  std::map<std::string, char> on;
  std::string texGen = "?", alphaBlend = "?", blendMode = "?";
  std::vector<DrawState> out;
  std::vector<std::string> lines = before.lines;
  lines.insert(lines.end(), f.lines.begin(), f.lines.end());
  for (std::size_t n = 0; n < lines.size(); ++n) {
    const std::string& line = lines[n];
    const auto fields = scenetest::Fields(line);
    if (fields[0] == "LightEnable") on[fields[1]] = fields[2][0];
    if (fields[0] == "SetTexGen") texGen = fields[1];
    if (fields[0] == "SetAlphaBlend") alphaBlend = fields[1];
    if (fields[0] == "SetBlendMode") blendMode = fields[1];
    if (fields[0] != "Draw" || n < before.lines.size()) continue;
    std::string lights;
    for (int i = 0; i < 3; ++i) {
      const auto it = on.find(std::to_string(demo.lights[i]->index));
      lights += it == on.end() ? '?' : it->second;
    }
    out.push_back({fields[1], lights, texGen, alphaBlend, blendMode});
  }
  return out;
}

TEST_F(CorridorTest, SetIsLitByLights1And2AndTheCopiesByLight0WithTheFlareProjected) {
  const Recording& show = Played();
  const Frame& f = *show.At(5000);  // the 501st frame: every delta 1
  // The three lights are placed every frame.
  const auto lights = Calls(f, "SetLight");
  ASSERT_EQ(lights.size(), 3u);
  const double where[3][3] = {{0, 0, 2}, {-27.422, -5.329, 0.172}, {0.128, 0, 0.023}};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(lights[std::size_t(i)][1], std::to_string(show.demo->lights[i]->index));
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(std::stod(lights[std::size_t(i)][15 + std::size_t(c)]), where[i][c], 1e-6);
  }
  const auto states = StatesAtDraws(*show.At(4990), f, *show.demo);
  ASSERT_EQ(states.size(), 9u);
  for (std::size_t k = 0; k < 6; ++k) {
    EXPECT_EQ(states[k].lightsOn, "011") << states[k].mesh;
    EXPECT_EQ(states[k].texGen, "0") << states[k].mesh;
    EXPECT_EQ(states[k].alphaBlend, "0") << states[k].mesh;
  }
  for (std::size_t k = 6; k < 9; ++k) {
    EXPECT_EQ(states[k].lightsOn, "100");
    EXPECT_EQ(states[k].texGen, "1");
    EXPECT_EQ(states[k].alphaBlend, "1");
    EXPECT_EQ(states[k].blendMode, "2");  // added
  }
  // The projection is switched off again before the screen quads, which blend by alpha.
  std::vector<std::string> after;
  bool copiesDone = false;
  for (const std::string& line : f.lines) {
    if (line.rfind("Draw mesh0 ", 0) == 0) copiesDone = true;
    if (copiesDone && (line.rfind("SetTexGen", 0) == 0 || line.rfind("SetBlendMode", 0) == 0 ||
                       line.rfind("Set2DMode", 0) == 0))
      after.push_back(line);
  }
  EXPECT_EQ(after, (std::vector<std::string>{"SetTexGen 0", "SetBlendMode 1", "Set2DMode 1", "Set2DMode 0"}));

  // The set: turned by 3.132 about Y and 1.566 about X, radians. The copies: their own tumble,
  // after 501 steps of 0.001, 0.002, 0.003.
  const auto worlds = [&](int mesh) { return scenetest::Worlds(f, mesh); };
  for (int mesh = 11; mesh <= 16; ++mesh)
    ExpectMatrixNear(worlds(mesh).at(0), Chain({RotY(3.132f), RotX(1.566f)}), "mesh" + std::to_string(mesh));
  float x = 0, y = 0, z = 0;
  for (int i = 0; i < 501; ++i) x += 0.001f, y += 0.002f, z += 0.003f;
  const auto copies = worlds(0);
  ASSERT_EQ(copies.size(), 3u);
  ExpectMatrixNear(copies[0], Chain({RotX(x), RotY(y), RotZ(z), Move(0, 0, 1)}), "copy 1");
  ExpectMatrixNear(copies[1], Chain({RotX(x), RotY(-y), RotZ(2.4f * z), Move(2, 0, 0)}), "copy 2");
  ExpectMatrixNear(copies[2], Chain({RotX(-3 * x), RotY(1.2f * y), RotZ(-z), Move(-2, 0, 0)}), "copy 3");
  EXPECT_FLOAT_EQ(f.eye0.y, 1.5f * std::sin(y));
}

TEST_F(CorridorTest, BothFourPiecePicturesShareOneLayoutUnderTheBarsAndTheFade) {
  const Recording& show = Played();
  const std::vector<std::vector<double>> layout = {
      {0, 100, 512, 256}, {512, 100, 128, 256}, {0, 356, 512, 32}, {512, 356, 128, 32}};
  for (const auto& [t, first] : {std::pair{1000L, 35}, std::pair{9200L, 39}}) {
    const Frame& f = *show.At(t);
    std::vector<int> order;
    for (const auto& q : Calls(f, "DrawScreenQuadAlpha")) order.push_back(show.TextureIndex(q[5]));
    EXPECT_EQ(order, (std::vector<int>{first, first + 1, first + 2, first + 3, 1, 1, 1})) << t;
    for (int piece = 0; piece < 4; ++piece) {
      const auto quads = scenetest::Quads(show.textureIndex, f, first + piece);
      ASSERT_EQ(quads.size(), 1u);
      EXPECT_EQ(std::vector<double>(quads[0].begin(), quads[0].begin() + 4), layout[std::size_t(piece)]) << t;
    }
  }
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
