// Untextured, unblended triangles on a 32-bit target (lit meshes) take a loop that shades several
// pixels at a time. An alpha test that passes everything sends the same triangles through the
// general per-pixel loop; both must leave identical pixels and identical depth values.
#include <cstdint>
#include <cstring>

#include "draw_test_support.h"

namespace d3d8_test {
namespace {

using DiffuseRowsTest = D3D8Test;

// A left-handed perspective projection (near 1, far 101) whose w is the eye depth times `wScale`.
D3DMATRIX Perspective(float wScale) {
  D3DMATRIX p{};
  p._11 = p._22 = wScale;
  p._33 = 101.0f / 100.0f * wScale;
  p._34 = wScale;
  p._43 = -101.0f / 100.0f * wScale;
  return p;
}

struct Result {
  std::vector<std::uint8_t> pixels;
  std::vector<std::uint16_t> depth;
};

// Overlapping triangles at varying eye depth: large ones, slivers one to three pixels wide, some
// of a single colour, several reaching the right edge (the width is not a multiple of four).
std::vector<XyzVertex> Triangles(std::uint32_t seed) {
  const auto next = [&seed](float lo, float hi) {
    seed = seed * 1664525u + 1013904223u;
    return lo + (hi - lo) * static_cast<float>(seed >> 8) / 16777216.0f;
  };
  std::vector<XyzVertex> out;
  for (int k = 0; k < 60; ++k) {
    const float size = k % 3 == 0 ? 1.0f : k % 3 == 1 ? 0.3f : 0.05f;
    const float cx = next(-1.0f, 1.2f), cy = next(-1.0f, 1.0f);
    const bool flat = k % 5 == 0;
    seed = seed * 1664525u + 1013904223u;
    const D3DCOLOR shared = seed;
    for (int corner = 0; corner < 3; ++corner) {
      const float z = next(2.0f, 60.0f);
      const float x = (cx + next(-size, size)) * z;
      const float y = (cy + next(-size, size)) * z;
      seed = seed * 1664525u + 1013904223u;
      out.push_back({x, y, z, flat ? shared : seed, 0, 0});
    }
  }
  return out;
}

Result Draw(IDirect3DDevice8* device, DWORD zMode, float wScale, BOOL zWrite, BOOL alphaTest,
            const std::vector<XyzVertex>& triangles) {
  device->SetRenderState(D3DRS_LIGHTING, FALSE);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetRenderState(D3DRS_ZENABLE, zMode);
  device->SetRenderState(D3DRS_ZWRITEENABLE, zWrite);
  device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
  device->SetRenderState(D3DRS_ALPHATESTENABLE, alphaTest);
  device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_ALWAYS);
  const D3DMATRIX projection = Perspective(wScale);
  device->SetTransform(D3DTS_PROJECTION, &projection);
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x80402010, 1.0f, 0);
  // A first layer the others are tested against, then the rest.
  const std::vector<XyzVertex> first(triangles.begin(), triangles.begin() + 30);
  const std::vector<XyzVertex> rest(triangles.begin() + 30, triangles.end());
  DrawVertices(device, D3DPT_TRIANGLELIST, 10, first, kXyzFvf);
  DrawVertices(device, D3DPT_TRIANGLELIST, static_cast<UINT>(rest.size() / 3), rest, kXyzFvf);
  auto& backend = RefBackendOf(device);
  Result result;
  result.pixels = backend.BackBuffer().bytes;
  if (backend.DepthBuffer()) result.depth = backend.DepthBuffer()->values;
  return result;
}

TEST_F(DiffuseRowsTest, FourPixelLoopMatchesTheGeneralLoop) {
  struct Mode {
    DWORD z;
    float wScale;  // 1: one division serves depth and colour
  };
  const Mode modes[] = {{D3DZB_USEW, 1.0f}, {D3DZB_USEW, 0.5f}, {D3DZB_TRUE, 1.0f}, {D3DZB_FALSE, 1.0f}};
  for (D3DFORMAT format : {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8}) {
    IDirect3DDevice8* device = MakeDevice(37, 29, format, true);
    ASSERT_NE(device, nullptr);
    for (const Mode& mode : modes) {
      for (BOOL zWrite : {TRUE, FALSE}) {
        const std::vector<XyzVertex> triangles = Triangles(777u + mode.z * 31u + zWrite);
        const Result fast = Draw(device, mode.z, mode.wScale, zWrite, FALSE, triangles);
        const Result general = Draw(device, mode.z, mode.wScale, zWrite, TRUE, triangles);
        SCOPED_TRACE(testing::Message() << "format " << format << " z mode " << mode.z << " w scale "
                                        << mode.wScale << " z write " << zWrite);
        EXPECT_TRUE(fast.pixels == general.pixels);
        EXPECT_TRUE(fast.depth == general.depth);
        // The scene drew something over the clear colour and, with depth, tested against it.
        std::size_t changed = 0;
        for (std::size_t i = 0; i + 4 <= fast.pixels.size(); i += 4) {
          std::uint32_t bits;
          std::memcpy(&bits, &fast.pixels[i], 4);
          changed += (bits & 0x00FFFFFFu) != 0x402010u;
        }
        EXPECT_GT(changed, fast.pixels.size() / 8);
      }
    }
    EXPECT_EQ(device->Release(), 0u);
  }
}

}  // namespace
}  // namespace d3d8_test
