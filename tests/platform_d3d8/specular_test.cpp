// D3DRS_SPECULARENABLE: the specular colour is added to the texture stage's result, saturating, so
// a texture that modulates the diffuse colour leaves the highlight as bright as it was lit.
#include <algorithm>

#include "draw_test_support.h"

namespace d3d8_test {
namespace {

using SpecularTest = D3D8Test;

struct LitTexturedVertex {
  float x, y, z;
  float nx, ny, nz;
  float u, v;
};
constexpr DWORD kLitTexturedFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;

struct RhwSpecularVertex {
  float x, y, z, rhw;
  D3DCOLOR diffuse, specular;
  float u, v;
};
constexpr DWORD kRhwSpecularFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1;

// Channel c of 0x00RRGGBB.
unsigned Red(D3DCOLOR c) { return (c >> 16) & 255; }
unsigned Green(D3DCOLOR c) { return (c >> 8) & 255; }
unsigned Blue(D3DCOLOR c) { return c & 255; }

// A lit triangle covering the viewport, facing a directional light along +z; World, View and
// Projection are the identity. N.L = 1 and, without a local viewer, H = (0, 0, -1) so N.H = 1:
//   diffuse  = material diffuse (0.6, 0.4, 0.2) -> (153, 102, 51)
//   specular = material specular (0.6, 0.2, 0.8) * light specular 1 -> (153, 51, 204)
// Texel (128, 192, 64): modulated round(128 * 153 / 255) = 77, round(192 * 102 / 255) = 77,
// round(64 * 51 / 255) = 13, then + specular: (230, 128, 217). A white texel gives (255 after
// saturating 306, 153, 255). Adding before the stage would give (128, 115, 64) for the first.
TEST_F(SpecularTest, LitHighlightIsAddedAfterTheTextureModulates) {
  IDirect3DDevice8* device = MakeDevice(8, 8, D3DFMT_X8R8G8B8, false);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetRenderState(D3DRS_LOCALVIEWER, FALSE);
  device->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
  D3DMATERIAL8 material{};
  material.Diffuse = {0.6f, 0.4f, 0.2f, 1};
  material.Specular = {0.6f, 0.2f, 0.8f, 1};
  material.Power = 10;
  device->SetMaterial(&material);
  D3DLIGHT8 light{};
  light.Type = D3DLIGHT_DIRECTIONAL;
  light.Diffuse = {1, 1, 1, 1};
  light.Specular = {1, 1, 1, 1};
  light.Direction = {0, 0, 1};
  device->SetLight(0, &light);
  device->LightEnable(0, TRUE);
  IDirect3DTexture8* texture = MakeTexture(device, 2, 1, {0xFF80C040, 0xFFFFFFFF});
  device->SetTexture(0, texture);

  const auto draw = [&](float u) {
    const std::vector<LitTexturedVertex> tri = {{-1, 1, 0.5f, 0, 0, -1, u, 0},
                                                {3, 1, 0.5f, 0, 0, -1, u, 0},
                                                {-1, -3, 0.5f, 0, 0, -1, u, 0}};
    EXPECT_EQ(DrawVertices(device, D3DPT_TRIANGLELIST, 1, tri, kLitTexturedFvf), D3D_OK);
  };
  draw(0.25f);
  EXPECT_EQ(PixelAt(device, 0, 0) & 0xFFFFFF, 0xE680D9u);
  EXPECT_EQ(PixelAt(device, 6, 5) & 0xFFFFFF, 0xE680D9u);
  draw(0.75f);
  EXPECT_EQ(PixelAt(device, 3, 3) & 0xFFFFFF, 0xFF99FFu);

  device->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
  draw(0.25f);
  EXPECT_EQ(PixelAt(device, 3, 3) & 0xFFFFFF, 0x4D4D0Du) << "no highlight when off";
  device->SetTexture(0, nullptr);
  texture->Release();
  EXPECT_EQ(device->Release(), 0u);
}

// Unlit vertices carry their own specular colour. Gouraud: red runs 0 at x = 0 to 200 at x = 100,
// exactly 2x at pixel x; green is 10 everywhere. Diffuse 128 modulates texel (200, 100, 50) to
// (100, 50, 25). Flat: each triangle takes its first vertex's specular.
TEST_F(SpecularTest, VertexSpecularInterpolatesOrComesFromTheFirstVertex) {
  IDirect3DDevice8* device = MakeDevice(128, 4, D3DFMT_A8R8G8B8, false);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
  IDirect3DTexture8* texture = MakeTexture(device, 1, 1, {0xFFC86432});
  device->SetTexture(0, texture);
  const D3DCOLOR diffuse = 0xFF808080, left = 0x00000A00, right = 0x00C80A00;
  const RhwSpecularVertex topLeft{0, -0.5f, 0.5f, 1, diffuse, left, 0, 0};
  const RhwSpecularVertex topRight{100, -0.5f, 0.5f, 1, diffuse, right, 0, 0};
  const RhwSpecularVertex bottomRight{100, 3.5f, 0.5f, 1, diffuse, right, 0, 0};
  const RhwSpecularVertex bottomLeft{0, 3.5f, 0.5f, 1, diffuse, left, 0, 0};
  // The second triangle starts at its bottom-right corner (same winding).
  const std::vector<RhwSpecularVertex> quad = {topLeft, topRight, bottomRight,
                                               bottomRight, bottomLeft, topLeft};
  ASSERT_EQ(DrawVertices(device, D3DPT_TRIANGLELIST, 2, quad, kRhwSpecularFvf), D3D_OK);
  for (UINT x : {0u, 10u, 43u, 77u, 78u, 99u}) {
    for (UINT y : {0u, 3u}) {
      const D3DCOLOR pixel = PixelAt(device, x, y);
      EXPECT_EQ(Red(pixel), std::min(255u, 100 + 2 * x)) << x << "," << y;
      EXPECT_EQ(Green(pixel), 60u) << x << "," << y;
      EXPECT_EQ(Blue(pixel), 25u) << x << "," << y;
      EXPECT_EQ(pixel >> 24, 255u) << "alpha is the stage's, specular adds none";
    }
  }

  device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
  ASSERT_EQ(DrawVertices(device, D3DPT_TRIANGLELIST, 2, quad, kRhwSpecularFvf), D3D_OK);
  EXPECT_EQ(PixelAt(device, 90, 0), 0xFF643C19u) << "first triangle: no red highlight";
  EXPECT_EQ(PixelAt(device, 5, 3), 0xFFFF3C19u) << "second triangle: 100 + 200, saturated";
  device->SetTexture(0, nullptr);
  texture->Release();
  EXPECT_EQ(device->Release(), 0u);
}

// Untransformed, unlit vertices inside the view volume (drawn without clipping): flat shading
// takes the first vertex's specular, Gouraud blends it.
TEST_F(SpecularTest, UnclippedFlatTrianglesTakeTheFirstVertexSpecular) {
  IDirect3DDevice8* device = MakeDevice(8, 8, D3DFMT_X8R8G8B8, false);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetRenderState(D3DRS_LIGHTING, FALSE);
  device->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
  device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
  IDirect3DTexture8* texture = MakeTexture(device, 1, 1, {0xFFC86432});
  device->SetTexture(0, texture);
  struct Vertex {
    float x, y, z;
    D3DCOLOR diffuse, specular;
    float u, v;
  };
  const Vertex bright{-0.9f, 0.9f, 0.5f, 0xFF808080, 0x00C80000, 0, 0};
  const Vertex dark1{0.9f, 0.9f, 0.5f, 0xFF808080, 0, 0, 0};
  const Vertex dark2{-0.9f, -0.9f, 0.5f, 0xFF808080, 0, 0, 0};
  const DWORD fvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1;
  ASSERT_EQ(DrawVertices(device, D3DPT_TRIANGLELIST, 1, std::vector<Vertex>{dark1, dark2, bright}, fvf), D3D_OK);
  EXPECT_EQ(PixelAt(device, 1, 1) & 0xFFFFFF, 0x643219u);
  ASSERT_EQ(DrawVertices(device, D3DPT_TRIANGLELIST, 1, std::vector<Vertex>{bright, dark1, dark2}, fvf), D3D_OK);
  EXPECT_EQ(PixelAt(device, 1, 1) & 0xFFFFFF, 0xFF3219u);
  EXPECT_EQ(PixelAt(device, 5, 1) & 0xFFFFFF, 0xFF3219u);
  device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
  ASSERT_EQ(DrawVertices(device, D3DPT_TRIANGLELIST, 1, std::vector<Vertex>{dark1, dark2, bright}, fvf), D3D_OK);
  const unsigned nearBright = Red(PixelAt(device, 1, 1)), farFromIt = Red(PixelAt(device, 5, 1));
  EXPECT_GT(nearBright, farFromIt);
  EXPECT_GT(farFromIt, 100u);
  device->SetTexture(0, nullptr);
  texture->Release();
  EXPECT_EQ(device->Release(), 0u);
}

}  // namespace
}  // namespace d3d8_test
