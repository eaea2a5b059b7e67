// DrawIndexedPrimitive on the software device: index buffers of 16 and 32 bits, SetIndices with a
// base vertex index, and the checks of the draw call. An indexed draw must put down exactly the
// pixels of the same triangles drawn unindexed.
#include <cstdint>

#include "draw_test_support.h"

namespace d3d8_test {
namespace {

using IndexedDrawTest = D3D8Test;

constexpr UINT kSize = 16;

// A 3 x 3 grid of vertices over the viewport, each with its own colour; `padding` junk vertices
// come first so that the grid starts at vertex `padding`.
std::vector<XyzVertex> Grid(UINT padding) {
  std::vector<XyzVertex> vertices(padding, XyzVertex{9, 9, 9, 0xFFFFFFFF, 0, 0});
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 3; ++column) {
      const auto c = static_cast<unsigned>(row * 3 + column);
      vertices.push_back({-0.9f + 0.9f * static_cast<float>(column),
                          0.9f - 0.9f * static_cast<float>(row), 0.5f,
                          D3DCOLOR_ARGB(255, 28 * c, 255 - 28 * c, (c * 97) & 255), 0, 0});
    }
  }
  return vertices;
}

template <typename Index>
IDirect3DIndexBuffer8* MakeIndices(IDirect3DDevice8* device, const std::vector<Index>& indices) {
  IDirect3DIndexBuffer8* buffer = nullptr;
  const UINT bytes = static_cast<UINT>(indices.size() * sizeof(Index));
  const D3DFORMAT format = sizeof(Index) == 2 ? D3DFMT_INDEX16 : D3DFMT_INDEX32;
  EXPECT_EQ(device->CreateIndexBuffer(bytes, D3DUSAGE_WRITEONLY, format, D3DPOOL_MANAGED, &buffer),
            D3D_OK);
  BYTE* data = nullptr;
  buffer->Lock(0, bytes, &data, 0);
  std::memcpy(data, indices.data(), bytes);
  buffer->Unlock();
  return buffer;
}

IDirect3DVertexBuffer8* MakeVertices(IDirect3DDevice8* device,
                                     const std::vector<XyzVertex>& vertices) {
  IDirect3DVertexBuffer8* buffer = nullptr;
  const UINT bytes = static_cast<UINT>(vertices.size() * sizeof(XyzVertex));
  device->CreateVertexBuffer(bytes, 0, kXyzFvf, D3DPOOL_MANAGED, &buffer);
  BYTE* data = nullptr;
  buffer->Lock(0, bytes, &data, 0);
  std::memcpy(data, vertices.data(), bytes);
  buffer->Unlock();
  return buffer;
}

std::vector<D3DCOLOR> Pixels(IDirect3DDevice8* device) {
  std::vector<D3DCOLOR> pixels;
  for (UINT y = 0; y < kSize; ++y) {
    for (UINT x = 0; x < kSize; ++x) pixels.push_back(PixelAt(device, x, y));
  }
  return pixels;
}

class IndexedDraw : public IndexedDrawTest {
 protected:
  IDirect3DDevice8* Device(DWORD shade) {
    IDirect3DDevice8* device = MakeDevice(kSize, kSize, D3DFMT_X8R8G8B8, false);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_SHADEMODE, shade);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF102030, 1.0f, 0);
    return device;
  }

  // Draws `indices` (from `start` on) with base vertex `base` and minimum index `minIndex` over
  // the 9 grid vertices, and the same vertices expanded without indices on a second device;
  // expects identical pictures that differ from a cleared one.
  template <typename Index>
  void ExpectSameAsUnindexed(D3DPRIMITIVETYPE type, UINT primitives, std::vector<Index> indices,
                             UINT start, UINT base, UINT minIndex, DWORD shade) {
    const UINT padding = base + minIndex;
    const std::vector<XyzVertex> grid = Grid(padding);
    std::vector<XyzVertex> expanded;
    for (UINT i = start; i < indices.size(); ++i) {
      expanded.push_back(grid[base + static_cast<UINT>(indices[i])]);
    }
    IDirect3DDevice8* plain = Device(shade);
    ASSERT_EQ(DrawVertices(plain, type, primitives, expanded, kXyzFvf), D3D_OK);

    IDirect3DDevice8* device = Device(shade);
    IDirect3DVertexBuffer8* vertices = MakeVertices(device, grid);
    IDirect3DIndexBuffer8* buffer = MakeIndices(device, indices);
    device->BeginScene();
    device->SetVertexShader(kXyzFvf);
    device->SetStreamSource(0, vertices, sizeof(XyzVertex));
    device->SetIndices(buffer, base);
    EXPECT_EQ(device->DrawIndexedPrimitive(type, minIndex, 9, start, primitives), D3D_OK);
    device->EndScene();
    const std::vector<D3DCOLOR> drawn = Pixels(device);
    EXPECT_EQ(drawn, Pixels(plain));
    EXPECT_NE(drawn, std::vector<D3DCOLOR>(kSize * kSize, 0xFF102030));
    vertices->Release();
    buffer->Release();
    EXPECT_EQ(device->Release(), 0u) << "the device let go of the index buffer";
    EXPECT_EQ(plain->Release(), 0u);
  }
};

// Indices into the grid with 0 = its first vertex; the grid lies `minIndex` above the base.
template <typename Index>
std::vector<Index> Shifted(std::vector<Index> indices, UINT by) {
  for (Index& i : indices) i = static_cast<Index>(i + by);
  return indices;
}

TEST_F(IndexedDraw, ListsStripsAndFansMatchUnindexedDraws) {
  const std::vector<std::uint16_t> list = {0, 1, 4, 4, 3, 0, 1, 2, 5, 5, 4, 1, 4, 5, 8, 8, 7, 4};
  const std::vector<std::uint16_t> strip = {0, 3, 1, 4, 2, 5};
  const std::vector<std::uint16_t> fan = {4, 0, 1, 2, 5, 8, 7, 6, 3, 0};
  for (DWORD shade : {D3DSHADE_GOURAUD, D3DSHADE_FLAT}) {
    SCOPED_TRACE(shade);
    ExpectSameAsUnindexed(D3DPT_TRIANGLELIST, 6, list, 0, 0, 0, shade);
    ExpectSameAsUnindexed(D3DPT_TRIANGLESTRIP, 4, strip, 0, 0, 0, shade);
    ExpectSameAsUnindexed(D3DPT_TRIANGLEFAN, 8, fan, 0, 0, 0, shade);
  }
}

// The fetched vertex is index + BaseVertexIndex; MinIndex names the lowest index used; the draw
// starts StartIndex indices into the buffer. 32-bit indices go beyond 65535.
TEST_F(IndexedDraw, BaseVertexMinIndexStartIndexAndWideIndices) {
  const std::vector<std::uint16_t> strip = {7, 7, 0, 3, 1, 4, 2, 5};  // two junk entries first
  ExpectSameAsUnindexed(D3DPT_TRIANGLESTRIP, 4, Shifted(strip, 5), 2, 3, 5, D3DSHADE_GOURAUD);

  const std::vector<std::uint32_t> fan = {4, 0, 1, 2, 5, 8, 7, 6, 3, 0};
  ExpectSameAsUnindexed(D3DPT_TRIANGLEFAN, 8, fan, 0, 2, 0, D3DSHADE_FLAT);
  ExpectSameAsUnindexed(D3DPT_TRIANGLEFAN, 8, Shifted(fan, 70000), 0, 1, 70000, D3DSHADE_GOURAUD);
}

TEST_F(IndexedDraw, BuffersAndCallsAreChecked) {
  IDirect3DDevice8* device = Device(D3DSHADE_GOURAUD);
  IDirect3DIndexBuffer8* buffer = nullptr;
  EXPECT_EQ(device->CreateIndexBuffer(12, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &buffer),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(buffer, nullptr);
  EXPECT_EQ(device->CreateIndexBuffer(0, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &buffer),
            D3DERR_INVALIDCALL);
  ASSERT_EQ(device->CreateIndexBuffer(12, D3DUSAGE_WRITEONLY, D3DFMT_INDEX32, D3DPOOL_DEFAULT,
                                      &buffer),
            D3D_OK);
  D3DINDEXBUFFER_DESC desc{};
  ASSERT_EQ(buffer->GetDesc(&desc), D3D_OK);
  EXPECT_EQ(desc.Format, D3DFMT_INDEX32);
  EXPECT_EQ(desc.Type, D3DRTYPE_INDEXBUFFER);
  EXPECT_EQ(desc.Size, 12u);
  EXPECT_EQ(desc.Usage, static_cast<DWORD>(D3DUSAGE_WRITEONLY));
  BYTE* data = nullptr;
  EXPECT_EQ(buffer->Lock(8, 8, &data, 0), D3DERR_INVALIDCALL) << "past the end";
  EXPECT_EQ(buffer->Unlock(), D3DERR_INVALIDCALL) << "not locked";
  ASSERT_EQ(buffer->Lock(0, 0, &data, 0), D3D_OK);
  const std::uint32_t indices[3] = {0, 1, 3};
  std::memcpy(data, indices, sizeof indices);
  EXPECT_EQ(buffer->Unlock(), D3D_OK);

  IDirect3DVertexBuffer8* vertices = MakeVertices(device, Grid(0));  // 9 vertices
  device->SetVertexShader(kXyzFvf);
  device->SetStreamSource(0, vertices, sizeof(XyzVertex));
  device->BeginScene();
  EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 9, 0, 1), D3DERR_INVALIDCALL)
      << "no indices set";
  ASSERT_EQ(device->SetIndices(buffer, 0), D3D_OK);
  EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 1), D3D_OK);
  EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 3, 0, 1), D3DERR_INVALIDCALL)
      << "index 3 outside [0, 3)";
  EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 1, 4, 0, 1), D3DERR_INVALIDCALL)
      << "index 0 below MinIndex";
  EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 1, 1), D3DERR_INVALIDCALL)
      << "indices past the buffer";
  EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 10, 0, 1), D3DERR_INVALIDCALL)
      << "vertices past the stream";
  device->SetIndices(buffer, 6);
  EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 3, 0, 1), D3DERR_INVALIDCALL)
      << "index 3 is outside the range even though vertex 6 + 1 exists";
  EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 1), D3DERR_INVALIDCALL)
      << "base 6 + index 3 is past the 9 vertices";
  EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_LINELIST, 0, 4, 0, 1), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 0), D3D_OK);
  device->EndScene();
  device->SetIndices(buffer, 0);
  EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 1), D3DERR_INVALIDCALL)
      << "outside a scene";

  // The device holds a reference while the buffer is set.
  EXPECT_EQ(buffer->Release(), 1u);
  EXPECT_EQ(device->SetIndices(nullptr, 0), D3D_OK);
  vertices->Release();
  EXPECT_EQ(device->Release(), 0u);
}

}  // namespace
}  // namespace d3d8_test
