// Flat white, affine, textured triangles without depth blend in a packed loop (four pixels at a
// time) on the SSE2 path for SRCALPHA with INVSRCALPHA or ONE. Drawn one pixel at a time
// (RasterPath::kScalar), the same triangle goes through the general per-pixel loop; both must leave
// identical pixels.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/d3d8/ref/ref_rasterizer.h"

namespace d3d8_test {
namespace {

using namespace d3d8::ref;

std::vector<std::uint32_t> MixedTexels(int width, int height) {
  std::vector<std::uint32_t> texels(static_cast<std::size_t>(width) * height);
  std::uint32_t seed = 2024;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      seed = seed * 1664525u + 1013904223u;
      // Left half opaque (whole groups of four take the opaque shortcut), right half any alpha.
      texels[static_cast<std::size_t>(y) * width + x] = x < width / 2 ? (seed | 0xFF000000u) : seed;
    }
  }
  return texels;
}

// A background in which every channel, alpha included, takes many values.
void FillBackground(ColorSurface& target) {
  std::uint32_t seed = 77;
  for (std::uint8_t& byte : target.bytes) {
    seed = seed * 1103515245u + 12345u;
    byte = static_cast<std::uint8_t>(seed >> 16);
  }
}

struct Case {
  DWORD destBlend;
  D3DFORMAT format;
  int texWidth, texHeight;
  bool clamp;
  int vertexAlpha;
};

std::vector<std::uint8_t> Draw(const Case& c, bool general) {
  const auto texels = MixedTexels(c.texWidth, c.texHeight);
  ColorSurface target = MakeColorSurface(97, 83, c.format);
  FillBackground(target);
  PixelSetup setup;
  setup.target = &target;
  setup.blend = true;
  setup.srcBlend = D3DBLEND_SRCALPHA;
  setup.destBlend = c.destBlend;
  setup.stage.alphaOp = D3DTOP_MODULATE;
  setup.path = general ? RasterPath::kScalar : RasterPath::kSse2;
  setup.texels = texels.data();
  setup.texWidth = c.texWidth;
  setup.texHeight = c.texHeight;
  setup.clampU = setup.clampV = c.clamp;
  setup.right = 97;
  setup.bottom = 83;
  const float a = static_cast<float>(c.vertexAlpha);
  // Turned, so that u and v both change along a row; coordinates below 0 and beyond 1.
  const ScreenVertex p{48.3f, -6.1f, 0.5f, 1, 255, 255, 255, a, -1.3f, -0.4f};
  const ScreenVertex q{101.7f, 40.2f, 0.5f, 1, 255, 255, 255, a, 2.6f, 0.3f};
  const ScreenVertex r{44.9f, 88.6f, 0.5f, 1, 255, 255, 255, a, 1.9f, 3.1f};
  const ScreenVertex s{-5.2f, 37.4f, 0.5f, 1, 255, 255, 255, a, -2.0f, 2.2f};
  DrawTriangle(setup, p, q, r);
  DrawTriangle(setup, p, r, s);
  // Axis-aligned, one texel row per pixel row.
  const ScreenVertex t{2.5f, 60.5f, 0.5f, 1, 255, 255, 255, a, 0.1f, 0.5f};
  const ScreenVertex u{90.5f, 60.5f, 0.5f, 1, 255, 255, 255, a, 3.7f, 0.5f};
  const ScreenVertex v{2.5f, 80.5f, 0.5f, 1, 255, 255, 255, a, 0.1f, 0.9f};
  DrawTriangle(setup, t, u, v);
  return target.bytes;
}

TEST(PackedRows, AdditiveAndAlphaBlendsMatchTheGeneralLoop) {
  if (!RasterPathAvailable(RasterPath::kSse2)) GTEST_SKIP() << "this processor has no sse2";
  for (DWORD destBlend : {DWORD{D3DBLEND_ONE}, DWORD{D3DBLEND_INVSRCALPHA}}) {
    for (D3DFORMAT format : {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8}) {
      for (const auto& [width, height, clamp] :
           {std::tuple{16, 16, false}, std::tuple{16, 8, true}, std::tuple{12, 10, false},
            std::tuple{12, 10, true}}) {
        for (int vertexAlpha : {255, 156}) {
          const Case c{destBlend, format, width, height, clamp, vertexAlpha};
          const auto packed = Draw(c, false);
          const auto general = Draw(c, true);
          EXPECT_EQ(packed, general) << "dest blend " << destBlend << " format " << format
                                     << " texture " << width << "x" << height
                                     << (clamp ? " clamped" : " wrapped") << " alpha "
                                     << vertexAlpha;
        }
      }
    }
  }
}

// The packed additive loop is exact where it matters most: opaque texels add with saturation,
// half-transparent ones add round(texel * alpha / 255).
TEST(PackedRows, AdditiveValues) {
  const std::vector<std::uint32_t> texels = {0xFF306090, 0x80FF4001};
  for (int column : {0, 1}) {
    ColorSurface target = MakeColorSurface(8, 1, D3DFMT_X8R8G8B8);
    for (int x = 0; x < 8; ++x) WritePixel(target, x, 0, 0x00E01020);
    PixelSetup setup;
    setup.target = &target;
    setup.blend = true;
    setup.srcBlend = D3DBLEND_SRCALPHA;
    setup.destBlend = D3DBLEND_ONE;
    setup.texels = texels.data();
    setup.texWidth = 2;
    setup.texHeight = 1;
    setup.right = 8;
    setup.bottom = 1;
    const float u = 0.25f + 0.5f * static_cast<float>(column);
    const ScreenVertex a{-0.5f, -0.5f, 0, 1, 255, 255, 255, 255, u, 0};
    const ScreenVertex b{7.5f, -0.5f, 0, 1, 255, 255, 255, 255, u, 0};
    const ScreenVertex c{-0.5f, 0.5f, 0, 1, 255, 255, 255, 255, u, 0};
    const ScreenVertex d{7.5f, 0.5f, 0, 1, 255, 255, 255, 255, u, 0};
    DrawTriangle(setup, a, b, c);
    DrawTriangle(setup, b, d, c);
    // 0x80 = 128: 0xFF * 128 / 255 -> 128, 0x40 * 128 / 255 = 32.1 -> 32, 1 * 128 / 255 -> 1 (0.502).
    const std::uint32_t expected = column == 0 ? 0x00FF70B0u : 0x00FF3021u;
    for (int x = 0; x < 8; ++x) EXPECT_EQ(ReadPixel(target, x, 0), expected) << "column " << column << " x " << x;
  }
}

}  // namespace
}  // namespace d3d8_test
