// The room tour and the room panorama (slot 6): the fourteen shots on their own milliseconds,
// the ring from 105393 ms and the window's end; the appearance schedule catching up; the panorama's
// still eye and fully textured room; one frame of each on the software device.
#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "support/scene_harness.h"

namespace {

using scenetest::Frame;

constexpr int kSlot = 6;
constexpr int kLine = 31;  // tviiva.tga

class RoomTest : public scenetest::SceneHarness {};

TEST_F(RoomTest, TourCutsThroughFourteenShotsOnTheirOwnMillisecond) {
  // Each shot from its first millisecond: field of view, and the camera it starts from (within
  // the first frames' motion; orbiting shots set eye x and z from the spin instead).
  struct Shot {
    int number;
    long from;
    float fovDeg;
    D3DXVECTOR3 eye, target;
    bool orbits;
  };
  const Shot shots[] = {
      {0, 0, 125, {-0.125f, -4.749f, -14.849f}, {-0.525f, -20.174f, 13.527f}, false},
      {1, 74814, 110, {-0.125f, -3.456f, -14.849f}, {-0.525f, -0.567f, 0.458f}, true},
      {2, 76100, 75, {0.251f, -6.492f, 15.708f}, {0.356f, -26.236f, 5.22f}, false},
      {3, 78680, 95, {12.593f, -5.656f, -4.249f}, {14.897f, -21.44f, -18.826f}, false},
      {4, 79450, 85, {-5.435f, -10.037f, -11.452f}, {-14.927f, -12.501f, 0.696f}, false},
      {5, 80600, 45, {8.392f, -18.668f, 3.33f}, {8.264f, -13.516f, 22.653f}, false},
      {6, 81300, 55, {4.029f, -24.043f, -9.131f}, {1.384f, -24.567f, 16.472f}, false},
      {7, 83550, 45, {9.812f, -24.36f, -5.435f}, {16.532f, -15.633f, 5.571f}, false},
      {8, 84900, 45, {2.649f, -14.051f, 21.436f}, {14.349f, -19.313f, 20.927f}, false},
      {9, 86842, 125, {0.295f, -12.455f, 0.209f}, {0, -14, 0}, true},
      {10, 93599, 75, {0, -3.456f, 0}, {-0.525f, -0.567f, 0.458f}, true},
      {11, 98104, 120, {0, -1.129f, -21.043f}, {0, -20.436f, 15.318f}, false},
      {12, 102608, 75, {0, -24.984f, 10.883f}, {0, -25.595f, 3.797f}, false},
      {20, 104838, 75, {10.933f, -26.423f, 14.664f}, {14.286f, -19.2f, 21.07f}, false}};
  UseClock(1000);
  const auto expectShot = [&](const Frame& f, const Shot& s, bool camera) {
    SCOPED_TRACE(testing::Message() << f.t << " shot " << s.number);
    const auto fov = Calls(f, "SetFov");
    ASSERT_EQ(fov.size(), 1u);
    EXPECT_NEAR(std::stod(fov[0][1]), s.fovDeg * 0.0174, 1e-5);
    const auto line = Quads(f, kLine);
    ASSERT_EQ(line.size(), s.number % 2 == 0 && s.number != 20 ? 1u : 0u);
    if (!line.empty()) {  // a whole x between 440 and 560
      EXPECT_EQ(line[0][0], std::trunc(line[0][0]));
      EXPECT_TRUE(line[0][0] >= 440 && line[0][0] <= 560) << line[0][0];
      EXPECT_EQ(std::vector<double>(line[0].begin() + 1, line[0].begin() + 4), (std::vector<double>{100, 32, 280}));
    }
    if (!camera) return;  // within the first frame's motion
    EXPECT_NEAR(f.eyeRoom.y, s.eye.y, 0.035);
    EXPECT_NEAR(f.atRoom.x, s.target.x, 0.035);
    EXPECT_NEAR(f.atRoom.y, s.target.y, 0.035);
    EXPECT_NEAR(f.atRoom.z, s.target.z, 0.035);
    if (s.orbits) return;
    EXPECT_NEAR(f.eyeRoom.x, s.eye.x, 0.035);
    EXPECT_NEAR(f.eyeRoom.z, s.eye.z, 0.035);
  };
  StartShow("part07\n", kSlot);  // part06 clear: re-based to 72190
  Play(kSlot, 0, 1);
  ASSERT_EQ(frames_.size(), 2u);
  EXPECT_EQ(frames_[0].t, 72190);
  expectShot(frames_[0], shots[0], true);
  StartShow("part06\npart07\n", kSlot);
  for (std::size_t k = 1; k < std::size(shots); ++k) {
    Play(kSlot, shots[k].from - 1, 1);
    ASSERT_EQ(frames_.size(), 2u);
    expectShot(frames_[0], shots[k - 1], false);
    expectShot(frames_[1], shots[k], true);
  }
  // The ring from 105393 ms; the last frame falls on 107010 ms.
  Play(kSlot, 105392, 1);
  EXPECT_EQ(Draws(frames_.at(0), 3), 0u);
  EXPECT_EQ(Draws(frames_.at(1), 3), 10u);
  const std::vector<std::string> ring = {
      "Clear", "SetZBuffer 1", "SetCullMode 3", "SetLighting 1", "SetAlphaBlend 0", "SetFov",
      "BeginScene", "Draw room0..room30", "EndScene", "SetAlphaBlend 1", "SetBlendMode 2", "SetCullMode 1",
      "SetZWrite 0", "SetTexGen 1", "BeginScene", "Draw room31", "EndScene", "SetTexGen 0", "SetLighting 0",
      "BeginScene", "Draw mesh3 x10", "EndScene", "SetZWrite 1", "Set2DMode 1", "SetBlendMode 1",
      "DrawScreenQuadAlpha 2", "DrawScreenQuadAlpha 1", "DrawScreenQuadAlpha 1", "Set2DMode 0"};
  EXPECT_EQ(Operations(frames_[1]), ring);
  Play(kSlot, 107009);
  ASSERT_EQ(frames_.size(), 2u);
  EXPECT_EQ(frames_[1].t, 107010);
  // It leaves depth writes on, culling off, BlendAlpha on and lighting off.
  EXPECT_EQ(RenderState(D3DRS_ZWRITEENABLE), 1u);
  EXPECT_EQ(RenderState(D3DRS_CULLMODE), DWORD(D3DCULL_NONE));
  EXPECT_EQ(RenderState(D3DRS_ALPHABLENDENABLE), 1u);
  EXPECT_EQ(RenderState(D3DRS_DESTBLEND), DWORD(D3DBLEND_INVSRCALPHA));
  EXPECT_EQ(RenderState(D3DRS_LIGHTING), 0u);
}

TEST_F(RoomTest, ObjectsAppearInScheduleOrderOnePerFrameEvenAfterALongPause) {
  const int schedule[] = {0, 1, 2, 26, 27, 30, 7, 19};  // room meshes, as they take their look
  // The room meshes with their loaded look (white material, texture on) must be the schedule's
  // first ones; every other one keeps the blue tint without texture.
  const auto appeared = [&] {
    std::set<int> real;
    for (int i = 0; i < 32; ++i) {
      const MeshObject& m = demo_->roomMeshes[i];
      const bool loaded = m.textureEnabled && m.materials[0].Diffuse.g == 1.0f;
      EXPECT_TRUE(loaded || (!m.textureEnabled && m.materials[0].Diffuse.g == 0.6f)) << i;
      if (loaded) real.insert(i);
    }
    EXPECT_EQ(real, std::set<int>(schedule, schedule + std::min<std::size_t>(real.size(), 8)));
    return real.size();
  };
  UseClock(1000);
  StartShow("part06\npart07\n", kSlot);
  Play(kSlot, 74325, 1);  // 74325 and 74326 ms
  EXPECT_EQ(appeared(), 0u);
  Play(kSlot, 74326, 1);
  EXPECT_EQ(appeared(), 1u);
  Play(kSlot, 86076, 5);  // every time has passed: six frames, six objects
  EXPECT_EQ(appeared(), 6u);
}

TEST_F(RoomTest, PanoramaTurnsAboutAStillEyeInTheTexturedRoom) {
  UseClock(1);
  StartShow("room\npart07\n", kSlot, true);  // made anew: the room meshes as loaded
  Play(kSlot, 0, 3);                          // re-based to 72190
  ASSERT_EQ(frames_.size(), 4u);
  EXPECT_EQ(frames_[0].t, 72190);
  for (const Frame& f : frames_) {
    SCOPED_TRACE(f.t);
    EXPECT_EQ(Calls(f, "SetFov").at(0).at(1), "2.088");
    EXPECT_TRUE(Quads(f, kLine).empty());
    EXPECT_EQ(f.eyeRoom, D3DXVECTOR3(0.295f, -12.455f, 0.209f));
    EXPECT_NEAR(std::hypot(f.atRoom.x, f.atRoom.z), 4.0, 1e-5);
    EXPECT_EQ(f.atRoom.y, -14.0f);
  }
  // The device's own ambient level, set on the device itself.
  const auto& setUp = frames_[0].lines;
  EXPECT_NE(std::find(setUp.begin(), setUp.end(), "SetRenderState 139 84215045"), setUp.end());
  EXPECT_EQ(RenderState(D3DRS_AMBIENT), 0x05050505u);
  // Every object shows its texture under the opening picture from the first frame; the picture
  // then fades out over 2.5 s, between the bars, leaving the room (dark from this eye in the
  // catalogue's room of stacked cubes).
  for (int i = 0; i < 32; ++i) {
    const MeshObject& m = demo_->roomMeshes[i];
    EXPECT_TRUE(!m.texture || m.textureEnabled) << i;
    EXPECT_EQ(m.materials[0].Diffuse.g, 1.0f) << i;
  }
  const std::uint32_t picture = testsupport::CataloguePictureColour(2);
  const std::uint32_t bars = testsupport::CataloguePictureColour(1);
  for (const Frame& f : frames_) {
    const double alpha = std::max(0.0, 1 - 0.004 * (1 + 100 * double(&f - &frames_[0])));
    EXPECT_EQ(f.Pixel(80, 2), bars);
    EXPECT_EQ(f.Pixel(80, 117), bars);
    for (int shift : {0, 8, 16})
      EXPECT_NEAR(int(f.Pixel(80, 60) >> shift & 0xFF), alpha * (picture >> shift & 0xFF), 1.5);
  }
}

}  // namespace
