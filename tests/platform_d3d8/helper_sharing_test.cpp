// The software device shares clears, solid draws and outlines with its helper thread, and leaves
// small draws to it while the caller goes on. The frames and depths must be those of one thread:
// blended, depth-tested work that overlaps shows any pixel drawn twice, missed, or drawn out of
// order, and textured draws show a queued draw that reads a texture changed or freed after it.
#include <cstdint>
#include <vector>

#include "draw_test_support.h"
#include "platform/d3d8/d3d8_host.h"

namespace d3d8_test {
namespace {

using HelperSharingTest = D3D8Test;

constexpr int kWidth = 320, kHeight = 240;

enum class Work { kClears, kWireframe, kPoints, kManySmallDraws, kOneLargeDraw, kTexturesChangedAfterDraws };

struct Frame {
  std::vector<std::uint8_t> colors;
  std::vector<std::uint16_t> depths;
};

// Triangles anywhere on the screen (and past it), of the given size, with random colours, alphas and depths.
std::vector<RhwVertex> Triangles(std::uint32_t& seed, int count, float size) {
  const auto next = [&seed](float lo, float hi) {
    seed = seed * 1664525u + 1013904223u;
    return lo + (hi - lo) * static_cast<float>(seed >> 8) / 16777216.0f;
  };
  std::vector<RhwVertex> out;
  for (int i = 0; i < count; ++i) {
    const float cx = next(-20, kWidth + 20), cy = next(-20, kHeight + 20);
    for (int k = 0; k < 3; ++k) {
      seed = seed * 1664525u + 1013904223u;
      out.push_back({cx + next(-size, size), cy + next(-size, size), next(0, 1), next(0.2f, 1), seed, next(-1, 2),
                     next(-1, 2)});
    }
  }
  return out;
}

Frame Render(IDirect3DDevice8* device, Work work) {
  std::uint32_t seed = 4242;
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  device->SetRenderState(D3DRS_FILLMODE, work == Work::kWireframe ? D3DFILL_WIREFRAME
                                         : work == Work::kPoints  ? D3DFILL_POINT
                                                                  : D3DFILL_SOLID);
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x00203040, 1.0f, 0);
  switch (work) {
    case Work::kClears: {
      DrawVertices(device, D3DPT_TRIANGLELIST, 60, Triangles(seed, 60, 150), kRhwFvf);
      const D3DRECT rects[] = {{10, 7, 300, 231}, {0, 100, 320, 101}};
      device->Clear(2, rects, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x00A0B0C0, 0.25f, 0);
      DrawVertices(device, D3DPT_TRIANGLELIST, 30, Triangles(seed, 30, 150), kRhwFvf);
      break;
    }
    case Work::kWireframe:
    case Work::kPoints:
    case Work::kOneLargeDraw:
      DrawVertices(device, D3DPT_TRIANGLELIST, 400, Triangles(seed, 400, 120), kRhwFvf);
      break;
    case Work::kManySmallDraws:
      for (int i = 0; i < 300; ++i) DrawVertices(device, D3DPT_TRIANGLELIST, 2, Triangles(seed, 2, 40), kRhwFvf);
      break;
    case Work::kTexturesChangedAfterDraws:
      // Each texture is drawn with, rewritten, drawn with again, and released while its last
      // draws may still wait for the helper.
      for (int round = 0; round < 6; ++round) {
        std::vector<D3DCOLOR> texels(8 * 8);
        for (D3DCOLOR& texel : texels) texel = (seed = seed * 1664525u + 1013904223u);
        IDirect3DTexture8* texture = MakeTexture(device, 8, 8, texels);
        device->SetTexture(0, texture);
        for (int i = 0; i < 20; ++i) {
          DrawVertices(device, D3DPT_TRIANGLELIST, 2, Triangles(seed, 2, 40), kRhwFvf);
          if (i % 7 == 6) {
            D3DLOCKED_RECT locked{};
            texture->LockRect(0, &locked, nullptr, 0);
            static_cast<D3DCOLOR*>(locked.pBits)[i] ^= 0x00FFFFFF;
            texture->UnlockRect(0);
          }
        }
        device->SetTexture(0, nullptr);
        texture->Release();
      }
      break;
  }
  d3d8::ref::RefBackend& ref = RefBackendOf(device);
  return {ref.BackBuffer().bytes, ref.DepthBuffer()->values};
}

TEST_F(HelperSharingTest, FramesAreThoseOfOneThread) {
  for (Work work : {Work::kClears, Work::kWireframe, Work::kPoints, Work::kManySmallDraws, Work::kOneLargeDraw,
                    Work::kTexturesChangedAfterDraws}) {
    Frame frames[2];
    for (bool helper : {false, true}) {
      d3d8::UseRasterizerHelper(helper);
      IDirect3DDevice8* device = MakeDevice(kWidth, kHeight);
      frames[helper] = Render(device, work);
      EXPECT_EQ(device->Release(), 0u);
    }
    d3d8::UseRasterizerHelper(true);
    EXPECT_EQ(frames[1].colors, frames[0].colors) << "work " << static_cast<int>(work);
    EXPECT_EQ(frames[1].depths, frames[0].depths) << "work " << static_cast<int>(work);
    int drawn = 0;
    for (std::uint16_t depth : frames[0].depths) drawn += depth != 0xFFFF;
    EXPECT_GT(drawn, work == Work::kPoints ? 300 : 4000) << "work " << static_cast<int>(work);
  }
}

}  // namespace
}  // namespace d3d8_test
