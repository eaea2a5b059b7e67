#include "draw_test_support.h"
#include "platform/d3d8/fvf.h"

namespace d3d8_test {
namespace {

using VertexStageTest = D3D8Test;

TEST(FvfLayouts, FieldsArePackedInDirect3DOrder) {
  d3d8::FvfLayout layout;
  ASSERT_TRUE(d3d8::DecodeFvf(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1, layout));
  EXPECT_EQ(layout.size, 24u);
  EXPECT_EQ(layout.diffuse, 12);
  EXPECT_EQ(layout.texCoord[0], 16);
  ASSERT_TRUE(d3d8::DecodeFvf(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1, layout));
  EXPECT_EQ(layout.size, 32u);
  EXPECT_EQ(layout.normal, 12);
  EXPECT_EQ(layout.diffuse, -1);
  ASSERT_TRUE(d3d8::DecodeFvf(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX2 |
                                  D3DFVF_TEXCOORDSIZE3(0) | D3DFVF_TEXCOORDSIZE1(1),
                              layout));
  EXPECT_TRUE(layout.transformed);
  EXPECT_EQ(layout.specular, 20);
  EXPECT_EQ(layout.texCoord[1], 36);
  EXPECT_EQ(layout.size, 40u);
  EXPECT_FALSE(d3d8::DecodeFvf(D3DFVF_DIFFUSE, layout)) << "no position";
  EXPECT_FALSE(d3d8::DecodeFvf(D3DFVF_XYZB1, layout)) << "blend weights";
}

// With lighting on (the default) and no lights, a vertex with only a diffuse colour is black and
// keeps its alpha; D3DRS_AMBIENT lights it once the ambient material source is the vertex colour.
TEST_F(VertexStageTest, LightingWithoutLightsGivesEmissivePlusAmbient) {
  IDirect3DDevice8* device = MakeDevice(4, 4, D3DFMT_A8R8G8B8, false);
  const std::vector<XyzVertex> tri = {{-1, 1, 0.5f, 0x80C08040, 0, 0},
                                      {3, 1, 0.5f, 0x80C08040, 0, 0},
                                      {-1, -3, 0.5f, 0x80C08040, 0, 0}};
  DrawVertices(device, D3DPT_TRIANGLELIST, 1, tri, kXyzFvf);
  EXPECT_EQ(PixelAt(device, 0, 0), 0x80000000u);
  device->SetRenderState(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_COLOR1);
  device->SetRenderState(D3DRS_AMBIENT, 0xFF808080);
  DrawVertices(device, D3DPT_TRIANGLELIST, 1, tri, kXyzFvf);
  EXPECT_EQ(PixelAt(device, 0, 0), 0x80604020u);  // round(0xC0 * 0x80 / 255) = 0x60, ...
  device->SetRenderState(D3DRS_LIGHTING, FALSE);
  DrawVertices(device, D3DPT_TRIANGLELIST, 1, tri, kXyzFvf);
  EXPECT_EQ(PixelAt(device, 0, 0), 0x80C08040u);
  EXPECT_EQ(device->Release(), 0u);
}

// D3DTSS_TCI_CAMERASPACEPOSITION: u and v are the camera-space x and y (here shifted by the view
// matrix, not by the projection), whatever coordinates the vertices carry.
TEST_F(VertexStageTest, CameraSpacePositionGeneratesTextureCoordinates) {
  IDirect3DDevice8* device = MakeDevice(4, 4, D3DFMT_X8R8G8B8, false);
  device->SetRenderState(D3DRS_LIGHTING, FALSE);
  IDirect3DTexture8* texture =
      MakeTexture(device, 2, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF});
  device->SetTexture(0, texture);
  device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEPOSITION);
  D3DMATRIX view = d3d8::IdentityMatrix();
  view._41 = 1.0f;  // camera space x = world x + 1, so clip x -1..1 gives u 0..2
  view._42 = 1.0f;
  D3DMATRIX projection = d3d8::IdentityMatrix();
  projection._41 = -1.0f;  // undo the shift for the position
  projection._42 = -1.0f;
  device->SetTransform(D3DTS_VIEW, &view);
  device->SetTransform(D3DTS_PROJECTION, &projection);
  const std::vector<XyzVertex> quad = {{-1, 1, 0.5f, 0xFFFFFFFF, 9, 9},
                                       {1, 1, 0.5f, 0xFFFFFFFF, 9, 9},
                                       {1, -1, 0.5f, 0xFFFFFFFF, 9, 9},
                                       {-1, -1, 0.5f, 0xFFFFFFFF, 9, 9}};
  DrawVertices(device, D3DPT_TRIANGLEFAN, 2, quad, kXyzFvf);
  // Pixel centres lie on integer screen positions: pixel (0, 0) is clip (-1, 1), camera (0, 2),
  // texel (0, 0) after wrapping v; pixel (1, 2) is clip (-0.5, 0), camera (0.5, 1), texel (1, 0);
  // pixel (3, 3) is clip (0.5, -0.5), camera (1.5, 0.5), texel (1, 1) after wrapping u.
  EXPECT_EQ(PixelAt(device, 0, 0), 0xFFFF0000u);
  EXPECT_EQ(PixelAt(device, 1, 2), 0xFF00FF00u);
  EXPECT_EQ(PixelAt(device, 3, 3), 0xFFFFFFFFu);
  device->SetTexture(0, nullptr);
  texture->Release();
  EXPECT_EQ(device->Release(), 0u);
}

}  // namespace
}  // namespace d3d8_test
