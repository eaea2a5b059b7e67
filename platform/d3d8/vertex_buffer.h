// A vertex buffer (buffer.h); its description carries the FVF it was created with.
#pragma once

#include "platform/d3d8/buffer.h"

namespace d3d8 {

class VertexBuffer final : public Buffer<IDirect3DVertexBuffer8, D3DVERTEXBUFFER_DESC> {
 public:
  VertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool)
      : Buffer(length, D3DVERTEXBUFFER_DESC{D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, usage, pool, 0, fvf}) {}

 private:
  ~VertexBuffer() override = default;
};

}  // namespace d3d8
