// Helpers of the drawing tests: vertex layouts, a draw from a fresh vertex buffer, and reading the
// software device's back buffer.
#pragma once

#include <cstring>
#include <vector>

#include "d3d8_test_support.h"
#include "platform/d3d8/device.h"
#include "platform/d3d8/ref/ref_device.h"
#include "platform/d3d8/texture.h"

namespace d3d8_test {

// D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1: x, y in pixels.
struct RhwVertex {
  float x, y, z, rhw;
  D3DCOLOR color;
  float u, v;
};
constexpr DWORD kRhwFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1 (0x142), the engine's screen-quad vertex.
struct XyzVertex {
  float x, y, z;
  D3DCOLOR color;
  float u, v;
};
constexpr DWORD kXyzFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

inline d3d8::ref::RefBackend& RefBackendOf(IDirect3DDevice8* device) {
  auto* front = dynamic_cast<d3d8::Device*>(device);
  return dynamic_cast<d3d8::ref::RefBackend&>(front->Backend());
}

// The back buffer pixel as 0xAARRGGBB (formats without alpha read as opaque).
inline D3DCOLOR PixelAt(IDirect3DDevice8* device, UINT x, UINT y) {
  const auto& surface = RefBackendOf(device).BackBuffer();
  return d3d8::TexelToColor(surface.format, d3d8::ref::ReadPixel(surface, x, y));
}

// Draws the vertices in a scene of their own from a new vertex buffer; returns the draw's result.
template <typename Vertex>
HRESULT DrawVertices(IDirect3DDevice8* device, D3DPRIMITIVETYPE type, UINT primitives,
                     const std::vector<Vertex>& vertices, DWORD fvf) {
  IDirect3DVertexBuffer8* buffer = nullptr;
  const UINT bytes = static_cast<UINT>(vertices.size() * sizeof(Vertex));
  if (device->CreateVertexBuffer(bytes, D3DUSAGE_WRITEONLY, fvf, D3DPOOL_MANAGED, &buffer) != D3D_OK) {
    return D3DERR_INVALIDCALL;
  }
  BYTE* data = nullptr;
  buffer->Lock(0, bytes, &data, 0);
  std::memcpy(data, vertices.data(), bytes);
  buffer->Unlock();
  device->BeginScene();
  device->SetVertexShader(fvf);
  device->SetStreamSource(0, buffer, sizeof(Vertex));
  const HRESULT hr = device->DrawPrimitive(type, 0, primitives);
  device->EndScene();
  device->SetStreamSource(0, nullptr, 0);
  buffer->Release();
  return hr;
}

// A texture of the given texels (0xAARRGGBB, row by row) in A8R8G8B8.
inline IDirect3DTexture8* MakeTexture(IDirect3DDevice8* device, UINT width, UINT height,
                                      const std::vector<D3DCOLOR>& texels) {
  IDirect3DTexture8* texture = nullptr;
  if (device->CreateTexture(width, height, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture) !=
      D3D_OK) {
    return nullptr;
  }
  D3DLOCKED_RECT locked{};
  texture->LockRect(0, &locked, nullptr, 0);
  for (UINT y = 0; y < height; ++y) {
    std::memcpy(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch, texels.data() + y * width,
                width * 4);
  }
  texture->UnlockRect(0);
  return texture;
}

// Rectangle from (x0, y0) to (x1, y1) in pixels as two triangles of a list, clockwise.
inline std::vector<RhwVertex> RhwRect(float x0, float y0, float x1, float y1, D3DCOLOR color,
                                      float z = 0.5f) {
  return {{x0, y0, z, 1, color, 0, 0}, {x1, y0, z, 1, color, 1, 0}, {x1, y1, z, 1, color, 1, 1},
          {x0, y0, z, 1, color, 0, 0}, {x1, y1, z, 1, color, 1, 1}, {x0, y1, z, 1, color, 0, 1}};
}

}  // namespace d3d8_test
