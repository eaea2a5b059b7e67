// D3DFILL_WIREFRAME and D3DFILL_POINT on the software device, and the line rasterizer beneath.
#include <set>
#include <utility>

#include "draw_test_support.h"
#include "platform/d3d8/ref/ref_rasterizer.h"

namespace d3d8_test {
namespace {

using Pixel = std::pair<int, int>;

// Every pixel of the surface that is not the background colour.
std::set<Pixel> Drawn(const d3d8::ref::ColorSurface& surface) {
  std::set<Pixel> drawn;
  for (UINT y = 0; y < surface.height; ++y) {
    for (UINT x = 0; x < surface.width; ++x) {
      if ((d3d8::ref::ReadPixel(surface, x, y) & 0xFFFFFF) != 0) {
        drawn.insert({static_cast<int>(x), static_cast<int>(y)});
      }
    }
  }
  return drawn;
}

d3d8::ref::ScreenVertex At(float x, float y, D3DCOLOR color = 0xFFFFFFFF) {
  d3d8::ref::ScreenVertex v{};
  v.x = x;
  v.y = y;
  v.rhw = 1;
  v.r = static_cast<float>((color >> 16) & 255);
  v.g = static_cast<float>((color >> 8) & 255);
  v.b = static_cast<float>(color & 255);
  v.a = 255;
  return v;
}

class LineTest : public ::testing::Test {
 protected:
  LineTest() : surface_(d3d8::ref::MakeColorSurface(12, 12, D3DFMT_X8R8G8B8)) {
    setup_.target = &surface_;
    setup_.stage.colorOp = D3DTOP_DISABLE;  // the interpolated colour
    setup_.right = setup_.bottom = 12;
  }
  void Line(float x0, float y0, float x1, float y1, bool lastPixel) {
    d3d8::ref::DrawLine(setup_, At(x0, y0), At(x1, y1), lastPixel);
  }
  void Reset() { surface_ = d3d8::ref::MakeColorSurface(12, 12, D3DFMT_X8R8G8B8); }

  d3d8::ref::ColorSurface surface_;
  d3d8::ref::PixelSetup setup_;
};

// One pixel per column of an x-major line, the row rounded from the line; the end pixel only
// with LASTPIXEL. Drawn either way round, a line covers the same pixels.
TEST_F(LineTest, MajorAxisStepsAndTheEndPixel) {
  Line(1, 1, 6, 3, false);
  const std::set<Pixel> body = {{1, 1}, {2, 1}, {3, 2}, {4, 2}, {5, 3}};
  EXPECT_EQ(Drawn(surface_), body);
  Reset();
  Line(1, 1, 6, 3, true);
  std::set<Pixel> whole = body;
  whole.insert({6, 3});
  EXPECT_EQ(Drawn(surface_), whole);
  Reset();
  Line(6, 3, 1, 1, true);
  EXPECT_EQ(Drawn(surface_), whole);

  Reset();  // y-major, and clipped to the drawable area
  setup_.bottom = 5;
  Line(2, 0, 3, 8, true);
  EXPECT_EQ(Drawn(surface_), (std::set<Pixel>{{2, 0}, {2, 1}, {2, 2}, {2, 3}, {3, 4}}));

  Reset();  // zero length: one pixel with LASTPIXEL, none without
  setup_.bottom = 12;
  Line(7.2f, 8.9f, 7.2f, 8.9f, false);
  EXPECT_TRUE(Drawn(surface_).empty());
  Line(7.2f, 8.9f, 7.2f, 8.9f, true);
  EXPECT_EQ(Drawn(surface_), (std::set<Pixel>{{7, 9}}));
}

TEST_F(LineTest, ColourInterpolatesAlongTheLine) {
  d3d8::ref::DrawLine(setup_, At(0, 5, 0xFFFF0000), At(10, 5, 0xFF0000FF), true);
  EXPECT_EQ(d3d8::ref::ReadPixel(surface_, 0, 5) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(d3d8::ref::ReadPixel(surface_, 5, 5) & 0xFFFFFF, 0x800080u);  // 127.5 rounds up
  EXPECT_EQ(d3d8::ref::ReadPixel(surface_, 10, 5) & 0xFFFFFF, 0x0000FFu);
}

using WireframeTest = D3D8Test;

// A square drawn as a two-triangle fan: its four sides and the shared diagonal, nothing inside.
// Culling happens before: the same square wound the other way disappears under D3DCULL_CCW.
TEST_F(WireframeTest, TrianglesBecomeTheirEdgesAfterCulling) {
  IDirect3DDevice8* device = MakeDevice(12, 12, D3DFMT_X8R8G8B8, false);
  device->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
  const std::vector<RhwVertex> square = {{2, 2, 0.5f, 1, 0xFFFFFFFF, 0, 0},
                                         {9, 2, 0.5f, 1, 0xFFFFFFFF, 0, 0},
                                         {9, 9, 0.5f, 1, 0xFFFFFFFF, 0, 0},
                                         {2, 9, 0.5f, 1, 0xFFFFFFFF, 0, 0}};
  ASSERT_EQ(DrawVertices(device, D3DPT_TRIANGLEFAN, 2, square, kRhwFvf), D3D_OK);
  std::set<Pixel> expected;
  for (int i = 2; i <= 9; ++i) {
    for (const Pixel& p : {Pixel{i, 2}, Pixel{i, 9}, Pixel{2, i}, Pixel{9, i}, Pixel{i, i}}) {
      expected.insert(p);
    }
  }
  const auto& surface = RefBackendOf(device).BackBuffer();
  EXPECT_EQ(Drawn(surface), expected);

  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
  const std::vector<RhwVertex> reversed = {square[0], square[3], square[2], square[1]};
  ASSERT_EQ(DrawVertices(device, D3DPT_TRIANGLEFAN, 2, reversed, kRhwFvf), D3D_OK);
  EXPECT_TRUE(Drawn(surface).empty());

  device->SetRenderState(D3DRS_FILLMODE, D3DFILL_POINT);
  ASSERT_EQ(DrawVertices(device, D3DPT_TRIANGLEFAN, 2, square, kRhwFvf), D3D_OK);
  EXPECT_EQ(Drawn(surface), (std::set<Pixel>{{2, 2}, {9, 2}, {9, 9}, {2, 9}}));
  EXPECT_EQ(device->Release(), 0u);
}

// Transformed triangles clip their edges as lines: an edge leaving the view volume stops at the
// viewport's border.
TEST_F(WireframeTest, EdgesClipAsLines) {
  IDirect3DDevice8* device = MakeDevice(16, 16, D3DFMT_X8R8G8B8, false);
  device->SetRenderState(D3DRS_LIGHTING, FALSE);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
  // Screen (4, 4), (24, 4), (4, 24): two edges run off the right and bottom.
  const std::vector<XyzVertex> tri = {{-0.5f, 0.5f, 0.5f, 0xFFFFFFFF, 0, 0},
                                      {2.0f, 0.5f, 0.5f, 0xFFFFFFFF, 0, 0},
                                      {-0.5f, -2.0f, 0.5f, 0xFFFFFFFF, 0, 0}};
  ASSERT_EQ(DrawVertices(device, D3DPT_TRIANGLELIST, 1, tri, kXyzFvf), D3D_OK);
  std::set<Pixel> expected;
  for (int i = 4; i < 16; ++i) {
    expected.insert({i, 4});
    expected.insert({4, i});
  }
  for (int x = 13; x < 16; ++x) expected.insert({x, 28 - x});  // the hypotenuse x + y = 28
  EXPECT_EQ(Drawn(RefBackendOf(device).BackBuffer()), expected);
  EXPECT_EQ(device->Release(), 0u);
}

}  // namespace
}  // namespace d3d8_test
