// The closing scenes: the credits swirl (slot 8), the finale ball tower (slot 9) and the secret
// picture page (slot 9 with "secret"): their windows, each on its own millisecond, what they draw
// from the archive, and a look at their pixels on the software device.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "demo/asset_catalogue.h"
#include "support/scene_harness.h"

namespace {

using scenetest::Chain;
using scenetest::Frame;
using scenetest::Move;
using scenetest::RotX;
using scenetest::RotY;

class ClosingScenesTest : public scenetest::SceneHarness {
 protected:
  // The opaque pictures of a frame, as catalogue positions in drawing order.
  std::vector<int> Pictures(const Frame& f) const {
    std::vector<int> out;
    for (const auto& call : Calls(f, "DrawScreenQuad")) out.push_back(TextureIndex(call.at(5)));
    return out;
  }
  float FirstValue(const Frame& f, const std::string& operation) const {
    return std::stof(Calls(f, operation).at(0).at(1));
  }
  // The video set 3 frame (from 0) that the finale's dots show; checks their places and alphas.
  int VideoFrameShown(const Frame& f) const {
    const auto dots = Quads(f, 6);
    if (dots.size() != 2800) return -1;
    const int shown = int(std::lround(dots[1][4] * 255)) - 1;  // byte 1 of entry n holds n
    const auto bytes = testsupport::CatalogueVideoFrame(3, shown + 1);
    for (int i = 0; i < 2800; ++i) {
      const auto& q = dots[std::size_t(i)];
      EXPECT_EQ(q, (std::vector<double>{320.0 + 4 * (i % 80), 240.0 + 4 * (i / 80), 3, 3, q[4]})) << i;
      EXPECT_NEAR(q[4], bytes[std::size_t(i)] / 255.0, 1e-6) << f.t << " dot " << i;
    }
    return shown;
  }
};

TEST_F(ClosingScenesTest, CreditsStagesCaptionsViewAndShadingChangeOnTheirOwnMillisecond) {
  struct Row {
    long t;
    int stage, caption;
    float fovDeg;
  };
  const Row rows[] = {{126223, 0, 0, 45},  {127384, 1, 0, 45},  {128383, 1, 1, 45},
                      {129637, 2, 0, 110}, {130763, 2, 2, 110}, {131889, 3, 0, 85},
                      {132887, 3, 3, 85},  {134130, 4, 0, 125}, {135267, 4, 4, 125}};
  UseClock(1000);
  StartShow("part08\npart09\n", 8);
  const Row* before = &rows[0];
  for (const Row& row : rows) {
    Play(8, row.t - 1, 1);
    ASSERT_EQ(frames_.size(), 2u) << row.t;
    bool stage3Ran = false;
    for (int k = 0; k < 2; ++k) {
      const Row& want = k == 0 ? *before : row;
      const Frame& f = frames_[std::size_t(k)];
      SCOPED_TRACE(f.t);
      std::vector<int> pictures;
      if (want.stage > 0) pictures.push_back(18 + want.stage);
      if (want.caption > 0 && want.caption < 4) pictures.push_back(22 + want.caption);
      EXPECT_EQ(Pictures(f), pictures);
      EXPECT_EQ(Draws(f, 1), 360u);
      EXPECT_FLOAT_EQ(FirstValue(f, "SetFov"), 0.0174f * want.fovDeg);
      // Light 3 goes off in every frame of stage 3; Gouraud shading from then on.
      const std::string light3Off = "LightEnable " + std::to_string(demo_->lights[3]->index) + " 0";
      EXPECT_EQ(std::count(f.lines.begin(), f.lines.end(), light3Off), want.stage == 3);
      stage3Ran = stage3Ran || want.stage == 3;
      EXPECT_EQ(FirstValue(f, "SetShadeMode"), stage3Ran ? D3DSHADE_GOURAUD : D3DSHADE_FLAT);
    }
    before = &row;
  }
  // The last frame is at 136381 ms; light 1 stays on, 0 and 3 off.
  Play(8, 136380);
  ASSERT_EQ(frames_.size(), 2u);
  EXPECT_EQ(frames_[1].t, 136381);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(LightOn(i), i == 1) << i;
  // A first frame (phase 0.01, sway 10 sin 0.01 degrees): copy (x, y) is draw 30 (y + 6) + x + 15,
  // at depth 2 + height / 256, the height trunc(50 cos(6 atan2(y, x) + 0.01) sqrt(x^2 + y^2)):
  //   (3, 4): 50 cos(5.57377) 5 = 189.69 -> 189;  (2, 1): 50 cos(2.79189) sqrt 5 = -105.04 -> -105.
  Play(8, 126223, 1);
  const auto worlds = Worlds(frames_.at(0), 1);
  ASSERT_EQ(worlds.size(), 360u);
  const auto turn = Chain({RotY(0.0174f * 10.0f * std::sin(0.01f)), RotX(-0.1044f)});
  for (auto [x, y, height] : {std::tuple{3, 4, 189}, {2, 1, -105}, {0, 0, 0}})
    scenetest::ExpectMatrixNear(worlds[std::size_t(30 * (y + 6) + x + 15)],
                                Chain({Move(float(x), float(y), 2.0f + float(height) / 256.0f), turn}), "copy");
}

TEST_F(ClosingScenesTest, FinaleTitleWordsComeInTurnThenTheClosingPictureFadesInTwoSeconds) {
  struct Row {
    long t;
    std::vector<int> words;
    bool closing;
  };
  const Row rows[] = {{136382, {}, false},      {141897, {49}, false}, {142152, {49, 50}, false},
                      {142524, {49, 50, 51}, false}, {143139, {}, true}};
  UseClock(1000);
  StartShow("part09\npart10\n", 9);
  const Row* before = &rows[0];
  for (const Row& row : rows) {
    Play(9, row.t - 1, 1);
    ASSERT_EQ(frames_.size(), 2u) << row.t;
    for (int k = 0; k < 2; ++k) {
      const Row& want = k == 0 ? *before : row;
      const Frame& f = frames_[std::size_t(k)];
      SCOPED_TRACE(f.t);
      EXPECT_EQ(Pictures(f), want.words);
      EXPECT_EQ(Quads(f, 52).size(), want.closing ? 1u : 0u);
      EXPECT_EQ(Draws(f, 6), 300u);
      EXPECT_EQ(Quads(f, 6).size(), 2800u);
    }
    before = &row;
  }
  for (int i = 0; i < 4; ++i) EXPECT_EQ(LightOn(i), i == 2) << i;
  // Frames of 0.1 s from 143139 ms: the picture fades, and is gone from 145139 ms on.
  UseClock(10);
  Play(9, 143139, 22);
  ASSERT_EQ(frames_.size(), 23u);
  for (std::size_t k = 1; k < frames_.size(); ++k) {
    const double alpha = Quads(frames_[k], 52).at(0).at(4);
    EXPECT_EQ(alpha == 0.0, frames_[k].t >= 145139) << frames_[k].t;
    EXPECT_LE(alpha, Quads(frames_[k - 1], 52).at(0).at(4)) << frames_[k].t;
  }
}

TEST_F(ClosingScenesTest, FinaleVideoLoopsBackToExactlyFrameZeroOncePast180) {
  // Frames of 0.4 s: the position grows by 4.8 (0.12 in the first frame): 177.72 in frame 37,
  // then 182.52, which drops back to 0 (not to 2.52), then 4.8.
  UseClock(2.5);
  StartShow("part10\n", 9);
  Play(9, 0, 39);
  ASSERT_EQ(frames_.size(), 40u);
  EXPECT_EQ(frames_[0].t, 136382);
  const int want[][2] = {{0, 0}, {1, 4}, {37, 177}, {38, 0}, {39, 4}};
  for (auto [k, shown] : want) EXPECT_EQ(VideoFrameShown(frames_[std::size_t(k)]), shown) << k;
}

TEST_F(ClosingScenesTest, SecretPageStopsTheShowOnAPictureItCannotRead) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // each child has a folder of its own
  testsupport::CatalogueArchiveOptions undecodable, missing;
  undecodable.replace[g_secretPictureEntries[0]] = {0xFF, 0xD8, 0xFF, 0xD9};
  missing.leaveOut.insert(g_secretPictureEntries[1]);
  for (const auto& [options, message] :
       {std::pair{undecodable, "^vornhold: data.graphics.sp01.jpg in broken.ac is not a picture that can be decoded\n$"},
        std::pair{missing, "^vornhold: cannot read data.graphics.sp02.jpg from broken.ac\n$"}}) {
    std::string error;
    ASSERT_TRUE(testsupport::WriteCatalogueArchive(Folder() / "broken.ac", options, error)) << error;
    const auto play = [this] {
      StartShow("secret\n", 9);
      demo_->archiveName = "broken.ac";
      Play(9, 0, 1);
    };
    EXPECT_EXIT(play(), testing::ExitedWithCode(2), message);
  }
}

TEST_F(ClosingScenesTest, SoftwareDeviceShowsNamesWordsDotsAndTheSecretPictures) {
  using testsupport::CataloguePictureColour;
  // Pixels are 2D units / 4. The credits at their first caption: name and caption over the grid.
  UseClock(1000);
  StartShow("part08\npart09\n", 8, true);
  Play(8, 128383, 1);
  EXPECT_EQ(frames_.at(0).Pixel(20, 30), CataloguePictureColour(19));
  EXPECT_EQ(frames_[0].Pixel(120, 85), CataloguePictureColour(23));

  // The finale's second word; dot (r, c) covers pixel (80 + c, 60 + r), and in the lower right
  // corner the dots lie over the black of the clear screen.
  StartShow("part09\npart10\n", 9, true);
  Play(9, 142524, 1);
  const Frame& finale = frames_.at(0);
  EXPECT_EQ(finale.Pixel(20, 60), CataloguePictureColour(50));
  const auto dots = Quads(finale, 6);
  ASSERT_EQ(dots.size(), 2800u);
  const std::uint32_t white = CataloguePictureColour(6);
  for (int r = 28; r < 35; ++r) {
    for (int c = 72; c < 80; ++c) {
      const std::uint32_t got = finale.Pixel(80 + c, 60 + r);
      for (int shift : {0, 8, 16})
        EXPECT_NEAR(int(got >> shift & 0xFF), (white >> shift & 0xFF) * dots[std::size_t(80 * r + c)][4], 1);
    }
  }

  // The secret page, whatever the flag and the clock: in its second frame the archive's dark
  // picture (grey 64) and its light one side by side, the mesh white over them (untextured, unlit).
  StartShow("secret\n", 9, true);
  demo_->flags.part10 = 0;
  Play(9, -500000, 1);
  const Frame& page = frames_.at(1);
  EXPECT_EQ(page.Pixel(100, 10), 0x404040u);
  const std::uint32_t light = page.Pixel(150, 10);
  EXPECT_EQ(light, (light & 0xFF) * 0x010101u);
  EXPECT_GT(light & 0xFF, 0x40u);
  EXPECT_EQ(page.Pixel(10, 60), 0xFFFFFFu);
}

}  // namespace
