// The dot-matrix tunnel (slot 5): its beats, video windows and cuts, each on its own millisecond;
// where each dot's byte comes from; and its dots on the software device.
#include <cmath>
#include <string>
#include <vector>

#include "support/scene_harness.h"

namespace {

using scenetest::Chain;
using scenetest::Frame;
using scenetest::Grow;
using scenetest::Move;
using scenetest::RotX;
using scenetest::RotY;
using scenetest::RotZ;

constexpr int kSlot = 5;
constexpr int kDot = 6;  // white.tga

// The mesh's turn in each beat, as the vertices meet it (before the move to its place).
D3DXMATRIX Turn(int beat, float a, float b) {
  switch (beat) {
    case 0: return Chain({RotZ(b), RotX(0.348f)});
    case 1: return Chain({RotY(-b), RotX(a)});
    case 3: return Chain({RotY(b), RotX(1.4f * b)});
    case 4: return Chain({RotY(b), RotX(a), RotZ(b)});
    case 6: return Chain({RotX(a), RotY(b), RotZ(3.4f * a)});
    default: return RotY(b);  // beats 2 and 5
  }
}

class DotMatrixTunnelTest : public scenetest::SceneHarness {
 protected:
  // The bytes of the frame's 2800 dots, row by row; checks their places on the way.
  std::vector<int> DotBytes(const Frame& f) const {
    const auto dots = Quads(f, kDot);
    std::vector<int> bytes;
    if (dots.size() != 2800) {
      ADD_FAILURE() << f.t << ": " << dots.size() << " dots";
      return bytes;
    }
    for (int i = 0; i < 2800; ++i) {
      const auto& q = dots[std::size_t(i)];
      EXPECT_EQ(q[0], 1 + 8 * (i % 80));
      EXPECT_EQ(q[1], 101 + 8 * (i / 80));
      EXPECT_EQ(q[2], 6);
      bytes.push_back(int(std::lround(q[4] * 255)));
      EXPECT_NEAR(q[4], bytes.back() / 255.0, 1e-6) << f.t << " dot " << i;
    }
    return bytes;
  }
  // Whether the dots show the clip's first frame (set 2: the show plays without "lesbian").
  bool ShowsClip(const Frame& f) const {
    const auto clip = testsupport::CatalogueVideoFrame(2, 1);
    const auto bytes = DotBytes(f);
    for (std::size_t i = 0; i < bytes.size(); ++i)
      if (bytes[i] != clip[i]) return false;
    return true;
  }
};

TEST_F(DotMatrixTunnelTest, BeatsVideoAndCutsChangeOnTheirOwnMillisecond) {
  // The state from each time on. A cut sets the turn (a, b); after it they grow on from there.
  struct Row {
    long t;
    int beat, mesh;
    bool video;
    float cutA = NAN, cutB = NAN;
  };
  const Row rows[] = {{55286, 0, 1, false}, {57539, 1, 1, false}, {57562, 1, 1, true},
                      {59769, 1, 1, false}, {59791, 2, 1, false}, {62043, 3, 9, false},
                      {64296, 4, 1, false}, {66548, 5, 9, true},  {68800, 6, 1, true},
                      {68801, 6, 1, false}, {71053, 6, 1, true, 0.0f, 1.0f},
                      {71286, 6, 1, false}, {71308, 6, 9, false, -2.434f, 3.234f},
                      {71541, 6, 1, false}, {71563, 6, 1, true, 3.3242f, -0.232f},
                      {71797, 6, 1, false}, {71819, 6, 9, false, 4.324f, 1.23f},
                      {72029, 6, 1, false}};
  UseClock(1000);  // frames of 1 ms: the first frame's delta counts 1, the second's 0.1
  StartShow("part05\npart06\n", kSlot);
  const Row* before = &rows[0];
  for (const Row& row : rows) {
    // Played from a millisecond before: every earlier beat is taken in the first frame.
    Play(kSlot, row.t - 1, 1);
    ASSERT_EQ(frames_.size(), 2u) << row.t;
    for (int k = 0; k < 2; ++k) {
      const Row& want = k == 0 && &row != &rows[0] ? *before : row;
      const Frame& f = frames_[std::size_t(k)];
      SCOPED_TRACE(f.t);
      const bool wire = want.beat == 4;
      EXPECT_EQ(Quads(f, 2, false).size(), wire ? 0u : 1u);  // the backdrop
      EXPECT_EQ(Calls(f, "SetRenderState").size(), wire ? 4u : 0u);
      EXPECT_EQ(ShowsClip(f), want.video);
      const auto worlds = Worlds(f, want.mesh);
      ASSERT_EQ(worlds.size(), 2u);
      float a = k == 0 ? 0.001f : 0.0011f, b = k == 0 ? 0.003f : 0.0033f;
      if (!std::isnan(want.cutA)) {
        a = want.cutA, b = want.cutB;
      } else if (k == 1 && !std::isnan(before->cutA)) {
        a = before->cutA + 0.0001f, b = before->cutB + 0.0003f;
      }
      const float meshX = k == 0 ? -2.9975f : -2.99725f;
      scenetest::ExpectMatrixNear(worlds[0], Chain({Grow(1.1f), Turn(want.beat, a, b), Move(meshX, 0.1f, 8)}), "halo");
      scenetest::ExpectMatrixNear(worlds[1], Chain({Turn(want.beat, a, b), Move(meshX, 0.1f, 8)}), "mesh");
    }
    before = &row;
  }
  // The first beat only flashes; in beat 4 the dots and the lit mesh are outlines, the halo solid.
  Play(kSlot, 55285, 1);
  EXPECT_TRUE(Quads(frames_.at(0), 30).empty());
  EXPECT_EQ(Quads(frames_.at(1), 30).at(0), (std::vector<double>{128, 112, 512, 256, 1}));
  Play(kSlot, 64296, 1);
  std::vector<std::string> fill;
  for (const std::string& line : frames_.at(0).lines) {
    if (line.rfind("SetRenderState", 0) == 0) fill.push_back(line);
    if (line.rfind("Draw mesh", 0) == 0) fill.push_back(line.substr(0, line.find(' ', 5)));
  }
  EXPECT_EQ(fill, (std::vector<std::string>{"SetRenderState 8 2", "SetRenderState 8 3", "Draw mesh1",
                                            "SetRenderState 8 2", "Draw mesh1", "SetRenderState 8 3"}));
  // The last frame is drawn at 72189 ms; it leaves the 2D mode on, BlendAlpha and only light 0.
  Play(kSlot, 72189);
  ASSERT_EQ(frames_.size(), 1u);
  EXPECT_EQ(RenderState(D3DRS_DESTBLEND), DWORD(D3DBLEND_INVSRCALPHA));
  EXPECT_EQ(RenderState(D3DRS_ZENABLE), DWORD(D3DZB_TRUE));  // as the quads left it
  EXPECT_EQ(RenderState(D3DRS_LIGHTING), 1u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(LightOn(i), i == 0) << i;
}

TEST_F(DotMatrixTunnelTest, TunnelDotsReadTheMapThroughThePolarTablesUnderTheText) {
  UseClock(1000);
  StartShow("part06\n", kSlot);  // part05 clear: re-based to 54172
  Play(kSlot, 0, 1);
  ASSERT_EQ(frames_.size(), 2u);
  EXPECT_EQ(frames_[0].t, 54172);
  // The text starts 100 columns left of the bitmap: every dot reads its column 0, and where that
  // is not 0 (the catalogue bitmap holds i % 7 at byte i: r % 7 in row r) the dot carries it.
  const auto bytes = DotBytes(frames_[0]);
  ASSERT_EQ(bytes.size(), 2800u);
  for (int r = 0; r < 35; ++r) {
    if (r % 7 == 0) continue;
    for (int c = 0; c < 80; ++c) EXPECT_EQ(bytes[std::size_t(r * 80 + c)], r % 7) << r << " " << c;
  }
  // Row 28, column 30, in the first frame (scroll 0.2, so the added scroll a is 0; b = 0.003):
  //   x = -320 + 8 * 30 = -80, y = -140 + 8 * 28 = 84, d = sqrt(6400 + 7056) = 116,
  //   theta = atan2(-80, 84) = -0.761013, k = 3 (sin 0.009 + 1) = 3.027,
  //   cos(k theta) = cos(-2.303585) = -0.668945, so the distance is 116 - 43.4814 = 72.519: u = 72;
  //   the angle is -0.761013 * 40.764331 = -31.022, whose floor is -32: v = -32 mod 256 = 224.
  //   The map holds i % 251 at byte i: (224 * 256 + 72) % 251 = 57416 % 251 = 188.
  EXPECT_EQ(bytes[28 * 80 + 30], 188);
}

TEST_F(DotMatrixTunnelTest, SoftwareDeviceBlendsEachVideoDotOverTheBackdrop) {
  UseClock(1);  // frames of 1 s: the veil has cleared by the sixth frame
  StartShow("part05\npart06\nlesbian\n", kSlot, true);
  Play(kSlot, 57562 - 5000, 5);
  ASSERT_EQ(frames_.size(), 6u);
  const Frame& f = frames_[5];
  ASSERT_EQ(f.t, 57562);
  ASSERT_EQ(Quads(f, 1).size(), 2u);  // the bars, no veil
  // "lesbian" chooses the first set; the dot colour is white.tga's, its alpha the clip's byte.
  const auto clip = testsupport::CatalogueVideoFrame(1, 1);
  const std::uint32_t backdrop = testsupport::CataloguePictureColour(2);
  const std::uint32_t dot = testsupport::CataloguePictureColour(kDot);
  // Dot (r, c) covers 2D units from (1 + 8c, 101 + 8r), 6 x 6: at a quarter of 640 x 480 that is
  // the pixel (2c + 1, 2r + 26). Columns 0 .. 15 lie left of the flash picture.
  for (int r = 0; r < 35; r += 3) {
    for (int c = 0; c < 16; c += 5) {
      const int a = clip[std::size_t(r * 80 + c)];
      const std::uint32_t got = f.Pixel(2 * c + 1, 2 * r + 26);
      for (int shift : {0, 8, 16}) {
        const int want = (int(dot >> shift & 0xFF) * a + int(backdrop >> shift & 0xFF) * (255 - a)) / 255;
        EXPECT_NEAR(int(got >> shift & 0xFF), want, 1) << r << " " << c << " byte " << a;
      }
    }
  }
}

}  // namespace
