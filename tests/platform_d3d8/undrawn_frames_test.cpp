// Frames played without pixels (a seek): the device takes every call and draws nothing, and it
// counts the frames drawn afterwards that would show what it left undrawn.
#include "draw_test_support.h"
#include <functional>

#include "platform/present/present.h"

namespace d3d8_test {
namespace {

class UndrawnFramesTest : public D3D8Test {
 protected:
  void TearDown() override {
    platform::SetPixelsDrawn(true);
    D3D8Test::TearDown();
  }
};

// A red triangle over the top-left half of a 4x4 buffer.
HRESULT DrawRed(IDirect3DDevice8* device) {
  const std::vector<RhwVertex> triangle = {
      {0, 0, 0.5f, 1, 0xFFFF0000, 0, 0}, {4, 0, 0.5f, 1, 0xFFFF0000, 0, 0}, {0, 4, 0.5f, 1, 0xFFFF0000, 0, 0}};
  return DrawVertices(device, D3DPT_TRIANGLELIST, 1, triangle, kRhwFvf);
}

HRESULT ClearAll(IDirect3DDevice8* device, D3DCOLOR colour) {
  return device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, colour, 1.0f, 0);
}

TEST_F(UndrawnFramesTest, UndrawnCallsSucceedLeaveThePixelsAndDeliverNoImage) {
  IDirect3DDevice8* device = MakeDevice(4, 4);
  ASSERT_NE(device, nullptr);
  ASSERT_EQ(ClearAll(device, 0xFF0000FF), D3D_OK);
  platform::SetPixelsDrawn(false);
  EXPECT_EQ(ClearAll(device, 0xFF00FF00), D3D_OK);
  EXPECT_EQ(DrawRed(device), D3D_OK);
  EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  EXPECT_FALSE(deliveries_.back().image);
  EXPECT_EQ(PixelAt(device, 0, 0), 0xFF0000FFu) << "neither the clear nor the triangle drew";
  EXPECT_EQ(PixelAt(device, 3, 3), 0xFF0000FFu);
  EXPECT_EQ(device->Release(), 0u);
}

// Which frames, drawn after an undrawn one, show what it left: each row is the drawn frame's
// calls. Only a clear of the whole target and depth, before anything is drawn, starts afresh.
TEST_F(UndrawnFramesTest, AFrameThatDrawsOverAnUndrawnOneIsCounted) {
  const D3DRECT part = {0, 0, 2, 2};
  struct Row {
    const char* frame;
    std::function<void(IDirect3DDevice8*)> calls;
    bool counted;
  } rows[] = {
      {"whole clear, then a draw", [](IDirect3DDevice8* d) { ClearAll(d, 0), DrawRed(d); }, false},
      {"a draw with no clear", [](IDirect3DDevice8* d) { DrawRed(d); }, true},
      {"a clear of the target alone",
       [](IDirect3DDevice8* d) { d->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), DrawRed(d); }, true},
      {"a clear of part of the buffer",
       [part](IDirect3DDevice8* d) { d->Clear(1, &part, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0); }, true},
      {"nothing: presented as it stands", [](IDirect3DDevice8*) {}, true},
  };
  for (const Row& row : rows) {
    IDirect3DDevice8* device = MakeDevice(4, 4);
    ASSERT_NE(device, nullptr);
    platform::SetPixelsDrawn(false);
    ClearAll(device, 0);
    DrawRed(device);
    device->Present(nullptr, nullptr, nullptr, nullptr);
    platform::SetPixelsDrawn(true);
    const unsigned long before = platform::UndrawnPixelsPresented();
    row.calls(device);
    device->Present(nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(platform::UndrawnPixelsPresented() - before, row.counted ? 1u : 0u) << row.frame;
    ClearAll(device, 0);  // afresh: the next frame is not counted
    device->Present(nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(platform::UndrawnPixelsPresented() - before, row.counted ? 1u : 0u) << row.frame << ", then a clear";
    EXPECT_EQ(device->Release(), 0u);
  }
}

}  // namespace
}  // namespace d3d8_test
