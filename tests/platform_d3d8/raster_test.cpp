#include "draw_test_support.h"
#include "platform/d3dx8/d3dx8.h"

namespace d3d8_test {
namespace {

using RasterTest = D3D8Test;

// Additive drawing of value 1 counts how often each pixel was drawn.
void CountDraws(IDirect3DDevice8* device) {
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
}

// The square (0,0)-(5,5) covers exactly the 25 pixels with centres 0..4: the left and top edges
// are in, the right and bottom edges out.
TEST_F(RasterTest, SquareCoversExactlyItsPixelCentres) {
  IDirect3DDevice8* device = MakeDevice(8, 8, D3DFMT_X8R8G8B8, false);
  CountDraws(device);
  ASSERT_EQ(DrawVertices(device, D3DPT_TRIANGLELIST, 2, RhwRect(0, 0, 5, 5, 0xFF010101), kRhwFvf),
            D3D_OK);
  for (UINT y = 0; y < 8; ++y) {
    for (UINT x = 0; x < 8; ++x) {
      const D3DCOLOR expected = (x < 5 && y < 5) ? 0xFF010101u : 0xFF000000u;
      EXPECT_EQ(PixelAt(device, x, y), expected) << x << "," << y;
    }
  }
  EXPECT_EQ(device->Release(), 0u);
}

// Triangles sharing edges in every direction (a fan around an off-grid centre, plus edges through
// pixel centres) draw every covered pixel exactly once.
TEST_F(RasterTest, SharedEdgesDrawEachPixelOnce) {
  IDirect3DDevice8* device = MakeDevice(16, 16, D3DFMT_X8R8G8B8, false);
  CountDraws(device);
  const float cx = 7.3f, cy = 6.0f;  // centre on a row of pixel centres
  const float ring[][2] = {{1, 1}, {7, 1}, {14.5f, 1}, {14.5f, 8}, {14.5f, 14.25f},
                           {7, 14.25f}, {1, 14.25f}, {1, 6}};
  std::vector<RhwVertex> fan = {{cx, cy, 0.5f, 1, 0xFF010101, 0, 0}};
  for (const auto& p : ring) fan.push_back({p[0], p[1], 0.5f, 1, 0xFF010101, 0, 0});
  fan.push_back(fan[1]);
  ASSERT_EQ(DrawVertices(device, D3DPT_TRIANGLEFAN, 8, fan, kRhwFvf), D3D_OK);
  // The union is the rectangle [1, 14.5) x [1, 14.25): centres 1..14 both ways.
  for (UINT y = 0; y < 16; ++y) {
    for (UINT x = 0; x < 16; ++x) {
      const bool inside = x >= 1 && x <= 14 && y >= 1 && y <= 14;
      EXPECT_EQ(PixelAt(device, x, y), inside ? 0xFF010101u : 0xFF000000u) << x << "," << y;
    }
  }
  EXPECT_EQ(device->Release(), 0u);
}

// The engine's screen quad: 0x142 vertices at z = 1.0 through the 640 x 480 2D projection lie on
// its far plane (z == w) and are drawn; a hair beyond it they are clipped away.
TEST_F(RasterTest, ScreenQuadOnTheFarPlaneIsKept) {
  IDirect3DDevice8* device = MakeDevice(64, 48, D3DFMT_X8R8G8B8, false);
  D3DXMATRIX ortho;
  D3DXMatrixOrthoOffCenterLH(&ortho, 0, 640, 480, 0, 0, 1);
  device->SetTransform(D3DTS_PROJECTION, &ortho);
  device->SetRenderState(D3DRS_LIGHTING, FALSE);
  const auto quad = [](float z, D3DCOLOR c) {
    return std::vector<XyzVertex>{{100, 200, z, c, 0, 0}, {300, 200, z, c, 1, 0},
                                  {300, 400, z, c, 1, 1}, {100, 400, z, c, 0, 1}};
  };
  ASSERT_EQ(DrawVertices(device, D3DPT_TRIANGLEFAN, 2, quad(1.0f, 0xFFFF0000), kXyzFvf), D3D_OK);
  // 640 x 480 units scale by 0.1 onto 64 x 48 pixels: the quad spans [10, 30) x [20, 40).
  for (UINT y = 0; y < 48; ++y) {
    for (UINT x = 0; x < 64; ++x) {
      const bool inside = x >= 10 && x < 30 && y >= 20 && y < 40;
      ASSERT_EQ(PixelAt(device, x, y), inside ? 0xFFFF0000u : 0xFF000000u) << x << "," << y;
    }
  }
  ASSERT_EQ(DrawVertices(device, D3DPT_TRIANGLEFAN, 2, quad(1.001f, 0xFF00FF00), kXyzFvf), D3D_OK);
  EXPECT_EQ(PixelAt(device, 15, 25), 0xFFFF0000u);
  EXPECT_EQ(device->Release(), 0u);
}

// A perspective triangle reaching behind the camera and past the sides is clipped, not wrapped
// around: what remains is drawn inside the viewport only, on the correct side.
TEST_F(RasterTest, ClippingAgainstNearAndSidePlanes) {
  IDirect3DDevice8* device = MakeDevice(32, 32, D3DFMT_X8R8G8B8, false);
  D3DXMATRIX projection;
  D3DXMatrixPerspectiveFovLH(&projection, 1.5707964f, 1.0f, 1.0f, 100.0f);
  device->SetTransform(D3DTS_PROJECTION, &projection);
  device->SetRenderState(D3DRS_LIGHTING, FALSE);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  // A floor under the camera running from behind it (z = -5) to far ahead (z = 50).
  const std::vector<XyzVertex> floor = {{-100, -1, -5, 0xFF00FF00, 0, 0},
                                        {100, -1, -5, 0xFF00FF00, 0, 0},
                                        {0, -1, 50, 0xFF00FF00, 0, 0}};
  ASSERT_EQ(DrawVertices(device, D3DPT_TRIANGLELIST, 1, floor, kXyzFvf), D3D_OK);
  // Below the horizon (screen row 16) the floor shows; above it nothing.
  EXPECT_EQ(PixelAt(device, 16, 31), 0xFF00FF00u);
  EXPECT_EQ(PixelAt(device, 0, 31), 0xFF00FF00u);
  for (UINT x = 0; x < 32; ++x) EXPECT_EQ(PixelAt(device, x, 10), 0xFF000000u) << x;
  EXPECT_EQ(device->Release(), 0u);
}

// Direct3D's front faces are clockwise on screen; CCW is culled by default.
TEST_F(RasterTest, CullingFollowsScreenWinding) {
  IDirect3DDevice8* device = MakeDevice(8, 8, D3DFMT_X8R8G8B8, false);
  const std::vector<RhwVertex> clockwise = {{0, 0, 0.5f, 1, 0xFFFFFFFF, 0, 0},
                                            {8, 0, 0.5f, 1, 0xFFFFFFFF, 0, 0},
                                            {0, 8, 0.5f, 1, 0xFFFFFFFF, 0, 0}};
  const std::vector<RhwVertex> counter = {clockwise[0], clockwise[2], clockwise[1]};
  const struct {
    DWORD mode;
    bool drawsClockwise, drawsCounter;
  } cases[] = {{D3DCULL_CCW, true, false}, {D3DCULL_CW, false, true}, {D3DCULL_NONE, true, true}};
  for (const auto& c : cases) {
    device->SetRenderState(D3DRS_CULLMODE, c.mode);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    DrawVertices(device, D3DPT_TRIANGLELIST, 1, clockwise, kRhwFvf);
    EXPECT_EQ(PixelAt(device, 1, 1) == 0xFFFFFFFFu, c.drawsClockwise) << c.mode;
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    DrawVertices(device, D3DPT_TRIANGLELIST, 1, counter, kRhwFvf);
    EXPECT_EQ(PixelAt(device, 1, 1) == 0xFFFFFFFFu, c.drawsCounter) << c.mode;
  }
  EXPECT_EQ(device->Release(), 0u);
}

// Flat shading colours each triangle with its first vertex (fans: vertex i + 1, strips: vertex i);
// Gouraud interpolates, exactly reproducing a vertex colour at a pixel centre on that vertex.
TEST_F(RasterTest, FlatAndGouraudShading) {
  IDirect3DDevice8* device = MakeDevice(8, 8, D3DFMT_X8R8G8B8, false);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  // Fan around the top-left corner: triangle 0 is (v1, v2, v0), triangle 1 is (v2, v3, v0).
  const std::vector<RhwVertex> fan = {{0, 0, 0.5f, 1, 0xFF000000, 0, 0},
                                      {8, 0, 0.5f, 1, 0xFFFF0000, 0, 0},
                                      {8, 8, 0.5f, 1, 0xFF00FF00, 0, 0},
                                      {0, 8, 0.5f, 1, 0xFF0000FF, 0, 0}};
  device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
  DrawVertices(device, D3DPT_TRIANGLEFAN, 2, fan, kRhwFvf);
  EXPECT_EQ(PixelAt(device, 6, 2), 0xFFFF0000u);  // upper-right triangle: v1
  EXPECT_EQ(PixelAt(device, 2, 6), 0xFF00FF00u);  // lower-left triangle: v2

  const std::vector<RhwVertex> strip = {fan[0], fan[1], fan[3], fan[2]};
  DrawVertices(device, D3DPT_TRIANGLESTRIP, 2, strip, kRhwFvf);
  EXPECT_EQ(PixelAt(device, 2, 2), 0xFF000000u);  // triangle 0: v0
  EXPECT_EQ(PixelAt(device, 6, 6), 0xFFFF0000u);  // triangle 1: v1

  // Gouraud across a horizontal ramp from 0 at x = 0 to 255 at x = 5 (all rhw 1).
  device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
  const std::vector<RhwVertex> ramp = {{0, 0, 0.5f, 1, 0xFF000000, 0, 0},
                                       {5, 0, 0.5f, 1, 0xFFFF0000, 0, 0},
                                       {5, 8, 0.5f, 1, 0xFFFF0000, 0, 0},
                                       {0, 8, 0.5f, 1, 0xFF000000, 0, 0}};
  DrawVertices(device, D3DPT_TRIANGLEFAN, 2, ramp, kRhwFvf);
  for (UINT x = 0; x < 5; ++x) {
    const unsigned red = (x * 255 + 2) / 5;  // round(255 * x / 5)
    EXPECT_EQ(PixelAt(device, x, 3), D3DCOLOR_ARGB(255, red, 0, 0)) << x;
  }
  EXPECT_EQ(device->Release(), 0u);
}

// Colour is interpolated perspective-correctly: halfway along the screen between a near vertex
// (w = 1) and a far one (w = 3), the colour is three quarters of the way to the near one.
TEST_F(RasterTest, PerspectiveCorrectColour) {
  IDirect3DDevice8* device = MakeDevice(16, 4, D3DFMT_X8R8G8B8, false);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  const float farRhw = 1.0f / 3.0f;
  const std::vector<RhwVertex> band = {{0, 0, 0.5f, 1, 0xFFFF0000, 0, 0},
                                       {16, 0, 0.5f, farRhw, 0xFF000000, 0, 0},
                                       {16, 4, 0.5f, farRhw, 0xFF000000, 0, 0},
                                       {0, 4, 0.5f, 1, 0xFFFF0000, 0, 0}};
  DrawVertices(device, D3DPT_TRIANGLEFAN, 2, band, kRhwFvf);
  // At x = 8, screen fraction 0.5: red = (1 * 255 * 0.5) / (0.5 + 0.5 / 3) = 191.25 -> 191.
  EXPECT_EQ(PixelAt(device, 8, 1), 0xFFBF0000u);
  EXPECT_EQ(device->Release(), 0u);
}

// Pre-transformed vertices with rhw 0 or far off screen are drawn without faults: what lands in
// the viewport is drawn, nothing outside it is touched.
TEST_F(RasterTest, DegenerateTransformedVerticesStayInsideTheTarget) {
  IDirect3DDevice8* device = MakeDevice(8, 8, D3DFMT_X8R8G8B8);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  const std::vector<RhwVertex> zeroRhw = {{0, 0, 0.5f, 0, 0xFF00FF00, 0, 0},
                                          {8, 0, 0.5f, 1, 0xFF00FF00, 0, 0},
                                          {0, 8, 0.5f, 1, 0xFF00FF00, 0, 0}};
  EXPECT_EQ(DrawVertices(device, D3DPT_TRIANGLELIST, 1, zeroRhw, kRhwFvf), D3D_OK);
  const std::vector<RhwVertex> huge = {{-5000, -5000, 0.5f, 1, 0xFFFF0000, 0, 0},
                                       {90000, -5000, 0.5f, 1, 0xFFFF0000, 0, 0},
                                       {-5000, 90000, 0.5f, 1, 0xFFFF0000, 0, 0}};
  EXPECT_EQ(DrawVertices(device, D3DPT_TRIANGLELIST, 1, huge, kRhwFvf), D3D_OK);
  for (UINT y = 0; y < 8; ++y) {
    for (UINT x = 0; x < 8; ++x) EXPECT_EQ(PixelAt(device, x, y), 0xFFFF0000u) << x << "," << y;
  }
  EXPECT_EQ(device->Release(), 0u);
}

}  // namespace
}  // namespace d3d8_test
