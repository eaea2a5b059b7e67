// The glowing knot's sliding mesh (slot 1, mesh 2): it comes in from the depth at -18 and stops at
// exactly -7, whatever the frame rate.
#include <string>

#include "support/scene_harness.h"

namespace {

constexpr int kSlot = 1;
constexpr int kSlider = 2;

class KnotSlideTest : public scenetest::SceneHarness {
 protected:
  // The slider's last transform is the translation to (-9.9, 2, slideZ).
  float SlideZ(const scenetest::Frame& f) const {
    const auto worlds = Worlds(f, kSlider);
    EXPECT_EQ(worlds.size(), 1u) << f.t;
    return worlds.empty() ? 0.0f : worlds[0]._43;
  }
};

TEST_F(KnotSlideTest, SlideZRisesBy0017PerHundredthAndStopsAtExactlyMinus7) {
  UseClock(20);  // frames of 50 ms: 0.085 a frame after the first 0.017
  StartShow("part02\n", kSlot);
  Play(kSlot, 0);  // part01 clear: re-based to 18041
  ASSERT_EQ(frames_.size(), 361u);  // 18041 .. 36041
  EXPECT_NEAR(SlideZ(frames_[0]), -18.0f + 0.017f, 1e-4);
  EXPECT_NEAR(SlideZ(frames_[1]), -18.0f + 0.017f + 0.085f, 1e-4);
  float previous = -18.0f;
  int reached = -1;
  for (std::size_t i = 0; i < frames_.size(); ++i) {
    const float z = SlideZ(frames_[i]);
    EXPECT_GE(z, previous) << frames_[i].t;
    EXPECT_LE(z, -7.0f) << frames_[i].t;
    if (z == -7.0f && reached < 0) reached = int(i);
    previous = z;
  }
  // (18 - 7 - 0.017) / 0.085 = 129.2 steps: the 130th overshoots and is clamped.
  EXPECT_EQ(reached, 130);
  EXPECT_EQ(SlideZ(frames_.back()), -7.0f);
}

}  // namespace
