#include "draw_test_support.h"

namespace d3d8_test {
namespace {

using FastPathTest = D3D8Test;

// Screen quads (textured, white, blended SRCALPHA / INVSRCALPHA, no depth) take a packed loop.
// Turning on an alpha test that passes everything sends the same quad through the general loop;
// both must leave identical pixels, for every pair of texel and destination.
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
