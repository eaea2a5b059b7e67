// The rasterizer's row-loop paths (one pixel at a time, SSE2 lanes, AVX2 lanes) must leave the same
// pixels and depths, bit for bit, for every set-up: the same triangles are drawn through each path
// onto the same background and every byte is compared. A path this processor lacks is skipped.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3d8/ref/ref_rasterizer.h"

namespace d3d8_test {
namespace {

using namespace d3d8::ref;

enum class Stage { kDiffuse, kTextureAlpha, kBothAlphas, kAdd };
enum class Blend { kNone, kAlpha, kAdditive, kOneOne };
enum class Depth { kOff, kLessEqualZ, kLessNoWriteZ, kGreaterW, kNotEqualScaledW, kWriteOnly };

struct Case {
  D3DFORMAT format;
  Stage stage;
  Blend blend;
  Depth depth;
  bool alphaTest;
  bool clamp;
  int texWidth, texHeight;
  bool perspective;  // triangles with unequal rhw
  bool flat;         // one colour per triangle
  bool white;        // and that colour white (texels pass unchanged), alpha opaque or not
};

std::string Describe(const Case& c) {
  return "format " + std::to_string(c.format) + " stage " + std::to_string(static_cast<int>(c.stage)) +
         " blend " + std::to_string(static_cast<int>(c.blend)) + " depth " +
         std::to_string(static_cast<int>(c.depth)) + (c.alphaTest ? " alpha test" : "") +
         (c.clamp ? " clamp " : " wrap ") + std::to_string(c.texWidth) + "x" + std::to_string(c.texHeight) +
         (c.perspective ? " perspective" : " affine") + (c.white ? " white" : c.flat ? " flat" : " gouraud");
}

// Not a multiple of 8 wide, so that runs end at the right edge in every lane position.
constexpr int kWidth = 75, kHeight = 41;

struct Frame {
  std::vector<std::uint8_t> colors;
  std::vector<std::uint16_t> depths;
  int changedBytes;  // colour bytes that differ from the background
};

struct Random {
  std::uint32_t seed;
  float Next(float lo, float hi) {
    seed = seed * 1664525u + 1013904223u;
    return lo + (hi - lo) * static_cast<float>(seed >> 8) / 16777216.0f;
  }
};

PixelSetup MakeSetup(const Case& c, ColorSurface& target, DepthSurface& depth,
                     const std::vector<std::uint32_t>& texels) {
  PixelSetup setup;
  setup.target = &target;
  setup.right = kWidth;
  setup.bottom = kHeight;
  if (c.depth != Depth::kOff) {
    setup.depth = &depth;
    setup.depthTest = c.depth != Depth::kWriteOnly;
    setup.depthWrite = c.depth != Depth::kLessNoWriteZ;
    setup.depthFunc = c.depth == Depth::kLessEqualZ        ? D3DCMP_LESSEQUAL
                      : c.depth == Depth::kLessNoWriteZ    ? D3DCMP_LESS
                      : c.depth == Depth::kGreaterW        ? D3DCMP_GREATER
                      : c.depth == Depth::kNotEqualScaledW ? D3DCMP_NOTEQUAL
                                                           : D3DCMP_ALWAYS;
    if (c.depth == Depth::kGreaterW || c.depth == Depth::kNotEqualScaledW) {
      setup.wBuffer = true;
      // A w scale of 1 lets one division serve depth and colour; 0.5 needs two.
      setup.wScale = c.depth == Depth::kGreaterW ? 1.0f : 0.5f;
      setup.wNear = 0.8f;
      setup.wInvRange = 1.0f / 4.5f;
    }
  }
  setup.alphaTest = c.alphaTest;
  setup.alphaFunc = D3DCMP_GREATER;
  setup.alphaRef = 0x60;
  setup.blend = c.blend != Blend::kNone;
  setup.srcBlend = c.blend == Blend::kOneOne ? D3DBLEND_ONE : D3DBLEND_SRCALPHA;
  setup.destBlend = c.blend == Blend::kAlpha ? D3DBLEND_INVSRCALPHA : D3DBLEND_ONE;
  switch (c.stage) {
    case Stage::kDiffuse:
      setup.stage.colorOp = D3DTOP_DISABLE;
      break;
    case Stage::kTextureAlpha:
      setup.stage.alphaOp = D3DTOP_SELECTARG1;
      break;
    case Stage::kBothAlphas:
      setup.stage.alphaOp = D3DTOP_MODULATE;
      break;
    case Stage::kAdd:  // a set-up without a loop of its own
      setup.stage.colorOp = D3DTOP_ADD;
      break;
  }
  if (c.stage != Stage::kDiffuse) {
    setup.texels = texels.data();
    setup.texWidth = c.texWidth;
    setup.texHeight = c.texHeight;
    setup.clampU = setup.clampV = c.clamp;
  }
  return setup;
}

// Overlapping triangles of every size and slant, some reaching past every edge, drawn onto a
// background in which every channel and depth takes many values.
Frame Draw(const Case& c, RasterPath path) {
  Random random{static_cast<std::uint32_t>(c.texWidth * 31 + c.texHeight)};
  std::vector<std::uint32_t> texels(static_cast<std::size_t>(c.texWidth) * c.texHeight);
  for (std::size_t i = 0; i < texels.size(); ++i) {
    // Every other texel opaque enough to pass the alpha test, the first one included (a 1x1 texture).
    texels[i] = static_cast<std::uint32_t>(random.Next(0, 4294967040.0f)) | (i % 2 == 0 ? 0xC0000000u : 0u);
  }
  ColorSurface target = MakeColorSurface(kWidth, kHeight, c.format);
  DepthSurface depth = MakeDepthSurface(kWidth, kHeight);
  for (std::uint8_t& byte : target.bytes) byte = static_cast<std::uint8_t>(random.Next(0, 256));
  for (std::uint16_t& value : depth.values) value = static_cast<std::uint16_t>(random.Next(0, 65536));
  const std::vector<std::uint8_t> background = target.bytes;
  PixelSetup setup = MakeSetup(c, target, depth, texels);
  setup.path = path;
  for (int k = 0; k < 24; ++k) {
    const float size = k % 3 == 0 ? 90.0f : k % 3 == 1 ? 20.0f : 3.0f;
    const float cx = random.Next(-5, kWidth + 5), cy = random.Next(-5, kHeight + 5);
    ScreenVertex v[3];
    for (ScreenVertex& p : v) {
      p = {cx + random.Next(-size, size), cy + random.Next(-size, size), random.Next(-0.1f, 1.1f),
           c.perspective ? random.Next(0.2f, 1.0f) : 0.5f, random.Next(-20, 275), random.Next(0, 255),
           random.Next(0, 255), random.Next(0, 260), random.Next(-1.5f, 2.5f), random.Next(-1.5f, 2.5f)};
    }
    // Values far beyond every range, where conversions to integers overflow: colours, depth, w.
    if (k == 9 || k == 22) {
      v[0].r = 5.0e9f;
      v[0].g = -5.0e9f;
      v[0].z = 4.0e4f;
      if (c.perspective) v[1].rhw = 1.0e-30f;
    }
    if (c.white) v[0].r = v[0].g = v[0].b = 255.0f;
    if (c.white && k % 2 == 0) v[0].a = 255.0f;
    if (c.flat || c.white) {
      for (ScreenVertex* p : {&v[1], &v[2]}) {
        p->r = v[0].r;
        p->g = v[0].g;
        p->b = v[0].b;
        p->a = v[0].a;
      }
    }
    DrawTriangle(setup, v[0], v[1], v[2]);
  }
  int changed = 0;
  for (std::size_t i = 0; i < background.size(); ++i) changed += background[i] != target.bytes[i];
  return {target.bytes, depth.values, changed};
}

// Every stage, blend and depth set-up on the 32-bit formats and one 16-bit one; the remaining
// choices cycle so that each meets many of the others.
std::vector<Case> AllCases() {
  std::vector<Case> cases;
  int n = 0;
  for (D3DFORMAT format : {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_R5G6B5}) {
    for (Stage stage : {Stage::kDiffuse, Stage::kTextureAlpha, Stage::kBothAlphas, Stage::kAdd}) {
      for (Blend blend : {Blend::kNone, Blend::kAlpha, Blend::kAdditive, Blend::kOneOne}) {
        for (Depth depth : {Depth::kOff, Depth::kLessEqualZ, Depth::kLessNoWriteZ, Depth::kGreaterW,
                            Depth::kNotEqualScaledW, Depth::kWriteOnly}) {
          const int sizes[][2] = {{16, 16}, {8, 32}, {12, 10}, {1, 1}};
          cases.push_back({format, stage, blend, depth, n % 3 == 1, n % 2 == 0, sizes[n % 4][0], sizes[n % 4][1],
                           n % 5 != 0, n % 7 == 3, n % 7 == 5});
          ++n;
        }
      }
    }
  }
  return cases;
}

class RasterPaths : public testing::TestWithParam<RasterPath> {};

TEST_P(RasterPaths, DrawTheSamePixelsAsOnePixelAtATime) {
  const RasterPath path = GetParam();
  if (!RasterPathAvailable(path)) GTEST_SKIP() << "this processor has no " << RasterPathName(path);
  for (const Case& c : AllCases()) {
    const Frame reference = Draw(c, RasterPath::kScalar);
    // A case that drew nothing would compare equal on every path.
    EXPECT_GT(reference.changedBytes, kWidth * kHeight / 16) << Describe(c);
    const Frame lanes = Draw(c, path);
    ASSERT_EQ(lanes.colors.size(), reference.colors.size());
    std::size_t firstDifference = reference.colors.size();
    for (std::size_t i = 0; i < reference.colors.size() && firstDifference == reference.colors.size(); ++i) {
      if (lanes.colors[i] != reference.colors[i]) firstDifference = i;
    }
    const std::size_t pixelBytes = BytesPerPixel(c.format);
    EXPECT_EQ(firstDifference, reference.colors.size())
        << Describe(c) << ": first different pixel (" << firstDifference / pixelBytes % kWidth << ", "
        << firstDifference / pixelBytes / kWidth << ")";
    EXPECT_EQ(lanes.depths, reference.depths) << Describe(c);
    ColorSurface target = MakeColorSurface(kWidth, kHeight, c.format);
    DepthSurface depth;
    std::vector<std::uint32_t> texels(1);
    PixelSetup setup = MakeSetup(c, target, depth, texels);
    setup.path = path;
    // Otherwise the comparison would be of one loop with itself. The lanes take 32-bit targets and
    // the stage and blend set-ups with loops of their own; the diffuse stage has one only without
    // an alpha test.
    const bool lanesTakeIt = c.format != D3DFMT_R5G6B5 && c.stage != Stage::kAdd && c.blend != Blend::kOneOne &&
                             !(c.stage == Stage::kDiffuse && c.alphaTest);
    EXPECT_EQ(PathFor(setup), lanesTakeIt ? path : RasterPath::kScalar) << Describe(c);
  }
}

INSTANTIATE_TEST_SUITE_P(Lanes, RasterPaths, testing::Values(RasterPath::kSse2, RasterPath::kAvx2),
                         [](const testing::TestParamInfo<RasterPath>& param) {
                           return std::string(RasterPathName(param.param));
                         });

TEST(RasterPathChoice, HonoursWhatTheProcessorHas) {
  struct Row {
    const char* requested;
    RasterPath best;
    RasterPath chosen;
    bool message;
  };
  const Row rows[] = {
      {nullptr, RasterPath::kAvx2, RasterPath::kAvx2, false},
      {"", RasterPath::kSse2, RasterPath::kSse2, false},
      {"scalar", RasterPath::kAvx2, RasterPath::kScalar, false},
      {"sse2", RasterPath::kAvx2, RasterPath::kSse2, false},
      {"avx2", RasterPath::kAvx2, RasterPath::kAvx2, false},
      {"avx2", RasterPath::kSse2, RasterPath::kSse2, true},
      {"sse2", RasterPath::kScalar, RasterPath::kScalar, true},
      {"AVX2", RasterPath::kAvx2, RasterPath::kAvx2, true},
      {"fastest", RasterPath::kSse2, RasterPath::kSse2, true},
  };
  for (const Row& row : rows) {
    std::string message;
    EXPECT_EQ(ChooseRasterPath(row.requested, row.best, &message), row.chosen)
        << (row.requested ? row.requested : "unset");
    EXPECT_EQ(!message.empty(), row.message) << message;
  }
}

}  // namespace
}  // namespace d3d8_test
