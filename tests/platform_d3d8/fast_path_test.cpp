#include "draw_test_support.h"

namespace d3d8_test {
namespace {

using FastPathTest = D3D8Test;

// Screen quads (textured, white, blended SRCALPHA / INVSRCALPHA, no depth) take a packed loop.
// Turning on an alpha test that passes everything sends the same quad through another loop (the
// lanes, or one pixel at a time without them); both must leave identical pixels, for every pair of
// texel and destination.
TEST_F(FastPathTest, PackedScreenQuadsMatchTheGeneralPath) {
  for (D3DFORMAT format : {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8}) {
    IDirect3DDevice8* device = MakeDevice(64, 64, format, false);
    std::vector<D3DCOLOR> texels(64 * 64);
    std::uint32_t seed = 12345;
    for (D3DCOLOR& texel : texels) {
      seed = seed * 1664525u + 1013904223u;
      texel = seed;
    }
    IDirect3DTexture8* texture = MakeTexture(device, 64, 64, texels);
    device->SetTexture(0, texture);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_ALWAYS);

    for (DWORD alphaOp : {DWORD{D3DTOP_SELECTARG1}, DWORD{D3DTOP_MODULATE}}) {
      device->SetTextureStageState(0, D3DTSS_ALPHAOP, alphaOp);
      std::vector<std::vector<std::uint8_t>> results;
      for (BOOL alphaTest : {FALSE, TRUE}) {
        device->SetRenderState(D3DRS_ALPHATESTENABLE, alphaTest);
        // A destination with every kind of value: a gradient in all four channels.
        const std::vector<RhwVertex> background = {{0, 0, 0.5f, 1, 0x00000000, 0, 0},
                                                   {64, 0, 0.5f, 1, 0xFFFF00FF, 0, 0},
                                                   {64, 64, 0.5f, 1, 0x80FFFFFF, 0, 0},
                                                   {0, 64, 0.5f, 1, 0x4000FF00, 0, 0}};
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        device->SetTexture(0, nullptr);
        DrawVertices(device, D3DPT_TRIANGLEFAN, 2, background, kRhwFvf);
        device->SetTexture(0, texture);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        const D3DCOLOR white = 0x9CFFFFFF;
        const std::vector<RhwVertex> quad = {{-0.5f, -0.5f, 0.5f, 1, white, 0, 0},
                                             {63.5f, -0.5f, 0.5f, 1, white, 1, 0},
                                             {63.5f, 63.5f, 0.5f, 1, white, 1, 1},
                                             {-0.5f, 63.5f, 0.5f, 1, white, 0, 1}};
        DrawVertices(device, D3DPT_TRIANGLEFAN, 2, quad, kRhwFvf);
        // A turned quad, whose rows cross texel rows, and whose runs end at odd lengths.
        const std::vector<RhwVertex> turned = {{31.5f, -3.2f, 0.5f, 1, white, 0, 0},
                                               {66.1f, 31.7f, 0.5f, 1, white, 3, 0},
                                               {31.5f, 66.3f, 0.5f, 1, white, 3, 3},
                                               {-3.3f, 31.7f, 0.5f, 1, white, 0, 3}};
        DrawVertices(device, D3DPT_TRIANGLEFAN, 2, turned, kRhwFvf);
        // Texture coordinates below zero: wrapping takes the floor of u x width, not its truncation.
        const std::vector<RhwVertex> negative = {{2.5f, 10.5f, 0.5f, 1, white, -2.3f, 0},
                                                 {61.5f, 10.5f, 0.5f, 1, white, -0.7f, 0},
                                                 {61.5f, 20.5f, 0.5f, 1, white, -0.7f, 1},
                                                 {2.5f, 20.5f, 0.5f, 1, white, -2.3f, 1}};
        DrawVertices(device, D3DPT_TRIANGLEFAN, 2, negative, kRhwFvf);
        results.push_back(RefBackendOf(device).BackBuffer().bytes);
      }
      EXPECT_EQ(results[0], results[1]) << "format " << format << " alpha op " << alphaOp;
    }
    device->SetTexture(0, nullptr);
    texture->Release();
    EXPECT_EQ(device->Release(), 0u);
  }
}

}  // namespace
}  // namespace d3d8_test

namespace d3d8_test {
namespace {

// A large triangle's rows are shared with the helper thread; the pixels and depths must be those
// of drawing every row on the calling thread.
TEST(HelperThreadSplit, LargeTrianglesDrawTheSameOnTwoThreads) {
  using namespace d3d8::ref;
  std::vector<std::uint32_t> texels(16 * 16);
  for (std::size_t i = 0; i < texels.size(); ++i) texels[i] = static_cast<std::uint32_t>(i * 2654435761u);
  const ScreenVertex a{3.3f, 1.7f, 0.2f, 1.0f, 255, 0, 0, 255, 0, 0};
  const ScreenVertex b{300.0f, 40.5f, 0.9f, 0.25f, 0, 255, 0, 128, 4, 0};
  const ScreenVertex c{20.25f, 290.0f, 0.5f, 0.5f, 0, 0, 255, 0, 0, 4};
  std::vector<std::vector<std::uint8_t>> colors;
  std::vector<std::vector<std::uint16_t>> depths;
  HelperThread helper;
  for (HelperThread* thread : {static_cast<HelperThread*>(nullptr), &helper}) {
    ColorSurface target = MakeColorSurface(320, 300, D3DFMT_X8R8G8B8);
    DepthSurface depth = MakeDepthSurface(320, 300);
    PixelSetup setup;
    setup.target = &target;
    setup.depth = &depth;
    setup.depthTest = setup.depthWrite = true;
    setup.blend = true;
    setup.srcBlend = D3DBLEND_SRCALPHA;
    setup.destBlend = D3DBLEND_INVSRCALPHA;
    setup.texels = texels.data();
    setup.texWidth = setup.texHeight = 16;
    setup.right = 320;
    setup.bottom = 300;
    setup.helper = thread;
    DrawTriangle(setup, a, b, c);
    DrawTriangle(setup, a, c, b);  // the same again: depth equal, blended twice
    colors.push_back(target.bytes);
    depths.push_back(depth.values);
  }
  EXPECT_EQ(colors[0], colors[1]);
  EXPECT_EQ(depths[0], depths[1]);
  EXPECT_NE(depths[0][150 * 320 + 100], 0xFFFF) << "the triangle was drawn";
}

}  // namespace
}  // namespace d3d8_test
