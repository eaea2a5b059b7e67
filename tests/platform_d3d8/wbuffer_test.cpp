// D3DZB_USEW on the software device: with a w-friendly projection the depth buffer holds eye
// depth spread linearly between the projection's near and far w.
#include "draw_test_support.h"

namespace d3d8_test {
namespace {

using WBufferTest = D3D8Test;

// A left-handed perspective projection with a 90-degree field of view, near 1 and far 101.
D3DMATRIX Perspective() {
  D3DMATRIX p{};
  p._11 = p._22 = 1;
  p._33 = 101.0f / 100.0f;
  p._34 = 1;
  p._43 = -101.0f / 100.0f;
  return p;
}

// A quad filling the view at eye depth z (the view is the identity).
std::vector<XyzVertex> QuadAt(float z, D3DCOLOR color) {
  return {{-z, z, z, color, 0, 0}, {z, z, z, color, 0, 0}, {z, -z, z, color, 0, 0},
          {-z, -z, z, color, 0, 0}};
}

IDirect3DDevice8* Scene(IDirect3DDevice8* device, DWORD mode) {
  device->SetRenderState(D3DRS_LIGHTING, FALSE);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetRenderState(D3DRS_ZENABLE, mode);
  const D3DMATRIX projection = Perspective();
  device->SetTransform(D3DTS_PROJECTION, &projection);
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
  return device;
}

TEST_F(WBufferTest, StoresEyeDepthLinearlyAndSeparatesFarSurfaces) {
  IDirect3DDevice8* device = Scene(MakeDevice(4, 4), D3DZB_USEW);
  DrawVertices(device, D3DPT_TRIANGLEFAN, 2, QuadAt(26, 0xFFFF0000), kXyzFvf);
  // (26 - 1) / (101 - 1) = 0.25 of 65535, rounded. A z-buffer would hold z/w = 0.971 here.
  EXPECT_EQ(RefBackendOf(device).DepthBuffer()->values[5], 16384);

  // Two surfaces 0.02 apart at eye depth 90: 16-bit z/w cannot tell them apart (both round to
  // the same value, and LESSEQUAL lets the farther one through); w can.
  Scene(device, D3DZB_USEW);
  DrawVertices(device, D3DPT_TRIANGLEFAN, 2, QuadAt(90.0f, 0xFFFF0000), kXyzFvf);
  DrawVertices(device, D3DPT_TRIANGLEFAN, 2, QuadAt(90.02f, 0xFF00FF00), kXyzFvf);
  EXPECT_EQ(PixelAt(device, 1, 1), 0xFFFF0000u) << "the nearer surface stays";
  Scene(device, D3DZB_TRUE);
  DrawVertices(device, D3DPT_TRIANGLEFAN, 2, QuadAt(90.0f, 0xFFFF0000), kXyzFvf);
  DrawVertices(device, D3DPT_TRIANGLEFAN, 2, QuadAt(90.02f, 0xFF00FF00), kXyzFvf);
  EXPECT_EQ(PixelAt(device, 1, 1), 0xFF00FF00u) << "z-buffering fights";

  // Drawn in either order, the nearer of two surfaces wins under w-buffering.
  Scene(device, D3DZB_USEW);
  DrawVertices(device, D3DPT_TRIANGLEFAN, 2, QuadAt(30.0f, 0xFF0000FF), kXyzFvf);
  DrawVertices(device, D3DPT_TRIANGLEFAN, 2, QuadAt(20.0f, 0xFF00FF00), kXyzFvf);
  DrawVertices(device, D3DPT_TRIANGLEFAN, 2, QuadAt(40.0f, 0xFFFF0000), kXyzFvf);
  EXPECT_EQ(PixelAt(device, 2, 2), 0xFF00FF00u);
  EXPECT_EQ(device->Release(), 0u);
}

}  // namespace
}  // namespace d3d8_test
